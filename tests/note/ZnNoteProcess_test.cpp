// External players and editors with a stand-in program: exit statuses and
// their dialogs, stopping (a process group too), players left running on
// request, the program's own environment and resource file, one editor
// per note, pending notes, timed playback, 200 players that leave
// nothing behind, and a watcher channel lost early.
#include "support/Test.h"

#include <sys/socket.h>

#include "support/ProcNote.h"

namespace {

bool alive(int pid)
{
    return pid > 0 && kill(pid, 0) == 0;
}

// Stopping does not wait: the process goes, and is reaped, soon after.
bool gone(int pid, int ms = 4000)
{
    return GspTest::pumpUntil([&] { return !alive(pid); }, ms);
}

class NoteProcessTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        ZnNote::alwaysKillPlayers = 1;
        note = newNote();
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
    static ProcNote *newNote(std::vector<std::string> args = {})
    {
        ProcNote *n = new ProcNote;
        n->ref();
        n->playerArgs = args;
        return n;
    }
    // No child left unreaped.
    static bool allReaped()
    {
        errno = 0;
        return waitpid(-1, NULL, WNOHANG) == -1 && errno == ECHILD;
    }
    // The icon shows a player from its start to its end message.
    bool playerEnds(int ms = 5000)
    {
        return GspTest::pumpUntil([&] { return !note->iconActive(); }, ms);
    }
    // Starts the player and returns its process id once it has arrived.
    int play(int autoPlay = 0)
    {
        note->playExternal(autoPlay);
        GspTest::pumpUntil([&] { return note->pid() >= 2; });
        return note->pid();
    }

    ProcNote *note = NULL;
    TempDir tmp;
    char oldCwd[4096];
};

}

TEST_F(NoteProcessTest, StoppingEndsTheWholeGroupUnlessPlayersAreKept)
{
    note->leadGroup() = 1;
    note->playerArgs = {"group", tmp.file("child")};
    int pid = play();
    ASSERT_GE(pid, 2);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return TempDir::exists(tmp.file("child")); }));
    int child = atoi(TempDir::readFile(tmp.file("child")).c_str());
    ASSERT_TRUE(alive(child));
    note->killPlayer();
    EXPECT_FALSE(note->iconActive());
    EXPECT_TRUE(gone(pid));
    EXPECT_TRUE(gone(child));

    // Neither always killing nor tracking: the player stays, forgotten.
    ZnNote::alwaysKillPlayers = 0;
    note->track() = 0;
    note->leadGroup() = 0;
    note->playerArgs = {"sleep"};
    pid = play();
    ASSERT_GE(pid, 2);
    note->killPlayer();
    EXPECT_FALSE(note->isPlaying());
    EXPECT_FALSE(gone(pid, 300));
    kill(pid, SIGKILL);

    // A player that ignores the request to end is killed after a grace
    // period instead of blocking the application for ever.
    ZnNote::alwaysKillPlayers = 1;
    note->track() = 1;
    note->playerArgs = {"ignore-term"};
    pid = play();
    GspTest::pumpEvents(100);
    note->killPlayer();
    EXPECT_FALSE(gone(pid, 1500));
    EXPECT_TRUE(gone(pid, 2000));
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
    ASSERT_TRUE(GspTest::pumpUntil([&] { return note->resourceFile().getLength() > 0; }));
    std::string resource = note->resourceFile().getString();
    ASSERT_TRUE(playerEnds());
    std::string env = TempDir::readFile(tmp.file("env"));
    EXPECT_NE(std::string::npos, env.find("GLRES=*.autoFork:False\n")) << env;
    EXPECT_NE(std::string::npos, env.find("XENVIRONMENT=" + resource + "\n")) << env;
    EXPECT_NE(std::string::npos, env.find("*geometry:300x200+10+20\n")) << env;
    EXPECT_EQ(NULL, getenv("GLRES"));  // the application's own is untouched
    EXPECT_FALSE(TempDir::exists(resource));

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
    ASSERT_TRUE(GspTest::pumpUntil([&] { return note->editor() >= 2; }));
    int pid = note->editor();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !TempDir::readFile(tmp.file("starts")).empty(); }));
    note->editExternal();  // refused
    EXPECT_EQ(pid, note->editor());
    GspTest::pumpEvents(200);
    EXPECT_EQ("started\n", TempDir::readFile(tmp.file("starts")));
    note->killEditor();
    EXPECT_FALSE(note->isEditing());
    EXPECT_TRUE(gone(pid));

    note->isPendingNote = 1;
    GspTest::PendingReports &reports = GspTest::watchPending(note);
    note->editorArgs = {"exit", "0"};
    note->editExternal();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !note->isEditing() && reports.finished > 0; }));
    EXPECT_EQ(0, reports.ready);
    note->pendingData = 1;
    note->editExternal();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return reports.ready > 0; }));
    EXPECT_EQ(1, reports.finished);
    EXPECT_FALSE(note->wasImported.getValue());
}

TEST_F(NoteProcessTest, ATimedPlaybackEndsAfterItsLifetime)
{
    note->lifetimeType = 1;
    note->lifetime = 1.0f;
    int &done = GspTest::countPlaybackEnds(note);
    note->playerArgs = {"sleep"};
    SbTime start = SbTime::getTimeOfDay();
    int pid = play(1);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return done > 0; }, 5000));
    double took = (SbTime::getTimeOfDay() - start).getValue();
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 2.5);  // the lifetime, with room for a loaded machine
    EXPECT_TRUE(gone(pid));
    // For the media's duration: the lifetime plays no part.
    note->lifetimeType = 2;
    note->lifetime = 0.2f;
    done = 0;
    pid = play(1);
    GspTest::pumpEvents(600);
    EXPECT_EQ(0, done);
    EXPECT_TRUE(alive(pid));
    note->killPlayer();
}

// Exit statuses: a non-zero one (or no program) is a failure; a player
// killed from outside ended but did not fail. 200 players of every kind
// leave no process, descriptor or file behind.
TEST_F(NoteProcessTest, TwoHundredPlayersLeaveNothingBehind)
{
    int descriptors = GspTest::openDescriptors();
    std::vector<int> pids;
    const std::vector<std::string> kinds[] = {
        {"exit", "0"}, {"exit", "5"}, {"sleep"}, {"no-such-mode"}, {"sleep"}};
    for (int i = 0; i < 200; i++) {
        note->playerArgs = kinds[i % 5];
        note->playerWidth = i % 2 ? 100 : -1;  // half with a resource file
        if (i % 5 >= 2 && i % 5 != 3) {
            pids.push_back(play());
            if (i % 5 == 2)
                note->killPlayer();
            else
                kill(pids.back(), SIGKILL);
        } else {
            note->playExternal(0);
        }
        playerEnds();
    }
    EXPECT_FALSE(note->isPlaying());
    EXPECT_EQ(80, note->playerFailures);  // status 5 and status 99
    for (int pid : pids)
        EXPECT_TRUE(gone(pid)) << pid;
    // The watchers reap their programs and close their ends by themselves.
    EXPECT_TRUE(GspTest::pumpUntil([&] {
        return allReaped() && GspTest::openDescriptors() == descriptors && tmp.entries().empty();
    }));
}

// A watcher whose channel closes before the end is reported: the error
// dialog says so once, nothing spins on the dead channel, and stopping
// still ends the program.
TEST_F(NoteProcessTest, ALostChannelIsReportedOnceAndStoppingStillWorks)
{
    for (bool player : {true, false}) {
        SCOPED_TRACE(player ? "player" : "editor");
        note->playerArgs = note->editorArgs = {"sleep"};
        if (player)
            note->playExternal(0);
        else
            note->editExternal();
        auto pid = [&] { return player ? note->pid() : note->editor(); };
        ASSERT_TRUE(GspTest::pumpUntil([&] { return pid() >= 2; }));
        int child = pid();
        shutdown(note->channel(player), SHUT_RDWR);
        std::string text = GspTest::awaitError();
        EXPECT_EQ(0u, text.find(ZnCommon::getResource(player ? "lostPlayerMsg" : "lostEditorMsg")))
            << text;
        EXPECT_EQ(-1, note->channel(player));
        GspTest::destroyPopups();
        EXPECT_EQ("", GspTest::awaitError(100));  // reported once
        player ? note->killPlayer() : note->killEditor();
        EXPECT_TRUE(gone(child));
    }
}

// A start that cannot be made leaves the note as it was.
TEST_F(NoteProcessTest, AFailedEditorStartChangesNothing)
{
    note->author = "before";
    note->timestamp = SbTime(5.0);
    note->editorArgs = {"sleep"};
    // No descriptor left for the report channel.
    struct rlimit old;
    getrlimit(RLIMIT_NOFILE, &old);
    struct rlimit full = {(rlim_t)GspTest::openDescriptors() + 64, old.rlim_max};
    setrlimit(RLIMIT_NOFILE, &full);
    std::vector<int> fillers;
    for (int fd; (fd = dup(0)) >= 0;)
        fillers.push_back(fd);
    note->editExternal();
    for (int fd : fillers)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_EQ(SbString("before"), note->author.getValue());
    EXPECT_EQ(SbTime(5.0), note->timestamp.getValue());
    EXPECT_FALSE(note->iconActive());
    EXPECT_FALSE(GspTest::pumpUntil([&] { return note->editor() >= 2; }, 200));
}
