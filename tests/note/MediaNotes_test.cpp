// The movie, sound and image notes' players and recorders, with stand-in
// programs on PATH that log their arguments: the command lines, the place
// counted from the bottom of the screen, a missing program's error, and
// a sound without audio hardware.
#include "support/Test.h"

namespace {

typedef std::vector<std::string> Args;

class MediaNotesTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        mkdir(tmp.file("bin").c_str(), 0755);
        for (const char *program : {"clipviewer", "soundplay", "picshow", "mediagrab"})
            symlink(GLOSSPIN_TEST_ARGS_RECORDER, tmp.file("bin/" + std::string(program)).c_str());
        env.reset(new GspTest::Env(
            {{"PATH", (tmp.file("bin") + ":$PATH").c_str()}, {"GSP_ARGS_LOG", log.c_str()}}));
        TempDir::writeFile(media, "media bytes");
        ZnNote::newNotesInline = 0;
        ZnNote::screenLimits[1] = 1024;
        ZnMovieNote::hasVideoHW = ZnSoundNote::hasAudioHW = ZnSoundNote::hasAudioOutput = 1;
    }
    void TearDown() override
    {
        env.reset();
        ZnNote::newNotesInline = 1;
        XtTest::TearDown();
    }
    template <class Kind> Kind *note(int height = 0)
    {
        Kind *n = new Kind;
        n->ref();
        n->setDataFilename(media.c_str(), 0);
        n->playerLocationX = 50;
        n->playerLocationY = 100;
        n->playerHeight = height;
        return n;
    }
    // The program's arguments of its next run, its name first.
    Args nextRun()
    {
        size_t runs = count++;
        EXPECT_TRUE(
            GspTest::pumpUntil([&] { return GspTest::loggedRuns(log).size() > runs; }, 4000));
        std::vector<Args> all = GspTest::loggedRuns(log);
        return all.size() > runs ? all[runs] : Args();
    }

    TempDir tmp;
    std::string log = tmp.file("args.log"), media = tmp.file("clip.mv");
    std::unique_ptr<GspTest::Env> env;
    size_t count = 0;
};

}

TEST_F(MediaNotesTest, PlayersAndRecordersGetTheirCommandLines)
{
    const std::string f = media;
    struct {
        ZnNote *note;
        int autoPlay;  // -1: record
        Args expected;
    } cases[] = {
        {note<ZnMovieNote>(), 0, {"clipviewer", "-nofork", f}},
        {note<ZnMovieNote>(300), 1, {"clipviewer", "-nofork", "-l", "1", "-S", "50,626", f}},
        {note<ZnImageNote>(), 0, {"picshow", "-f", f}},
        {note<ZnImageNote>(300), 0, {"picshow", "-f", "-o", "50", "626", f}},
        {note<ZnSoundNote>(300), 0, {"soundplay", "-nice", f}},
        {note<ZnMovieNote>(),
         -1,
         {"mediagrab", "-nofork", "-guaranteeVideo", "-video", "-fixedMode", "video",
          "-movieFormat", "zyx", "-movieCompression", "mvc2", "-fixedFile", f}},
        {note<ZnSoundNote>(),
         -1,
         {"mediagrab", "-nofork", "-audio", "-fixedMode", "audio", "-fixedFile", f}},
        {note<ZnImageNote>(),
         -1,
         {"mediagrab", "-nofork", "-snapshot", "-guaranteeVideo", "-fixedMode", "snapshot",
          "still", "-fixedFile", f}},
    };
    for (auto &c : cases) {
        ZnSoundNote::hasAudioHW = c.autoPlay < 0;  // players need no microphone
        if (c.autoPlay < 0)
            c.note->edit();
        else
            c.note->play(c.autoPlay);
        EXPECT_EQ(c.expected, nextRun()) << c.expected[0];
        c.note->unref();
    }
}

TEST_F(MediaNotesTest, AMissingProgramOrAudioHardwareIsReported)
{
    // Neither on PATH nor where the library installs its programs.
    GspTest::Env none({{"PATH", "/nonexistent"}, {"GLOSSPIN_LIB_DIR", "/nonexistent"}});
    ZnImageNote *image = note<ZnImageNote>();
    image->play(0);
    EXPECT_NE(std::string::npos, GspTest::awaitError().find("picshow could not"));
    GspTest::destroyPopups();
    // The library's program directory is searched after PATH.
    GspTest::Env libDir("GLOSSPIN_LIB_DIR", tmp.file("bin"));
    image->play(0);
    EXPECT_EQ((Args{"picshow", "-f", media}), nextRun());
    image->unref();

    // Notes that cannot start: an automatic playback passes on (from the
    // event loop, once), a manual one says why nothing plays.
    ZnSoundNote::hasAudioOutput = 0;
    ZnImageNote *lost = note<ZnImageNote>();
    lost->setDataFilename(tmp.file("gone.rgb").c_str(), 0);
    ZnURLNote *link = new ZnURLNote;
    link->ref();
    link->url = "http://example.org/";
    link->startNextNote = 1;
    GspTest::Env noBrowser(
        {{"GLOSSPIN_LIB_DIR", GLOSSPIN_SCRIPT_DIR}, {"GLOSSPIN_BROWSER", "/nonexistent/browser"}});
    ZnViewNote *view = new ZnViewNote;
    view->ref();
    if (ZnCommon::cameraPath)
        ZnCommon::cameraPath->unref();
    ZnCommon::cameraPath = NULL;
    for (ZnNote *n : std::initializer_list<ZnNote *>{note<ZnSoundNote>(), lost, link, view}) {
        SCOPED_TRACE(n->getTypeId().getName().getString());
        int &finished = GspTest::countPlaybackEnds(n);
        n->play(1);
        EXPECT_TRUE(GspTest::pumpUntil([&] { return finished == 1; }, 4000));
        GspTest::pumpEvents(50);
        EXPECT_EQ(1, finished);
        EXPECT_FALSE(n->isPlaying());
        EXPECT_FALSE(GspTest::findManaged(GspTest::topLevel(), "Continue Dialog"));
        GspTest::destroyPopups();
        n->play(0);
        EXPECT_NE("", GspTest::awaitError(4000));
        GspTest::destroyPopups();
        n->unref();
    }
}

// A recorder that leaves garbage in the note's file: the edit ends, with
// the recorder's message only when it failed, and the garbage counts as
// media of no length (a movie or sound that does not open). One given up
// (status 3) leaves the note's media as they were, without a word.
TEST_F(MediaNotesTest, ARecorderThatWritesGarbageEndsTheEdit)
{
    for (int status : {0, 1, 3}) {
        bool gaveUp = status == 3;
        GspTest::writeScript(tmp.file("bin/mediagrab.new"),
                             "for f; do :; done\n" +
                                 std::string(gaveUp ? "" : "head -c 3000 /dev/urandom > \"$f\"\n") +
                                 "exit " + std::to_string(status) + "\n");
        rename(tmp.file("bin/mediagrab.new").c_str(), tmp.file("bin/mediagrab").c_str());
        for (ZnNote *n : {(ZnNote *)note<ZnMovieNote>(), (ZnNote *)note<ZnSoundNote>(),
                          (ZnNote *)note<ZnImageNote>()}) {
            SCOPED_TRACE(std::string(n->getTypeId().getName().getString()) + " exit " +
                         std::to_string(status));
            n->mediaLength = 5;
            n->edit();
            ASSERT_TRUE(GspTest::pumpUntil([&] { return !n->isEditing(); }, 5000));
            std::string messages = GspTest::awaitError(status == 1 ? 3000 : 50);
            EXPECT_EQ(status == 1, messages.find(ZnCommon::getResource("noMediagrabMsg")) !=
                                       std::string::npos)
                << messages;
            GspTest::destroyPopups();
            EXPECT_EQ(3000u, TempDir::readFile(media).size());  // a give-up leaves the last
            EXPECT_LE(n->mediaLength, 0);
            n->unref();
        }
    }
}

// The scene viewer from the library's program directory: a size only
// when both sizes are above 0, a place only when both coordinates are,
// then the scene file and the notes' directory (maybe empty). A scene
// note cannot be edited, and a viewer that cannot start is reported.
TEST_F(MediaNotesTest, TheSceneViewerGetsSizeAndPlaceOnlyWhenBothAreSet)
{
    symlink(GLOSSPIN_TEST_ARGS_RECORDER, tmp.file("bin/3dNoteViewer").c_str());
    std::unique_ptr<GspTest::Env> libDir(new GspTest::Env("GLOSSPIN_LIB_DIR", tmp.file("bin")));
    const std::string f = media;
    struct {
        int w, h, x, y;
        const char *dir;
        Args expected;
    } cases[] = {
        {-1, -1, -1, -1, "", {"3dNoteViewer", f, ""}},
        {300, 200, 0, 100, "", {"3dNoteViewer", "-s", "300", "200", f, ""}},
        {300, 0, 50, 100, "notes", {"3dNoteViewer", "-o", "50", "100", f, "notes"}},
        {300, 200, 50, 1, "n", {"3dNoteViewer", "-s", "300", "200", "-o", "50", "1", f, "n"}},
    };
    GspTest::Held<ZnInventorNote> n(new ZnInventorNote);
    n->setDataFilename(media.c_str(), 0);
    for (auto &c : cases) {
        n->playerWidth = c.w;
        n->playerHeight = c.h;
        n->playerLocationX = c.x;
        n->playerLocationY = c.y;
        n->externalNoteDirName = c.dir;
        n->play(0);
        EXPECT_EQ(c.expected, nextRun());
    }
    // The notes' directory is kept relative, so that it moves with the scene.
    char cwd[PATH_MAX];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd) && chdir(tmp.path().c_str()) == 0);
    n->setExternalNoteDirName(tmp.file("bin").c_str());
    chdir(cwd);
    EXPECT_EQ(SbString("bin"), n->externalNoteDirName.getValue());
    auto expectError = [](const char *key) {
        EXPECT_EQ(ZnCommon::getResource(key), GspTest::awaitError());
        GspTest::destroyPopups();
    };
    n->edit();
    expectError("cannotEdit3DMsg");
    libDir.reset(new GspTest::Env("GLOSSPIN_LIB_DIR", "/nonexistent"));
    n->play(0);
    expectError("no3dNoteViewerMsg");
}
