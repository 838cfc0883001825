// The note list: the icon grid in pixels, the label, what a hidden list
// draws and picks, automatic playback by each note's startNextNote with
// in-process notes, text notes and the stand-in player, pending notes,
// reordering and the file form without the label sub-graph.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include <Glosspin/SoBitmapText.h>
#include <Glosspin/ZnNoteList.h>
#include <Glosspin/ZnTextNote.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Xm/MessageB.h>
#include <X11/IntrinsicP.h>

#include "init/FullPath.h"
#include "support/GridNote.h"
#include "support/ProcNote.h"
#include "support/RenderWindow.h"
#include "support/Scenes.h"
#include "support/XtTestEnv.h"

namespace {


// Of a 200 x 200 view of the plane z = 0, 10 units high: 20 pixels a unit,
// the origin at pixel (100, 100).
class NoteListTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        if (GridNote::getClassTypeId() == SoType::badType())
            GridNote::initClass();
        if (ProcNote::getClassTypeId() == SoType::badType())
            ProcNote::initClass();
        root = new SoSeparator;
        root->ref();
        camera = GspTest::addFrontCamera(root);
        list = new ZnNoteList;
        root->addChild(list);
        list->finishCallback = &NoteListTest::finished;
        list->finishCallbackData = this;
    }
    void TearDown() override
    {
        list->stop();
        delete window;
        root->unref();
        XtTest::TearDown();
    }
    static void finished(void *data, SoAction *) { ((NoteListTest *)data)->finishes++; }

    GridNote *add(int w = 24, int h = 24)
    {
        GridNote *n = new GridNote(w, h, &played);
        list->addChild(n);
        return n;
    }
    void layOut()
    {
        SoGetBoundingBoxAction bb(SbViewportRegion(200, 200));
        bb.apply(root);
    }
    SbVec2f pixelOf(const SbVec3f &p) const
    {
        SbVec3f n;
        camera->getViewVolume(1).projectToScreen(p, n);
        return SbVec2f(n[0] * 200, n[1] * 200);
    }
    SbVec2f iconAt(ZnNote *n) const { return pixelOf(((GridNote *)n)->getOffset()); }
    SoTranslation *labelPlace() const
    {
        SoGroup *inner = (SoGroup *)((SoGroup *)list->getChild(0))->getChild(0);
        return (SoTranslation *)inner->getChild(1);
    }
    SoBitmapText *labelText() const
    {
        SoGroup *inner = (SoGroup *)((SoGroup *)list->getChild(0))->getChild(0);
        return (SoBitmapText *)inner->getChild(4);
    }
    void click(short x, short y) { GspTest::click(root, SbViewportRegion(200, 200), x, y); }

    SoSeparator *root = NULL;
    SoOrthographicCamera *camera = NULL;
    ZnNoteList *list = NULL;
    RenderWindow *window = NULL;
    std::vector<GridNote *> played;
    int finishes = 0;
};

int readies, dones;  // pending-note callbacks

// A point's pixel position to within a hundredth of a pixel.
::testing::AssertionResult at(float x, float y, const SbVec2f &p)
{
    if (fabsf(p[0] - x) < 0.01f && fabsf(p[1] - y) < 0.01f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at (" << p[0] << ", " << p[1] << "), not (" << x << ", " << y << ")";
}

}

TEST_F(NoteListTest, SevenIconsInRowsOfThreeHangFromTheAnchor)
{
    std::vector<GridNote *> n;
    for (int i = 0; i < 7; i++)
        n.push_back(add());
    list->iconsPerRow = 3;
    layOut();
    // Rows of 3, 3 and 1; the first row on top, the last at the anchor.
    const float xs[] = {100, 128, 156, 100, 128, 156, 100};
    const float ys[] = {156, 156, 156, 128, 128, 128, 100};
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(at(xs[i], ys[i], iconAt(n[i]))) << i;

    // One row without a limit; the anchor moved and offset to the right.
    list->iconsPerRow = 0;
    SbVec3f anchor(1, 2, 0);
    list->setAnchor(anchor, 3, 1);
    layOut();
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(at(140 + 28 * i, 140, iconAt(n[i]))) << i;

    // A label raises every row by the font size and stands at the base.
    list->iconsPerRow = 4;
    list->setLabel("Parts");
    layOut();
    EXPECT_TRUE(at(140, 188, iconAt(n[0])));
    EXPECT_TRUE(at(224, 188, iconAt(n[3])));
    EXPECT_TRUE(at(140, 160, iconAt(n[4])));
    EXPECT_TRUE(at(140, 140, pixelOf(labelPlace()->translation.getValue())));
    EXPECT_EQ(SbString("Parts"), labelText()->string[0]);

    // Clearing the label leaves its translation where it was.
    anchor.setValue(-2, -2, 0);
    list->setAnchor(anchor, 0, 0);
    list->setLabel((const char *)NULL);
    EXPECT_EQ(SbString(""), list->label.getValue());
    layOut();
    EXPECT_TRUE(at(140, 140, pixelOf(labelPlace()->translation.getValue())));
    EXPECT_TRUE(at(60, 88, iconAt(n[0])));
}

TEST_F(NoteListTest, SmallIconsAreCentredInCellsOfTheLargest)
{
    GridNote *wide = add(32, 20), *tall = add(20, 24), *small = add(16, 16);
    layOut();
    EXPECT_TRUE(at(100 + 0, 100 + 2, iconAt(wide)));
    EXPECT_TRUE(at(136 + 6, 100 + 0, iconAt(tall)));
    EXPECT_TRUE(at(172 + 8, 100 + 4, iconAt(small)));
}

// In a view twice as wide as high the cells keep their pixel size.
TEST_F(NoteListTest, AWideViewKeepsThePixelGrid)
{
    GridNote *a = add(), *b = add();
    SoGetBoundingBoxAction bb(SbViewportRegion(400, 200));
    bb.apply(root);
    SbVec3f n;
    for (GridNote *note : {a, b}) {
        camera->getViewVolume(2).projectToScreen(note->getOffset(), n);
        EXPECT_TRUE(at(note == a ? 200 : 228, 100, SbVec2f(n[0] * 400, n[1] * 200)));
    }
}

TEST_F(NoteListTest, AHiddenListDrawsPicksAndHearsNothingButStillLaysOut)
{
    GridNote *n = add();
    window = new RenderWindow(root);
    EXPECT_FALSE(list->isVisible());
    window->draw();
    EXPECT_EQ(SbVec3f(0, 0, 0), window->pixel(110, 110));

    SoGetBoundingBoxAction bb(window->viewport());
    bb.apply(list);
    EXPECT_FALSE(bb.getBoundingBox().isEmpty());
    EXPECT_TRUE(at(100, 100, iconAt(n)));

    SoRayPickAction pick(window->viewport());
    pick.setPoint(SbVec2s(110, 110));
    pick.apply(root);
    EXPECT_EQ(NULL, pick.getPickedPoint());
    click(110, 110);
    EXPECT_EQ(0, n->plays);

    list->setVisible(TRUE);
    window->draw();
    EXPECT_EQ(SbVec3f(1, 1, 1), window->pixel(110, 110));
    EXPECT_EQ(SbVec3f(0, 0, 0), window->pixel(130, 110));
    pick.apply(root);
    ASSERT_TRUE(pick.getPickedPoint());
    EXPECT_EQ(n, gspFullTail(pick.getPickedPoint()->getPath()));
    click(110, 110);
    EXPECT_EQ(1, n->plays);
}

TEST_F(NoteListTest, PlaybackFollowsEachNotesStartNextNote)
{
    // Nothing to play: the list is done at once.
    list->autoPlay();
    EXPECT_EQ(1, finishes);
    EXPECT_FALSE(list->isAutoPlaying());

    GridNote *a = add(), *b = add(), *c = add(), *d = add(), *off = add(), *e = add();
    a->startNextNote = 0;
    b->startNextNote = 0;
    c->startNextNote = 1;
    d->startNextNote = 2;
    d->nextNoteDelay = 0.1f;
    off->autoPlayable = FALSE;
    e->startNextNote = 1;

    // Notes that start the next at once run together up to one that waits.
    list->autoPlay();
    EXPECT_TRUE(list->isAutoPlaying());
    ASSERT_EQ(3u, played.size());
    EXPECT_EQ(a, played[0]);
    EXPECT_EQ(b, played[1]);
    EXPECT_EQ(c, played[2]);
    EXPECT_EQ(1, played[2]->playingInSequence);

    c->finish();
    ASSERT_EQ(4u, played.size());
    EXPECT_EQ(d, played[3]);
    GspTest::pumpEvents(40);
    EXPECT_EQ(4u, played.size());  // the delay has not passed yet
    ASSERT_TRUE(GspTest::pumpUntil([&] { return played.size() == 5; }));
    EXPECT_EQ(e, played[4]);  // the note that does not play is passed over
    EXPECT_EQ(0, off->plays);
    EXPECT_EQ(1, finishes);
    e->finish();
    EXPECT_EQ(2, finishes);

    // Pause keeps the place; stop goes back to the start.
    played.clear();
    list->autoPlay();
    list->pause();
    EXPECT_TRUE(list->isAutoPlaying());
    EXPECT_FALSE(c->playing);
    EXPECT_EQ(NULL, c->playerFinishedCallback);  // a stopped player calls nothing
    c->finish();
    EXPECT_EQ(3u, played.size());
    list->stop();
    EXPECT_FALSE(list->isAutoPlaying());
    list->startNextNote();
    EXPECT_EQ(3u, played.size());

    // No autoplayable note: nothing starts and the list is not done.
    for (GridNote *n : {a, b, c, d, e})
        n->autoPlayable = FALSE;
    int before = finishes;
    list->autoPlay();
    EXPECT_EQ(3u, played.size());
    EXPECT_EQ(before, finishes);
}

// The next note's text dialog opens when the user closes the current one.
TEST_F(NoteListTest, TextNotesHandOverWhenTheUserClosesTheirDialog)
{
    ZnTextNote *first = new ZnTextNote, *second = new ZnTextNote;
    first->setFieldFromString("first");
    second->setFieldFromString("second");
    first->startNextNote = 1;
    second->startNextNote = 1;
    list->addChild(first);
    list->addChild(second);

    // The managed "Text Block" dialog of the application.
    std::function<Widget(Widget)> managedBlock = [&](Widget w) -> Widget {
        if (!XtIsWidget(w))
            return (Widget)NULL;  // gadgets have no popups
        if (!strcmp(XtName(w), "Text Block") && XtIsManaged(w))
            return w;
        for (Cardinal i = 0; i < w->core.num_popups; i++)
            if (Widget found = managedBlock(w->core.popup_list[i]))
                return found;
        if (XtIsComposite(w)) {
            CompositeWidget c = (CompositeWidget)w;
            for (Cardinal i = 0; i < c->composite.num_children; i++)
                if (Widget found = managedBlock(c->composite.children[i]))
                    return found;
        }
        return (Widget)NULL;
    };
    auto shownDialog = [&] { return managedBlock(GspTest::topLevel()); };
    auto closeDialog = [&] {
        Widget d = shownDialog();
        ASSERT_TRUE(d);
        XmAnyCallbackStruct cbs = {XmCR_OK, NULL};
        XtCallCallbacks(d, XmNokCallback, &cbs);
    };

    list->autoPlay();
    EXPECT_TRUE(first->isPlaying());
    EXPECT_FALSE(second->isPlaying());
    closeDialog();
    EXPECT_FALSE(first->isPlaying());
    EXPECT_TRUE(second->isPlaying());
    EXPECT_EQ(0, finishes);
    closeDialog();
    EXPECT_EQ(1, finishes);
}

// Notes played by the stand-in program: the next starts when it exits.
TEST_F(NoteListTest, ExternalPlayersEndingStartTheNextNote)
{
    ZnNote::alwaysKillPlayers = 1;
    ProcNote *first = new ProcNote, *second = new ProcNote;
    static char icon[24 * 24 * 3];
    for (ProcNote *n : {first, second}) {
        n->setIconData(24, 24, icon);
        n->setActiveIconData(icon);
        n->startNextNote = 1;
        list->addChild(n);
    }
    first->playerArgs = {"exit", "0"};
    second->playerArgs = {"sleep"};
    list->autoPlay();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return second->isPlaying(); }, 5000));
    EXPECT_EQ(0, finishes);
    list->stop();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !second->isPlaying(); }, 5000));
    GspTest::pumpEvents(50);
    EXPECT_EQ(0, finishes);  // a stopped player hands over to nobody
}

TEST_F(NoteListTest, APendingNoteJoinsTheListOnlyWhenItsEditorSucceeds)
{
    struct Calls {
        static void ready(ZnNote *, int) { readies++; }
        static void done(ZnNote *, int) { dones++; }
    };
    readies = dones = 0;
    GridNote *pending = new GridNote;
    pending->ref();
    list->setPendingNote(pending);
    EXPECT_TRUE(pending->isPendingNote);
    pending->pendingReadyCallback = &Calls::ready;
    pending->pendingFinishedCallback = &Calls::done;

    list->resolvePendingNote(0);
    EXPECT_EQ(1, readies);
    EXPECT_EQ(0, list->getNumNotes());

    pending->pendingData = 0;  // the editor gave nothing
    list->resolvePendingNote(1);
    EXPECT_EQ(1, dones);
    EXPECT_EQ(0, list->getNumNotes());

    pending->pendingData = 1;
    pending->playing = true;
    list->resolvePendingNote(1);
    EXPECT_EQ(2, dones);
    EXPECT_EQ(0, list->findNote(pending));
    EXPECT_FALSE(pending->playing);

    list->setPendingNote(NULL);
    EXPECT_EQ(NULL, list->getPendingNote());
    EXPECT_FALSE(pending->isPendingNote);
    EXPECT_EQ(NULL, pending->pendingReadyCallback);
    EXPECT_EQ(NULL, pending->pendingFinishedCallback);
    EXPECT_EQ(2, pending->getRefCount());  // the caller's and the list's as a child
    list->resolvePendingNote(1);           // no pending note: nothing
    EXPECT_EQ(2, dones);
    pending->unref();
}

TEST_F(NoteListTest, ShiftingMovesOneNoteAndExtendsThePath)
{
    GridNote *a = add(), *b = add(), *c = add();
    SoPath *path = new SoPath(list);
    path->ref();
    SoFullPath *full = gspFullPath(path);
    list->shiftLeft(a, full);
    list->shiftRight(c, full);
    list->shiftLeft(NULL, full);
    EXPECT_EQ(1, path->getLength());
    EXPECT_EQ(0, list->findNote(a));

    list->shiftRight(a, full);
    EXPECT_EQ(0, list->findNote(b));
    EXPECT_EQ(1, list->findNote(a));
    EXPECT_EQ(2, path->getLength());
    EXPECT_EQ(a, gspFullTail(path));
    list->shiftLeft(c, NULL);
    EXPECT_EQ(1, list->findNote(c));
    EXPECT_EQ(2, list->findNote(a));
    path->unref();

    GridNote *stranger = new GridNote;
    stranger->ref();
    EXPECT_EQ(-1, list->findNote(stranger));
    stranger->unref();
    EXPECT_EQ(1500 + 3 * 7, list->getUndoWeight());
}

TEST_F(NoteListTest, FilesHoldTheNotesButNeverTheLabelGraph)
{
    add();
    add();
    list->iconsPerRow = 2;
    list->setLabel("Engine");
    for (bool binary : {false, true}) {
        std::string text = GspTest::writeToBuffer(list, binary);
        if (!binary) {
            SCOPED_TRACE(text);
            EXPECT_NE(std::string::npos, text.find("iconsPerRow\t2"));
            EXPECT_NE(std::string::npos, text.find("Engine"));
            EXPECT_EQ(std::string::npos, text.find("Separator"));
            EXPECT_EQ(std::string::npos, text.find("PickStyle"));
        }
        EXPECT_EQ(3, list->getNumChildren());  // the label is back in place

        SoSeparator *read = GspTest::readFromBuffer(text);
        ASSERT_TRUE(read) << binary;
        read->ref();
        ASSERT_TRUE(read->getChild(0)->isOfType(ZnNoteList::getClassTypeId()));
        ZnNoteList *back = (ZnNoteList *)read->getChild(0);
        EXPECT_EQ(2, back->getNumNotes());
        EXPECT_EQ(2, back->iconsPerRow.getValue());
        SoGroup *inner = (SoGroup *)((SoGroup *)back->getChild(0))->getChild(0);
        EXPECT_EQ(SbString("Engine"), ((SoBitmapText *)inner->getChild(4))->string[0]);

        // A copy has one label graph of its own.
        ZnNoteList *copy = (ZnNoteList *)back->copy();
        copy->ref();
        EXPECT_EQ(3, copy->getNumChildren());
        EXPECT_NE(back->getChild(0), copy->getChild(0));
        EXPECT_TRUE(copy->getChild(1)->isOfType(GridNote::getClassTypeId()));
        copy->unref();
        read->unref();
    }
}
