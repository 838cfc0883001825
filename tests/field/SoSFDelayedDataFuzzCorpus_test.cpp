// Replays the fuzzer's kept inputs: seeds and every crash it ever found.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/DelayedFieldFuzz.h"

TEST(DelayedFieldFuzzCorpus, EveryKeptInputReadsSafely)
{
    std::vector<std::string> files;
    if (DIR *d = opendir(GLOSSPIN_FUZZ_CORPUS)) {
        while (struct dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                files.push_back(std::string(GLOSSPIN_FUZZ_CORPUS) + "/" + e->d_name);
        closedir(d);
    }
    ASSERT_FALSE(files.empty());
    for (const std::string &f : files) {
        std::ifstream in(f, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        std::string bytes = s.str();
        SCOPED_TRACE(f);
        // Aborts on a broken invariant, which fails the test binary.
        EXPECT_EQ(0, fuzzDelayedField((const uint8_t *)bytes.data(), bytes.size()));
    }
}
