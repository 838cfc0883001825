// The scene note's viewer as a user meets it: started by a note at its
// stored size and place, showing the scene, a note inside it playable
// with real clicks, gone when the note stops or its window is closed;
// files it cannot show reported in the error dialog with status 1.
#include "support/Test.h"

#include <X11/extensions/XTest.h>

#include "field/FieldTestUtil.h"

namespace {

using GspTest::awaitWindow;

// The largest window inside w (the viewer's 3-D area), as x, y, width,
// height in root coordinates.
void largestInside(Window w, int box[4])
{
    Display *d = SoXt::getDisplay();
    Window root, parent, *children;
    unsigned n = 0;
    XQueryTree(d, w, &root, &parent, &children, &n);
    for (unsigned i = 0; i < n; i++) {
        XWindowAttributes a;
        XGetWindowAttributes(d, children[i], &a);
        if (a.map_state == IsViewable && a.width * a.height > box[2] * box[3]) {
            Window child;
            XTranslateCoordinates(d, children[i], DefaultRootWindow(d), 0, 0, &box[0], &box[1],
                                  &child);
            box[2] = a.width;
            box[3] = a.height;
        }
        largestInside(children[i], box);
    }
    XFree(children);
}

// The viewer's exit status once the window named name has been closed,
// -1 when it never appeared.
int statusAfterClosing(pid_t pid, const std::string &name)
{
    Window w = awaitWindow(name);
    if (w)
        GspTest::closeByWindowManager(w);
    int status = GspTest::exitStatus(pid, w ? 10000 : 0);
    return w ? status : -1;
}

class NoteViewerTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        FieldTest::init();
        // A front view of a bullet marker holding a text note whose text
        // is in the notes' directory, saved from there.
        char cwd[PATH_MAX];
        ASSERT_TRUE(getcwd(cwd, sizeof cwd));
        mkdir(notes.c_str(), 0700);
        TempDir::writeFile(notes + "/words.txt", "inner words\n");
        ASSERT_EQ(0, chdir(notes.c_str()));
        GspTest::Held<SoSeparator> scene(GspTest::readText(
            "Separator { OrthographicCamera { position 0 0 10 height 10 } }"));
        ZnBulletMarker *marker = new ZnBulletMarker;
        ZnTextNote *text = new ZnTextNote;
        text->setDataExternal(1);
        text->setDataFilename("words.txt", 0);
        ((ZnNoteList *)marker->getPart("notes", TRUE))->addChild(text);
        scene->addChild(marker);
        FieldTest::writeScene(scene, inner, false);
        chdir(cwd);
    }
    pid_t start(std::vector<std::string> args)
    {
        args.insert(args.begin(), GLOSSPIN_VIEWER_DIR "/3dNoteViewer");
        return GspTest::spawn(args);
    }

    GspTest::Env libDir{"GLOSSPIN_LIB_DIR", GLOSSPIN_VIEWER_DIR};
    TempDir tmp;
    std::string inner = tmp.file("inner.iv"), notes = tmp.file("notes");
};

}

TEST_F(NoteViewerTest, ANoteShowsItsSceneWhereItWasLeftWithItsNotesWorking)
{
    Display *d = SoXt::getDisplay();
    GspTest::Held<ZnInventorNote> note(new ZnInventorNote);
    note->setDataFilename(inner.c_str(), 0);
    note->playerWidth = 400;
    note->playerHeight = 300;
    note->playerLocationX = 120;
    note->playerLocationY = 90;
    note->setExternalNoteDirName(notes.c_str());
    note->play(0);
    Window w = awaitWindow("3dNoteViewer: inner.iv");
    ASSERT_TRUE(w);
    XWindowAttributes a;
    ASSERT_TRUE(GspTest::pumpUntil([&] {
        XGetWindowAttributes(d, w, &a);
        return a.map_state == IsViewable;
    }));
    EXPECT_EQ((std::vector<int>{120, 90, 400, 300}),
              (std::vector<int>{a.x, a.y, a.width, a.height}));

    // The marker in the middle of the 3-D area, background beside it.
    int area[4] = {0, 0, 0, 0};
    largestInside(w, area);
    ASSERT_GT(area[2], 100);
    int cx = area[0] + area[2] / 2, cy = area[1] + area[3] / 2;
    auto lit = [&](int x, int y) {
        XImage *img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long p = XGetPixel(img, 0, 0);
        XDestroyImage(img);
        return p != 0;
    };
    EXPECT_TRUE(GspTest::pumpUntil([&] { return lit(cx, cy); }, 4000));
    EXPECT_FALSE(lit(cx - area[2] / 3, cy));

    // A double click on the marker plays its text note in the viewer, the
    // text found in the notes' directory.
    XTestFakeMotionEvent(d, DefaultScreen(d), cx, cy, CurrentTime);
    for (int i = 0; i < 4; i++)
        XTestFakeButtonEvent(d, 1, i % 2 == 0, CurrentTime);
    XFlush(d);
    EXPECT_TRUE(awaitWindow("Glosspin : Text for this Note"));

    // Stopping the note ends the viewer and its dialog.
    note->killPlayer();
    EXPECT_TRUE(GspTest::pumpUntil([&] {
        errno = 0;
        return !awaitWindow("3dNoteViewer: inner.iv", 0) && waitpid(-1, NULL, WNOHANG) == -1 &&
               errno == ECHILD;
    }, 5000));
}

// Closing the window leaves with 0; what cannot be shown leaves with 1
// once the error dialog is closed, and a wrong command line at once.
TEST_F(NoteViewerTest, ClosingLeavesWithZeroAndBadInputWithOne)
{
    EXPECT_EQ(0, statusAfterClosing(start({"-s", "200", "150", inner}), "3dNoteViewer: inner.iv"));

    std::string bytes = TempDir::readFile(inner);
    TempDir::writeFile(tmp.file("cut.iv"), bytes.substr(0, bytes.size() / 2));
    TempDir::writeFile(tmp.file("words.txt"), "not a scene\n");
    const std::vector<std::string> bad[] = {
        {tmp.file("missing.iv")},
        {tmp.file("words.txt")},
        {tmp.file("cut.iv")},
        {inner, tmp.file("no/such/dir")},
    };
    for (const std::vector<std::string> &args : bad)
        EXPECT_EQ(1, statusAfterClosing(start(args), "Glosspin : Error Dialog")) << args.back();
    // The user's own settings stand above the library's texts.
    TempDir::writeFile(tmp.file("env"), "Glosspin.title_display_error: Mine\n");
    pid_t pid;
    {
        GspTest::Env env("XENVIRONMENT", tmp.file("env"));
        pid = start({tmp.file("missing.iv")});
    }
    EXPECT_EQ(1, statusAfterClosing(pid, "Mine"));
    // A wrong command line is a usage error, as for every program.
    EXPECT_EQ(2, GspTest::exitStatus(start({"-s", "200", inner})));
}
