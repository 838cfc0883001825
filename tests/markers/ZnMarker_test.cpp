// The marker base kit: its catalog and hidden notes, clicks with timed
// events in viewing and authoring mode, clicks on note icons, the locate
// highlight read back from a real window, and the binary file form.
#include "support/Test.h"

#include "support/GridNote.h"
#include "support/SceneTest.h"

namespace {

// The base marker with a way to its (private) geometry separator.
class BodyMarker : public ZnMarker {
  public:
    SoSeparator *body() { return (SoSeparator *)getAnyPart("geomSeparator", TRUE); }
};

// A marker whose body is a cube 40 pixels wide at the window's centre
// (a 200 x 200 view, 20 pixels a unit), holding one note.
class MarkerTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        ZnMarker::currentWidget = NULL;
        BodyMarker *m = new BodyMarker;
        m->body()->addChild(new SoCube);
        marker = m;
        root->addChild(marker);
        note = new GridNote;
        notes()->addChild(note);
        notes()->setAnchor(SbVec3f(0, 0, 0), 0, 3);  // the icon at pixel (160, 100)
        marker->selectCallback = [](void *t, ZnMarker *) { ((MarkerTest *)t)->selects++; };
        marker->selectCallbackData = this;
        marker->deselectCallback = [](void *t, ZnMarker *) { ((MarkerTest *)t)->deselects++; };
        marker->deselectCallbackData = this;
        clock = SbTime::getTimeOfDay();
    }
    void TearDown() override
    {
        if (marker)
            notes()->stop();
        SceneTest::TearDown();
    }
    ZnNoteList *notes() { return (ZnNoteList *)marker->getPart("notes", TRUE); }
    // A press and a release at (x, y), ms after the previous click.
    void click(short x, short y, int ms)
    {
        clock += SbTime(ms / 1000.0);
        GspTest::click(root, viewport(), x, y, clock);
    }
    void layOut() { SoGetBoundingBoxAction(viewport()).apply(root); }

    ZnMarker *marker = NULL;
    GridNote *note = NULL;
    SbTime clock;
    int selects = 0, deselects = 0;
};

}

TEST_F(MarkerTest, ANewMarkersNotesAreHiddenAndCarryItsLabel)
{
    GspTest::Held<BodyMarker> fresh(new BodyMarker);
    ZnNoteList *list = (ZnNoteList *)fresh->getPart("notes", FALSE);
    EXPECT_FALSE(list->isVisible());
    fresh->setLabel("Valve");
    EXPECT_EQ(SbString("Valve"), list->label.getValue());
    fresh->setLabel(SbString());
    EXPECT_EQ(SbString(""), fresh->getLabel());
}

// Hidden or deactivated, a marker's notes stop playing.
TEST_F(MarkerTest, HidingTheNotesStopsTheirPlayback)
{
    for (void (ZnMarker::*hide)() : {&ZnMarker::hideNotes, &ZnMarker::deactivate}) {
        marker->showNotes();
        notes()->autoPlay();
        ASSERT_TRUE(notes()->isAutoPlaying());
        (marker->*hide)();
        EXPECT_FALSE(notes()->isVisible());
        EXPECT_FALSE(notes()->isAutoPlaying());
    }
    EXPECT_EQ(2, note->kills);
}

TEST_F(MarkerTest, ViewingClicksShowHideAndPlayTheNotes)
{
    // A single click shows the notes once; another leaves them shown.
    click(100, 100, 1000);
    EXPECT_TRUE(notes()->isVisible());
    EXPECT_EQ(1, selects);
    click(100, 100, 400);
    EXPECT_TRUE(notes()->isVisible());
    EXPECT_EQ(1, selects);
    EXPECT_EQ(0, note->plays);

    // 301 ms apart: two single clicks; 300 ms: a double click that plays.
    click(100, 100, 301);
    EXPECT_EQ(0, note->plays);
    click(100, 100, 300);
    EXPECT_EQ(1, note->plays);
    EXPECT_TRUE(notes()->isAutoPlaying());

    // A click elsewhere stops the playback and hides the notes.
    click(10, 10, 1000);
    EXPECT_FALSE(notes()->isVisible());
    EXPECT_FALSE(notes()->isAutoPlaying());
    EXPECT_EQ(1, note->kills);
    EXPECT_EQ(1, deselects);
    click(10, 10, 1000);
    EXPECT_EQ(1, deselects);
}

TEST_F(MarkerTest, AuthoringClicksOnlyPlayOnADoubleClick)
{
    ZnCommon::editMode = 2;
    click(100, 100, 1000);
    EXPECT_FALSE(notes()->isVisible());
    EXPECT_EQ(0, selects);
    click(100, 100, 250);
    EXPECT_EQ(1, note->plays);
    marker->showNotes();
    click(10, 10, 1000);  // a click elsewhere leaves the notes alone
    EXPECT_TRUE(notes()->isVisible());
    EXPECT_EQ(0, deselects);
}

TEST_F(MarkerTest, ClicksOnANoteGoToTheNoteAndStopPlayback)
{
    marker->showNotes();
    layOut();
    click(165, 105, 1000);
    EXPECT_EQ(1, note->plays);  // the note's own single click plays it
    EXPECT_FALSE(notes()->isAutoPlaying());
    EXPECT_EQ(0, selects);

    click(100, 100, 1000);
    click(100, 100, 100);  // a double click: the list plays
    ASSERT_TRUE(notes()->isAutoPlaying());
    layOut();
    click(165, 105, 1000);
    EXPECT_FALSE(notes()->isAutoPlaying());
    EXPECT_FALSE(note->playing);

    // select() shows; deselect() and deactivate() hide and stop.
    marker->hideNotes();
    marker->select();
    EXPECT_TRUE(notes()->isVisible());
    notes()->autoPlay();
    marker->deselect();
    EXPECT_FALSE(notes()->isAutoPlaying());
    marker->showNotes();
    marker->deactivate();
    EXPECT_FALSE(notes()->isVisible());
}

TEST_F(MarkerTest, TheLocateHighlightLightsTheMarkerInTheWindowUnderThePointer)
{
    window = new RenderWindow(root);
    window->draw();
    ASSERT_EQ(window->area->getNormalWidget(), ZnMarker::currentWidget);
    float dark = window->pixel(100, 100)[0];
    EXPECT_LT(dark, 0.2f);
    auto lit = [&] {
        window->readBack();
        return window->pixel(100, 100)[0] > dark + 0.2f;
    };
    moveTo(100, 100);
    EXPECT_TRUE(marker->isHighlighted() && lit());
    EXPECT_EQ(SbVec3f(0, 0, 0), window->pixel(10, 10));
    moveTo(10, 10);
    EXPECT_FALSE(marker->isHighlighted() || lit());

    // Leaving the window puts the highlight out.
    moveTo(100, 100);
    XAnyEvent leave = {};
    leave.type = LeaveNotify;
    ZnMarker::parentWindowEventCB(XtParent(window->area->getNormalWidget()), marker, &leave,
                                  NULL);
    EXPECT_FALSE(marker->isHighlighted() || lit());

    // A selected marker is not highlighted; nor is any without a window.
    marker->select();
    moveTo(100, 100);
    EXPECT_FALSE(marker->isHighlighted());
    marker->deselect();
    ZnMarker::currentWidget = NULL;
    moveTo(100, 100);
    EXPECT_FALSE(marker->isHighlighted());

    // The window's end forgets it.
    window->draw();
    EXPECT_TRUE(ZnMarker::currentWidget);
    delete window;
    window = NULL;
    EXPECT_EQ(NULL, ZnMarker::currentWidget);
}

TEST_F(MarkerTest, TheWindowIsForgottenWithTheLastMarkerInIt)
{
    ZnMarker *other = new ZnMarker;
    root->addChild(other);
    window = new RenderWindow(root);
    window->draw();
    Widget w = ZnMarker::currentWidget;
    ASSERT_TRUE(w);
    root->removeChild(marker);  // its last reference; the other stays
    marker = NULL;
    EXPECT_EQ(w, ZnMarker::currentWidget);
    root->removeChild(other);
    EXPECT_EQ(NULL, ZnMarker::currentWidget);
}
