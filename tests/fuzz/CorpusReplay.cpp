#include "fuzz/Fuzzers.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

void replayCorpus(const char *dir, int (*fuzz)(const uint8_t *data, size_t size))
{
    std::vector<std::string> files;
    if (DIR *d = opendir(dir)) {
        while (struct dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                files.push_back(std::string(dir) + "/" + e->d_name);
        closedir(d);
    }
    ASSERT_FALSE(files.empty()) << dir;
    for (const std::string &f : files) {
        std::ifstream in(f, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        std::string bytes = s.str();
        SCOPED_TRACE(f);
        EXPECT_EQ(0, fuzz((const uint8_t *)bytes.data(), bytes.size()));
    }
}
