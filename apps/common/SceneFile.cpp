#include "SceneFile.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodekits/SoBaseKit.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/nodes/SoSeparator.h>

#include <Glosspin/ZnModelImporter.h>

#include "platform/FileReplacement.h"

namespace {

struct ReadErrors {
    std::string *text;
    SoInput *in;
};

// One line a read error, without the toolkit's heading, ending in its
// line number; a binary file has no lines worth naming.
void collectReadError(const SoError *error, void *data)
{
    ReadErrors *errors = (ReadErrors *)data;
    std::string text = error->getDebugString().getString();
    const char prefix[] = "Inventor read error: ";
    if (text.compare(0, sizeof prefix - 1, prefix) == 0)
        text.erase(0, sizeof prefix - 1);
    size_t at = text.find("Occurred at line");
    int line = 0;
    if (at != std::string::npos) {
        sscanf(text.c_str() + at, "Occurred at line %d", &line);
        text.erase(at);
    }
    while (!text.empty() && isspace((unsigned char)text.back()))
        text.pop_back();
    for (char &c : text)
        if (c == '\n' || c == '\t')
            c = ' ';
    if (line > 0 && !errors->in->isBinary())
        text += " (line " + std::to_string(line) + ")";
    *errors->text += (errors->text->empty() ? "" : "\n") + text;
}

}

bool gspIsSceneFile(const char *path)
{
    char line[256] = "";
    FILE *f = fopen(path, "rb");
    bool header = f && fgets(line, sizeof line, f);
    if (f)
        fclose(f);
    line[strcspn(line, "\n")] = '\0';
    return header && SoDB::isValidHeader(line);
}

SoSeparator *gspImportModel(const char *path, ZnModelImporter &importer, std::string &why,
                            std::string &warnings)
{
    SoSeparator *root = importer.readFile(path);
    if (!root) {
        why = importer.getErrorMessage().getString();
        return NULL;
    }
    root->ref();
    for (int i = 0; i < importer.getNumWarnings(); i++)
        warnings += (warnings.empty() ? "" : "\n") + std::string(importer.getWarning(i).getString());
    return root;
}

SoSeparator *gspReadSceneFile(const char *path, std::string &why, bool *imported,
                              std::string *warnings)
{
    why.clear();
    if (imported)
        *imported = false;
    if (ZnModelImporter::isModelFile(path) && !gspIsSceneFile(path)) {
        ZnModelImporter importer;
        std::string left;
        SoSeparator *root = gspImportModel(path, importer, why, warnings ? *warnings : left);
        if (imported)
            *imported = root != NULL;
        return root;
    }
    SoErrorCB *oldHandler = SoReadError::getHandlerCallback();
    void *oldData = SoReadError::getHandlerData();
    SoInput in;
    ReadErrors errors = {&why, &in};
    SoReadError::setHandlerCallback(collectReadError, &errors);
    SoSeparator *root = NULL;
    errno = 0;
    if (!in.openFile(path, TRUE)) {
        if (why.empty())
            why = strerror(errno ? errno : ENOENT);
    } else if (!in.isValidFile()) {
        why = "This is not a scene file.";
    } else if ((root = SoDB::readAll(&in)) != NULL) {
        root->ref();
    } else if (why.empty()) {
        why = "This is not a scene file.";
    }
    SoReadError::setHandlerCallback(oldHandler, oldData);
    return root;
}

bool gspWriteSceneFile(SoNode *root, const char *path, bool binary, bool keepPrevious,
                       std::string &why)
{
    GspFileReplacement file(path);
    int fd = file.descriptor() >= 0 ? dup(file.descriptor()) : -1;
    FILE *fp = fd >= 0 ? fdopen(fd, "w") : NULL;
    if (!fp) {
        why = strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    SoOutput output;
    output.setFilePointer(fp);
    output.setBinary(binary);
    SoWriteAction wa(&output);
    wa.apply(root);
    errno = 0;
    bool ok = fflush(fp) == 0 && !ferror(fp);
    int err = errno;
    if (fclose(fp) != 0 && ok)
        ok = false, err = errno;
    if (ok && !file.commit(keepPrevious))
        ok = false, err = errno;
    if (!ok)
        why = strerror(err ? err : EIO);
    return ok;
}

SoPathList gspFindAll(SoNode *root, SoType type)
{
    SbBool kits = SoBaseKit::isSearchingChildren();
    SoBaseKit::setSearchingChildren(TRUE);
    SoSearchAction sa;
    sa.setType(type);
    sa.setInterest(SoSearchAction::ALL);
    sa.setSearchingAll(TRUE);
    sa.apply(root);
    SoBaseKit::setSearchingChildren(kits);
    return sa.getPaths();
}
