// The web-link note with the installed launch script and a stand-in
// browser: what the script is given, the one browser all notes share, a
// browser that has gone, addresses delivered intact, the prompt's Clear
// and Cancel, and the Continue dialog of an automatic playback.
#include "support/Test.h"

namespace {

typedef std::vector<std::string> Args;

class URLNoteTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        setenv("GLOSSPIN_LIB_DIR", GLOSSPIN_SCRIPT_DIR, 1);
        setenv("GLOSSPIN_BROWSER", GLOSSPIN_TEST_BROWSER, 1);
        setenv("GSP_BROWSER_LOG", log.c_str(), 1);
        ZnURLNote::WWWPlayerProcessId = -1;
        for (GspTest::Held<ZnURLNote> &n : notes)
            n = new ZnURLNote;
    }
    void TearDown() override
    {
        for (GspTest::Held<ZnURLNote> &n : notes)
            n = NULL;
        ZnURLNote::killWWWPlayerProcess();
        XtTest::TearDown();
    }
    Args scriptArgs(ZnURLNote *n)
    {
        Args argv;
        n->getExternalPlayerCommand(0, argv);
        return Args(argv.begin() + 1, argv.end());
    }
    bool browserCalls(size_t n)
    {
        return GspTest::pumpUntil([&] { return GspTest::loggedRuns(log).size() >= n; }, 4000);
    }

    TempDir tmp;
    std::string log = tmp.file("browser.log");
    GspTest::Held<ZnURLNote> notes[2];
};

}

TEST_F(URLNoteTest, OneBrowserShowsEveryNoteAndAddressesArriveIntact)
{
    const std::string tricky = "-x a b \"q\" 'r' $(touch " + tmp.file("ran") + ") `id` ;&|";
    notes[0]->url = tricky.c_str();
    EXPECT_EQ((Args{tricky, "NONE", "-1"}), scriptArgs(notes[0]));
    notes[0]->playerWidth = 640;
    notes[0]->playerHeight = 480;
    notes[0]->playerLocationX = 10;
    notes[0]->playerLocationY = 20;
    EXPECT_EQ("640x480+10+20", scriptArgs(notes[0])[1]);

    notes[0]->play(0);
    ASSERT_TRUE(browserCalls(1));
    EXPECT_EQ((Args{"--", tricky}), GspTest::loggedRuns(log)[0]);
    EXPECT_FALSE(TempDir::exists(tmp.file("ran")));
    // The browser is the script's own process, and later notes name it.
    ASSERT_TRUE(GspTest::pumpUntil([&] { return ZnURLNote::WWWPlayerProcessId > 0; }));
    long browser = ZnURLNote::WWWPlayerProcessId;
    // The stand-in writes its pid once it has logged the call.
    ASSERT_TRUE(GspTest::pumpUntil([&] {
        return TempDir::exists(log + ".pid") && TempDir::readFile(log + ".pid").size() > 1;
    }));
    EXPECT_EQ(browser, atol(TempDir::readFile(log + ".pid").c_str()));
    notes[1]->url = "http://example.org/two";
    EXPECT_EQ(std::to_string(browser), scriptArgs(notes[1])[2]);

    // The second note's page goes to the running browser.
    notes[1]->play(0);
    ASSERT_TRUE(browserCalls(2));
    EXPECT_EQ((Args{"--", "http://example.org/two"}), GspTest::loggedRuns(log)[1]);
    // Played again, the note that started the browser keeps it.
    notes[0]->play(0);
    ASSERT_TRUE(browserCalls(3));
    GspTest::pumpEvents(200);
    EXPECT_EQ(browser, ZnURLNote::WWWPlayerProcessId);
    EXPECT_EQ(0, kill((pid_t)browser, 0));

    // A browser that has gone is forgotten before the next start.
    kill((pid_t)browser, SIGKILL);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return kill((pid_t)browser, 0) != 0; }));
    notes[1]->play(0);
    ASSERT_TRUE(browserCalls(4));
    ASSERT_TRUE(GspTest::pumpUntil([&] {
        return ZnURLNote::WWWPlayerProcessId > 0 && ZnURLNote::WWWPlayerProcessId != browser;
    }));
}

TEST_F(URLNoteTest, ThePromptClearsAndCancelsAndContinueEndsAPlayback)
{
    ZnURLNote *n = notes[0];
    n->url = "http://example.org/";
    n->edit();
    Widget box = GspTest::openDialog("Glosspin : World Wide Web Link");
    ASSERT_TRUE(box);
    Widget text = XmSelectionBoxGetChild(box, XmDIALOG_TEXT);
    EXPECT_EQ("Clear", GspTest::compoundText(box, XmNcancelLabelString));
    EXPECT_EQ("Cancel", GspTest::compoundText(box, XmNhelpLabelString));
    GspTest::invoke(box, XmNcancelCallback, XmCR_CANCEL);  // Clear
    EXPECT_TRUE(n->isEditing());
    EXPECT_EQ("", GspTest::textOf(text));
    GspTest::invoke(box, XmNhelpCallback, XmCR_HELP);  // Cancel
    EXPECT_FALSE(n->isEditing());
    EXPECT_STREQ("http://example.org/", n->url.getValue().getString());
    n->edit();
    XmTextSetString(text, (char *)"http://example.org/typed");
    GspTest::invoke(box, XmNokCallback, XmCR_OK);
    EXPECT_STREQ("http://example.org/typed", n->url.getValue().getString());

    int &finished = GspTest::countPlaybackEnds(n);
    n->play(1);
    EXPECT_TRUE(n->isPlaying());
    Widget cont = GspTest::openDialog("Glosspin : World Wide Web Link");
    ASSERT_TRUE(cont);
    ASSERT_TRUE(browserCalls(1));
    EXPECT_EQ("Continue", GspTest::compoundText(cont, XmNcancelLabelString));
    GspTest::invoke(cont, XmNcancelCallback, XmCR_CANCEL);
    EXPECT_EQ(1, finished);
    EXPECT_FALSE(n->isPlaying());

    // Unattended, the playback goes on by itself and Continue goes.
    ZnURLNote::unattendedSeconds = 0.2f;
    int &ended = GspTest::countPlaybackEnds(n);
    n->play(1);
    EXPECT_TRUE(GspTest::pumpUntil([&] { return ended == 1; }, 3000));
    EXPECT_FALSE(n->isPlaying());
    EXPECT_FALSE(XtIsManaged(cont));
    ZnURLNote::unattendedSeconds = 0;
}
