#include <Glosspin/ZnWebPublisher.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Inventor/nodes/SoNode.h>

#include "note/NoteIcons.h"
#include "platform/FileCopy.h"
#include "publish/PageWriter.h"
#include "publish/PngImage.h"

// The page's script and style, embedded at build time.
extern const char gspPageScript[];
extern const char gspPageStyle[];

struct ZnWebPublisher::Publishing {
    std::vector<std::string> warnings;
    std::vector<SbString> warningTexts;
};

namespace {

// three.js files the page loads, as Debian lays them out, and their
// names in the published folder.
const struct {
    const char *from, *to;
} THREE_FILES[] = {{"build/three.min.js", "three/three.min.js"},
                   {"examples/js/loaders/GLTFLoader.js", "three/GLTFLoader.js"},
                   {"examples/js/controls/OrbitControls.js", "three/OrbitControls.js"}};

int removeEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

void removeTree(const std::string &dir)
{
    nftw(dir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string errnoText(const std::string &what)
{
    return what + ": " + strerror(errno);
}

// Inside the kernel where it can, as the notes copy their data files.
bool copyFile(const std::string &from, const std::string &to, std::string &why)
{
    struct stat st;
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0 || fstat(in, &st) != 0) {
        why = errnoText("cannot read " + from);
        if (in >= 0)
            close(in);
        return false;
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = out >= 0 && gspCopyRange(in, 0, out, (size_t)st.st_size);
    int err = errno;
    close(in);
    if (out >= 0 && close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        errno = err;
        why = errnoText("cannot copy " + from + " to " + to);
    }
    return ok;
}

bool writeIcons(const std::string &dir, std::string &why)
{
    if (mkdir((dir + "/icons").c_str(), 0755) != 0) {
        why = errnoText("cannot make " + dir + "/icons");
        return false;
    }
    for (const GspPageKind &kind : GSP_PAGE_KINDS) {
        std::string base = dir + "/icons/" + kind.name;
        if (!gspWriteFile(base + ".png",
                          gspPngOfBottomUp(kind.icon, GSP_ICON_SIZE, GSP_ICON_SIZE, 3), why) ||
            !gspWriteFile(base + "_active.png",
                          gspPngOfBottomUp(kind.activeIcon, GSP_ICON_SIZE, GSP_ICON_SIZE, 3), why))
            return false;
    }
    return true;
}

// The files every page of the folder shares.
bool writeShared(const std::string &dir, std::string &why)
{
    std::string three = ZnWebPublisher::getThreeDirectory().getString();
    if (mkdir((dir + "/three").c_str(), 0755) != 0) {
        why = errnoText("cannot make " + dir + "/three");
        return false;
    }
    for (const auto &f : THREE_FILES)
        if (!copyFile(three + "/" + f.from, dir + "/" + f.to, why)) {
            why += " (three.js, from Debian's libjs-three)";
            return false;
        }
    return gspWriteFile(dir + "/glosspin.js", gspPageScript, why) &&
           gspWriteFile(dir + "/glosspin.css", gspPageStyle, why) && writeIcons(dir, why);
}

// What may be replaced: nothing, an empty folder, or an earlier page.
bool replaceable(const std::string &dir, bool &exists, std::string &why)
{
    struct stat st;
    exists = lstat(dir.c_str(), &st) == 0;
    if (!exists)
        return true;
    if (!S_ISDIR(st.st_mode)) {
        why = dir + " exists and is not a folder";
        return false;
    }
    DIR *d = opendir(dir.c_str());
    if (!d) {
        why = errnoText("cannot read " + dir);
        return false;
    }
    bool empty = true;
    while (struct dirent *e = readdir(d))
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
            empty = false;
    closedir(d);
    if (empty || access((dir + "/glosspin.js").c_str(), F_OK) == 0)
        return true;
    why = dir + " is a folder that holds something other than a published page";
    return false;
}

// The new folder takes the target's name; what was there goes after.
bool moveIntoPlace(const std::string &fresh, const std::string &dir, bool exists,
                   std::string &why)
{
    if (!exists) {
        if (rename(fresh.c_str(), dir.c_str()) == 0)
            return true;
        why = errnoText("cannot rename the page to " + dir);
        return false;
    }
    std::string old = fresh + ".old";
    if (rename(dir.c_str(), old.c_str()) != 0) {
        why = errnoText("cannot move " + dir + " aside");
        return false;
    }
    if (rename(fresh.c_str(), dir.c_str()) != 0) {
        why = errnoText("cannot rename the page to " + dir);
        rename(old.c_str(), dir.c_str());
        return false;
    }
    removeTree(old);
    return true;
}

std::string parentOf(const std::string &dir)
{
    size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : dir.substr(0, slash);
}

}

ZnWebPublisher::ZnWebPublisher() : publishing(new Publishing), convertMedia(TRUE), startCamera(NULL)
{
}

ZnWebPublisher::~ZnWebPublisher() { delete publishing; }

SbString ZnWebPublisher::getThreeDirectory()
{
    const char *env = getenv("GLOSSPIN_THREE_DIR");
    return env && *env ? env : "/usr/share/javascript/three";
}

int ZnWebPublisher::getNumWarnings() const { return (int)publishing->warningTexts.size(); }

const SbString &ZnWebPublisher::getWarning(int i) const { return publishing->warningTexts[i]; }

SbBool ZnWebPublisher::publish(SoNode *scene, const char *dirName, const char *title)
{
    publishing->warnings.clear();
    publishing->warningTexts.clear();
    error = "";
    std::string dir = dirName ? dirName : "", why;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    bool exists = false;
    if (!scene || dir.empty()) {
        error = "nothing to publish";
        return FALSE;
    }
    if (!replaceable(dir, exists, why)) {
        error = why.c_str();
        return FALSE;
    }
    std::string parent = parentOf(dir), base = dir.substr(dir.find_last_of('/') + 1);
    std::string fresh = parent + "/." + base + ".XXXXXX";
    std::vector<char> name(fresh.begin(), fresh.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        error = errnoText("cannot write in " + parent).c_str();
        return FALSE;
    }
    fresh = name.data();
    chmod(fresh.c_str(), 0755);
    scene->ref();
    GspPageWriter page(fresh, "", convertMedia, publishing->warnings);
    page.setCamera(startCamera);
    bool ok = writeShared(fresh, why) && page.write(scene, title ? title : "", why) &&
              moveIntoPlace(fresh, dir, exists, why);
    scene->unrefNoDelete();
    if (!ok) {
        removeTree(fresh);
        error = why.c_str();
    }
    for (const std::string &w : publishing->warnings)
        publishing->warningTexts.push_back(w.c_str());
    return ok;
}
