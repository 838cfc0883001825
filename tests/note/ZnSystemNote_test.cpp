// The system-command note: exit statuses and the error dialog, stopping
// the command's whole process group, the prompt dialog, and the question
// asked before a command from a scene file first runs.
#include "support/Test.h"

namespace {

void press(Widget box, unsigned char which)
{
    GspTest::invoke(XmMessageBoxGetChild(box, which), XmNactivateCallback, XmCR_ACTIVATE);
}

class SystemNoteTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        note = new ZnSystemNote;
    }
    void TearDown() override
    {
        ZnSystemNote::confirmCommandsFromFiles = 1;
        note = NULL;
        XtTest::TearDown();
    }
    // A note as a scene file brings it.
    void readNote(const std::string &command)
    {
        GspTest::Held<SoSeparator> s(
            GspTest::readText("Separator { ZnSystemNote { command \"" + command + "\" } }"));
        ASSERT_TRUE(s);
        note = (ZnSystemNote *)s->getChild(0);
    }
    bool created(const std::string &path, int ms = 3000)
    {
        return GspTest::pumpUntil([&] { return TempDir::exists(path); }, ms);
    }

    GspTest::Held<ZnSystemNote> note;
    TempDir tmp;
};

}

TEST_F(SystemNoteTest, FailuresAreReportedAndStoppingEndsEverything)
{
    struct {
        const char *command;
        bool error;
    } cases[] = {
        {"", false},
        {"true", false},
        {"exit 3", true},
        {"kill -TERM $$", true},  // killed by a signal: passed on
        {"no-such-command-here", true},
    };
    for (auto &c : cases) {
        note->command = c.command;
        note->play(0);
        EXPECT_EQ(c.error, !GspTest::awaitError(c.error ? 3000 : 500).empty()) << c.command;
        GspTest::destroyPopups();
    }

    // A command's background child goes with it.
    note->command = ("sleep 30 & echo $! > " + tmp.file("pid") + "; wait").c_str();
    note->play(0);
    ASSERT_TRUE(GspTest::pumpUntil([&] {
        return TempDir::exists(tmp.file("pid")) && TempDir::readFile(tmp.file("pid")).size() > 1;
    }));
    int child = atoi(TempDir::readFile(tmp.file("pid")).c_str());
    note->killPlayer();
    EXPECT_TRUE(GspTest::pumpUntil([&] { return kill(child, 0) != 0; }, 4000));
    EXPECT_EQ("", GspTest::awaitError(300));
}

TEST_F(SystemNoteTest, ThePromptSetsTheCommandOrLeavesIt)
{
    note->isPendingNote = 1;
    GspTest::PendingReports &reports = GspTest::watchPending(note);
    note->edit();
    Widget box = GspTest::openDialog("Glosspin : System Command");
    ASSERT_TRUE(box);
    EXPECT_EQ("Enter a system command for the new Note",
              GspTest::compoundText(box, XmNselectionLabelString));
    GspTest::invoke(XmSelectionBoxGetChild(box, XmDIALOG_CANCEL_BUTTON), XmNactivateCallback,
                    XmCR_ACTIVATE);
    EXPECT_EQ(1, reports.finished);
    EXPECT_STREQ("", note->command.getValue().getString());
    EXPECT_FALSE(note->isEditing());

    note->edit();
    XmTextSetString(XmSelectionBoxGetChild(box, XmDIALOG_TEXT), (char *)"echo typed");
    GspTest::invoke(XmSelectionBoxGetChild(box, XmDIALOG_OK_BUTTON), XmNactivateCallback,
                    XmCR_ACTIVATE);
    EXPECT_EQ(1, reports.ready);
    EXPECT_STREQ("echo typed", note->command.getValue().getString());
}

// A command from a file runs only once the user has seen it and said Run;
// Cancel ends the playback as a failed start does.
TEST_F(SystemNoteTest, ACommandFromAFileAsksFirst)
{
    std::string ran = tmp.file("ran");
    readNote("touch " + ran);
    int &finishedPlays = GspTest::countPlaybackEnds(note);
    note->play(1);
    Widget box = GspTest::openDialog("Glosspin : Run a Command?");
    ASSERT_TRUE(box);
    EXPECT_NE(std::string::npos, GspTest::compoundText(box, XmNmessageString).find("touch " + ran));
    press(box, XmDIALOG_CANCEL_BUTTON);
    EXPECT_FALSE(created(ran, 300));
    EXPECT_EQ(1, finishedPlays);

    note->play(0);
    press(box, XmDIALOG_OK_BUTTON);
    EXPECT_TRUE(created(ran));
    unlink(ran.c_str());
    note->play(0);  // confirmed: no question again
    EXPECT_TRUE(created(ran));
    EXPECT_FALSE(GspTest::openDialog("Glosspin : Run a Command?"));

    // With the switch off, a command from a file runs at once.
    ZnSystemNote::confirmCommandsFromFiles = 0;
    readNote("touch " + ran + "2");
    note->play(0);
    EXPECT_TRUE(created(ran + "2"));
}
