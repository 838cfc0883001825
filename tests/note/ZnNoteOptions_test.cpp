// The playback options dialog driven through its real Motif controls:
// filling, typing and activating the fields, the sensitivity rules of
// the note kinds, moving the data to a named file with the overwrite
// question, following the main window's iconification and grabbing a
// window's geometry with a synthesised click.
#include "support/Test.h"

#include <X11/extensions/XTest.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>

namespace {

Widget W(int i) { return ZnNote::noteOptionWidgetList[i]; }
bool on(int i) { return XmToggleButtonGetState(W(i)); }
bool sensitive(int i) { return XtIsSensitive(W(i)); }

// Each listed toggle (or sensitivity) is as expected; the failures name
// the widgets.
std::string differing(std::initializer_list<int> widgets, bool want, bool (*is)(int))
{
    std::string out;
    for (int i : widgets)
        if (is(i) != want)
            out += " " + std::to_string(i);
    return out;
}
#define EXPECT_ON(...) EXPECT_EQ("", differing({__VA_ARGS__}, true, on))
#define EXPECT_OFF(...) EXPECT_EQ("", differing({__VA_ARGS__}, false, on))
#define EXPECT_SENSITIVE(...) EXPECT_EQ("", differing({__VA_ARGS__}, true, sensitive))
#define EXPECT_INSENSITIVE(...) EXPECT_EQ("", differing({__VA_ARGS__}, false, sensitive))

std::string field(int i) { return GspTest::textOf(W(i)); }

// What a user's typing does: the text changes, then Return is pressed
// (or the focus leaves the field).
void type(int i, const char *text) { XmTextFieldSetString(W(i), (char *)text); }
void activate(int i) { GspTest::invoke(W(i), XmNactivateCallback, XmCR_ACTIVATE); }
void loseFocus(int i) { GspTest::invoke(W(i), XmNlosingFocusCallback, XmCR_LOSING_FOCUS); }
void click(int toggle) { XmToggleButtonSetState(W(toggle), !on(toggle), True); }

int dirtyCalls;
bool mapped(Widget w) { return GspTest::viewable(w); }

class OptionsTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        ZnNote::tmpDirName = "";
        ZnNote::dialogVisible = 0;
        dirtyCalls = 0;
        ZnNote::noteOptionDirtyCB = [] { dirtyCalls++; };
        note = new ZnTextNote;
        note->setFieldFromString("the note's text\n");
    }
    void TearDown() override
    {
        note = NULL;
        ZnNote::noteOptionDirtyCB = NULL;
        XtTest::TearDown();
        EXPECT_EQ(nullptr, ZnNote::noteOptionWidgetList);
    }
    GspTest::Held<ZnTextNote> note;
    TempDir tmp;
};

}

TEST_F(OptionsTest, ShowsTheNoteAndFollowsTheSelection)
{
    note->author = "alice";
    note->timestamp = SbTime(86400.0 * 365);
    note->lifetime = 7.25f;
    note->lifetimeType = 1;
    note->startNextNote = 2;
    note->editNoteOptions();
    ASSERT_TRUE(ZnNote::noteOptionWidgetList);

    EXPECT_TRUE(GspTest::pumpUntil([&] { return mapped(W(ZnNote::OPT_SHELL)); }));
    EXPECT_ON(3, 6, 12, 17);
    EXPECT_OFF(5, 15, 18);
    EXPECT_EQ("7.2", field(7));
    EXPECT_EQ("5.0", field(13));
    EXPECT_INSENSITIVE(ZnNote::OPT_ACCEPT);
    EXPECT_EQ("Last changed by alice", GspTest::compoundText(W(1), XmNlabelString));
    // Filling the fields is not typing.
    EXPECT_EQ(0, ZnNote::noteOptionFieldChanged);

    GspTest::Held<ZnTextNote> other(new ZnTextNote);
    other->author = "bob";
    other->startNextNote = 0;
    other->select();
    EXPECT_EQ("60.0", field(7));
    EXPECT_ON(11);
    EXPECT_EQ("Last changed by bob", GspTest::compoundText(W(1), XmNlabelString));
    // A destroyed note leaves a dialog that does nothing.
    other = NULL;
    EXPECT_EQ(nullptr, ZnNote::noteToEdit);
    for (int i = 1; i < ZnNote::OPT_NUM_WIDGETS; i++)
        EXPECT_INSENSITIVE(i);
    click(3);
    EXPECT_EQ(0, dirtyCalls);
}

TEST_F(OptionsTest, NumberFieldsTakeOnlyPositiveNumbers)
{
    note->lifetime = 30.0f;
    note->lifetimeType = 0;
    note->editNoteOptions();
    for (const char *bad : {"0", "-3", "abc", ""}) {
        type(7, bad);
        activate(7);
        EXPECT_FLOAT_EQ(30.0f, note->lifetime.getValue()) << bad;
        EXPECT_EQ(0, note->lifetimeType.getValue()) << bad;
        EXPECT_EQ("30.0", field(7)) << bad;
    }
    type(7, "2.25");
    activate(7);
    EXPECT_FLOAT_EQ(2.25f, note->lifetime.getValue());
    EXPECT_ON(6);
    EXPECT_OFF(5);
    EXPECT_EQ("2.2", field(7));

    // Leaving "delayField" takes its number and selects "after".
    type(13, "12");
    loseFocus(13);
    EXPECT_FLOAT_EQ(12.0f, note->nextNoteDelay.getValue());
    EXPECT_ON(12);
    EXPECT_OFF(11, 15);
    // Without new typing a Return changes nothing.
    note->nextNoteDelay = 3.0f;
    activate(13);
    EXPECT_FLOAT_EQ(3.0f, note->nextNoteDelay.getValue());

    // The choices are exclusive and each writes its value.
    struct {
        int toggle, off;
        SoSFShort *field;
        int value;
    } choices[] = {{11, 12, &note->startNextNote, 0},
                   {15, 11, &note->startNextNote, 1},
                   {5, 6, &note->lifetimeType, 0},
                   {9, 5, &note->lifetimeType, 2}};
    for (auto c : choices) {
        click(c.toggle);
        EXPECT_EQ(c.value, c.field->getValue()) << c.toggle;
        EXPECT_OFF(c.off);
    }
    // A typed lifetime takes over from the media's duration.
    type(7, "3");
    activate(7);
    EXPECT_ON(6);
    EXPECT_OFF(5, 9);
    // Every Return and every choice counts, taken or not.
    EXPECT_EQ(4 + 3 + 4 + 1, dirtyCalls);
    activate(ZnNote::OPT_PLAY);
    EXPECT_TRUE(note->isPlaying());
    note->killPlayer();
}

TEST_F(OptionsTest, NumbersFollowTheDialogLocale)
{
    // A private copy of a decimal-comma locale.
    std::string dir = tmp.file("locales");
    mkdir(dir.c_str(), 0700);
    std::string cmd = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (system(cmd.c_str()) != 0)
        GTEST_SKIP() << "localedef cannot build de_DE here";
    setenv("LOCPATH", dir.c_str(), 1);
    ZnNote::numLanguage = (char *)"de_DE.UTF-8";
    note->lifetime = 1.5f;
    note->editNoteOptions();
    EXPECT_EQ("1,5", field(7));
    type(7, "2,5");
    activate(7);
    ZnNote::numLanguage = NULL;
    unsetenv("LOCPATH");
    EXPECT_FLOAT_EQ(2.5f, note->lifetime.getValue());
    // The library's own numbers are back in "C".
    char buf[16];
    snprintf(buf, sizeof buf, "%.1f", 0.5);
    EXPECT_STREQ("0.5", buf);
}

TEST_F(OptionsTest, SensitivityFollowsWhatTheKindCanDo)
{
    // A text note has no media length: a typed lifetime, not the media's.
    note->editNoteOptions();
    EXPECT_SENSITIVE(4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 17, 18, 19, 21, 22);
    EXPECT_INSENSITIVE(9, ZnNote::OPT_GRAB);
    note->play(0);
    EXPECT_SENSITIVE(ZnNote::OPT_GRAB);
    note->killPlayer();
    EXPECT_INSENSITIVE(ZnNote::OPT_GRAB);

    // Turning automatic playback off disables its part.
    click(3);
    EXPECT_FALSE(note->autoPlayable.getValue());
    EXPECT_INSENSITIVE(4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);

    // A measured length leaves only the media's duration; a sound note
    // has no player window to place.
    GspTest::Held<ZnSoundNote> sound(new ZnSoundNote);
    sound->mediaLength = 4.0f;
    sound->select();
    EXPECT_SENSITIVE(9);
    EXPECT_INSENSITIVE(5, 6, 7, 8, 21, 22);
    EXPECT_EQ("for duration of audio recording (4.0 sec)",
              GspTest::compoundText(W(9), XmNlabelString));

    // A recording that ends while the dialog shows it makes the duration
    // choice available with the measured length.
    GspTest::Held<ZnSoundNote> fresh(new ZnSoundNote);
    fresh->setDataFilename(tmp.file("voice.aifc").c_str(), 0);
    fresh->select();
    EXPECT_INSENSITIVE(9);
    std::string recorder = tmp.file("mediagrab");
    TempDir::writeFile(recorder,
                       "#!/bin/sh\nfor f; do :; done; cp " GLOSSPIN_SAMPLE_SOUND " \"$f\"\n");
    chmod(recorder.c_str(), 0755);
    std::string path = getenv("PATH");
    setenv("PATH", (tmp.path() + ":" + path).c_str(), 1);
    ZnSoundNote::hasAudioHW = 1;
    fresh->edit();
    EXPECT_TRUE(GspTest::pumpUntil([&] { return sensitive(9); }, 4000));
    setenv("PATH", path.c_str(), 1);
    EXPECT_NE("for duration of media", GspTest::compoundText(W(9), XmNlabelString));

    // Without a tracked exit only "until user closes it"; no external
    // data: the file field is empty and insensitive.
    GspTest::Held<ZnURLNote> url(new ZnURLNote);
    url->filename = "ignored.url";
    url->select();
    EXPECT_SENSITIVE(5);
    EXPECT_INSENSITIVE(6, 7, 8, 9, 18, 19);
    EXPECT_EQ("", field(19));
}

TEST_F(OptionsTest, DataMovesToANamedFileAndBack)
{
    note->editNoteOptions();
    std::string target = tmp.file("kept.txt");
    type(19, target.c_str());
    EXPECT_SENSITIVE(ZnNote::OPT_ACCEPT);
    activate(ZnNote::OPT_ACCEPT);
    EXPECT_TRUE(note->isDataExternal());
    EXPECT_EQ("the note's text\n", TempDir::readFile(target));
    EXPECT_ON(18);
    EXPECT_OFF(17);
    EXPECT_INSENSITIVE(ZnNote::OPT_ACCEPT);
    // Accepting the same name again does nothing at all.
    activate(ZnNote::OPT_ACCEPT);
    EXPECT_EQ(1, dirtyCalls);

    click(17);
    EXPECT_FALSE(note->isDataExternal());
    // With an empty file field the data goes to a file of the library's.
    type(19, "");
    click(18);
    EXPECT_TRUE(note->isDataExternal());
    EXPECT_EQ("the note's text\n", TempDir::readFile(note->getDataFilename()));
    EXPECT_EQ(3, dirtyCalls);
    // A file that cannot be made is reported.
    click(17);
    type(19, tmp.file("no/such/dir/file.txt").c_str());
    click(18);
    EXPECT_FALSE(note->isDataExternal());
    std::string messages = GspTest::awaitError();
    EXPECT_NE(std::string::npos, messages.find("to an external file")) << messages;
}

TEST_F(OptionsTest, AnExistingFileIsOverwrittenOnlyAfterTheUserAgrees)
{
    std::string existing = tmp.file("existing.txt");
    TempDir::writeFile(existing, "precious\n");
    note->editNoteOptions();
    // A missing directory is reported and changes nothing; the field
    // shows the note's own name again.
    std::string missing = tmp.file("no/such/dir/file.txt");
    type(19, missing.c_str());
    activate(19);
    std::string message = GspTest::awaitError();
    EXPECT_NE(std::string::npos, message.find("Cannot save the note's data")) << message;
    EXPECT_NE(std::string::npos, message.find(missing + " does not exist")) << message;
    EXPECT_FALSE(note->isDataExternal());
    EXPECT_EQ("", field(19));

    for (int answer : {XmCR_CANCEL, XmCR_OK}) {
        type(19, existing.c_str());
        activate(19);
        Widget box = GspTest::findManaged(GspTest::topLevel(), "Overwrite Dialog");
        ASSERT_TRUE(box);
        EXPECT_EQ(existing + " exists, overwrite ?", GspTest::compoundText(box, XmNmessageString));
        // Nothing moves before the answer.
        EXPECT_FALSE(note->isDataExternal());
        GspTest::invoke(box, answer == XmCR_OK ? XmNokCallback : XmNcancelCallback, answer);
        EXPECT_FALSE(XtIsManaged(box));
        EXPECT_EQ(answer == XmCR_OK, note->isDataExternal());
    }
    EXPECT_EQ(existing, note->getDataFilename());
    EXPECT_EQ("the note's text\n", TempDir::readFile(existing));
}

TEST_F(OptionsTest, TheDialogFollowsTheMainWindowsIconification)
{
    Widget top = GspTest::topLevel();
    XtVaSetValues(top, XmNwidth, 60, XmNheight, 40, NULL);
    XtRealizeWidget(top);
    XtMapWidget(top);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return mapped(top); }));
    note->editNoteOptions();
    Widget shell = W(ZnNote::OPT_SHELL);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return mapped(shell); }));

    XtUnmapWidget(top);
    EXPECT_TRUE(GspTest::pumpUntil([&] { return !mapped(shell); }));
    EXPECT_EQ(1, ZnNote::needToDeiconifyDialog);
    XtMapWidget(top);
    EXPECT_TRUE(GspTest::pumpUntil([&] { return mapped(shell); }));
    EXPECT_EQ(0, ZnNote::needToDeiconifyDialog);
}

TEST_F(OptionsTest, GrabTakesTheClickedWindowsGeometry)
{
    Display *d = SoXt::getDisplay();
    Window player = XCreateSimpleWindow(d, DefaultRootWindow(d), 300, 200, 160, 120, 0, 0, 0);
    XMapWindow(d, player);
    XSync(d, False);
    GspTest::pumpEvents(50);

    auto geometry = [&] {
        return std::vector<int>{note->playerLocationX.getValue(), note->playerLocationY.getValue(),
                                note->playerWidth.getValue(), note->playerHeight.getValue()};
    };
    auto grabWith = [&](unsigned int button) {
        XTestFakeMotionEvent(d, DefaultScreen(d), 350, 250, CurrentTime);
        XTestFakeButtonEvent(d, button, True, CurrentTime);
        XSync(d, False);
        note->grabPlayerLocation();
        XTestFakeButtonEvent(d, button, False, CurrentTime);
        XSync(d, False);
    };
    grabWith(3);  // the other buttons give up
    EXPECT_EQ((std::vector<int>{-1, -1, -1, -1}), geometry());
    grabWith(1);
    EXPECT_EQ((std::vector<int>{300, 200, 160, 120}), geometry());
    XDestroyWindow(d, player);
    XSync(d, False);
}
