#include "support/TempDir.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    char tmpl[] = "/tmp/gsptest.XXXXXX";
    dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    const char *old = getenv("TMPDIR");
    hadTmpDir = old != NULL;
    if (old)
        oldTmpDir = old;
    setenv("TMPDIR", dir.c_str(), 1);
}

TempDir::~TempDir()
{
    for (const std::string &e : entries())
        unlink(file(e).c_str());
    rmdir(dir.c_str());
    if (hadTmpDir)
        setenv("TMPDIR", oldTmpDir.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

std::vector<std::string> TempDir::entries() const
{
    return entriesOf(dir);
}

std::vector<std::string> TempDir::entriesOf(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (struct dirent *e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void TempDir::writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string TempDir::readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}
