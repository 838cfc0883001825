// glosspin-scene: inspects and rewrites annotated scene files without an X
// display. Every output is written under a temporary name in the output's
// directory and renamed into place only when it is complete.
#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnModelImporter.h>
#include <Glosspin/ZnNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnWebPublisher.h>
#include <Glosspin/SoSFDelayedData.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/SceneFile.h"

namespace {

const char *program = "glosspin-scene";

// To standard output and status 0 when asked for, else a mistake.
int usage(bool asked = false)
{
    fprintf(asked ? stdout : stderr,
            "usage: %s info FILE\n"
            "       %s convert --ascii|--binary IN OUT\n"
            "       %s inline FILE OUT\n"
            "       %s external FILE OUT DIR\n"
            "       %s extract FILE NOTE OUTFILE\n"
            "       %s import MODEL OUT [--binary]\n"
            "       %s publish FILE DIR [--no-media]\n"
            "NOTE is the note's number as listed by info, or its node name.\n"
            "MODEL is any model file the importer reads (%s).\n",
            program, program, program, program, program, program, program,
            ZnModelImporter::getFilePatterns().getString());
    return asked ? 0 : 2;
}

int fail(const std::string &message)
{
    fprintf(stderr, "%s: %s\n", program, message.c_str());
    return 1;
}

SoSeparator *readScene(const char *path)
{
    std::string why;
    SoSeparator *root = gspReadSceneFile(path, why);
    if (!root)
        fail(std::string("cannot read ") + path + ": " + why);
    return root;
}

// Every note in traversal order, those that hang on markers included
// (they are parts of the marker kits).
std::vector<ZnNote *> notesOf(SoNode *root)
{
    std::vector<ZnNote *> notes;
    SoPathList paths = gspFindAll(root, ZnNote::getClassTypeId());
    for (int i = 0; i < paths.getLength(); i++)
        notes.push_back((ZnNote *)((SoFullPath *)paths[i])->getTail());
    return notes;
}

// Writes root to out, replacing out only when the whole scene is written;
// 0 after a message.
int writeScene(SoNode *root, const char *out, bool binary)
{
    std::string why;
    if (!gspWriteSceneFile(root, out, binary, false, why))
        return fail(std::string("cannot write ") + out + ": " + why) - 1;
    return 1;
}

bool isBinaryFile(const char *path)
{
    SoInput in;
    return in.openFile(path, TRUE) && in.isBinary();
}

std::string kindOf(const ZnNote *note)
{
    std::string name = note->getTypeId().getName().getString();
    if (name.compare(0, 2, "Zn") == 0)
        name = name.substr(2);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, "Note") == 0)
        name.resize(name.size() - 4);
    return name;
}

std::string locationOf(ZnNote *note, long &size)
{
    size = note->getMediaByteCount();
    if (note->isDataExternal())
        return std::string("external ") + note->filename.getValue().getString() +
               (size < 0 ? " (missing)" : "");
    if (note->isOfType(ZnTextNote::getClassTypeId())) {
        ZnTextNote *text = (ZnTextNote *)note;
        text->updateLocalData();
        size = text->getText().getLength();
        return "inline text";
    }
    if (!note->usingMediaData()) {
        size = -1;
        return "no media data";
    }
    return size > 0 ? "inline" : "inline, empty";
}

void printTree(SoNode *node, int depth, int &index)
{
    std::string indent((size_t)depth * 2, ' ');
    std::string name = node->getName().getString();
    if (node->isOfType(ZnNote::getClassTypeId())) {
        ZnNote *note = (ZnNote *)node;
        time_t t = (time_t)note->timestamp.getValue().getValue();
        char when[64];
        strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", localtime(&t));
        long size;
        std::string where = locationOf(note, size);
        printf("%s[%d] %s note%s%s  author %s  %s  %s", indent.c_str(), index++,
               kindOf(note).c_str(), name.empty() ? "" : " ", name.c_str(),
               note->author.getValue().getString(), when, where.c_str());
        if (size >= 0)
            printf("  %ld bytes", size);
        // What a link opens and a command runs.
        if (note->isOfType(ZnURLNote::getClassTypeId()))
            printf("  address %s", ((ZnURLNote *)note)->url.getValue().getString());
        if (note->isOfType(ZnSystemNote::getClassTypeId()))
            printf("  command %s", ((ZnSystemNote *)note)->command.getValue().getString());
        printf("\n");
        return;
    }
    if (node->isOfType(ZnMarker::getClassTypeId())) {
        ZnMarker *marker = (ZnMarker *)node;
        printf("%s%s \"%s\"\n", indent.c_str(), node->getTypeId().getName().getString(),
               marker->getLabel().getString());
        printTree(marker->getPart("notes", TRUE), depth + 1, index);
        return;
    }
    if (!node->isOfType(SoGroup::getClassTypeId()) || notesOf(node).empty())
        return;
    printf("%s%s%s%s\n", indent.c_str(), node->getTypeId().getName().getString(),
           name.empty() ? "" : " ", name.c_str());
    SoGroup *group = (SoGroup *)node;
    for (int i = 0; i < group->getNumChildren(); i++)
        printTree(group->getChild(i), depth + 1, index);
}

// The model in path, referenced once, its warnings on stderr; NULL after
// a message.
SoSeparator *importModel(const char *path, GspImportedModel &model)
{
    std::string why;
    SoSeparator *root = gspImportModel(path, model, why);
    if (!root)
        fail(std::string("cannot import ") + path + ": " + why);
    else if (!model.warnings.empty())
        fprintf(stderr, "%s: %s: %s\n", program, path, model.warnings.c_str());
    return root;
}

int modelInfo(const char *file)
{
    GspImportedModel model;
    SoSeparator *root = importModel(file, model);
    if (!root)
        return 1;
    printf("%s: %s model, %d node%s, %d mesh%s, %ld triangle%s, %d texture%s\n", file,
           model.format.c_str(), model.nodes, model.nodes == 1 ? "" : "s", model.meshes,
           model.meshes == 1 ? "" : "es", model.triangles, model.triangles == 1 ? "" : "s",
           model.textures, model.textures == 1 ? "" : "s");
    root->unref();
    return 0;
}

int import(const char *model, const char *out, bool binary)
{
    GspImportedModel imported;
    SoSeparator *root = importModel(model, imported);
    if (!root)
        return 1;
    int ok = writeScene(root, out, binary);
    root->unref();
    return ok ? 0 : 1;
}

int info(const char *file)
{
    if (ZnModelImporter::isModelFile(file) && !gspIsSceneFile(file))
        return modelInfo(file);
    SoSeparator *root = readScene(file);
    if (!root)
        return 1;
    std::vector<ZnNote *> notes = notesOf(root);
    printf("%s: %s, %zu note%s\n", file, isBinaryFile(file) ? "binary" : "ASCII", notes.size(),
           notes.size() == 1 ? "" : "s");
    int index = 0;
    printTree(root, 0, index);
    // The tour: each sequencer's markers in playback order.
    SoPathList tours = gspFindAll(root, ZnMarkerSequencer::getClassTypeId());
    for (int t = 0; t < tours.getLength(); t++) {
        ZnMarkerSequencer *seq = (ZnMarkerSequencer *)((SoFullPath *)tours[t])->getTail();
        printf("Tour:");
        for (int i = 0; i < seq->getNumMarkers(); i++)
            printf("%s %d. \"%s\"", i ? "," : "", i + 1, seq->getMarker(i)->getLabel().getString());
        printf("%s\n", seq->getNumMarkers() ? "" : " (no markers)");
    }
    root->unref();
    return 0;
}

int convert(const char *mode, const char *in, const char *out)
{
    bool binary;
    if (strcmp(mode, "--ascii") == 0)
        binary = false;
    else if (strcmp(mode, "--binary") == 0)
        binary = true;
    else
        return usage();
    SoSeparator *root = readScene(in);
    if (!root)
        return 1;
    int ok = writeScene(root, out, binary);
    root->unref();
    return ok ? 0 : 1;
}

int makeInline(const char *in, const char *out)
{
    SoSeparator *root = readScene(in);
    if (!root)
        return 1;
    int status = 0;
    for (ZnNote *note : notesOf(root)) {
        if (!note->isDataExternal())
            continue;
        if (!note->checkDataFile(FALSE)) {
            status = fail(std::string("the data file ") + note->filename.getValue().getString() +
                          " of a " + kindOf(note) + " note cannot be read");
            continue;
        }
        note->makeDataInline();
    }
    if (status == 0 && !writeScene(root, out, isBinaryFile(in)))
        status = 1;
    root->unref();
    return status;
}

int makeExternal(const char *in, const char *out, const char *dir)
{
    struct stat st;
    if (stat(dir, &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(std::string(dir) + " is not a directory");
    SoSeparator *root = readScene(in);
    if (!root)
        return 1;
    int status = 0;
    for (ZnNote *note : notesOf(root)) {
        if (note->isDataExternal() || !note->canBeExternal())
            continue;
        char name[PATH_MAX];
        if (!ZnNote::buildUniqueFilename(dir, "note", note->getFileSuffix(), name) ||
            !note->makeDataExternal(name, 0)) {
            status = fail(std::string("cannot move the data of a ") + kindOf(note) +
                          " note to " + dir);
            break;
        }
    }
    if (status == 0 && !writeScene(root, out, isBinaryFile(in)))
        status = 1;
    root->unref();
    return status;
}

ZnNote *findNote(SoNode *root, const char *which)
{
    std::vector<ZnNote *> notes = notesOf(root);
    char *end;
    long index = strtol(which, &end, 10);
    if (*which && *end == '\0')
        return index >= 0 && index < (long)notes.size() ? notes[(size_t)index] : NULL;
    for (ZnNote *note : notes)
        if (note->getName() == which)
            return note;
    return NULL;
}

int extract(const char *file, const char *which, const char *out)
{
    SoSeparator *root = readScene(file);
    if (!root)
        return 1;
    ZnNote *note = findNote(root, which);
    int status = 0;
    if (!note)
        status = fail(std::string("no note ") + which + " in " + file);
    else if (!note->usingMediaData() && !note->isOfType(ZnTextNote::getClassTypeId()))
        status = fail(std::string("a ") + kindOf(note) + " note has no media data");
    else if (!note->extractDataTo(out))
        status = fail(std::string("cannot extract the data of note ") + which);
    root->unref();
    return status;
}

// The page is written with the scene's directory as the current one, so
// that note data files named relative to the scene are found.
int publish(const char *file, const char *dir, bool media)
{
    std::string target = dir;
    if (target[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd))
            return fail(std::string("cannot find the current directory: ") + strerror(errno));
        target = std::string(cwd) + "/" + target;
    }
    std::string path = file, base = path.substr(path.find_last_of('/') + 1);
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && chdir(slash ? path.substr(0, slash).c_str() : "/") != 0)
        return fail("cannot go to the directory of " + path + ": " + strerror(errno));
    SoSeparator *root = readScene(base.c_str());
    if (!root)
        return 1;
    ZnWebPublisher publisher;
    publisher.setConvertMedia(media);
    std::string title = base.substr(0, base.find_last_of('.'));
    SbBool ok = publisher.publish(root, target.c_str(), title.c_str());
    root->unref();
    for (int i = 0; i < publisher.getNumWarnings(); i++)
        fprintf(stderr, "%s: %s\n", program, publisher.getWarning(i).getString());
    if (!ok)
        return fail(std::string("cannot publish ") + file + ": " +
                    publisher.getErrorMessage().getString());
    return 0;
}

}

int main(int argc, char **argv)
{
    if (argc == 2 && !strcmp(argv[1], "--help"))
        return usage(true);
    if (argc < 3)
        return usage();
    SoDB::init();
    ZnInit::initClasses();
    SoSFDelayedData::supportDelayedReading = 1;
    std::string cmd = argv[1];
    if (cmd == "info" && argc == 3)
        return info(argv[2]);
    if (cmd == "convert" && argc == 5)
        return convert(argv[2], argv[3], argv[4]);
    if (cmd == "inline" && argc == 4)
        return makeInline(argv[2], argv[3]);
    if (cmd == "external" && argc == 5)
        return makeExternal(argv[2], argv[3], argv[4]);
    if (cmd == "extract" && argc == 5)
        return extract(argv[2], argv[3], argv[4]);
    if (cmd == "import" && (argc == 4 || (argc == 5 && !strcmp(argv[4], "--binary"))))
        return import(argv[2], argv[3], argc == 5);
    if (cmd == "publish" && (argc == 4 || (argc == 5 && !strcmp(argv[4], "--no-media"))))
        return publish(argv[2], argv[3], argc == 4);
    return usage();
}
