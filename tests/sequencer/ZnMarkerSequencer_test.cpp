// The sequencer's tour through its player commands, with markers whose
// notes play in process, and its file forms; the marker list and player
// dialog through its widgets, and the player icon over each 3-D window.
#include "support/Test.h"

#include <GL/glx.h>
#include <Xm/DrawingA.h>
#include <Xm/Form.h>

#include "support/GridNote.h"
#include "support/RenderWindow.h"
#include "support/SceneTest.h"

namespace {

typedef ZnMarkerSequencer Seq;

// Three bullet markers side by side in a sequencer, labelled "Hall", ""
// and "Tower", each with one note that plays until the test finishes it;
// the notes' plays are logged.
class SequencerTest : public SceneTest {
  public:
    using SceneTest::root;  // reached from the toolkit's callbacks
    void SetUp() override
    {
        SceneTest::SetUp();
        seq = new Seq;
        for (int i = 0; i < 3; i++) {
            ZnMarker *m = marker(i == 0 ? "Hall" : i == 1 ? "" : "Tower");
            m->getDraggerTransform()->translation.setValue(3.0f * (float)(i - 1), 0, 0);
            notes.push_back(new GridNote(24, 24, &log));
            list(m)->addChild(notes.back());
            markers.push_back(m);
            root->addChild(m);
            seq->appendMarker(m);
        }
        root->addChild(seq);
    }
    static ZnNoteList *list(ZnMarker *m) { return (ZnNoteList *)m->getPart("notes", TRUE); }
    static ZnMarker *marker(const char *label)
    {
        ZnMarker *m = new ZnBulletMarker;
        m->setLabel(label);
        return m;
    }
    Widget w(int index) { return seq->getDialogWidget(index); }
    // The markers, by their first places, in the given set: in sequence
    // order, those whose notes are visible, or those whose notes played.
    std::string order()
    {
        std::string s;
        for (int i = 0; i < seq->getNumMarkers(); i++)
            s += placeOf(seq->getMarker(i));
        return s;
    }
    std::string visible()
    {
        std::string s;
        for (ZnMarker *m : markers)
            s += list(m)->isVisible() ? std::string(1, placeOf(m)) : "";
        return s;
    }
    std::string played()
    {
        std::string s;
        for (GridNote *n : log)
            s += (char)('0' + (std::find(notes.begin(), notes.end(), n) - notes.begin()));
        return s;
    }
    char placeOf(ZnMarker *m)
    {
        return (char)('0' + (std::find(markers.begin(), markers.end(), m) - markers.begin()));
    }
    // One letter a command: P play, A play all, S stop, < previous,
    // > next, F first, X delete, U up, D down; a digit picks that marker
    // as a click on it does, and - unpicks the current one as a click
    // elsewhere does; a, b, c make that marker current as an application
    // does.
    void run(const std::string &commands)
    {
        for (char c : commands) {
            if (isdigit(c)) {
                ZnMarker *m = markers[(size_t)(c - '0')];
                m->selectCallback(m->selectCallbackData, m);
                continue;
            }
            if (c == '-') {
                ZnMarker *m = seq->getMarker(seq->getCurrentIndex());
                m->deselectCallback(m->deselectCallbackData, m);
                continue;
            }
            if (islower(c)) {
                seq->setCurrentMarker(markers[(size_t)(c - 'a')]);
                continue;
            }
            const char *letters = "PAS<>FXUD";
            int codes[] = {Seq::PLAY, Seq::PLAY_ALL, Seq::STOP, Seq::PREVIOUS, Seq::NEXT,
                           Seq::FIRST, Seq::DELETE, Seq::MOVE_UP, Seq::MOVE_DOWN};
            seq->playerCommand(codes[strchr(letters, c) - letters]);
        }
    }

    Seq *seq = NULL;
    std::vector<ZnMarker *> markers;
    std::vector<GridNote *> notes, log;
    std::string deleted;
};

}

TEST_F(SequencerTest, CommandsStepPlayReorderAndDelete)
{
    struct {
        const char *commands;
        int current, lastPlayed;
        const char *order, *visible, *played, *deleted;
    } cases[] = {
        {"P", 0, 0, "012", "0", "0", ""},
        {"PPPP", 0, 0, "012", "0", "0120", ""},  // wraps after the last
        {"2P", 2, 2, "012", "2", "2", ""},       // a picked marker plays itself
        {"P0P", 0, 0, "012", "0", "00", ""},     // ...the one just played too,
        {"P-P", 0, 0, "012", "0", "00", ""},     // after it was unpicked,
        {"PaP", 0, 0, "012", "0", "00", ""},     // or made current again
        {"PSP", 0, 0, "012", "0", "00", ""},     // stopped: not played any more
        {"<", 2, -1, "012", "2", "", ""},
        {"0<", 2, -1, "012", "2", "", ""},
        {"2>", 0, -1, "012", "0", "", ""},
        {"1F", 0, -1, "012", "0", "", ""},
        {"1PU", 0, 0, "102", "1", "1", ""},  // the played marker carries its mark up
        {"1U", 0, -1, "102", "1", "", ""},
        {"0U", 0, -1, "012", "0", "", ""},
        {"1D", 2, 2, "021", "1", "", ""},    // moved down counts as played...
        {"1DP", 0, 0, "021", "0", "0", ""},  // ...so play goes on past it
        {"2D", 2, -1, "012", "2", "", ""},
        {"X", -1, -1, "012", "", "", ""},
        // Asked first, the application removes the marker from the scene.
        {"1X", -1, -1, "02", "1", "", "1"},
    };
    for (auto &c : cases) {
        TearDown();
        markers.clear();
        notes.clear();
        log.clear();
        SetUp();
        seq->deleteCallback = [](void *t, ZnMarker *m) {
            SequencerTest *test = (SequencerTest *)t;
            if (test->seq->findMarker(m) >= 0)  // still listed
                test->deleted += test->placeOf(m);
        };
        seq->deleteCallbackData = this;
        deleted.clear();
        run(c.commands);
        EXPECT_EQ(c.current, seq->getCurrentIndex()) << c.commands;
        EXPECT_EQ(c.lastPlayed, seq->getLastPlayedIndex()) << c.commands;
        EXPECT_EQ(c.order, order()) << c.commands;
        EXPECT_EQ(c.visible, visible()) << c.commands;
        EXPECT_EQ(c.played, played()) << c.commands;
        EXPECT_EQ(c.deleted, deleted) << c.commands;
    }
    EXPECT_EQ(NULL, markers[1]->selectCallback);  // unlinked when deleted
    // A move over several places shifts those between by one, both ways.
    seq->insertMarker(markers[1], 0);
    seq->moveMarker(0, 2);
    EXPECT_EQ("021", order());
    seq->moveMarker(2, 0);
    EXPECT_EQ("102", order());
}

// Play all goes through every marker as its notes finish, then ends with
// no marker current and the list's selection cleared.
TEST_F(SequencerTest, PlayAllToursEveryMarkerAndEndsIdle)
{
    seq->showMarkerList();
    run("A");
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(i, seq->getCurrentIndex());
        EXPECT_EQ(std::string(1, (char)('0' + i)), visible());
        notes[(size_t)i]->finish();
    }
    EXPECT_EQ("012", played());
    EXPECT_EQ(-1, seq->getCurrentIndex());
    EXPECT_EQ("", visible());
    int selected = -1;
    XtVaGetValues(seq->getDialogWidget(10), XmNselectedItemCount, &selected, NULL);
    EXPECT_EQ(0, selected);
    // A marker without notes is passed at once.
    list(markers[1])->removeChild(notes[1]);
    log.clear();
    run("A");
    notes[0]->finish();
    EXPECT_EQ(2, seq->getCurrentIndex());
    EXPECT_EQ("02", played());
    // A marker the tour has left no longer moves it on when its notes
    // play to their end.
    list(markers[0])->autoPlay();
    notes[0]->finish();
    EXPECT_EQ(2, seq->getCurrentIndex());
}

TEST_F(SequencerTest, EmptyOrInAuthoringModeCommandsChangeNothingThemselves)
{
    // Authoring mode: the application is asked to pick and unpick.
    std::vector<ZnMarker *> picked;
    ZnCommon::editMode = 2;
    seq->pickCallback = [](void *d, ZnMarker *m) { ((std::vector<ZnMarker *> *)d)->push_back(m); };
    seq->pickCallbackData = &picked;
    run(">");
    run("2");
    ASSERT_EQ(2u, picked.size());
    EXPECT_EQ(markers[0], picked[0]);
    EXPECT_EQ(markers[2], picked[1]);
    EXPECT_EQ(-1, seq->getCurrentIndex());
    EXPECT_EQ("", visible());

    ZnCommon::editMode = 1;
    for (int i = 2; i >= 0; i--)
        seq->removeMarker(i);
    for (int code = 0; code < 16; code++)
        if (code != Seq::SHOW_LIST)
            seq->playerCommand(code);
    EXPECT_EQ(-1, seq->getCurrentIndex());
    EXPECT_EQ("", played());
    EXPECT_FALSE(seq->isListShown());
    seq->playerCommand(Seq::SHOW_LIST);
    EXPECT_TRUE(seq->isListShown());
}

// Read back, the sequencer lists the scene's own markers and a click on
// one makes it current.
TEST_F(SequencerTest, FilesKeepTheTourAndItsLinks)
{
    for (bool binary : {false, true}) {
        GspTest::Held<SoSeparator> read(
            GspTest::readFromBuffer(GspTest::writeToBuffer(root, binary)));
        ASSERT_TRUE(read) << binary;
        Seq *s = (Seq *)read->getChild(read->getNumChildren() - 1);
        ASSERT_TRUE(s->isOfType(Seq::getClassTypeId()));
        ASSERT_EQ(3, s->getNumMarkers());
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(read->getChild(i + 1), s->getMarker(i)) << binary;
        RenderWindow window(read);
        window.draw();
        GspTest::click(read, window.viewport(), 160, 100);
        EXPECT_EQ(2, s->getCurrentIndex()) << binary;
    }
    // Binary: marked a group, and one zero word after the fields.
    GspTest::Held<SoSeparator> alone(new SoSeparator);
    alone->addChild(new Seq);
    std::string bytes = GspTest::writeToBuffer(alone, true);
    size_t flags = bytes.find("ZnMarkerSequencer") + 20;
    ASSERT_EQ(flags + 12, bytes.size());
    EXPECT_EQ(2, bytes[flags + 3] & 2);
    EXPECT_EQ(std::string(4, '\0'), bytes.substr(flags + 8));

    EXPECT_FALSE(GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\n Separator { ZnMarkerSequencer { sequence [ Cube {} ] } }"));
}

// Released from inside an event dispatch (a menu's File > New) after its
// list was shown, in the middle of a tour: its markers, their note lists
// and the dialog's widgets, destroyed only once the dispatch ends, are
// left with nothing that leads back to it.
TEST_F(SequencerTest, ReleasedInAnEventDispatchItLeavesNoLinks)
{
    RenderWindow window(root);
    window.draw();  // a player icon too
    seq->showMarkerList();
    run("A");
    XtEventHandler release = [](Widget, XtPointer test, XEvent *, Boolean *) {
        SequencerTest *t = (SequencerTest *)test;
        t->root->removeChild(t->seq);
        t->seq = NULL;
    };
    XtAddEventHandler(window.shell, NoEventMask, True, release, this);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.format = 32;
    event.xclient.window = XtWindow(window.shell);
    XSendEvent(XtDisplay(window.shell), XtWindow(window.shell), False, NoEventMask, &event);
    ASSERT_TRUE(GspTest::pumpUntil([this] { return seq == NULL; }));
    GspTest::pumpEvents(50);
    for (size_t i = 0; i < markers.size(); i++) {
        EXPECT_EQ(NULL, markers[i]->selectCallback) << i;
        EXPECT_EQ(NULL, list(markers[i])->finishCallback) << i;
    }
    notes[0]->finish();  // the tour's marker ends its notes
    EXPECT_EQ(NULL, GspTest::findWidget(GspTest::topLevel(), "MarkerListDialog"));
}

namespace {

int selectedPosition(Widget list)
{
    int *positions, count = 0, first = 0;
    if (XmListGetSelectedPos(list, &positions, &count)) {
        first = positions[0];
        XtFree((char *)positions);
    }
    return first;
}

int countNamed(Widget w, const char *name)
{
    int n = strcmp(XtName(w), name) == 0;
    if (XtIsComposite(w)) {
        CompositeWidget c = (CompositeWidget)w;
        for (Cardinal i = 0; i < c->composite.num_children; i++)
            n += countNamed(c->composite.children[i], name);
    }
    return n;
}

bool isViewable(Widget w) { return GspTest::viewable(w); }

}

TEST_F(SequencerTest, TheListFollowsTheSequencerAndPicksMarkers)
{
    GspTest::setResource("title_list", "Tour Stops");
    seq->showMarkerList();
    Widget list = w(10);
    char *title = NULL;
    XtVaGetValues(w(3), XmNtitle, &title, NULL);
    EXPECT_STREQ("Tour Stops", title);
    EXPECT_EQ((std::vector<std::string>{"Hall", "<unnamed marker>", "Tower"}), GspTest::listItems(list));

    seq->insertMarker(marker("Gate"), 0);
    seq->appendMarker(marker("Yard"));
    seq->removeMarker(2);
    EXPECT_EQ((std::vector<std::string>{"Gate", "Hall", "Tower", "Yard"}), GspTest::listItems(list));
    seq->setCurrentIndex(2);
    EXPECT_EQ(3, selectedPosition(list));

    // A click on an item picks its marker; a second click gives it up.
    ZnNoteList *notes = (ZnNoteList *)seq->getMarker(1)->getPart("notes", TRUE);
    XmListSelectPos(list, 2, TRUE);
    EXPECT_EQ(1, seq->getCurrentIndex());
    EXPECT_TRUE(notes->isVisible());
    XmListSelectPos(list, 2, TRUE);
    EXPECT_EQ(-1, seq->getCurrentIndex());
    EXPECT_FALSE(notes->isVisible());
    EXPECT_EQ(0, selectedPosition(list));

    // The dialog's buttons run their commands.
    XtCallCallbacks(w(Seq::NEXT), XmNactivateCallback, NULL);
    EXPECT_EQ(0, seq->getCurrentIndex());
    XtCallCallbacks(w(Seq::DELETE), XmNactivateCallback, NULL);
    EXPECT_EQ((std::vector<std::string>{"Hall", "Tower", "Yard"}), GspTest::listItems(list));
}

// Outside authoring mode the list reaches down over the editing controls,
// which are gone.
TEST_F(SequencerTest, EditingControlsOnlyInAuthoringMode)
{
    for (int mode : {1, 2, 1}) {
        ZnCommon::editMode = mode;
        seq->showMarkerList();
        GspTest::pumpEvents(50);
        Position listY, deleteY, playerY;
        Dimension listH;
        XtVaGetValues(XtParent(w(10)), XmNy, &listY, XmNheight, &listH, NULL);
        XtVaGetValues(w(Seq::DELETE), XmNy, &deleteY, NULL);
        XtVaGetValues(w(11), XmNy, &playerY, NULL);
        for (int i : {12, 13, 14, 15})
            EXPECT_EQ(mode == 2, (bool)XtIsManaged(w(i))) << i << " in mode " << mode;
        if (mode == 2)
            EXPECT_LT(listY + listH, deleteY);
        else
            EXPECT_EQ(playerY - 20, listY + listH);
    }
}

// The dialog goes and comes back with the application's window; once the
// user has closed it, it stays closed.
TEST_F(SequencerTest, TheDialogFollowsTheApplicationWindow)
{
    Widget top = GspTest::topLevel();
    XtVaSetValues(top, XmNwidth, 60, XmNheight, 40, NULL);
    XtRealizeWidget(top);
    XMapWindow(XtDisplay(top), XtWindow(top));
    seq->showMarkerList();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return isViewable(w(3)); }));

    XUnmapWindow(XtDisplay(top), XtWindow(top));
    EXPECT_TRUE(GspTest::pumpUntil([&] { return !isViewable(w(3)); }));
    XMapWindow(XtDisplay(top), XtWindow(top));
    EXPECT_TRUE(GspTest::pumpUntil([&] { return isViewable(w(3)); }));

    Display *d = XtDisplay(top);
    GspTest::closeByWindowManager(XtWindow(w(3)));
    EXPECT_TRUE(GspTest::pumpUntil([&] { return !seq->isListShown(); }));
    XUnmapWindow(d, XtWindow(top));
    GspTest::pumpEvents(50);
    XMapWindow(d, XtWindow(top));
    GspTest::pumpEvents(100);
    EXPECT_FALSE(isViewable(w(3)));
    XUnmapWindow(d, XtWindow(top));
    GspTest::pumpEvents(50);
}

// Draws scene into each of two GL windows that share one parent widget.
void drawIntoTwoWindowsOfOneParent(SoNode *scene, Widget &parent)
{
    Widget shell = XtVaCreatePopupShell("twoWindows", topLevelShellWidgetClass,
                                        GspTest::topLevel(), NULL);
    parent = XtVaCreateManagedWidget("form", xmFormWidgetClass, shell, NULL);
    Widget areas[2];
    for (int i = 0; i < 2; i++)
        areas[i] = XtVaCreateManagedWidget("gl", xmDrawingAreaWidgetClass, parent, XmNwidth, 80,
                                           XmNheight, 80, XmNx, 90 * i, NULL);
    XtPopup(shell, XtGrabNone);
    ASSERT_TRUE(GspTest::pumpUntil([&] { return isViewable(areas[1]); }));
    Display *d = XtDisplay(shell);
    XVisualInfo want;
    want.visualid = XVisualIDFromVisual(DefaultVisual(d, DefaultScreen(d)));
    int n;
    XVisualInfo *vi = XGetVisualInfo(d, VisualIDMask, &want, &n);
    ASSERT_TRUE(vi);
    GLXContext context = glXCreateContext(d, vi, NULL, True);
    XFree(vi);
    for (Widget w : areas) {
        glXMakeCurrent(d, XtWindow(w), context);
        SoGLRenderAction(SbViewportRegion(80, 80)).apply(scene);
    }
    glXMakeCurrent(d, None, NULL);
    glXDestroyContext(d, context);
}

// One icon in the top-left corner of each window's parent, above the GL
// window; two GL windows in one parent share one.
TEST_F(SequencerTest, EachThreeDWindowGetsOnePlayerIcon)
{
    RenderWindow *a = new RenderWindow(root), *b = new RenderWindow(root);
    a->draw();
    b->draw();
    for (RenderWindow *r : {a, b}) {
        EXPECT_EQ(1, countNamed(r->shell, "SequencerIconForm"));
        Widget icon = GspTest::findWidget(r->shell, "SequencerIconForm");
        ASSERT_TRUE(icon);
        Position x, y;
        XtVaGetValues(icon, XmNx, &x, XmNy, &y, NULL);
        EXPECT_EQ(15, x);
        EXPECT_EQ(15, y);
        // Stacked above the GL window.
        Window root, parent, *children;
        unsigned n;
        XQueryTree(XtDisplay(icon), XtWindow(XtParent(icon)), &root, &parent, &children, &n);
        Window gl = XtWindow(r->area->getNormalWidget());
        int glAt = -1, iconAt = -1;
        for (unsigned i = 0; i < n; i++) {
            if (children[i] == gl)
                glAt = (int)i;
            if (children[i] == XtWindow(icon))
                iconAt = (int)i;
        }
        XFree(children);
        EXPECT_GT(iconAt, glAt);
    }
    Widget shared;
    drawIntoTwoWindowsOfOneParent(root, shared);
    EXPECT_EQ(1, countNamed(shared, "SequencerIconForm"));
    XtDestroyWidget(XtParent(shared));

    // With no markers the icon's player buttons do nothing; its list
    // button opens the list.
    while (seq->getNumMarkers() > 0)
        seq->removeMarker(0);
    WidgetList buttons;
    XtVaGetValues(GspTest::findWidget(b->shell, "SequencerIconForm"), XmNchildren, &buttons, NULL);
    XtCallCallbacks(buttons[0], XmNactivateCallback, NULL);
    EXPECT_EQ(-1, seq->getCurrentIndex());
    XtCallCallbacks(buttons[2], XmNactivateCallback, NULL);
    EXPECT_TRUE(seq->isListShown());

    // A window that goes takes its icon along; the other keeps drawing.
    delete a;
    b->draw();
    EXPECT_EQ(1, countNamed(b->shell, "SequencerIconForm"));
    delete b;
}
