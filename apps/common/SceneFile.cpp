#include "SceneFile.h"

#include <ctype.h>
#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
#include <Glosspin/ZnNote.h>

#include "platform/FileCopy.h"
#include "platform/FileReplacement.h"
#include "platform/WriteAll.h"

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

namespace {

// What the child sends before the scene: "ok", the format, the counts
// and the warnings, one a line; or "error" and the reason.
std::string reportOf(ZnModelImporter &importer, bool ok)
{
    std::string error = importer.getErrorMessage().getString();
    if (error.find("bad_alloc") != std::string::npos)
        error = "the model library ran out of the memory an import may take";
    if (!ok)
        return "error\n" + error;
    std::string report = std::string("ok\n") + importer.getFormatName().getString() + "\n" +
                         std::to_string(importer.getNumNodes()) + " " +
                         std::to_string(importer.getNumMeshes()) + " " +
                         std::to_string(importer.getNumTriangles()) + " " +
                         std::to_string(importer.getNumTextures());
    for (int i = 0; i < importer.getNumWarnings(); i++)
        report += std::string("\n") + importer.getWarning(i).getString();
    return report;
}

// The child: the import under limits of memory and time, its report's
// length and report, then the scene in binary, all into fd.
void importInChild(const char *path, int fd)
{
    struct stat st;
    long long budget = stat(path, &st) == 0 ? 64LL * st.st_size : 0, data = 0;
    budget = budget > (4LL << 30) ? budget : (4LL << 30);
    if (FILE *f = fopen("/proc/self/status", "r")) {
        char line[256];
        while (fgets(line, sizeof line, f))
            if (sscanf(line, "VmData: %lld", &data) == 1)
                break;
        fclose(f);
    }
    struct rlimit memory = {(rlim_t)(data * 1024 + budget), (rlim_t)(data * 1024 + budget)};
    struct rlimit cpu = {300, 300};
    setrlimit(RLIMIT_DATA, &memory);
    setrlimit(RLIMIT_CPU, &cpu);
    ZnModelImporter importer;
    SoSeparator *root = importer.readFile(path);
    std::string report = reportOf(importer, root != NULL);
    uint64_t length = report.size();
    if (!gspWriteAll(fd, &length, sizeof length) || !gspWriteAll(fd, report.data(), report.size()))
        _exit(1);
    FILE *out = root ? fdopen(fd, "w") : NULL;
    if (out) {
        root->ref();
        SoOutput output;
        output.setFilePointer(out);
        output.setBinary(TRUE);
        SoWriteAction wa(&output);
        wa.apply(root);
        fflush(out);
    }
    _exit(0);
}

std::string readAll(int fd)
{
    std::string bytes;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            bytes.append(buf, (size_t)n);
    return bytes;
}

}

SoSeparator *gspImportModel(const char *path, GspImportedModel &model, std::string &why)
{
    int fds[2];
    if (pipe(fds) != 0) {
        why = strerror(errno);
        return NULL;
    }
    fflush(NULL);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        importInChild(path, fds[1]);
    }
    close(fds[1]);
    std::string bytes = pid > 0 ? readAll(fds[0]) : "";
    close(fds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        why = strerror(pid < 0 ? errno : ECHILD);
        return NULL;
    }
    uint64_t length = 0;
    if (bytes.size() >= sizeof length)
        memcpy(&length, bytes.data(), sizeof length);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || length > bytes.size() - sizeof length) {
        why = WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU
                  ? "the model library took more than 300 s over it"
              : WIFSIGNALED(status)
                  ? std::string("the model library failed on it (") + strsignal(WTERMSIG(status)) +
                        ", or out of memory)"
                  : "the model library failed on it";
        return NULL;
    }
    std::string report = bytes.substr(sizeof length, (size_t)length);
    if (report.compare(0, 6, "error\n") == 0) {
        why = report.substr(6);
        return NULL;
    }
    // "ok", the format, the counts, then the warnings.
    size_t formatAt = report.find('\n') + 1, countsAt = report.find('\n', formatAt) + 1,
           warningsAt = report.find('\n', countsAt);
    model.format = report.substr(formatAt, countsAt - 1 - formatAt);
    sscanf(report.c_str() + countsAt, "%d %d %ld %d", &model.nodes, &model.meshes,
           &model.triangles, &model.textures);
    model.warnings = warningsAt == std::string::npos ? "" : report.substr(warningsAt + 1);
    SoInput in;
    size_t sceneAt = sizeof length + (size_t)length;
    in.setBuffer((void *)(bytes.data() + sceneAt), bytes.size() - sceneAt);
    SoSeparator *root = SoDB::readAll(&in);
    if (root)
        root->ref();
    else
        why = "the imported scene did not read back";
    return root;
}

SoSeparator *gspReadSceneFile(const char *path, std::string &why, bool *imported,
                              std::string *warnings)
{
    why.clear();
    if (imported)
        *imported = false;
    if (ZnModelImporter::isModelFile(path) && !gspIsSceneFile(path)) {
        GspImportedModel model;
        SoSeparator *root = gspImportModel(path, model, why);
        if (warnings)
            *warnings = model.warnings;
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

bool gspIsNoteTemporaryFile(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos ||
        path.compare(slash + 1, strlen(ZnNote::NOTE_BASE), ZnNote::NOTE_BASE) != 0)
        return false;
    return gspSameFile(slash ? path.substr(0, slash).c_str() : "/", ZnNote::getTempDirName());
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
