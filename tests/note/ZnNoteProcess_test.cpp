// External players and editors with a stand-in program: exit statuses and
// their dialogs, stopping (a process group too), players left running on
// request, the program's own environment and resource file, one editor
// per note, pending notes, timed playback, and 200 players that leave
// nothing behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnNote.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/ProcNote.h"
#include "support/RenderWindow.h"
#include "support/TempDir.h"
#include "support/XtTestEnv.h"

namespace {


bool alive(int pid)
{
    return pid > 0 && kill(pid, 0) == 0;
}

int openDescriptors()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d))
            n++;
        closedir(d);
    }
    return n;
}

int readPid(const std::string &path)
{
    std::string s = TempDir::readFile(path);
    return s.empty() ? -1 : atoi(s.c_str());
}

class NoteProcessTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        if (ProcNote::getClassTypeId() == SoType::badType())
            ProcNote::initClass();
        ZnNote::alwaysKillPlayers = 1;
        note = new ProcNote;
        note->ref();
        static char icon[24 * 24 * 3], active[24 * 24 * 3];
        note->setIconData(24, 24, icon);
        note->setActiveIconData(active);
        getcwd(oldCwd, sizeof oldCwd);
        chdir(tmp.path().c_str());  // resource files go to the current directory
    }
    void TearDown() override
    {
        note->unref();
        ZnNote::alwaysKillPlayers = 1;
        chdir(oldCwd);
        XtTest::TearDown();
    }
    bool playerEnds(int ms = 5000)
    {
        return GspTest::pumpUntil([&] { return !note->isPlaying(); }, ms);
    }

    ProcNote *note = NULL;
    TempDir tmp;
    char oldCwd[4096];
};

}

TEST_F(NoteProcessTest, ExitStatusesAndSignalsReportAsTheyShould)
{
    note->playerArgs = {"exit", "3"};
    note->playExternal(0);
    int pid = note->pid();
    EXPECT_GE(pid, 2);
    EXPECT_TRUE(note->iconActive());
    ASSERT_TRUE(playerEnds());
    EXPECT_EQ(1, note->playerFailures);
    EXPECT_FALSE(note->iconActive());
    EXPECT_EQ(-1, waitpid(pid, NULL, WNOHANG));  // reaped already
    EXPECT_EQ(ECHILD, errno);

    note->playerArgs = {"exit", "0"};
    note->playExternal(0);
    ASSERT_TRUE(playerEnds());
    EXPECT_EQ(1, note->playerFailures);

    // Killed from outside: it ended, but did not fail.
    note->playerArgs = {"sleep"};
    note->playExternal(0);
    ASSERT_TRUE(note->isPlaying());
    kill(note->pid(), SIGKILL);
    ASSERT_TRUE(playerEnds());
    EXPECT_EQ(1, note->playerFailures);
}

TEST_F(NoteProcessTest, StoppingEndsTheWholeGroupUnlessPlayersAreKept)
{
    note->leadGroup = true;
    note->playerArgs = {"group", tmp.file("child")};
    note->playExternal(0);
    int pid = note->pid();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return readPid(tmp.file("child")) > 0; }));
    int child = readPid(tmp.file("child"));
    ASSERT_TRUE(alive(child));
    note->killPlayer();
    EXPECT_FALSE(note->isPlaying());
    EXPECT_FALSE(note->iconActive());
    EXPECT_FALSE(alive(pid));
    EXPECT_TRUE(GspTest::pumpUntil([&] { return !alive(child); }));

    // Neither always killing nor tracking: the player stays, forgotten.
    ZnNote::alwaysKillPlayers = 0;
    note->track() = 0;
    note->leadGroup = false;
    note->playerArgs = {"sleep"};
    note->playExternal(0);
    pid = note->pid();
    note->killPlayer();
    EXPECT_FALSE(note->isPlaying());
    EXPECT_TRUE(alive(pid));
    kill(pid, SIGKILL);

    // A player that ignores the request to end is killed after a grace
    // period instead of blocking the application for ever.
    ZnNote::alwaysKillPlayers = 1;
    note->track() = 1;
    note->playerArgs = {"ignore-term"};
    note->playExternal(0);
    pid = note->pid();
    GspTest::pumpEvents(100);
    note->killPlayer();
    EXPECT_FALSE(alive(pid));
}

TEST_F(NoteProcessTest, TheProgramGetsItsOwnEnvironmentAndGeometry)
{
    unsetenv("XENVIRONMENT");
    note->playerWidth = 300;
    note->playerHeight = 200;
    note->playerLocationX = 10;
    note->playerLocationY = 20;
    note->playerArgs = {"record", tmp.file("env")};
    note->playExternal(0);
    std::string resource = note->resourceFile().getString();
    EXPECT_EQ(0u, resource.find(".XResources.glosspin."));
    ASSERT_TRUE(playerEnds());
    std::string env = TempDir::readFile(tmp.file("env"));
    EXPECT_NE(std::string::npos, env.find("GLRES=*.autoFork:False\n")) << env;
    EXPECT_NE(std::string::npos, env.find("XENVIRONMENT=" + resource + "\n")) << env;
    EXPECT_NE(std::string::npos, env.find("*geometry:300x200+10+20\n")) << env;
    EXPECT_EQ(NULL, getenv("GLRES"));  // the application's own is untouched
    EXPECT_EQ(NULL, getenv("XENVIRONMENT"));
    EXPECT_FALSE(access(resource.c_str(), F_OK) == 0);

    note->playerWidth = -1;
    note->playerArgs = {"record", tmp.file("env2")};
    note->playExternal(0);
    ASSERT_TRUE(playerEnds());
    EXPECT_NE(std::string::npos, TempDir::readFile(tmp.file("env2")).find("XENVIRONMENT=\n"));
}

TEST_F(NoteProcessTest, OneEditorAtATimeAndPendingNotesWithoutData)
{
    note->editorArgs = {"append", tmp.file("starts")};
    note->editExternal();
    int pid = note->editor();
    ASSERT_GE(pid, 2);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !TempDir::readFile(tmp.file("starts")).empty(); }));
    testing::internal::CaptureStderr();
    note->editExternal();  // refused
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(pid, note->editor());
    GspTest::pumpEvents(200);
    EXPECT_EQ("started\n", TempDir::readFile(tmp.file("starts")));
    note->killEditor();
    EXPECT_FALSE(alive(pid));
    EXPECT_FALSE(note->isEditing());

    static int ready, finished;
    ready = finished = 0;
    note->isPendingNote = 1;
    note->pendingReadyCallback = [](ZnNote *, int) { ready++; };
    note->pendingFinishedCallback = [](ZnNote *, int) { finished++; };
    note->editorArgs = {"exit", "0"};
    note->editExternal();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !note->isEditing() && finished > 0; }));
    EXPECT_EQ(0, ready);
    EXPECT_EQ(1, finished);
    note->pendingData = 1;
    note->editExternal();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return ready > 0; }));
    EXPECT_EQ(1, finished);
    EXPECT_FALSE(note->wasImported.getValue());
}

TEST_F(NoteProcessTest, ATimedPlaybackEndsAfterItsLifetime)
{
    static int done;
    done = 0;
    note->lifetimeType = 1;
    note->lifetime = 0.3f;
    note->playerFinishedCallback = [](void *, int) { done++; };
    note->playerArgs = {"sleep"};
    note->playExternal(1);
    int pid = note->pid();
    GspTest::pumpEvents(100);
    EXPECT_TRUE(note->isPlaying());
    EXPECT_EQ(0, done);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return done > 0; }, 3000));
    EXPECT_FALSE(note->isPlaying());
    EXPECT_FALSE(alive(pid));
    EXPECT_EQ(0, note->playingInSequence);
}

TEST_F(NoteProcessTest, TwoHundredPlayersLeaveNothingBehind)
{
    int descriptors = openDescriptors();
    std::vector<int> pids;
    for (int i = 0; i < 200; i++) {
        switch (i % 4) {
        case 0: note->playerArgs = {"exit", "0"}; break;
        case 1: note->playerArgs = {"exit", "5"}; break;
        case 2: note->playerArgs = {"sleep"}; break;
        default: note->playerArgs = {"no-such-mode"}; break;
        }
        note->playerWidth = i % 2 ? 100 : -1;  // half with a resource file
        note->playExternal(0);
        pids.push_back(note->pid());
        if (i % 4 == 2)
            note->killPlayer();
        else
            playerEnds();
    }
    EXPECT_FALSE(note->isPlaying());
    EXPECT_EQ(100, note->playerFailures);  // status 5 and status 99
    for (int pid : pids)
        EXPECT_FALSE(alive(pid)) << pid;
    errno = 0;
    EXPECT_EQ(-1, waitpid(-1, NULL, WNOHANG));  // no child, no zombie
    EXPECT_EQ(ECHILD, errno);
    EXPECT_EQ(descriptors, openDescriptors());
    EXPECT_TRUE(tmp.entries().empty());  // no resource file left
}

// In a window: a click on the icon starts the program, the event loop
// goes on while it runs, and a later click stops it.
TEST_F(NoteProcessTest, ClicksStartAndStopTheProgramWithoutBlocking)
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    SoOrthographicCamera *camera = new SoOrthographicCamera;
    camera->position = SbVec3f(0, 0, 10);
    camera->nearDistance = 1;
    camera->farDistance = 20;
    root->addChild(camera);
    root->addChild(note);
    RenderWindow window(root);
    window.draw();
    ZnCommon::editMode = 1;
    auto click = [&](double seconds) {
        SoHandleEventAction ha(window.viewport());
        for (SoButtonEvent::State st : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
            SoMouseButtonEvent ev;
            ev.setButton(SoMouseButtonEvent::BUTTON1);
            ev.setState(st);
            SbVec2s centre = window.viewport().getWindowSize();
            ev.setPosition(SbVec2s(centre[0] / 2 + 5, centre[1] / 2 + 5));
            ev.setTime(SbTime(seconds));
            ha.setEvent(&ev);
            ha.apply(root);
        }
    };
    note->playerArgs = {"sleep"};
    click(10.0);
    ASSERT_TRUE(note->isPlaying());
    int pid = note->pid();
    GspTest::pumpEvents(300);  // events flow while it runs
    EXPECT_TRUE(alive(pid));
    click(11.0);
    EXPECT_FALSE(note->isPlaying());
    EXPECT_FALSE(alive(pid));
    root->unref();
}
