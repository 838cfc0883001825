// The text note's dialog with the real Motif widgets: read-only while
// playing, editable while editing, its size rule, a pending note's empty
// editor, a file the user may not change, text that cannot be stored,
// and the hand-over to automatic playback when the user closes it.
#include "support/Test.h"

namespace {

class TextDialogTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        ZnNote::tmpDirName = "";
        note = new ZnTextNote;
    }
    Widget dialog() const { return GspTest::findWidget(GspTest::topLevel(), "Text Block"); }
    Widget text() const { return GspTest::findWidget(GspTest::topLevel(), "info text"); }
    std::string shownText() const { return GspTest::textOf(text()); }
    bool editable() const
    {
        Boolean e = False;
        XtVaGetValues(text(), XmNeditable, &e, NULL);
        return e;
    }
    // The text area's size as the user sees it: rows and columns.
    std::pair<int, int> size() const
    {
        short rows = 0, columns = 0;
        XtVaGetValues(text(), XmNrows, &rows, XmNcolumns, &columns, NULL);
        return {rows, columns};
    }
    // Presses a button of the dialog as Motif reports it.
    void press(int reason)
    {
        GspTest::invoke(dialog(), reason == XmCR_OK ? XmNokCallback : XmNcancelCallback, reason);
    }

    GspTest::Held<ZnTextNote> note;
    TempDir tmp;
};

}

TEST_F(TextDialogTest, PlayingShowsTheTextReadOnlySizedByItsLines)
{
    note->setFieldFromString("one line without a newline");
    note->play(0);
    ASSERT_TRUE(dialog() && XtIsManaged(dialog()));
    EXPECT_EQ("one line without a newline\n", shownText());
    EXPECT_FALSE(editable());
    EXPECT_FALSE(XtIsManaged(XmMessageBoxGetChild(dialog(), XmDIALOG_CANCEL_BUTTON)));
    press(XmCR_OK);
    EXPECT_FALSE(note->isPlaying());

    // A note's first dialog (later ones keep the size the user left): at
    // least 5 rows, at most 40, and 60 columns.
    std::string hundred;
    for (int i = 0; i < 100; i++)
        hundred += "line " + std::to_string(i) + "\n";
    for (const std::string &t : {std::string("short"), hundred}) {
        GspTest::destroyPopups();
        note = new ZnTextNote;
        note->loadFromString(t.c_str());
        note->play(0);
        EXPECT_EQ(std::make_pair(t.size() > 5 ? 40 : 5, 60), size());
        note->killPlayer();
        EXPECT_FALSE(note->isPlaying());
    }
}

TEST_F(TextDialogTest, EditingTakesTheTypedTextOnOkAndNothingOnCancel)
{
    note->setFieldFromString("old text\n");
    note->timestamp = SbTime::zero();
    note->edit();
    ASSERT_TRUE(note->isEditing());
    EXPECT_NEAR(SbTime::getTimeOfDay().getValue(), note->timestamp.getValue().getValue(), 60);
    EXPECT_TRUE(editable());
    EXPECT_TRUE(XtIsManaged(XmMessageBoxGetChild(dialog(), XmDIALOG_CANCEL_BUTTON)));
    XmTextSetString(text(), (char *)"typed\n");
    press(XmCR_CANCEL);
    EXPECT_EQ(SbString("old text\n"), note->getText());

    note->edit();
    XmTextSetString(text(), (char *)"typed\n");
    press(XmCR_OK);
    EXPECT_FALSE(note->isEditing());
    EXPECT_EQ(SbString("typed\n"), note->getText());
    EXPECT_FALSE(note->wasImported.getValue());
    // The text went to the note's data file too.
    EXPECT_EQ("typed\n", TempDir::readFile(note->getTempDataFileName().getString()));
}

TEST_F(TextDialogTest, APendingNoteOpensEmptyAndReportsItsEnd)
{
    note->isPendingNote = 1;
    GspTest::PendingReports &reports = GspTest::watchPending(note);
    note->edit();
    EXPECT_TRUE(editable());
    EXPECT_EQ("", shownText());
    EXPECT_EQ(10, size().first);
    press(XmCR_CANCEL);
    EXPECT_EQ(1, reports.finished);
    EXPECT_EQ(0, reports.ready);
    note->edit();
    XmTextSetString(text(), (char *)"first words\n");
    press(XmCR_OK);
    EXPECT_EQ(1, reports.ready);
}

TEST_F(TextDialogTest, AFileTheUserMayNotChangeOpensReadOnly)
{
    FailingDir dir(tmp.path(), FailingDir::READ_ONLY);
    TempDir::writeFile(dir.file("fixed.txt"), "fixed\n");
    ASSERT_TRUE(dir.fail());
    note->setDataExternal(1);
    note->setDataFilename(dir.file("fixed.txt").c_str(), 0);
    note->edit();
    EXPECT_FALSE(editable());
    EXPECT_TRUE(note->isPlaying());
    EXPECT_EQ("fixed\n", shownText());
}

// Typed text that cannot be stored stays in the open dialog, with the
// message; the note and its file keep the earlier text until an OK that
// can store it.
TEST_F(TextDialogTest, TextThatCannotBeStoredStaysInTheOpenDialog)
{
    FailingDir dir(tmp.path(), FailingDir::SIZE_LIMIT);
    std::string file = dir.file("t.txt"), typed(20000, 'x');
    TempDir::writeFile(file, "earlier\n");
    note->setDataExternal(1);
    note->setDataFilename(file.c_str(), 0);
    note->edit();
    XmTextSetString(text(), (char *)typed.c_str());
    ASSERT_TRUE(dir.fail());
    press(XmCR_OK);
    dir.heal();
    EXPECT_NE(std::string::npos, GspTest::awaitError().find("t.txt cannot be written"));
    EXPECT_TRUE(XtIsManaged(dialog()));
    EXPECT_TRUE(note->isEditing());
    EXPECT_EQ(SbString("earlier\n"), note->getText());
    EXPECT_EQ("earlier\n", TempDir::readFile(file));
    EXPECT_EQ(typed, shownText());
    press(XmCR_OK);
    EXPECT_FALSE(note->isEditing());
    EXPECT_EQ(typed, TempDir::readFile(file));
}

TEST_F(TextDialogTest, ClosingAnAutoPlayedNoteStartsTheNextOnlyWhenItWaitsForTheUser)
{
    note->setFieldFromString("read me\n");
    int &next = GspTest::countPlaybackEnds(note);
    note->lifetimeType = 0;
    note->play(1);
    press(XmCR_OK);
    EXPECT_EQ(1, next);
    note->lifetimeType = 2;
    note->play(1);
    press(XmCR_OK);
    EXPECT_EQ(1, next);
}

TEST_F(TextDialogTest, TheDialogKeepsItsPlaceAndTheNoteSavesIt)
{
    note->setFieldFromString("placed\n");
    note->playerWidth = 320;
    note->playerHeight = 240;
    note->playerLocationX = 30;
    note->playerLocationY = 40;
    note->play(0);
    GspTest::pumpEvents(100);
    Position x = 0, y = 0;
    Dimension w = 0, h = 0;
    XtVaGetValues(dialog(), XmNx, &x, XmNy, &y, XmNwidth, &w, XmNheight, &h, NULL);
    EXPECT_EQ((std::vector<int>{30, 40, 320, 240}), (std::vector<int>{x, y, w, h}));
    press(XmCR_OK);

    // Without stored geometry, the place the user left it is saved with
    // the note.
    note->playerWidth = -1;
    note->play(0);
    press(XmCR_OK);
    GspTest::writeToBuffer(note);
    EXPECT_EQ((std::vector<int>{30, 40, 320, 240}),
              (std::vector<int>{note->playerLocationX.getValue(), note->playerLocationY.getValue(),
                                note->playerWidth.getValue(), note->playerHeight.getValue()}));
}
