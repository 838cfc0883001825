// Every installed program answers --help with its synopsis on standard
// output and status 0, and an unknown option with the same synopsis on
// standard error and status 2, without a display.
#include "support/Test.h"

TEST(ProgramUsage, HelpAndUnknownOptions)
{
    const struct {
        const char *name, *path;
    } programs[] = {{"glosspin", GLOSSPIN_APP},          {"glosspin-scene", GLOSSPIN_SCENE_TOOL},
                    {"3dNoteViewer", GLOSSPIN_VIEWER},   {"mediagrab", GLOSSPIN_MEDIAGRAB},
                    {"glosspin-monitord", GLOSSPIN_MONITORD},
                    {"clipviewer", GLOSSPIN_PROGRAMS "/clipviewer"},
                    {"soundplay", GLOSSPIN_PROGRAMS "/soundplay"},
                    {"picshow", GLOSSPIN_PROGRAMS "/picshow"}};
    for (const auto &p : programs) {
        std::string help, wrong, synopsis = std::string("usage: ") + p.name + " ";
        EXPECT_EQ(0, GspTest::run(std::string("DISPLAY= '") + p.path + "' --help 2>/dev/null", help));
        EXPECT_EQ(0u, help.find(synopsis)) << p.name << ": " << help;
        EXPECT_EQ(2, GspTest::run(std::string("DISPLAY= '") + p.path + "' --no-such-option 2>&1 >/dev/null",
                                  wrong));
        EXPECT_EQ(help.substr(0, help.find('\n')), wrong.substr(0, wrong.find('\n'))) << p.name;
    }
}
