// Every resource key the library's sources look up has an English text in
// the shipped resource file, so that no known failure shows the
// toolkit's "unknown error" text.
#include "support/Test.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

static std::string slurp(const fs::path &p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ResourceFileKeys, EveryKeyLookedUpHasAText)
{
    std::set<std::string> defined;
    std::istringstream file(slurp(GLOSSPIN_RESOURCE_FILE));
    std::string line;
    std::regex entry("^Glosspin\\.([A-Za-z_0-9]+):\\s*\\S");
    std::smatch m;
    while (std::getline(file, line))
        if (std::regex_search(line, m, entry))
            defined.insert(m[1]);
    ASSERT_FALSE(defined.empty());

    // Keys are string literals passed to the two lookup functions, and
    // message keys (ending in Msg) chosen before the call.
    std::regex call("(displayError|getResource)\\(\\s*\"([A-Za-z_0-9]+)\""
                    "(\\s*,\\s*\"([A-Za-z_0-9]+)\")?"
                    "|\"()([a-z][A-Za-z0-9]*Msg(Part2)?)\"");
    int found = 0;
    for (const char *dir : {"src", "apps"})
        for (const auto &e : fs::recursive_directory_iterator(
                 fs::path(GLOSSPIN_SOURCE_DIR) / dir)) {
            if (e.path().extension() != ".cpp")
                continue;
            std::string text = slurp(e.path());
            for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
                for (int group : {2, 4, 6}) {
                    std::string key = (*it)[group];
                    // The second text of getResource is its default, not a key.
                    if (key.empty() || (group == 4 && (*it)[1] != "displayError"))
                        continue;
                    found++;
                    EXPECT_TRUE(defined.count(key)) << key << " in " << e.path().filename();
                }
            }
        }
    EXPECT_GT(found, 10);
}
