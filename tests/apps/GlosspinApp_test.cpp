// The Glosspin application as a user drives it: real pointer and key
// events into its viewer, its menu items and dialog buttons activated as
// a click on them would, and the files it writes read back in a process
// of its own.
#include "AppTest.h"

#include <Inventor/errors/SoReadError.h>
#include <Xm/MessageB.h>

#include "common/SceneFile.h"
#include "SceneSummary.h"
#include "support/FailingDir.h"
#include "support/ModelFiles.h"

namespace {

using GspTest::pumpEvents;
using GspTest::pumpUntil;

// The main job end to end: an arrow placed with a click on the cube, a
// text note typed on it, undone and redone; a marker with a sound note
// copied and pasted; the scene saved in binary, with the previous file
// kept, and read back elsewhere with the same annotations.
TEST_F(GlosspinApp, AuthorsASceneThatReadsBackElsewhere)
{
    menu("modeAuthoring");
    ASSERT_EQ(2, ZnCommon::editMode);
    int before = app->getSequencer()->getNumMarkers();
    std::string original = TempDir::readFile(scene);

    menu("markerArrow");
    drag(SbVec3f(-2.5f, 0, 1), 0);
    ASSERT_EQ(before + 1, app->getSequencer()->getNumMarkers());
    ZnArrowMarker *arrow = (ZnArrowMarker *)marker(before);
    ASSERT_TRUE(arrow->isOfType(ZnArrowMarker::getClassTypeId()));
    ASSERT_TRUE(arrow->getPathToObject());
    EXPECT_STREQ("Cube", arrow->getPathToObject()->getTail()->getTypeId().getName().getString());
    // Standing on the front face: its tail out along +z.
    SbVec3f axis;
    arrow->getDraggerTransform()->rotation.getValue().multVec(SbVec3f(0, 1, 0), axis);
    EXPECT_NEAR(1, axis[2], 1e-3);
    EXPECT_NEAR(1, arrow->getDraggerTransform()->translation.getValue()[2], 1e-2);
    // A tenth as long as the cube, 2 a side, is across (the arrow is 4 long).
    EXPECT_NEAR(0.1f * sqrtf(12), 4 * arrow->getDraggerTransform()->scaleFactor.getValue()[0],
                0.01f);

    menu("noteText");
    Widget text = GspTest::findManaged(GspTest::topLevel(), "info text");
    ASSERT_TRUE(text);
    type(text, "Front face\n");
    press(GspTest::findWidget(GspTest::topLevel(), "Text Block"), XmNokCallback, XmCR_OK);
    ASSERT_EQ(1, notes(arrow)->getNumNotes());
    std::string withNote = gspSceneSummary(app->getScene());
    EXPECT_NE(std::string::npos, withNote.find("ZnTextNote=Front face\n")) << withNote;

    menu("editUndo");
    EXPECT_EQ(0, notes(arrow)->getNumNotes());
    menu("editUndo");
    EXPECT_EQ(before, app->getSequencer()->getNumMarkers());
    menu("editRedo");
    menu("editRedo");
    EXPECT_EQ(withNote, gspSceneSummary(app->getScene()));
    // An edit in the note's own dialog is a step too.
    app->selectNote((ZnNote *)notes(arrow)->getChild(1));
    menu("noteEdit");
    type(text, "More ");
    press(GspTest::findWidget(GspTest::topLevel(), "Text Block"), XmNokCallback, XmCR_OK);
    pumpEvents(100);
    EXPECT_NE(withNote, gspSceneSummary(app->getScene()));
    menu("editUndo");
    EXPECT_EQ(withNote, gspSceneSummary(app->getScene()));
    menu("editUndo");  // the edit was one step: this one takes the note away
    EXPECT_EQ(0, notes(arrow)->getNumNotes());
    menu("editRedo");
    menu("editRedo");
    EXPECT_NE(std::string::npos,
              gspSceneSummary(app->getScene()).find("ZnTextNote=More Front face\n"));

    // The cone's marker carries the sound note.
    app->selectMarker(marker(1));
    std::string copied = gspSceneSummary(app->getScene());
    menu("editCopy");
    menu("editPaste");
    ASSERT_EQ(before + 2, app->getSequencer()->getNumMarkers());
    // Seen beside its original, and selected.
    ZnMarker *pasted = marker(before + 1);
    EXPECT_EQ(pasted, app->getSelectedMarker());
    EXPECT_NE(marker(1)->getDraggerTransform()->translation.getValue(),
              pasted->getDraggerTransform()->translation.getValue());
    std::string summary = gspSceneSummary(app->getScene());
    // The pasted marker is selected: cut takes it out of scene and tour.
    menu("editCut");
    EXPECT_EQ(before + 1, app->getSequencer()->getNumMarkers());
    menu("editUndo");
    EXPECT_EQ(summary, gspSceneSummary(app->getScene()));
    // The original, cut and brought back, stands where it stood.
    ZnMarker *spire = marker(1);
    auto placeOf = [&] {
        SoSearchAction sa;
        sa.setNode(spire);
        sa.apply(app->getScene());
        return sa.getPath() ? ((SoFullPath *)sa.getPath())->getIndexFromTail(0) : -1;
    };
    int place = placeOf();
    app->selectMarker(spire);
    menu("editCut");
    menu("editUndo");
    EXPECT_EQ(place, placeOf());
    std::string cone = copied.substr(copied.find("'Spire'"));
    cone = cone.substr(0, cone.find('\n'));
    EXPECT_NE(std::string::npos, summary.rfind(cone)) << summary;
    EXPECT_NE(summary.find(cone), summary.rfind(cone)) << "pasted copy differs:\n" << summary;
    EXPECT_NE(std::string::npos,
              cone.find("ZnSoundNote=" + gspFileHash(dir.file("media/tone.aifc"))))
        << cone;

    // Unsaved changes are asked about; Cancel keeps everything.
    menu("fileNew");
    Widget question = GspTest::findManaged(GspTest::topLevel(), "saveQuestion");
    ASSERT_TRUE(question);
    press(question, XmNcancelCallback, XmCR_CANCEL);
    EXPECT_EQ(summary, gspSceneSummary(app->getScene()));

    ASSERT_TRUE(saveAs(scene, true));
    EXPECT_EQ(original, TempDir::readFile(scene + "~"));
    EXPECT_EQ(0u, TempDir::readFile(scene).find("#Inventor V2.1 binary"));
    EXPECT_EQ(summary, savedSummary(scene));
}

// The marker and note menus change what is selected, and Save writes the
// file again in the form it was saved in.
TEST_F(GlosspinApp, MenusChangeTheSelectionAndSaveKeepsTheForm)
{
    menu("modeAuthoring");
    ZnArrowMarker *box = (ZnArrowMarker *)marker(0);
    app->selectMarker(box);
    int type = box->getArrowType();
    SbString label = box->getLabel();
    menu("arrowPushpin");
    EXPECT_EQ(ZnArrow::PUSHPIN, box->getArrowType());
    menu("markerLabel");
    Widget prompt = GspTest::findManaged(GspTest::topLevel(), "labelDialog");
    ASSERT_TRUE(prompt);
    XmTextSetString(XmSelectionBoxGetChild(prompt, XmDIALOG_TEXT), (char *)"Crate");
    press(prompt, XmNokCallback, XmCR_OK);
    EXPECT_EQ(SbString("Crate"), box->getLabel());
    // Each change is a step of its own.
    menu("editUndo");
    EXPECT_EQ(label, box->getLabel());
    menu("editUndo");
    EXPECT_EQ(type, box->getArrowType());
    menu("editRedo");
    menu("editRedo");
    EXPECT_EQ(SbString("Crate"), box->getLabel());
    ZnNote *sound = (ZnNote *)GspTest::nth<ZnSoundNote>(notes(marker(1)));
    ASSERT_TRUE(sound && sound->isDataExternal());
    app->selectNote(sound);
    menu("noteInline");
    EXPECT_FALSE(sound->isDataExternal());

    ASSERT_TRUE(saveAs(scene, true));
    app->selectMarker(box);
    menu("arrowPlain");
    menu("fileSave");
    EXPECT_EQ(0u, TempDir::readFile(scene).find("#Inventor V2.1 binary"));
    EXPECT_EQ(gspSceneSummary(app->getScene()), savedSummary(scene));

    // Discarding the changes goes on with the command.
    menu("arrowPushpin");
    menu("fileNew");
    press(GspTest::findManaged(GspTest::topLevel(), "saveQuestion"), XmNhelpCallback, XmCR_HELP);
    EXPECT_EQ(0, app->getSequencer()->getNumMarkers());
    EXPECT_FALSE(GspTest::findManaged(GspTest::topLevel(), "saveQuestion"));
}

// In authoring mode the marker list and its player drive the selection:
// a click selects, the buttons step, reorder and delete (one undoable
// step, named in the Edit menu), and Play All plays each marker once and
// ends. The editing row follows the mode.
TEST_F(GlosspinApp, TheTourDrivesTheSelectionInAuthoringMode)
{
    std::string text;
    for (const char *label : {"A", "B", "C"})
        text += std::string(" DEF ") + label + " ZnBulletMarker { notes ZnNoteList { label " +
                label + " } }";
    GspTest::Held<SoSeparator> root(
        GspTest::readText(text + " ZnMarkerSequencer { sequence [ USE A , USE B , USE C ] }"));
    TempDir::writeFile(dir.file("tour.iv"), GspTest::writeToBuffer(root));
    ASSERT_TRUE(app->open(dir.file("tour.iv").c_str()));
    ZnMarkerSequencer *seq = app->getSequencer();
    menu("modeViewing");
    menu("markerList");
    Widget list = seq->getDialogWidget(10), del = seq->getDialogWidget(ZnMarkerSequencer::DELETE);
    EXPECT_FALSE(XtIsManaged(del));
    menu("modeAuthoring");
    EXPECT_TRUE(XtIsManaged(del));
    auto order = [&] {
        std::string o;
        for (int i = 0; i < seq->getNumMarkers(); i++)
            o += seq->getMarker(i)->getLabel().getString();
        return o;
    };
    auto button = [&](int code) {
        XtCallCallbacks(seq->getDialogWidget(code), XmNactivateCallback, NULL);
        pumpEvents(20);
    };
    XmListSelectPos(list, 2, True);
    EXPECT_EQ(seq->getMarker(1), app->getSelectedMarker());
    button(ZnMarkerSequencer::MOVE_DOWN);
    EXPECT_EQ("ACB", order());
    EXPECT_EQ(2, seq->getCurrentIndex());
    button(ZnMarkerSequencer::NEXT);
    EXPECT_EQ(seq->getMarker(0), app->getSelectedMarker());
    button(ZnMarkerSequencer::DELETE);
    EXPECT_EQ("CB", order());
    EXPECT_EQ(3, app->getScene()->getNumChildren());  // B, C and the sequencer
    EXPECT_TRUE(app->isModified());
    EXPECT_EQ("Undo Delete Marker",
              GspTest::compoundText(GspTest::findWidget(app->getMenuBar(), "editUndo"),
                                    XmNlabelString));
    menu("editUndo");
    EXPECT_EQ("ACB", order());
    button(ZnMarkerSequencer::PLAY_ALL);  // markers without notes pass at once
    EXPECT_EQ(-1, seq->getCurrentIndex());
    EXPECT_EQ(NULL, app->getSelectedMarker());
}

// A step of the tour to a marker out of view flies the camera to it.
TEST_F(GlosspinApp, TheTourBringsTheCurrentMarkerIntoView)
{
    GspTest::Held<SoSeparator> root(GspTest::readText(
        "PerspectiveCamera { position 0 0 10 } DEF A ZnBulletMarker {}"
        " DEF B ZnBulletMarker { draggerTransform Transform { translation 40 0 0 } }"
        " ZnMarkerSequencer { sequence [ USE A , USE B ] }"));
    TempDir::writeFile(dir.file("far.iv"), GspTest::writeToBuffer(root));
    ASSERT_TRUE(app->open(dir.file("far.iv").c_str()));
    menu("modeViewing");
    auto shown = [&] {
        int x, y;
        screenPoint(SbVec3f(40, 0, 0), x, y);
        return x > 0 && x < 600 && y > 0 && y < 500;
    };
    ASSERT_FALSE(shown());
    app->getSequencer()->playerCommand(ZnMarkerSequencer::NEXT);
    app->getSequencer()->playerCommand(ZnMarkerSequencer::NEXT);
    EXPECT_TRUE(pumpUntil(shown, 4000));
}

// Saving an untitled scene proposes untitled.iv in the current folder
// and lists that folder; an existing file is replaced only after a
// question.
TEST_F(GlosspinApp, SaveAsProposesAFreshNameAndAsksBeforeReplacing)
{
    menu("fileNew");
    menu("fileSave");
    Widget fsb = GspTest::findManaged(GspTest::topLevel(), "fileDialog");
    ASSERT_TRUE(fsb);
    char here[PATH_MAX];
    EXPECT_EQ(std::string(getcwd(here, sizeof here)) + "/untitled.iv", typed(fsb));
    EXPECT_EQ(0u, GspTest::compoundText(fsb, XmNdirectory).find(here));
    std::string before = TempDir::readFile(scene);
    XmTextSetString(XmFileSelectionBoxGetChild(fsb, XmDIALOG_TEXT), (char *)scene.c_str());
    press(fsb, XmNokCallback, XmCR_OK);
    press(GspTest::findManaged(GspTest::topLevel(), "replaceQuestion"), XmNcancelCallback,
          XmCR_CANCEL);
    EXPECT_EQ(before, TempDir::readFile(scene));
    EXPECT_EQ("", app->getFileName());
}

// The open dialog lists models beside scenes; a model opens as a new,
// untitled scene that Save As proposes to keep under its own name.
TEST_F(GlosspinApp, OpensAModelAsANewScene)
{
    GspModels::copy(dir.path(), "box.obj");
    Widget fsb = fileDialog("fileOpen", "");
    ASSERT_TRUE(fsb);
    std::vector<std::string> listed = GspTest::listItems(XmFileSelectionBoxGetChild(fsb, XmDIALOG_LIST));
    EXPECT_TRUE(std::count(listed.begin(), listed.end(), dir.file("box.obj")) &&
                std::count(listed.begin(), listed.end(), scene) &&
                !std::count(listed.begin(), listed.end(), dir.file("box.mtl")));
    XmTextSetString(XmFileSelectionBoxGetChild(fsb, XmDIALOG_TEXT), (char *)dir.file("box.obj").c_str());
    press(fsb, XmNokCallback, XmCR_OK);
    EXPECT_EQ("", app->getFileName());
    EXPECT_TRUE(SoNode::getByName("Box"));
    menu("fileSaveAs");
    EXPECT_EQ(dir.file("box.iv"), typed(fsb));
    press(fsb, XmNcancelCallback, XmCR_CANCEL);
}

// Publishing proposes a folder named after the scene; one that holds
// other files is refused with a reason, and left as it was.
TEST_F(GlosspinApp, PublishesTheSceneAsAWebPage)
{
    menu("filePublish");
    Widget fsb = GspTest::findManaged(GspTest::topLevel(), "fileDialog");
    ASSERT_TRUE(fsb);
    EXPECT_EQ(dir.file("annotated-web"), typed(fsb));
    press(fsb, XmNokCallback, XmCR_OK);
    EXPECT_TRUE(TempDir::exists(dir.file("annotated-web/index.html")));
    EXPECT_TRUE(TempDir::exists(dir.file("annotated-web/media")));
    std::vector<std::string> before = dir.entries();
    press(fileDialog("filePublish", dir.path()), XmNokCallback, XmCR_OK);
    std::string messages = GspTest::awaitError();
    EXPECT_NE(std::string::npos, messages.find("cannot publish the scene as the web page")) << messages;
    EXPECT_EQ(before, dir.entries());
}

// Notes come from media files, measured, and pasted notes join the
// selected marker; what is no file is refused.
TEST_F(GlosspinApp, NotesFromFilesAndPastedNotesJoinTheSelectedMarker)
{
    menu("modeAuthoring");
    ZnNoteList *list = notes(marker(0));
    int before = list->getNumNotes();
    app->selectMarker(marker(0));
    // A folder, and a note's own temporary file, which its note deletes.
    std::string temporary = std::string(ZnNote::getTempDirName()) + "/" + ZnNote::NOTE_BASE + "9";
    TempDir::writeFile(temporary, TempDir::readFile(dir.file("media/tone.aifc")));
    for (const std::string &file : {dir.path(), temporary}) {
        press(fileDialog("noteSoundFile", file), XmNokCallback, XmCR_OK);
        std::string messages = GspTest::awaitError();
        EXPECT_NE(std::string::npos, messages.find("not a file that a note can hold")) << file;
        EXPECT_EQ(before, list->getNumNotes());
        GspTest::destroyPopups();
    }
    unlink(temporary.c_str());
    press(fileDialog("noteSoundFile", dir.file("media/tone.aifc")), XmNokCallback, XmCR_OK);
    ASSERT_EQ(before + 1, list->getNumNotes());
    ZnSoundNote *sound = GspTest::nth<ZnSoundNote>(list);
    ASSERT_TRUE(sound);
    EXPECT_NEAR(0.5f, sound->mediaLength, 0.01f);  // the half-second tone

    app->selectNote(sound);
    menu("editCopy");
    app->selectMarker(marker(2));
    int target = notes(marker(2))->getNumNotes();
    menu("editPaste");
    EXPECT_EQ(target + 1, notes(marker(2))->getNumNotes());
}

// Releasing the application with a recorder open, as Quit does before it
// exits, ends the recorder and leaves none of the note's files behind (the
// recorder's own test ends one mid-recording).
TEST_F(GlosspinApp, ReleasedWithARecorderOpenItEndsTheRecorder)
{
    std::string grab = GLOSSPIN_MEDIAGRAB, ps;
    GspTest::Env env({{"PATH", (grab.substr(0, grab.rfind('/')) + ":$PATH").c_str()},
                      {"MEDIAGRAB_VIDEO_INPUT", "-f lavfi -i testsrc=size=160x120:rate=15"},
                      {"MEDIAGRAB_AUDIO_INPUT", "-f lavfi -i sine=sample_rate=11025"}});
    std::string tmp = ZnNote::getTempDirName();
    auto recorders = [&] { return GspTest::run("pgrep -f '[m]ediagrab -nofork'", ps) == 0; };
    int camera = ZnMovieNote::hasVideoHW;
    ZnMovieNote::hasVideoHW = 1;  // the synthetic source stands in
    menu("modeAuthoring");
    app->selectMarker(marker(0));
    menu("noteMovie");
    ZnMovieNote::hasVideoHW = camera;
    ASSERT_TRUE(pumpUntil(recorders, 10000));
    app.reset();
    EXPECT_TRUE(pumpUntil([&] { return !recorders(); }, 5000)) << ps;
    for (const std::string &e : TempDir::entriesOf(tmp))
        EXPECT_EQ(std::string::npos, e.find(ZnNote::NOTE_BASE)) << e;
}

// A save that cannot finish says why and leaves the file it would have
// replaced as it was, with nothing else left behind.
TEST_F(GlosspinApp, FailedSaveKeepsThePreviousFile)
{
    for (FailingDir::Fault fault :
         {FailingDir::READ_ONLY, FailingDir::SIZE_LIMIT, FailingDir::FULL_DISK}) {
        SCOPED_TRACE(FailingDir::names[fault]);
        std::string parent = dir.file(std::to_string(fault));
        mkdir(parent.c_str(), 0755);
        FailingDir target(parent, fault);
        if (!target.available())
            continue;
        std::string file = target.file("scene.iv");
        TempDir::writeFile(file, "#Inventor V2.1 ascii\n\nSeparator { }\n");
        app->selectMarker(marker(0));
        menu("editCopy");
        menu("editPaste");
        ASSERT_TRUE(target.fail());
        EXPECT_FALSE(saveAs(file, false));
        // The notes may have said what they could not write first.
        std::string messages = GspTest::awaitError();
        EXPECT_NE(std::string::npos, messages.find("save the scene as " + file)) << messages;
        target.heal();
        EXPECT_EQ("#Inventor V2.1 ascii\n\nSeparator { }\n", TempDir::readFile(file));
        EXPECT_EQ(std::vector<std::string>{"scene.iv"}, TempDir::entriesOf(target.path()));
        GspTest::destroyPopups();
    }
    // Saved elsewhere after all, the notes still name their files rightly.
    mkdir(dir.file("sub").c_str(), 0755);
    ASSERT_TRUE(saveAs(dir.file("sub/copy.iv"), false));
    std::string readBack = savedSummary(dir.file("sub/copy.iv"));
    EXPECT_NE(std::string::npos,
              readBack.find("ZnSoundNote=" + gspFileHash(dir.file("media/tone.aifc"))))
        << readBack;
}

// A note's data is no place for the scene: a file a note of the scene
// reads and the notes' own temporary files are refused and left as they
// were.
TEST_F(GlosspinApp, SavingOverANotesDataIsRefused)
{
    std::string temporary = std::string(ZnNote::getTempDirName()) + "/" + ZnNote::NOTE_BASE + "9";
    TempDir::writeFile(temporary, "data");
    for (const std::string &file : {dir.file("media/tone.aifc"), temporary}) {
        SCOPED_TRACE(file);
        std::string before = TempDir::readFile(file);
        EXPECT_FALSE(saveAs(file, false));
        GspTest::awaitError();
        EXPECT_EQ("A note keeps its data in that file.",
                  GspTest::textOf(GspTest::findWidget(GspTest::topLevel(), "reason")));
        EXPECT_EQ(before, TempDir::readFile(file));
        GspTest::destroyPopups();
    }
    unlink(temporary.c_str());
}

// The viewer keeps Alt; the bullet's dragger moves in and out along the
// line of sight with Ctrl instead, and in the plane of the screen without.
TEST_F(GlosspinApp, CtrlReachesTheDraggersAltMode)
{
    menu("modeAuthoring");
    ZnMarker *bullet = marker(2);
    for (KeySym key : {(KeySym)0, (KeySym)XK_Control_L}) {
        SCOPED_TRACE(key ? "Ctrl" : "plain");
        SbVec3f at = bullet->getDraggerTransform()->translation.getValue();
        SbVec3f sight = at - app->getViewer()->getCamera()->position.getValue();
        sight.normalize();
        app->selectMarker(bullet);
        pumpEvents(100);
        // On the translator's face, off the scaler's knob at the centre.
        drag(at + SbVec3f(0.12f, 0.12f, 0), 40, key);
        SbVec3f moved = bullet->getDraggerTransform()->translation.getValue() - at;
        EXPECT_GT(moved.length(), 0.1f);
        if (key)
            EXPECT_NEAR(1, fabs(moved.dot(sight)) / moved.length(), 1e-3) << moved[0];
        else
            EXPECT_NEAR(0, moved[2], 1e-3);
        menu("editUndo");
        EXPECT_EQ(at, bullet->getDraggerTransform()->translation.getValue());
    }
}

// A presentation plays every marker's notes in the tour's order and
// leaves when the last has played. The image viewer is a stand-in on the
// PATH that logs the image it was given.
TEST(GlosspinProgram, PresentPlaysTheTourAndLeaves)
{
    GspTest::topLevel();
    TempDir dir;
    mkdir(dir.file("bin").c_str(), 0755);
    GspTest::writeScript(dir.file("bin/picshow"),
                         "for a; do f=$a; done\ncat \"$f\" >> " + dir.file("log") + "\n");
    GspTest::Held<SoSeparator> root(new SoSeparator);
    ZnMarkerSequencer *tour = new ZnMarkerSequencer;
    for (const char *word : {"first", "second"}) {
        ZnBulletMarker *m = new ZnBulletMarker;
        ZnImageNote *note = new ZnImageNote;
        TempDir::writeFile(dir.file(word), std::string(word) + "\n");
        note->setDataFilename(dir.file(word).c_str(), 0);
        ((ZnNoteList *)m->getPart("notes", TRUE))->addChild(note);
        root->addChild(m);
        tour->appendMarker(m);
    }
    root->addChild(tour);
    TempDir::writeFile(dir.file("tour.iv"), GspTest::writeToBuffer(root));
    std::string out;
    int status = GspTest::run("PATH=" + dir.file("bin") + ":$PATH timeout 60 " GLOSSPIN_APP
                              " --present " + dir.file("tour.iv") + " 2>&1",
                              out);
    EXPECT_EQ(0, status) << out;
    EXPECT_EQ("first\nsecond\n", TempDir::readFile(dir.file("log")));
}

// A presentation without anything to present says why on its standard
// error and in the error dialog, and leaves with 1 once that is closed;
// one that plays leaves on Esc.
TEST(GlosspinProgram, PresentationsEndWithTheirStatus)
{
    GspTest::topLevel();
    TempDir dir;
    TempDir::writeFile(dir.file("text.iv"), "not a scene\n");
    GspTest::Held<SoSeparator> root(GspTest::readText(
        "DEF M ZnBulletMarker { notes ZnNoteList { ZnTextNote { startNextNote 1 } } }"
        " ZnMarkerSequencer { sequence USE M }"));
    TempDir::writeFile(dir.file("waits.iv"), GspTest::writeToBuffer(root));
    std::string binary = GspTest::writeToBuffer(root, true);
    TempDir::writeFile(dir.file("cut.iv"), binary.substr(0, binary.size() / 2));
    for (std::string file : {dir.file("missing.iv"), dir.path(), dir.file("text.iv"),
                             dir.file("cut.iv"), dir.file("waits.iv")}) {
        SCOPED_TRACE(file);
        int want = file == dir.file("waits.iv") ? 0 : 1;  // this one plays
        std::string err = dir.file("stderr"), out;
        pid_t pid = GspTest::spawn({GLOSSPIN_APP, "--present", file}, err.c_str());
        Window w = GspTest::awaitWindow(want ? "Glosspin : Error Dialog"
                                             : "Glosspin : Text for this Note");
        usleep(800000);
        EXPECT_EQ(0, waitpid(pid, NULL, WNOHANG)) << "still there, waiting";
        if (want)
            GspTest::closeByWindowManager(w);
        else
            GspTest::run("xdotool mousemove 300 300 key Escape", out);
        EXPECT_EQ(want, GspTest::exitStatus(pid, 5000));
        EXPECT_EQ(want != 0, TempDir::readFile(err).find("cannot open") != std::string::npos);
    }
}
}

namespace {

struct Counted : GspUndoStep {
    int *state, value;
    long w;
    Counted(int *s, int v, long weight) : state(s), value(v), w(weight) {}
    void undo() override { *state -= value; }
    void redo() override { *state += value; }
    long weight() const override { return w; }
};

}

// The history holds steps up to its weight; the oldest go first, the
// newest stays whatever it weighs, and a new step drops what was undone.
TEST(GlosspinUndoHistory, KeepsTheNewestStepsWithinItsWeight)
{
    struct Row {
        std::vector<long> weights;
        int undoable;  // steps left to undo
    } rows[] = {{{40, 40, 40}, 2}, {{10, 10, 10}, 3}, {{500}, 1}, {{10, 500}, 1}};
    for (const Row &r : rows) {
        GspUndoHistory history(100);
        int state = 0, expected = 0;
        for (size_t i = 0; i < r.weights.size(); i++) {
            state += 1 << i;
            history.push(new Counted(&state, 1 << i, r.weights[i]));
        }
        int undone = 0;
        while (history.undo())
            undone++;
        EXPECT_EQ(r.undoable, undone);
        for (size_t i = 0; i < r.weights.size() - r.undoable; i++)
            expected += 1 << i;
        EXPECT_EQ(expected, state);
        history.redo();
        history.push(new Counted(&state, 0, 1));
        EXPECT_FALSE(history.redo());
    }
}

// A viewer-only window offers opening, quitting and help, and stays in
// viewing mode.
TEST_F(XtTest, GlosspinViewOnlyKeepsOnlyViewingCommands)
{
    GspApplication::Options o;
    o.file = GLOSSPIN_SAMPLE_DIR "/annotated.iv";
    o.viewOnly = true;
    std::unique_ptr<GspApplication> app(new GspApplication(GspTest::topLevel(), o));
    EXPECT_EQ(1, ZnCommon::editMode);
    for (const char *item : {"fileOpen", "fileQuit"})
        EXPECT_TRUE(GspTest::findWidget(app->getMenuBar(), item)) << item;
    for (const char *item : {"fileSave", "edit", "mode", "markers", "notes"}) {
        Widget w = GspTest::findWidget(app->getMenuBar(), item);
        EXPECT_TRUE(!w || !XtIsManaged(w)) << item;
    }
}

// The programs' scene reader: the reason for each refusal, and the
// application's own read-error handler back in place after every read.
// A model the model library aborts on is refused with a reason, and the
// program goes on.
TEST(GlosspinSceneFile, AModelTheModelLibraryFailsOnIsRefused)
{
    GspTest::topLevel();
    TempDir dir;
    std::string bytes = TempDir::readFile(GLOSSPIN_MODEL_LIMITS "/ply-face-list-damaged");
    TempDir::writeFile(dir.file("damaged.ply"), bytes.substr(1));
    std::string why;
    bool imported = true;
    EXPECT_EQ(NULL, gspReadSceneFile(dir.file("damaged.ply").c_str(), why, &imported));
    EXPECT_FALSE(imported);
    EXPECT_NE(std::string::npos, why.find("the model library failed on it")) << why;
}

TEST(GlosspinSceneFile, ReadsScenesAndSaysWhyOthersAreRefused)
{
    GspTest::topLevel();
    TempDir dir;
    TempDir::writeFile(dir.file("text"), "plain words\n");
    TempDir::writeFile(dir.file("cut.iv"), "#Inventor V2.1 ascii\n\nSeparator { Cube {\n");
    TempDir::writeFile(dir.file("good.iv"), "#Inventor V2.1 ascii\n\nSeparator { Cube {} }\n");
    GspTest::Held<SoSeparator> sample(GspTest::readText("Cube {} Sphere {} Cone {}"));
    std::string binary = GspTest::writeToBuffer(sample, true);
    TempDir::writeFile(dir.file("cut.bin"), binary.substr(0, binary.size() - 20));
    static int theirs;
    SoErrorCB *before = SoReadError::getHandlerCallback();
    void *beforeData = SoReadError::getHandlerData();
    SoReadError::setHandlerCallback([](const SoError *, void *) { theirs++; }, NULL);
    struct {
        const char *file, *why;
    } cases[] = {{"missing", strerror(ENOENT)},
                 {"text", "This is not a scene file."},
                 {"cut.iv", NULL},  // the toolkit's own words, with the line
                 {"cut.bin", NULL},  // without: a binary file has none
                 {"good.iv", ""}};
    for (auto &c : cases) {
        std::string why;
        SoSeparator *root = gspReadSceneFile(dir.file(c.file).c_str(), why);
        EXPECT_EQ(c.why && !*c.why, root != NULL) << c.file;
        if (root)
            root->unref();
        if (c.why)
            EXPECT_EQ(c.why, why) << c.file;
        else
            EXPECT_EQ(strstr(c.file, ".iv") != NULL, why.find("(line ") != std::string::npos)
                << why;
        theirs = 0;
        EXPECT_EQ(NULL, GspTest::readFromBuffer("#Inventor V2.1 ascii\n\nSeparator {"));
        EXPECT_GT(theirs, 0) << "after " << c.file;
    }
    SoReadError::setHandlerCallback(before, beforeData);
}
