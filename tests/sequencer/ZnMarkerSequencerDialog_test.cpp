// The marker list and player dialog through its widgets, and the player
// icon over each 3-D window.
#include "support/Test.h"

#include <GL/glx.h>
#include <Xm/DrawingA.h>
#include <Xm/Form.h>

#include "support/RenderWindow.h"

namespace {

typedef ZnMarkerSequencer Seq;

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

class SequencerDialogTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        ZnCommon::editMode = 1;
        seq = new Seq;
        for (const char *label : {"Hall", "", "Tower"})
            seq->appendMarker(marker(label));
    }
    void TearDown() override
    {
        seq = NULL;
        ZnCommon::editMode = 1;
        XtTest::TearDown();
    }
    static ZnMarker *marker(const char *label)
    {
        ZnMarker *m = new ZnBulletMarker;
        m->setLabel(label);
        return m;
    }
    Widget w(int index) { return seq->getDialogWidget(index); }

    GspTest::Held<Seq> seq;
};

}

TEST_F(SequencerDialogTest, TheListFollowsTheSequencerAndPicksMarkers)
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
TEST_F(SequencerDialogTest, EditingControlsOnlyInAuthoringMode)
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
TEST_F(SequencerDialogTest, TheDialogFollowsTheApplicationWindow)
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
TEST_F(SequencerDialogTest, EachThreeDWindowGetsOnePlayerIcon)
{
    GspTest::Held<SoSeparator> scene(new SoSeparator);
    scene->addChild(seq);
    RenderWindow *a = new RenderWindow(scene), *b = new RenderWindow(scene);
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
    drawIntoTwoWindowsOfOneParent(scene, shared);
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
