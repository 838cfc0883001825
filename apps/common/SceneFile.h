#ifndef GLOSSPIN_APPS_SCENEFILE_H
#define GLOSSPIN_APPS_SCENEFILE_H

#include <string>

#include <Inventor/SoLists.h>
#include <Inventor/SoType.h>

class SoNode;
class SoSeparator;

// Reading and writing whole scene files for the programs: the toolkit's
// read errors are gathered into one text, and a written file replaces its
// target only once it is whole.

// The scene in path, referenced once; NULL with the reason in why (the
// system's, or the toolkit's read errors one per line, with their line
// numbers in an ASCII file). A model of another format is imported
// (ZnModelImporter): imported is then set, and what it left out is in
// warnings, one a line.
SoSeparator *gspReadSceneFile(const char *path, std::string &why, bool *imported = NULL,
                              std::string *warnings = NULL);

// What an import brought in, and what it left out, one a line.
struct GspImportedModel {
    std::string format, warnings;
    int nodes = 0, meshes = 0, textures = 0;
    long triangles = 0;
};

// The model in path (ZnModelImporter), referenced once; NULL with the
// importer's reason. The import runs in a child process under limits of
// memory and time: the model library crashes, hangs or grows without
// bound on some damaged files, and none of that may take the program,
// and the scene it holds, with it. The child hands the scene over in
// the binary file form.
SoSeparator *gspImportModel(const char *path, GspImportedModel &model, std::string &why);

// Whether path begins as a scene file of the toolkit does, ASCII or binary.
bool gspIsSceneFile(const char *path);

// Writes root into path in ASCII or binary. The target is replaced only
// when the whole scene is written; with keepPrevious the file it replaces
// stays as path~. False with the reason in why, and path as it was.
bool gspWriteSceneFile(SoNode *root, const char *path, bool binary, bool keepPrevious,
                       std::string &why);

// Whether path (a full name) is one of the notes' own temporary files:
// the notes delete them, so no scene or other note may live in one.
bool gspIsNoteTemporaryFile(const std::string &path);

// Paths to every node of type under root, those inside node kits (the
// markers' notes and note lists) included, in traversal order.
SoPathList gspFindAll(SoNode *root, SoType type);

#endif
