// The view note's flight in a real window driven by the toolkit's timer:
// where it ends for each pair of camera kinds, the arc it takes, parallel
// arms, a camera already there; and taking the view in its dialog.
#include "support/Test.h"

#include "support/RenderWindow.h"

namespace {

class ViewNoteTest : public XtTest {
  protected:
    void TearDown() override
    {
        note = NULL;
        delete window;
        window = NULL;
        root = NULL;
        XtTest::TearDown();
    }
    // A scene whose camera (of the given kind) starts at (0, 0, 10)
    // looking down -z, shown in a window, and a note for a view from
    // (6, 2, 4) at the origin.
    void setUp(bool perspectiveScene, bool perspectiveView)
    {
        root = new SoSeparator;
        camera = perspectiveScene ? (SoCamera *)new SoPerspectiveCamera
                                  : (SoCamera *)new SoOrthographicCamera;
        camera->position.setValue(0, 0, 10);
        camera->focalDistance = 10;
        root->addChild(camera);
        root->addChild(new SoCube);
        ZnCommon::updateCameraPath(root);
        note = new ZnViewNote;
        view(SbVec3f(6, 2, 4), SbVec3f(0, 0, 0));
        note->isPerspectiveCamera = perspectiveView;
        note->height = perspectiveView ? 0.6f : 5.0f;
        window = new RenderWindow(root);
    }
    void view(const SbVec3f &from, const SbVec3f &at)
    {
        SbVec3f dir = at - from;
        note->position = from;
        note->orientation = SbRotation(SbVec3f(0, 0, -1), dir);
        note->focalDistance = dir.length();
    }
    bool flown(int ms = 4000)
    {
        return GspTest::pumpUntil([&] { return !note->isPlaying(); }, ms);
    }
    static float heightOf(SoCamera *c)
    {
        if (c->isOfType(SoPerspectiveCamera::getClassTypeId()))
            return ((SoPerspectiveCamera *)c)->heightAngle.getValue();
        return ((SoOrthographicCamera *)c)->height.getValue();
    }

    GspTest::Held<SoSeparator> root;
    SoCamera *camera = NULL;
    GspTest::Held<ZnViewNote> note;
    RenderWindow *window = NULL;
};

}

TEST_F(ViewNoteTest, TheFlightEndsAtTheViewForEachPairOfCameraKinds)
{
    struct {
        bool perspectiveScene, perspectiveView;
    } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (auto &c : cases) {
        setUp(c.perspectiveScene, c.perspectiveView);
        float f = note->focalDistance.getValue(), h = note->height.getValue();
        float expected = c.perspectiveScene == c.perspectiveView ? h
                         : c.perspectiveScene                    ? 2 * atanf(h / 2 / f)
                                                                 : 2 * f * tanf(h / 2);
        note->play(0);
        ASSERT_TRUE(flown());
        std::string kinds = std::to_string(c.perspectiveScene) + std::to_string(c.perspectiveView);
        EXPECT_LT((camera->position.getValue() - note->position.getValue()).length(), 1e-3f)
            << kinds;
        EXPECT_TRUE(camera->orientation.getValue().equals(note->orientation.getValue(), 1e-3f))
            << kinds;
        EXPECT_NEAR(f, camera->focalDistance.getValue(), 1e-3f) << kinds;
        EXPECT_NEAR(expected, heightOf(camera), 1e-4f) << kinds;
        TearDown();
    }
}

// A quarter of the way (eased in) the eye is on the arc about the midpoint
// of the two looked-at points, its distance to it interpolated; with the
// two arms on one line it swings round instead of passing through the
// pivot.
TEST_F(ViewNoteTest, TheEyeSwingsOnAnArcAboutThePivot)
{
    setUp(true, true);
    struct {
        SbVec3f from, at;
    } cases[] = {{SbVec3f(6, 2, 4), SbVec3f(0, 0, 0)}, {SbVec3f(0, 0, -10), SbVec3f(0, 0, 0)}};
    for (auto &c : cases) {
        camera->position.setValue(0, 0, 10);
        camera->orientation = SbRotation::identity();
        camera->focalDistance = 10;
        view(c.from, c.at);
        SbVec3f pivot = (SbVec3f(0, 0, 0) + c.at) * 0.5f;
        float la = (SbVec3f(0, 0, 10) - pivot).length(), lb = (c.from - pivot).length();
        note->play(0);
        note->interpolateNewView(0.25f);
        SbVec3f eye = camera->position.getValue();
        float eased = 0.5f - 0.5f * cosf((float)M_PI / 4);
        EXPECT_NEAR(la + (lb - la) * eased, (eye - pivot).length(), 1e-3f);
        // Off the straight line between the two eyes.
        SbVec3f chord = c.from - SbVec3f(0, 0, 10);
        SbVec3f offLine = (eye - SbVec3f(0, 0, 10)).cross(chord);
        EXPECT_GT(offLine.length() / chord.length(), 0.5f);
        ASSERT_TRUE(flown());
        EXPECT_LT((camera->position.getValue() - c.from).length(), 1e-3f);
    }
}

// Already at the view: the first tick ends the playback, the camera stays,
// and an automatic playback goes on.
TEST_F(ViewNoteTest, ACameraAlreadyThereEndsAtOnce)
{
    setUp(true, true);
    camera->position = note->position.getValue();
    camera->orientation = note->orientation.getValue();
    camera->focalDistance = note->focalDistance.getValue();
    ((SoPerspectiveCamera *)camera)->heightAngle = note->height.getValue();
    int &finished = GspTest::countPlaybackEnds(note);
    SbTime start = SbTime::getTimeOfDay();
    note->play(1);
    ASSERT_TRUE(flown(1000));
    EXPECT_LT((SbTime::getTimeOfDay() - start).getValue(), 0.5);
    EXPECT_EQ(1, finished);
    EXPECT_LT((camera->position.getValue() - note->position.getValue()).length(), 1e-5f);
}

// The dialog first stands right of the main window, later where it was
// left; OK takes the scene camera's view.
TEST_F(ViewNoteTest, TheDialogTakesTheCameraView)
{
    setUp(false, true);
    Widget top = GspTest::topLevel();
    Position x, y;
    Dimension width;
    XtVaGetValues(top, XmNx, &x, XmNy, &y, XmNwidth, &width, NULL);
    note->edit();
    ASSERT_TRUE(note->isEditing());
    EXPECT_EQ(SbVec2s((short)(x + width), y), ZnViewNote::dialogLocation);
    camera->position.setValue(1, 2, 3);
    camera->focalDistance = 4;
    ((SoOrthographicCamera *)camera)->height = 7;
    // Where the open dialog's shell stands; then moved to (x, y) if given.
    auto place = [](short x = -1, short y = -1) {
        Widget box = GspTest::openDialog("Glosspin : Confirm View Dialog");
        if (!box)
            return SbVec2s(-1, -1);
        Widget shell = XtParent(box);
        Position px = 0, py = 0;
        XtVaGetValues(shell, XmNx, &px, XmNy, &py, NULL);
        if (x >= 0)
            XtVaSetValues(shell, XmNx, x, XmNy, y, NULL);
        return SbVec2s(px, py);
    };
    place(300, 40);
    GspTest::invoke(GspTest::openDialog("Glosspin : Confirm View Dialog"), XmNokCallback, XmCR_OK);
    EXPECT_FALSE(note->isEditing());
    EXPECT_EQ(SbVec3f(1, 2, 3), note->position.getValue());
    EXPECT_EQ(4, note->focalDistance.getValue());
    EXPECT_EQ(7, note->height.getValue());
    EXPECT_FALSE(note->isPerspectiveCamera.getValue());

    // Another note's dialog opens where this one was left, and this one's,
    // shown again, where the other was left.
    GspTest::Held<ZnViewNote> other(new ZnViewNote);
    other->edit();
    EXPECT_EQ(SbVec2s(300, 40), place(500, 60));
    GspTest::invoke(GspTest::openDialog("Glosspin : Confirm View Dialog"), XmNokCallback, XmCR_OK);
    note->edit();
    EXPECT_EQ(SbVec2s(500, 60), place());
}
