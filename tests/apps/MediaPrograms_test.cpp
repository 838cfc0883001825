// The media programs with the real tools behind them: mediagrab records
// from ffmpeg's synthetic sources in each mode, clipviewer plays a movie
// once and exits, soundplay plays to a null device, picshow opens its
// window at the place asked for, and a file they cannot read fails.
#include "support/Test.h"

#include "platform/MediaLength.h"

namespace {

const std::string programs = GLOSSPIN_PROGRAM_DIR, mediagrab = GLOSSPIN_MEDIAGRAB;

// The command's exit status, or -1 when it ran longer than the limit.
int run(const std::string &command, int seconds = 30)
{
    std::string line = "timeout " + std::to_string(seconds) + " " + command + " 2>/dev/null";
    int status = system(line.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) != 124 ? WEXITSTATUS(status) : -1;
}

std::string output(const std::string &command)
{
    std::string out;
    GspTest::run(command, out);
    return out;
}

class MediaProgramsTest : public ::testing::Test {
  protected:
    GspTest::Env sources{{"MEDIAGRAB_VIDEO_INPUT", "-f lavfi -i testsrc=size=160x120:rate=15"},
                         {"MEDIAGRAB_AUDIO_INPUT", "-f lavfi -i sine=sample_rate=11025"}};
    std::string grab(const char *mode, const char *name, const char *seconds)
    {
        std::string file = tmp.file(name);
        EXPECT_EQ(0, run(mediagrab + " -nofork -" + mode + " -duration " + seconds +
                         " -fixedFile " + file))
            << mode;
        return file;
    }
    TempDir tmp;
};

}

TEST_F(MediaProgramsTest, RecordsEachModeAndPlaysItBack)
{
    std::string movie = grab("video", "clip.mv", "2");
    std::string sound = grab("audio", "voice.aifc", "2");
    std::string image = grab("snapshot", "still.rgb", "1");
    EXPECT_NEAR(2.0, GspMediaLength::movie(movie.c_str()), 0.15);
    EXPECT_NEAR(2.0, GspMediaLength::sound(sound.c_str()), 0.15);
    EXPECT_EQ("SGI 160x120", output("identify -format '%m %wx%h' " + image));

    EXPECT_EQ(0, run(programs + "/clipviewer -nofork -l 1 -S 10,10 " + movie));
    EXPECT_EQ(0, run(programs + "/soundplay -nice " + sound));

    // Lower left corner 626 above the bottom of a 1024-line screen: the
    // 120-line window's top at 278, give or take its border.
    pid_t pid = GspTest::spawn({programs + "/picshow", "-f", "-o", "50", "626", image});
    std::string where = output("timeout 10 xdotool search --sync --name " + image +
                               " getwindowgeometry --shell");
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    int x = -1, y = -1;
    const char *at = strstr(where.c_str(), "X=");
    ASSERT_TRUE(at && sscanf(at, "X=%d\nY=%d", &x, &y) == 2) << where;
    EXPECT_NEAR(50, x, 8);
    EXPECT_NEAR(278, y, 8);
}

// A camera without a microphone records a movie without sound; a
// recorder closed without recording says it gave up (3).
TEST_F(MediaProgramsTest, AMovieWithoutMicrophoneAndARecorderGivenUp)
{
    TempDir::writeFile(tmp.file("alsa.conf"), "pcm.!default { type hw card 97 }\n");
    {
        GspTest::Env noMicrophone({{"MEDIAGRAB_AUDIO_INPUT", NULL},
                                   {"ALSA_CONFIG_PATH", tmp.file("alsa.conf").c_str()}});
        EXPECT_NEAR(1.0, GspMediaLength::movie(grab("video", "silent.mv", "1").c_str()), 0.15);
    }
    pid_t pid = GspTest::spawn({mediagrab, "-audio", "-fixedFile", tmp.file("no.aifc")});
    GspTest::topLevel();
    GspTest::closeByWindowManager(GspTest::awaitWindow("mediagrab"));
    EXPECT_EQ(3, GspTest::exitStatus(pid, 5000));
    EXPECT_NE(0, access(tmp.file("no.aifc").c_str(), F_OK));
}

// A recorder told to end in mid-recording ends its ffmpeg and leaves no
// file, however it is told.
TEST_F(MediaProgramsTest, ARecorderEndedMidRecordingLeavesNothing)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        std::string file = tmp.file("m" + std::to_string(sig) + ".mv");
        pid_t pid = GspTest::spawn({mediagrab, "-video", "-duration", "60", "-fixedFile", file});
        std::string temp = file + ".recording." + std::to_string(pid), ps;
        std::string pattern = file + ".[r]ecording";  // not the shell running pgrep
        ASSERT_TRUE(GspTest::pumpUntil([&] { return TempDir::exists(temp); }, 10000)) << sig;
        kill(pid, sig);
        GspTest::exitStatus(pid);
        EXPECT_NE(0, GspTest::run("pgrep -f '" + pattern + "'", ps)) << ps;
        EXPECT_FALSE(TempDir::exists(temp));
        EXPECT_FALSE(TempDir::exists(file));
    }
}

TEST_F(MediaProgramsTest, WhatCannotBeRecordedOrPlayedFails)
{
    std::string junk = tmp.file("junk.mv");
    TempDir::writeFile(junk, "not a movie");
    for (const char *player : {"clipviewer -l 1", "soundplay", "picshow -f"})
        EXPECT_NE(0, run(programs + "/" + player + " " + tmp.file("missing"))) << player;
    EXPECT_NE(0, run(programs + "/clipviewer -nofork -l 1 " + junk));
    // Without the tools behind them the players say so and fail at once.
    for (const char *player : {"clipviewer -l 1", "soundplay", "picshow -f"})
        EXPECT_EQ(1, run("env PATH=/nonexistent " + programs + "/" + player + " " + junk))
            << player;
    // A camera that does not exist leaves no file behind.
    GspTest::Env noCamera("MEDIAGRAB_VIDEO_INPUT", "-f v4l2 -i /dev/nonexistent");
    std::string movie = tmp.file("none.mv");
    EXPECT_EQ(1, run(mediagrab + " -video -duration 1 -fixedFile " + movie));
    EXPECT_NE(0, access(movie.c_str(), F_OK));
    // Nor does an ffmpeg that fails after starting its file, or leaves it empty.
    mkdir(tmp.file("bin").c_str(), 0755);
    for (const char *end : {"echo partial > \"$f\"; exit 1", ": > \"$f\""}) {
        GspTest::writeScript(tmp.file("bin/ffmpeg"), std::string("for f; do :; done\n") + end);
        std::vector<std::string> before = tmp.entries();
        EXPECT_EQ(1, run("env PATH=" + tmp.file("bin") + ":$PATH " + mediagrab +
                         " -audio -duration 1 -fixedFile " + tmp.file("v.aifc")))
            << end;
        EXPECT_EQ(before, tmp.entries()) << end;
    }
}
