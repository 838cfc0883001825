#include "publish/PageWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInventorNote.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Glosspin/ZnSoundNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnViewNote.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "note/NoteIcons.h"
#include "platform/WriteAll.h"
#include "publish/GlbWriter.h"
#include "publish/JsonText.h"
#include "publish/NoteMedia.h"
#include "publish/SceneCapture.h"

namespace {

// Scene notes inside scene notes: deeper than this is a loop.
const int MAX_DEPTH = 8;

std::string vec(const float *v, int n)
{
    std::string out = "[";
    for (int i = 0; i < n; i++)
        out += (i ? "," : "") + gspJsonNumber(v[i]);
    return out + "]";
}

std::string base64(const std::string &bytes)
{
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    const unsigned char *b = (const unsigned char *)bytes.data();
    for (; i + 2 < bytes.size(); i += 3) {
        uint32_t v = (uint32_t)b[i] << 16 | (uint32_t)b[i + 1] << 8 | b[i + 2];
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    if (i < bytes.size()) {
        uint32_t v = (uint32_t)b[i] << 16 | (i + 1 < bytes.size() ? (uint32_t)b[i + 1] << 8 : 0);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

const char *kindOf(const ZnNote *note)
{
    for (const GspPageKind &k : GSP_PAGE_KINDS)
        if (note->isOfType(k.type()))
            return k.name;
    return "";
}

SoNode *firstOf(SoNode *scene, SoType type)
{
    SoSearchAction search;
    search.setType(type);
    search.setSearchingAll(TRUE);
    search.apply(scene);
    SoPath *path = search.getPath();
    return path ? ((SoFullPath *)path)->getTail() : NULL;
}

}

const GspPageKind GSP_PAGE_KINDS[8] = {
    {ZnTextNote::getClassTypeId, "text", gspIcon_text, gspIcon_text_active},
    {ZnURLNote::getClassTypeId, "url", gspIcon_url, gspIcon_url_active},
    {ZnViewNote::getClassTypeId, "view", gspIcon_view, gspIcon_view_active},
    {ZnMovieNote::getClassTypeId, "movie", gspIcon_movie, gspIcon_movie_active},
    {ZnSoundNote::getClassTypeId, "sound", gspIcon_sound, gspIcon_sound_active},
    {ZnImageNote::getClassTypeId, "image", gspIcon_image, gspIcon_image_active},
    {ZnSystemNote::getClassTypeId, "system", gspIcon_system, gspIcon_system_active},
    {ZnInventorNote::getClassTypeId, "scene", gspIcon_scene, gspIcon_scene_active}};

std::string gspHtmlEscape(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

bool gspWriteFile(const std::string &path, const std::string &bytes, std::string &why)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && gspWriteAll(fd, bytes.data(), bytes.size());
    if (fd >= 0 && close(fd) != 0)
        ok = false;
    if (!ok)
        why = "cannot write " + path + ": " + strerror(errno);
    return ok;
}

GspPageWriter::GspPageWriter(const std::string &d, const std::string &prefix, bool convert,
                             std::vector<std::string> &w, int level)
    : dir(d), sharedPrefix(prefix), convertMedia(convert), warnings(w), depth(level),
      mediaCount(0), camera(NULL), glbSize(0)
{
}

void GspPageWriter::warn(const ZnNote *note, const std::string &what)
{
    warnings.push_back(std::string("a ") + kindOf(note) + " note is left out: " + what);
}

std::string GspPageWriter::cameraJson(SoNode *scene)
{
    SoCamera *c = camera ? camera : (SoCamera *)firstOf(scene, SoCamera::getClassTypeId());
    if (!c)
        return "null";
    bool perspective = c->isOfType(SoPerspectiveCamera::getClassTypeId());
    float height = perspective ? ((SoPerspectiveCamera *)c)->heightAngle.getValue()
                               : c->isOfType(SoOrthographicCamera::getClassTypeId())
                                     ? ((SoOrthographicCamera *)c)->height.getValue()
                                     : 2.0f;
    return std::string("{\"perspective\":") + (perspective ? "true" : "false") +
           ",\"position\":" + vec(c->position.getValue().getValue(), 3) +
           ",\"orientation\":" + vec(c->orientation.getValue().getValue(), 4) +
           ",\"focalDistance\":" + gspJsonNumber(c->focalDistance.getValue()) +
           ",\"height\":" + gspJsonNumber(height) + "}";
}

std::string GspPageWriter::mediaJson(ZnNote *note, std::string &why)
{
    if (!convertMedia) {
        why = "media are not converted";
        return "";
    }
    if (mkdir((dir + "/media").c_str(), 0755) != 0 && errno != EEXIST) {
        why = "cannot make " + dir + "/media: " + strerror(errno);
        return "";
    }
    std::string name = "media/" + std::to_string(mediaCount++) + gspPageMediaSuffix(note);
    if (!gspConvertNoteMedia(note, dir + "/" + name, why))
        return "";
    return ",\"src\":" + gspJsonQuote(name);
}

// The carried scene, published as a page of its own.
std::string GspPageWriter::scenePageJson(ZnNote *note, std::string &why)
{
    if (depth >= MAX_DEPTH) {
        why = "scene notes nest deeper than " + std::to_string(MAX_DEPTH);
        return "";
    }
    std::string sub = "scenes/" + std::to_string(mediaCount++);
    std::string full = dir + "/" + sub, source = full + ".iv";
    if ((mkdir((dir + "/scenes").c_str(), 0755) != 0 && errno != EEXIST) ||
        mkdir(full.c_str(), 0755) != 0) {
        why = "cannot make " + full + ": " + strerror(errno);
        return "";
    }
    SoSeparator *carried = NULL;
    SoInput in;
    if (note->extractDataTo(source.c_str()) && in.openFile(source.c_str(), TRUE))
        carried = SoDB::readAll(&in);
    in.closeFile();
    unlink(source.c_str());
    if (!carried) {
        why = "the scene it carries cannot be read";
        return "";
    }
    carried->ref();
    GspPageWriter page(full, "../../" + sharedPrefix, convertMedia, warnings, depth + 1);
    bool ok = page.write(carried, "", why);
    carried->unref();
    return ok ? ",\"page\":" + gspJsonQuote(sub + "/index.html") : "";
}

std::string GspPageWriter::noteJson(ZnNote *note, std::string &why)
{
    const char *kind = kindOf(note);
    if (!strcmp(kind, "movie") || !strcmp(kind, "sound"))
        note->findMediaLength();
    std::string out = std::string("{\"kind\":\"") + kind + "\"" +
                      ",\"auto\":" + (note->autoPlayable.getValue() ? "true" : "false") +
                      ",\"lifetimeType\":" + std::to_string(note->lifetimeType.getValue()) +
                      ",\"lifetime\":" + gspJsonNumber(note->lifetime.getValue()) +
                      ",\"startNext\":" + std::to_string(note->startNextNote.getValue()) +
                      ",\"delay\":" + gspJsonNumber(note->nextNoteDelay.getValue()) +
                      ",\"length\":" + gspJsonNumber(note->mediaLength) +
                      ",\"author\":" + gspJsonQuote(note->author.getValue().getString()) +
                      ",\"iconWidth\":" + std::to_string(note->getIconWidth()) +
                      ",\"iconHeight\":" + std::to_string(note->getIconHeight());
    std::string extra;
    if (note->isOfType(ZnTextNote::getClassTypeId())) {
        ZnTextNote *text = (ZnTextNote *)note;
        if (!text->updateLocalData()) {
            why = "its text file cannot be read";
            return "";
        }
        extra = ",\"text\":" + gspJsonQuote(text->getText().getString());
    } else if (note->isOfType(ZnURLNote::getClassTypeId())) {
        extra = ",\"url\":" + gspJsonQuote(((ZnURLNote *)note)->url.getValue().getString());
    } else if (note->isOfType(ZnSystemNote::getClassTypeId())) {
        extra = ",\"command\":" +
                gspJsonQuote(((ZnSystemNote *)note)->command.getValue().getString());
    } else if (note->isOfType(ZnViewNote::getClassTypeId())) {
        ZnViewNote *v = (ZnViewNote *)note;
        extra = std::string(",\"view\":{\"perspective\":") +
                (v->isPerspectiveCamera.getValue() ? "true" : "false") +
                ",\"position\":" + vec(v->position.getValue().getValue(), 3) +
                ",\"orientation\":" + vec(v->orientation.getValue().getValue(), 4) +
                ",\"focalDistance\":" + gspJsonNumber(v->focalDistance.getValue()) +
                ",\"height\":" + gspJsonNumber(v->height.getValue()) + "}";
    } else if (note->isOfType(ZnInventorNote::getClassTypeId())) {
        extra = scenePageJson(note, why);
    } else {
        extra = mediaJson(note, why);
    }
    return extra.empty() ? "" : out + extra + "}";
}

std::string GspPageWriter::markersJson(const GspSceneCapture &capture)
{
    std::string out = "[";
    for (size_t i = 0; i < capture.markers.size(); i++) {
        const GspCapturedMarker &m = capture.markers[i];
        SbVec3f anchor(0, 0, 0);
        float toward = 0, right = 0;
        std::string notes;
        int perRow = 0;
        float labelSize = 20;
        if (m.notes) {
            m.notes->getAnchor(anchor, toward, right);
            perRow = m.notes->iconsPerRow.getValue();
            labelSize = m.notes->getLabelSize();
            for (int k = 1; k < m.notes->getNumChildren(); k++) {
                SoNode *child = m.notes->getChild(k);
                if (!child->isOfType(ZnNote::getClassTypeId()))
                    continue;
                std::string why, json = noteJson((ZnNote *)child, why);
                if (json.empty()) {
                    warn((ZnNote *)child, why);
                    continue;
                }
                notes += (notes.empty() ? "" : ",") + json;
            }
        }
        out += (i ? ",\n" : "") + std::string("{\"label\":") +
               gspJsonQuote(m.marker->getLabel().getString()) +
               ",\"labelSize\":" + gspJsonNumber(labelSize) +
               ",\"iconsPerRow\":" + std::to_string(perRow) +
               ",\"anchor\":" + vec(anchor.getValue(), 3) +
               ",\"toward\":" + gspJsonNumber(toward) + ",\"right\":" + gspJsonNumber(right) +
               ",\"matrix\":" + vec(m.notesMatrix[0], 16) + ",\"notes\":[" + notes + "]}";
    }
    return out + "]";
}

std::string GspPageWriter::tourJson(SoNode *scene, const GspSceneCapture &capture)
{
    ZnMarkerSequencer *s =
        (ZnMarkerSequencer *)firstOf(scene, ZnMarkerSequencer::getClassTypeId());
    std::string out = "[";
    for (int i = 0; s && i < s->getNumMarkers(); i++) {
        int m = capture.markerIndex(s->getMarker(i));
        if (m >= 0)
            out += (out.size() > 1 ? "," : "") + std::to_string(m);
    }
    return out + "]";
}

bool GspPageWriter::write(SoNode *scene, const std::string &title, std::string &why)
{
    GspSceneCapture capture;
    capture.capture(scene);
    std::string glb = gspGlbOf(capture);
    glbSize = glb.size();
    std::string markers = markersJson(capture);
    std::string script = "var GLOSSPIN_PAGE = {\"title\":" + gspJsonQuote(title) +
                         ",\n\"camera\":" + cameraJson(scene) + ",\n\"tour\":" +
                         tourJson(scene, capture) + ",\n\"shared\":" +
                         gspJsonQuote(sharedPrefix) + ",\n\"markers\":" + markers +
                         "};\nvar GLOSSPIN_GLB = \"" + base64(glb) + "\";\n";
    std::string p = gspHtmlEscape(sharedPrefix);
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>" + gspHtmlEscape(title.empty() ? "Glosspin scene" : title) + "</title>\n"
        "<link rel=\"stylesheet\" href=\"" + p + "glosspin.css\">\n</head>\n<body>\n"
        "<div id=\"glosspin-view\"></div>\n"
        "<pre id=\"glosspin-selftest\" hidden></pre>\n"
        "<script src=\"" + p + "three/three.min.js\"></script>\n"
        "<script src=\"" + p + "three/GLTFLoader.js\"></script>\n"
        "<script src=\"" + p + "three/OrbitControls.js\"></script>\n"
        "<script src=\"scene.js\"></script>\n"
        "<script src=\"" + p + "glosspin.js\"></script>\n</body>\n</html>\n";
    return gspWriteFile(dir + "/scene.js", script, why) &&
           gspWriteFile(dir + "/index.html", html, why);
}
