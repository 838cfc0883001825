// The note list: the icon grid in pixels, the label, what a hidden list
// draws and picks, playback by each note's startNextNote, pending notes,
// reordering and the file form without the label sub-graph.
#include "support/Test.h"

#include "init/FullPath.h"
#include "support/GridNote.h"
#include "support/ProcNote.h"
#include "support/SceneTest.h"

namespace {

// Of a 200 x 200 view of the plane z = 0, 10 units high: 20 pixels a unit,
// the origin at pixel (100, 100).
class NoteListTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        list = new ZnNoteList;
        root->addChild(list);
        list->finishCallback = [](void *data, SoAction *) { ++*(int *)data; };
        list->finishCallbackData = &finishes;
    }
    void TearDown() override
    {
        list->stop();
        SceneTest::TearDown();
    }
    GridNote *add(int w = 24, int h = 24)
    {
        GridNote *n = new GridNote(w, h, &played);
        list->addChild(n);
        return n;
    }
    // Lays the list out in a view of w x 200 and gives the pixel of p.
    SbVec2f pixelAt(const SbVec3f &p, int w = 200) const
    {
        SoGetBoundingBoxAction(SbViewportRegion(w, 200)).apply(root);
        SbVec3f n;
        camera->getViewVolume(w / 200.0f).projectToScreen(p, n);
        return SbVec2f(n[0] * w, n[1] * 200);
    }
    SbVec2f iconAt(GridNote *n, int w = 200) const { return pixelAt(n->getOffset(), w); }
    static SoGroup *labelGraph(ZnNoteList *l)
    {
        return (SoGroup *)((SoGroup *)l->getChild(0))->getChild(0);
    }

    ZnNoteList *list = NULL;
    std::vector<GridNote *> played;
    int finishes = 0;
};

// A point's pixel position to within a hundredth of a pixel.
::testing::AssertionResult at(float x, float y, const SbVec2f &p)
{
    if (fabsf(p[0] - x) < 0.01f && fabsf(p[1] - y) < 0.01f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at (" << p[0] << ", " << p[1] << "), not (" << x << ", " << y << ")";
}

}

TEST_F(NoteListTest, IconsHangFromTheAnchorInRowsOfTheLargestCell)
{
    std::vector<GridNote *> n;
    for (int i = 0; i < 7; i++)
        n.push_back(add());
    // Rows of 3, 3 and 1; the first row on top, the last at the anchor.
    list->iconsPerRow = 3;
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(at(100 + 28 * (i % 3), 156 - 28 * (i / 3), iconAt(n[i]))) << i;
    // One row without a limit; the anchor moved and offset to the right.
    list->iconsPerRow = 0;
    list->setAnchor(SbVec3f(1, 2, 0), 3, 1);
    for (int i = 0; i < 7; i++)
        EXPECT_TRUE(at(140 + 28 * i, 140, iconAt(n[i]))) << i;
    // Running off a view twice as wide (the cells keep their pixel size),
    // the row moves over to the marker's other side, where it fits.
    EXPECT_TRUE(at(32, 140, iconAt(n[1], 400)));

    // A label raises every row by the font size and stands at the base;
    // the whole moves 12 pixels down to stay under the view's top edge.
    list->iconsPerRow = 4;
    list->setLabel("Parts");
    EXPECT_TRUE(at(224, 176, iconAt(n[3])));
    EXPECT_TRUE(at(140, 148, iconAt(n[4])));
    SoTranslation *place = (SoTranslation *)labelGraph(list)->getChild(1);
    EXPECT_TRUE(at(140, 128, pixelAt(place->translation.getValue())));
    EXPECT_EQ(SbString("Parts"), ((SoBitmapText *)labelGraph(list)->getChild(4))->string[0]);
    // Clearing the label leaves its translation where it was.
    list->setAnchor(SbVec3f(-2, -2, 0), 0, 0);
    list->setLabel((const char *)NULL);
    EXPECT_TRUE(at(60, 88, iconAt(n[0])));
    EXPECT_TRUE(at(140, 128, pixelAt(place->translation.getValue())));

    // Small icons are centred in cells of the largest.
    for (GridNote *g : n)
        list->removeChild(g);
    GridNote *wide = add(32, 20), *tall = add(20, 24), *small = add(16, 16);
    list->iconsPerRow = 0;
    EXPECT_TRUE(at(60, 62, iconAt(wide)));
    EXPECT_TRUE(at(102, 60, iconAt(tall)));
    EXPECT_TRUE(at(140, 64, iconAt(small)));
}

TEST_F(NoteListTest, AHiddenListDrawsPicksAndHearsNothingButStillLaysOut)
{
    GridNote *n = add();
    open();
    SoRayPickAction pick(window->viewport());
    pick.setPoint(SbVec2s(110, 110));
    for (bool visible : {false, true}) {
        list->setVisible(visible);
        window->draw();
        EXPECT_EQ(SbVec3f(visible, visible, visible), window->pixel(110, 110));
        EXPECT_EQ(SbVec3f(0, 0, 0), window->pixel(130, 110));
        EXPECT_TRUE(at(100, 100, iconAt(n)));
        pick.apply(root);
        EXPECT_EQ(visible, pick.getPickedPoint() != NULL);
        if (visible) {
            EXPECT_EQ(n, gspFullTail(pick.getPickedPoint()->getPath()));
        }
        GspTest::click(root, SbViewportRegion(200, 200), 110, 110);
        EXPECT_EQ((int)visible, n->plays);
    }
}

TEST_F(NoteListTest, PlaybackFollowsEachNotesStartNextNote)
{
    // Nothing to play: the list is done at once.
    list->autoPlay();
    EXPECT_EQ(1, finishes);
    EXPECT_FALSE(list->isAutoPlaying());

    GridNote *a = add(), *b = add(), *c = add(), *d = add(), *off = add(), *e = add(),
             *offLast = add();
    a->startNextNote = b->startNextNote = 0;
    c->startNextNote = e->startNextNote = 1;
    d->startNextNote = 2;
    d->nextNoteDelay = 0.1f;
    off->autoPlayable = offLast->autoPlayable = FALSE;

    // Notes that start the next at once run together up to one that waits.
    list->autoPlay();
    EXPECT_EQ((std::vector<GridNote *>{a, b, c}), played);
    EXPECT_EQ(1, c->playingInSequence);
    c->finish();
    EXPECT_EQ(d, played.back());
    GspTest::pumpEvents(40);
    EXPECT_EQ(4u, played.size());  // the delay has not passed yet
    ASSERT_TRUE(GspTest::pumpUntil([&] { return played.size() == 5; }));
    EXPECT_EQ(e, played[4]);  // the notes that do not play are passed over
    EXPECT_EQ(1, finishes);
    e->finish();
    EXPECT_EQ(2, finishes);

    // Pause keeps the place and a paused player calls nothing; stop goes
    // back to the start.
    played.clear();
    list->autoPlay();
    list->pause();
    EXPECT_TRUE(list->isAutoPlaying());
    EXPECT_FALSE(c->playing);
    c->finish();
    EXPECT_EQ(3u, played.size());
    list->stop();
    EXPECT_FALSE(list->isAutoPlaying());
    list->startNextNote();
    EXPECT_EQ(3u, played.size());

    // No autoplayable note: nothing starts and the list is not done.
    for (GridNote *n : {a, b, c, d, e})
        n->autoPlayable = FALSE;
    list->autoPlay();
    EXPECT_EQ(3u, played.size());
    EXPECT_EQ(2, finishes);
}

// Text notes hand over when the user closes their dialog; external
// players when their program exits, and a stopped one to nobody.
TEST_F(NoteListTest, DialogsAndPlayersEndingStartTheNextNote)
{
    ZnTextNote *first = new ZnTextNote, *second = new ZnTextNote;
    for (ZnTextNote *t : {first, second}) {
        t->setFieldFromString("words");
        t->startNextNote = 1;
        list->addChild(t);
    }
    auto closeDialog = [&] {
        Widget d = GspTest::findManaged(GspTest::topLevel(), "Text Block");
        ASSERT_TRUE(d);
        GspTest::invoke(d, XmNokCallback, XmCR_OK);
    };
    list->autoPlay();
    EXPECT_TRUE(first->isPlaying());
    EXPECT_FALSE(second->isPlaying());
    closeDialog();
    EXPECT_TRUE(second->isPlaying());
    EXPECT_EQ(0, finishes);
    closeDialog();
    EXPECT_EQ(1, finishes);

    list->removeChild(first);
    list->removeChild(second);
    ZnNote::alwaysKillPlayers = 1;
    ProcNote *one = new ProcNote, *two = new ProcNote;
    static char icon[24 * 24 * 3];
    for (ProcNote *n : {one, two}) {
        n->setIconData(24, 24, icon);
        n->setActiveIconData(icon);
        n->startNextNote = 1;
        list->addChild(n);
    }
    one->playerArgs = {"exit", "0"};
    two->playerArgs = {"sleep"};
    list->autoPlay();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return two->isPlaying(); }, 5000));
    list->stop();
    ASSERT_TRUE(GspTest::pumpUntil([&] { return !two->isPlaying(); }, 5000));
    GspTest::pumpEvents(50);
    EXPECT_EQ(1, finishes);
}

TEST_F(NoteListTest, APendingNoteJoinsTheListOnlyWhenItsEditorSucceeds)
{
    GspTest::Held<GridNote> pending(new GridNote);
    list->setPendingNote(pending);
    GspTest::PendingReports &reports = GspTest::watchPending(pending);
    list->resolvePendingNote(0);
    pending->pendingData = 0;  // the editor gave nothing
    list->resolvePendingNote(1);
    EXPECT_EQ(0, list->getNumNotes());
    pending->pendingData = 1;
    pending->playing = true;
    list->resolvePendingNote(1);
    EXPECT_EQ(0, list->findNote(pending));
    EXPECT_FALSE(pending->playing);
    EXPECT_EQ(1, reports.ready);
    EXPECT_EQ(2, reports.finished);
    list->setPendingNote(NULL);
    EXPECT_FALSE(pending->isPendingNote);
}

TEST_F(NoteListTest, ShiftingMovesOneNoteAndExtendsThePath)
{
    GridNote *a = add(), *b = add(), *c = add();
    GspTest::Held<SoPath> path(new SoPath(list));
    SoFullPath *full = gspFullPath(path);
    list->shiftLeft(a, full);  // at the ends: nothing moves
    list->shiftRight(c, full);
    list->shiftLeft(NULL, full);
    EXPECT_EQ(1, path->getLength());
    list->shiftRight(a, full);
    EXPECT_EQ(0, list->findNote(b));
    EXPECT_EQ(1, list->findNote(a));
    EXPECT_EQ(a, gspFullTail(path));
    list->shiftLeft(c, NULL);
    EXPECT_EQ(1, list->findNote(c));
    EXPECT_EQ(2, list->findNote(a));
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
            EXPECT_NE(std::string::npos, text.find("iconsPerRow\t2")) << text;
            EXPECT_EQ(std::string::npos, text.find("Separator")) << text;
        }
        EXPECT_EQ(3, list->getNumChildren());  // the label is back in place

        GspTest::Held<SoSeparator> read(GspTest::readFromBuffer(text));
        ASSERT_TRUE(read) << binary;
        ZnNoteList *back = (ZnNoteList *)read->getChild(0);
        ASSERT_TRUE(back->isOfType(ZnNoteList::getClassTypeId()));
        EXPECT_EQ(2, back->getNumNotes());
        EXPECT_EQ(SbString("Engine"), ((SoBitmapText *)labelGraph(back)->getChild(4))->string[0]);
        // A copy has one label graph of its own.
        GspTest::Held<ZnNoteList> copy((ZnNoteList *)back->copy());
        EXPECT_EQ(3, copy->getNumChildren());
        EXPECT_NE(back->getChild(0), copy->getChild(0));
    }
}
