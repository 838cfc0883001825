#ifndef GLOSSPIN_PUBLISH_PAGEWRITER_H
#define GLOSSPIN_PUBLISH_PAGEWRITER_H

#include <string>
#include <vector>

#include <Inventor/SoType.h>

class SoCamera;
class SoNode;
class ZnNote;
struct GspSceneCapture;

// A note kind as the page knows it: its name, which also names its icon
// files, and its icons.
struct GspPageKind {
    SoType (*type)();
    const char *name;
    const unsigned char *icon, *activeIcon;
};
extern const GspPageKind GSP_PAGE_KINDS[8];

// Writes one page of a published folder into dir: "index.html", and
// "scene.js" with the page's description (camera, markers with their
// notes, the tour) and the geometry in glTF binary; the notes' media in
// "media/", and each scene note's page, written the same way, in
// "scenes/N/". The files every page shares (three.js, the page's script
// and style, the icons) are in the folder's top, shared reached by
// sharedPrefix from dir.
class GspPageWriter {
  public:
    GspPageWriter(const std::string &dir, const std::string &sharedPrefix, bool convertMedia,
                  std::vector<std::string> &warnings, int depth = 0);

    // FALSE with the reason in why.
    bool write(SoNode *scene, const std::string &title, std::string &why);

    // The view the page opens with, instead of the scene's first camera.
    void setCamera(SoCamera *c) { camera = c; }

    // Bytes of the glTF binary last written.
    size_t getGlbSize() const { return glbSize; }

  private:
    std::string dir, sharedPrefix;
    bool convertMedia;
    std::vector<std::string> &warnings;
    int depth;
    int mediaCount;
    SoCamera *camera;
    size_t glbSize;

    std::string cameraJson(SoNode *scene);
    std::string markersJson(const GspSceneCapture &capture);
    std::string tourJson(SoNode *scene, const GspSceneCapture &capture);
    std::string noteJson(ZnNote *note, std::string &why);
    std::string mediaJson(ZnNote *note, std::string &why);
    std::string scenePageJson(ZnNote *note, std::string &why);
    void warn(const ZnNote *note, const std::string &what);
};

// Text as it stands in HTML, markup characters escaped.
std::string gspHtmlEscape(const std::string &text);

// Writes bytes to path; FALSE with the reason in why.
bool gspWriteFile(const std::string &path, const std::string &bytes, std::string &why);

#endif
