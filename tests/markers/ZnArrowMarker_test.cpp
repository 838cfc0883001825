// The arrow marker in a real window: it follows the object it is attached
// to, keeps its place when the object's motion is folded in, is dropped
// onto another object and stretched with the shared dragger, and reads
// object paths that lead anywhere in the file, or nowhere.
#include "support/Test.h"

#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/sensors/SoNodeSensor.h>

#include <random>

#include "support/GridNote.h"
#include "support/SceneTest.h"

namespace {

// A front view 10 units high in 200 x 200 pixels (20 a unit, the origin
// at the centre), drawn in flat colours: the arrow red, the objects blue.
class ArrowMarkerTest : public SceneTest {
  protected:
    // The object's motion the marker has folded into its own part.
    static SbMatrix motionOf(ZnArrowMarker *m)
    {
        SoNode *part = m->getPart("objectTransform", FALSE);
        if (!part)
            return SbMatrix::identity();
        SoGetMatrixAction ma(SbViewportRegion(100, 100));
        ma.apply(part);
        return ma.getMatrix();
    }
    void SetUp() override
    {
        SceneTest::SetUp();
        GspTest::addFlatColour(root);
        objects = new SoSeparator;
        root->addChild(objects);
        marker = new ZnArrowMarker;
        root->addChild(marker);
    }
    void TearDown() override
    {
        marker->deselect();
        SceneTest::TearDown();
    }
    // A blue cube at the origin of its own transform; the marker's path
    // to it starts at its separator, as the dragger's drops do.
    SoSeparator *addObject(const SbVec3f &at, SoTransform **xf = NULL)
    {
        char text[128];
        snprintf(text, sizeof text,
                 "Separator { Transform { translation %g %g %g }"
                 " Material { diffuseColor 0 0 1 } Cube {} }",
                 at[0], at[1], at[2]);
        SoSeparator *obj = (SoSeparator *)GspTest::addText(objects, text);
        if (xf)
            *xf = (SoTransform *)obj->getChild(0);
        return obj;
    }
    void attachTo(SoSeparator *obj)
    {
        GspTest::Held<SoPath> p(new SoPath(obj));
        p->append(2);
        marker->setPathToObject(p);
    }
    RenderWindow::Extent drawnArrow()
    {
        window->draw();
        return window->extent([](const SbVec3f &c) { return c[0] > 0.5f && c[2] < 0.5f; });
    }
    // Centre height of the note icons, in world units.
    float noteHeight()
    {
        GspTest::Held<SoPath> toMarker(new SoPath(root));
        toMarker->append(marker);
        GspTest::Held<SoPath> p(marker->createPathToPart("notes", TRUE, toMarker));
        SoGetBoundingBoxAction bb(window->viewport());
        bb.apply(p);
        return bb.getBoundingBox().getCenter()[1];
    }

    SoSeparator *objects = NULL;
    ZnArrowMarker *marker = NULL;
};

void expectBox(const RenderWindow::Extent &e, int x0, int x1, int y0, int y1, const char *what)
{
    // A few pixels either way where the thin tail and the tip meet the
    // pixel grid; a wrong motion is off by tens.
    EXPECT_NEAR(x0, e.x0, 6) << what;
    EXPECT_NEAR(x1, e.x1, 6) << what;
    EXPECT_NEAR(y0, e.y0, 6) << what;
    EXPECT_NEAR(y1, e.y1, 6) << what;
}

}

TEST_F(ArrowMarkerTest, FollowsItsObjectAndKeepsItsPlaceWhenTheMotionIsFolded)
{
    SoTransform *xf;
    attachTo(addObject(SbVec3f(0, -3, 0), &xf));
    // The tip on the cube's top face, the arrow standing up from it.
    marker->getDraggerTransform()->translation.setValue(0, -2, 0);
    open();
    RenderWindow::Extent placed = drawnArrow();
    ASSERT_FALSE(placed.empty());

    xf->translation.setValue(2, -3, 0);
    expectBox(drawnArrow(), placed.x0 + 40, placed.x1 + 40, placed.y0, placed.y1, "moved right");

    // A quarter turn about the object's origin, pixel (140, 40), lays the
    // arrow to the left.
    xf->rotation.setValue(SbVec3f(0, 0, 1), (float)M_PI / 2);
    RenderWindow::Extent turned = drawnArrow();
    expectBox(turned, 140 - (placed.y1 - 40), 140 - (placed.y0 - 40), 40 + (placed.x0 - 100),
              40 + (placed.x1 - 100), "turned");

    marker->resetObjectTransform();
    EXPECT_TRUE(marker->getObjectTransform()->translation.getValue() == SbVec3f(0, 0, 0) &&
                marker->getObjectTransform()->rotation.getValue() == SbRotation::identity());
    expectBox(drawnArrow(), turned.x0, turned.x1, turned.y0, turned.y1, "after the fold");

    // The object goes on moving from its new reference.
    xf->translation.setValue(2, -2, 0);
    expectBox(drawnArrow(), turned.x0, turned.x1, turned.y0 + 20, turned.y1 + 20, "moved up 1");
}

TEST_F(ArrowMarkerTest, TheSharedDraggerStretchesItAndDropsItOntoAnotherObject)
{
    SoSeparator *a = addObject(SbVec3f(-2.5f, -2.5f, 0));
    SoSeparator *b = addObject(SbVec3f(2.5f, -2.5f, 0));
    attachTo(a);
    SbVec3f tip(-2.5f, -1.5f, 0);
    marker->getDraggerTransform()->translation = tip;
    ((ZnNoteList *)marker->getPart("notes", TRUE))->addChild(new GridNote);
    ZnArrowDragger *dragger = (ZnArrowDragger *)marker->getDragger();
    dragger->clearTargetNodes();
    dragger->addTargetNode(objects);
    ZnCommon::editMode = 2;  // events go to the dragger
    marker->select();
    open();
    window->draw();

    // The stretcher on the shaft lengthens the arrow; the notes move to
    // the new tail.
    float before = noteHeight();
    SbVec2s shaft = pixelOf(tip + SbVec3f(0, 2.75f, 0.15f));
    ASSERT_TRUE(driver->drag(shaft, SbVec2s(shaft[0], shaft[1] + 20)));
    ZnArrow *arrow = (ZnArrow *)marker->getPart("arrow", FALSE);
    EXPECT_NEAR(5, arrow->length.getValue(), 0.05);
    EXPECT_NEAR(before + 1, noteHeight(), 0.05);

    // A drop on the front of the same cube keeps the path it has.
    SoPath *kept = marker->getPathToObject();
    ASSERT_TRUE(driver->drag(pixelOf(tip + SbVec3f(0, 0.4f, 0.2f)),
                             pixelOf(SbVec3f(-2.5f, -2.5f, 1))));
    EXPECT_EQ(kept, marker->getPathToObject());
    EXPECT_TRUE(marker->isAttachedToNode(a->getChild(2)));

    // Stood upright again, its head dropped on the other cube attaches
    // the marker to that one.
    dragger->rotation = SbRotation::identity();
    tip = marker->getDraggerTransform()->translation.getValue();
    ASSERT_TRUE(driver->drag(pixelOf(tip + SbVec3f(0, 0.4f, 0.2f)),
                             pixelOf(SbVec3f(2.5f, -2.5f, 1))));
    EXPECT_TRUE(marker->isAttachedToNode(b->getChild(2)));
    EXPECT_FALSE(marker->isAttachedToNode(a->getChild(2)));
    EXPECT_LT((marker->getDraggerTransform()->translation.getValue() - SbVec3f(2.5f, -2.5f, 1))
                  .length(),
              0.2f);
}

// Selected again while selected, the marker still leaves the shared
// dragger when deselected: the dragger calls it back no more (it would
// call a freed marker once the marker is gone).
TEST_F(ArrowMarkerTest, SelectedAgainItStillLeavesTheSharedDragger)
{
    ZnNoteList *notes = (ZnNoteList *)marker->getPart("notes", TRUE);
    notes->addChild(new GridNote);
    ZnCommon::editMode = 2;
    marker->select();
    marker->select();
    marker->deselect();
    open();
    notes->setAnchor(SbVec3f(0, 0, 0), 0, 0);  // a call back puts it at the arrow's tail
    float before = noteHeight();
    ZnArrowMarker *other = new ZnArrowMarker;
    root->addChild(other);
    other->select();
    ((ZnArrowDragger *)other->getDragger())->translation = SbVec3f(1, 1, 0);
    EXPECT_EQ(before, noteHeight());
    other->deselect();
}

// The marker's motion is the one the toolkit's matrix action finds along
// its path, whatever on or beside the path changes; those watching the
// marker hear of it when it moves.
TEST_F(ArrowMarkerTest, FollowsWhatEverMovesItsObject)
{
    GspTest::Held<SoSeparator> scene(GspTest::readText(
        "Separator { DEF TOP Transform {}"
        "  Group { Separator { DEF INSEP Transform {} Cube {} } DEF INGROUP Transform {}"
        "          DEF B Cube {} DEF AFTER Transform {}"
        "          Switch { whichChild 1 DEF SKIPPED Transform {}"
        "                   Separator { DEF ONPATH Transform {} DEF A Cube {} } } }"
        "  Group { Group { DEF NESTED Transform {} } DEF C Cube {} } }"
        "DEF SW Switch { whichChild -1 DEF SWITCHED Transform {} }"
        "Separator { DEF INBRANCH Transform {} DEF D Cube {} }"));
    ASSERT_TRUE(scene);
    // The third: a switch turned on to the moved transform as well.
    const char *cases[][3] = {{"B", "TOP"},     {"B", "INGROUP"},  {"B", "INSEP"},
                              {"B", "AFTER"},   {"A", "AFTER"},    {"A", "SKIPPED"},
                              {"A", "ONPATH"},  {"C", "NESTED"},   {"D", "INBRANCH"},
                              {"D", "SWITCHED"}, {"D", "SWITCHED", "SW"}};
    SoGetMatrixAction ma(SbViewportRegion(100, 100));
    float turn = 0.3f;
    for (auto &c : cases) {
        SoSearchAction sa;
        sa.setName(c[0]);
        sa.apply(scene);
        SoPath *path = sa.getPath();
        ASSERT_TRUE(path) << c[0];
        GspTest::Held<ZnArrowMarker> m(new ZnArrowMarker);
        m->setPathToObject(path);
        int heard = 0;
        SoNodeSensor watcher([](void *n, SoSensor *) { ++*(int *)n; }, &heard);
        watcher.setPriority(0);
        watcher.attach(m);
        ma.apply(path);
        SbMatrix expected = ma.getInverse();

        SoTransform *t = (SoTransform *)SoNode::getByName(c[1]);
        t->translation.setValue(1, 2, 3);
        heard = 0;  // the first move may make the marker its motion part
        t->rotation.setValue(SbVec3f(0, 0, 1), turn += 0.2f);
        t->scaleFactor.setValue(2, 1, 1);
        if (c[2])
            ((SoSwitch *)SoNode::getByName(c[2]))->whichChild = 0;
        ma.apply(path);
        expected.multRight(ma.getMatrix());
        EXPECT_EQ(!expected.equals(SbMatrix::identity(), 1e-4f), heard > 0) << c[0] << c[1];
        EXPECT_TRUE(motionOf(m).equals(expected, 1e-4f)) << c[0] << " moved by " << c[1];
    }
}

// Children added to or taken from the head before the object's branch
// move the marker when they change the object's matrix (the same
// transform twice too), whether few or many other children come before
// and after them.
TEST_F(ArrowMarkerTest, FollowsChangesOfTheHeadsChildren)
{
    const std::function<void(SoGroup *, int)> edits[] = {
        [](SoGroup *head, int pad) { head->removeChild(pad); },
        [](SoGroup *head, int pad) {
            SoTransform *t = new SoTransform;
            t->rotation.setValue(SbVec3f(0, 0, 1), 0.5f);
            head->insertChild(t, pad + 1);
        },
        [](SoGroup *head, int) { head->insertChild(new SoSeparator, 0); },
        [](SoGroup *head, int pad) { head->insertChild(new SoSeparator, pad); },
        [](SoGroup *head, int pad) { head->replaceChild(pad + 1, new SoSeparator); },
        [](SoGroup *head, int pad) { head->insertChild(head->getChild(pad), pad); },
    };
    SoGetMatrixAction ma(SbViewportRegion(100, 100));
    for (int count = 0; count <= 130; count++) {
        for (const auto &edit : edits) {
            std::string pad;
            for (int i = 0; i < count; i++)
                pad += "Info {} ";
            GspTest::Held<SoSeparator> scene(GspTest::readText(
                "Separator { " + pad + "Transform { translation 1 2 3 } Separator {}"
                " Group { DEF B Cube {} } " + pad + "}"));
            ASSERT_TRUE(scene);
            SoSearchAction sa;
            sa.setName("B");
            sa.apply(scene);
            GspTest::Held<SoPath> path(sa.getPath()->copy());
            GspTest::Held<ZnArrowMarker> m(new ZnArrowMarker);
            m->setPathToObject(path);
            ma.apply(path);
            SbMatrix start = ma.getInverse();
            // A move of the first transform, the edit, and a move of the first
            // transform left.
            for (int step = 0; step < 3; step++) {
                if (step == 1) {
                    edit(scene, count);
                } else {
                    SoSearchAction first;
                    first.setType(SoTransform::getClassTypeId());
                    first.apply(scene);
                    if (!first.getPath())
                        continue;
                    ((SoTransform *)first.getPath()->getTail())->translation.setValue(-4, step, 1);
                }
                ma.apply(path);
                SbMatrix expected = start;
                expected.multRight(ma.getMatrix());
                EXPECT_TRUE(motionOf(m).equals(expected, 1e-4f))
                    << &edit - edits << " step " << step << " among " << count;
            }
            EXPECT_TRUE(m->isAttachedToNode(SoNode::getByName("B")));
        }
    }
}

// Through random children added and taken at every level, transforms
// among them, the marker's path leads where the toolkit's own copy of it
// does, cut where the toolkit cuts it, and the marker moves as the
// toolkit's matrix along that path does.
TEST_F(ArrowMarkerTest, FollowsItsPathThroughRandomEditsAsTheToolkitDoes)
{
    GspTest::Held<SoSeparator> scene(new SoSeparator);
    for (int i = 0; i < 100; i++)
        GspTest::addText(scene, "Separator { Info {} Info {} Info {} Info {} }");
    std::mt19937 random(11);
    auto below = [&](int n) { return (int)(random() % (unsigned)n); };
    GspTest::Held<ZnArrowMarker> m(new ZnArrowMarker);
    GspTest::Held<SoPath> theirs;
    SoGetMatrixAction ma(SbViewportRegion(100, 100));
    SbMatrix start;
    for (int step = 0; step < 3000; step++) {
        int count = scene->getNumChildren();
        SoNode *pick = count ? scene->getChild(below(count)) : scene;
        SoGroup *group = pick->isOfType(SoSeparator::getClassTypeId()) ? (SoGroup *)pick : scene;
        if (!theirs || theirs->getLength() < 3) {
            if (group == scene || !group->getNumChildren())
                continue;
            theirs = new SoPath(scene);
            theirs->append(group);
            theirs->append(below(group->getNumChildren()));
            m->setPathToObject(theirs);
            ma.apply(theirs);
            start = ma.getInverse();
        }
        // One edit in three in the root, the others in one of its groups.
        group = below(3) ? group : (SoGroup *)scene;
        int n = group->getNumChildren();
        SoTransform *moved = below(5) ? NULL : new SoTransform;
        if (moved)
            moved->translation.setValue((float)below(9), (float)below(9), 0);
        GspTest::Held<SoNode> added(moved ? (SoNode *)moved : new SoSeparator);
        if (below(2) && n > 0)
            group->removeChild(below(n));
        else
            group->insertChild(added, below(n + 1));
        SoFullPath *ours = (SoFullPath *)m->getPathToObject(), *tk = (SoFullPath *)(SoPath *)theirs;
        ASSERT_TRUE(ours && ours->getLength() == tk->getLength()) << step;
        for (int d = 0; d < ours->getLength(); d++)
            ASSERT_TRUE(tk->getNode(d) == ours->getNode(d) && tk->getIndex(d) == ours->getIndex(d))
                << step << " depth " << d;
        ma.apply(theirs);
        SbMatrix expected = start;
        expected.multRight(ma.getMatrix());
        ASSERT_TRUE(motionOf(m).equals(expected, 1e-4f)) << step;
    }
}

// Paths to nodes written after the marker are followed once the scene is
// read; paths that lead nowhere, or through nodes removed later, leave a
// detached marker that still draws and saves.
TEST_F(ArrowMarkerTest, ObjectPathsReadFromAnyPlaceInTheFileOrNowhere)
{
    struct {
        const char *scene;
        bool attached;
    } cases[] = {
        {"DEF R Separator { ZnArrowMarker { objectPathField Path { USE R 1 1 } } Cube {} }", true},
        {"DEF R Separator { Cube {} ZnArrowMarker { objectPathField Path { USE R 1 0 } } }", true},
        {"Separator { ZnArrowMarker { objectPathField Path { Separator { Cube {} } 2 0 5 } } }",
         false},
        {"DEF R Separator { ZnArrowMarker { objectPathField Path { USE R 1 7 } } Cube {} }", false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.scene);
        GspTest::Held<SoSeparator> read(GspTest::readText(c.scene));
        ASSERT_TRUE(read && GspTest::nth<ZnArrowMarker>(read));
        SoPath *p = GspTest::nth<ZnArrowMarker>(read)->getPathToObject();
        EXPECT_EQ(c.attached, p != NULL);
        if (!c.attached)
            continue;
        EXPECT_TRUE(p->getTail()->isOfType(SoCube::getClassTypeId()));
        // Written back, it reads to the same object.
        GspTest::Held<SoSeparator> again(GspTest::readFromBuffer(GspTest::writeToBuffer(read)));
        ASSERT_TRUE(again);
        EXPECT_TRUE(GspTest::nth<ZnArrowMarker>(again)->isAttachedToNode(
            GspTest::nth<SoCube>(again)));
    }

    // The object's separator removed from the scene: the path from the
    // root is cut there, the marker no longer points at the cube and
    // still draws.
    GspTest::Held<SoSeparator> obj(addObject(SbVec3f(0, -3, 0)));
    GspTest::Held<SoPath> fromRoot(new SoPath(root));
    fromRoot->append(objects);
    fromRoot->append(obj);
    fromRoot->append(2);
    marker->setPathToObject(fromRoot);
    open();
    objects->removeChild(obj);
    EXPECT_FALSE(marker->isAttachedToNode(obj->getChild(2)));
    EXPECT_FALSE(drawnArrow().empty());
}
