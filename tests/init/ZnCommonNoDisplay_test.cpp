// Common services without an X display, as in a command-line tool: the
// error texts go to standard error, files are still cleaned up.
#include "support/Test.h"

#include "platform/HardwareProbe.h"

namespace {

std::string errorOutput(const char *key, const char *detailKey, const char *arg,
                        const char *detailArg)
{
    testing::internal::CaptureStderr();
    ZnCommon::displayError(key, detailKey, arg, detailArg);
    return testing::internal::GetCapturedStderr();
}

// Points the resource search at a file of our own for one test.
struct ResourceFile {
    TempDir dir;
    std::string oldPath;
    explicit ResourceFile(const std::string &text)
    {
        const char *p = getenv("XFILESEARCHPATH");
        oldPath = p ? p : "";
        TempDir::writeFile(dir.file("Glosspin"), text);
        setenv("XFILESEARCHPATH", (dir.path() + "/%N").c_str(), 1);
    }
    ~ResourceFile() { setenv("XFILESEARCHPATH", oldPath.c_str(), 1); }
};

}

TEST(CommonWithoutDisplay, ErrorTextsGoToStandardError)
{
    SoDB::init();
    ZnInit::initClasses();
    // The test environment points the search path at the source tree.
    EXPECT_STREQ("Glosspin : Error Dialog", ZnCommon::getResource("title_display_error", "x"));
    {
        ResourceFile res("Glosspin.cannotOpenNoteMsg: Cannot open the note.\n"
                         "Glosspin.fileNotReadableMsg: The file %s cannot be read.\n"
                         "Glosspin.title_display_error: Note trouble\n");
        EXPECT_EQ("Note trouble\nCannot open the note.\nThe file /tmp/x.rgb cannot be read.\n",
                  errorOutput("cannotOpenNoteMsg", "fileNotReadableMsg", NULL, "/tmp/x.rgb"));
        EXPECT_EQ("Note trouble\nUnknown error occurred\n",
                  errorOutput("noSuchKeyMsg", "noSuchDetailMsg", NULL, NULL));
    }
    // The built-in title, and an argument of none or several words.
    ResourceFile res("Glosspin.withArgMsg: [%s]\n");
    EXPECT_EQ("Glosspin : Error Dialog\n[]\n", errorOutput("withArgMsg", NULL, NULL, NULL));
    EXPECT_EQ("Glosspin : Error Dialog\n[a b]\n", errorOutput("withArgMsg", NULL, "a b", NULL));
}

TEST(HardwareProbe, AudioInputAndOutputFollowTheDeviceConfiguration)
{
    // A null device opens both ways; a configuration without any device
    // opens neither; output without input (speakers, no microphone).
    struct {
        const char *config;
        int capture, playback;
    } cases[] = {
        {"pcm.!default { type null }\n", 1, 1},
        {"pcm.!default { type hw card 97 }\n", 0, 0},
        {"pcm.!default { type asym playback.pcm { type null }\n"
         "  capture.pcm { type hw card 97 } }\n", 0, 1},
    };
    TempDir dir;
    for (auto &c : cases) {
        // A file of its own each: ALSA keeps a file it has read.
        std::string conf = dir.file(std::to_string(&c - cases) + ".conf");
        TempDir::writeFile(conf, c.config);
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
        EXPECT_EQ(c.capture, GspHardwareProbe::audioCaptureUsable()) << c.config;
        EXPECT_EQ(c.playback, GspHardwareProbe::audioPlaybackUsable()) << c.config;
    }
    unsetenv("ALSA_CONFIG_PATH");
}
