// Long random use of the Glosspin application. Each step is something a
// user does: a menu item, a click or a drag in the viewer, a dialog's
// button, the marker list's player, open, new, import, save and reopen,
// undo and redo. After each step the invariants are checked:
// - the scene written and read back carries the same annotations;
// - undoing every step since the scene was opened gives back its bytes;
// - a replaced scene leaves no library node alive;
// - an emptied scene leaves no process and no file.
// A run is a line of steps ("c12 d-30 x1 ...") that replays.
// scripts/soak-app shrinks a failing run; the cases it keeps in usecases/
// replay here.
#include "AppTest.h"

#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include <Inventor/sensors/SoNodeSensor.h>
#include <Xm/PushB.h>
#include <Xm/PushBG.h>

#include "SceneSummary.h"

namespace {

using GspTest::pumpEvents;
using GspTest::pumpUntil;
typedef GspApplication App;

struct Step {
    char kind;
    int arg;
};

std::string format(const std::vector<Step> &steps)
{
    std::string s;
    for (const Step &t : steps)
        s += (s.empty() ? "" : " ") + std::string(1, t.kind) + std::to_string(t.arg);
    return s;
}

std::vector<Step> parse(const std::string &text)
{
    std::vector<Step> steps;
    std::istringstream in(text);
    for (std::string t; in >> t;)
        steps.push_back({t[0], atoi(t.c_str() + 1)});
    return steps;
}

// The kinds of step, each as often as users take it.
const char KINDS[] = "ccccccccccmmmnnnkkkdddxxxxxsssuuuwffUroNi";
const long UNDO_LIMIT = 100000;  // the application's undo weight limit

class RandomUse : public GlosspinApp {
  protected:
    std::unique_ptr<GspTest::Env> env;
    std::string failure;
    int startFds = 0, logFd = -1;
    std::set<int> covered;
    std::vector<Step> taken;
    // The scene as opened: its bytes, its cameras (which the tour moves
    // without an undo step) and the greatest undo weight since.
    std::string openedBytes;
    std::vector<SoNode *> cameras;
    long maxWeight = 0;
    // The scene's library nodes, watched to see it released when replaced.
    SoSeparator *watched = nullptr;
    std::unique_ptr<GspTest::LibraryNodeWatch> watch;
    SoNodeSensor rootSensor;
    bool rootGone = false;

    void SetUp() override
    {
        // Stand-ins for the players, recorders, browser and scene viewer.
        std::string bin = dir.file("standins");
        mkdir(bin.c_str(), 0755);
        for (const char *p : {"clipviewer", "soundplay", "picshow", "mediagrab", "www_script",
                              "3dNoteViewer"})
            ASSERT_EQ(0, symlink(GLOSSPIN_STANDIN, (bin + "/" + p).c_str()));
        env.reset(new GspTest::Env({{"PATH", (bin + ":$PATH").c_str()},
                                    {"GLOSSPIN_LIB_DIR", bin.c_str()}}));
        GlosspinApp::SetUp();
        if (const char *log = getenv("GLOSSPIN_USE_LOG"))
            logFd = open(log, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
        rootSensor.setDeleteCallback([](void *gone, SoSensor *) { *(bool *)gone = true; },
                                     &rootGone);
        startFds = GspTest::openDescriptors();
        baseline();
        follow();
    }

    void TearDown() override
    {
        rootSensor.detach();
        watch.reset();
        releaseCameras();
        app.reset();
        GlosspinApp::TearDown();
        env.reset();
        if (logFd >= 0)
            close(logFd);
    }

    bool fail(const std::string &what)
    {
        failure = what;
        ADD_FAILURE() << what << "\nafter the steps: " << format(taken);
        return false;
    }

    // One step and the checks after it; false at the first broken one.
    bool take(const Step &s)
    {
        taken.push_back(s);
        if (logFd >= 0) {
            std::string t = format({s}) + " ";
            if (write(logFd, t.data(), t.size()) < 0)
                logFd = -1;
        }
        act(s);
        pumpEvents(30);
        if (failure.empty() && (app->getScene() != watched || rootGone))
            replaced();
        if (!failure.empty())
            return false;
        follow();
        maxWeight = std::max(maxWeight, app->getHistory().totalWeight());
        return roundTrip(taken.size() % 2);
    }

    void act(const Step &s)
    {
        int a = std::abs(s.arg);
        ZnMarkerSequencer *seq = app->getSequencer();
        int n = seq->getNumMarkers();
        switch (s.kind) {
        case 'c': command(a); break;
        case 'u': app->command(a % 2 ? App::EDIT_REDO : App::EDIT_UNDO); break;
        case 'm': app->selectMarker(a % (n + 1) < n ? seq->getMarker(a % (n + 1)) : NULL); break;
        case 'n': {
            std::vector<ZnNote *> all;
            for (int i = 0; i < n; i++)
                for (int j = 1; j < notes(seq->getMarker(i))->getNumChildren(); j++)
                    all.push_back((ZnNote *)notes(seq->getMarker(i))->getChild(j));
            app->selectNote(a % (all.size() + 1) < all.size() ? all[a % (all.size() + 1)] : NULL);
            break;
        }
        case 'k': click(a); break;
        case 'd': dragMarker(s.arg); break;
        case 'x': dialog(a); break;
        case 's': player(a); break;
        case 'w': pumpEvents(50 * (a % 20 + 1)); break;
        case 'f': noteFromFile(a); break;
        case 'U': undoAll(); break;
        case 'r': saveAndReopen(a % 2); break;
        case 'o': app->open(dir.file(a % 2 ? "annotated-binary.iv" : "annotated.iv").c_str()); break;
        case 'N': emptied(); break;
        case 'i': app->import(dir.file("annotated.iv").c_str()); break;
        }
    }

    // The a-th of the menu items that can be chosen (but Quit, which
    // would end the process).
    void command(int a)
    {
        std::vector<int> can;
        for (int c = 0; c < App::NUM_COMMANDS; c++) {
            Widget w = GspTest::findWidget(app->getMenuBar(), App::commandName(c));
            if (c != App::FILE_QUIT && w && XtIsSensitive(w))
                can.push_back(c);
        }
        int c = can[a % can.size()];
        Widget w = GspTest::findWidget(app->getMenuBar(), App::commandName(c));
        covered.insert(c);
        if (getenv("GLOSSPIN_USE_TRACE"))
            fprintf(stderr, "command %s\n", App::commandName(c));
        choose(w);
    }

    // Where node shows (the middle of its box), or false for nowhere.
    bool centre(SoNode *node, SbVec3f &at)
    {
        SoSearchAction sa;
        sa.setNode(node);
        SoBaseKit::setSearchingChildren(TRUE);  // a marker's dragger is a part
        sa.apply(app->getScene());
        SoBaseKit::setSearchingChildren(FALSE);
        if (!sa.getPath())
            return false;
        SoGetBoundingBoxAction bba(app->getViewer()->getViewportRegion());
        bba.apply(sa.getPath());
        if (bba.getBoundingBox().isEmpty())
            return false;
        at = bba.getBoundingBox().getCenter();
        return true;
    }

    // A click on one of the scene's objects or markers (placing an armed
    // marker there, or selecting one).
    void click(int a)
    {
        SoSeparator *root = app->getScene();
        SbVec3f at;
        if (root->getNumChildren() && centre(root->getChild(a % root->getNumChildren()), at))
            drag(at, 0);
    }

    // A drag of the selected marker or another, up or down, with Shift,
    // Ctrl or no key held.
    void dragMarker(int arg)
    {
        ZnMarkerSequencer *seq = app->getSequencer();
        ZnMarker *m = app->getSelectedMarker();
        int a = std::abs(arg);
        if (!m && seq->getNumMarkers())
            m = seq->getMarker(a % seq->getNumMarkers());
        if (!m)
            return;
        // Pressed on the arrow's head (a tenth of its 4 units up from the
        // tip), or on the middle of the bullet's dragger.
        SbVec3f at;
        if (m->isOfType(ZnArrowMarker::getClassTypeId())) {
            SoTransform *t = m->getDraggerTransform();
            SbVec3f up;
            t->rotation.getValue().multVec(SbVec3f(0, 0.4f * t->scaleFactor.getValue()[1], 0), up);
            at = t->translation.getValue() + up;
        } else if (!centre(m->getPart("dragger", FALSE) ? m->getPart("dragger", FALSE) : m, at)) {
            return;
        }
        const KeySym keys[] = {0, XK_Shift_L, XK_Control_L};
        drag(at, arg % 40, keys[a / 40 % 3]);
    }

    // A button of one of the open dialogs, with some text typed first.
    void dialog(int a)
    {
        std::vector<Widget> open;
        Widget top = GspTest::topLevel();
        for (Cardinal i = 0; i < top->core.num_popups; i++) {
            CompositeWidget shell = (CompositeWidget)top->core.popup_list[i];
            if (shell->composite.num_children && XtIsManaged(shell->composite.children[0]))
                open.push_back(shell->composite.children[0]);
        }
        if (open.empty())
            return;
        Widget d = open[a % open.size()];
        int b = a / open.size();
        if (Widget text = GspTest::findWidget(d, "info text"))
            XmTextSetString(text, (char *)("Note " + std::to_string(a)).c_str());
        if (XmIsMessageBox(d) || XmIsSelectionBox(d)) {
            const char *which[] = {XmNokCallback, XmNcancelCallback, XmNhelpCallback};
            const int reason[] = {XmCR_OK, XmCR_CANCEL, XmCR_HELP};
            GspTest::invoke(d, which[b % 3], reason[b % 3]);
            return;
        }
        std::vector<Widget> buttons;
        collectButtons(d, buttons);
        if (!buttons.empty())
            activate(buttons[b % buttons.size()]);
    }

    static void collectButtons(Widget w, std::vector<Widget> &into)
    {
        if ((XmIsPushButton(w) || XmIsPushButtonGadget(w)) && XtIsManaged(w) && XtIsSensitive(w))
            into.push_back(w);
        if (XtIsComposite(w)) {
            CompositeWidget c = (CompositeWidget)w;
            for (Cardinal i = 0; i < c->composite.num_children; i++)
                collectButtons(c->composite.children[i], into);
        }
    }

    // A push button's activation, as a click's release brings it.
    static void activate(Widget w)
    {
        XEvent event = {};
        event.xbutton.type = ButtonRelease;
        event.xbutton.display = XtDisplayOfObject(w);
        event.xbutton.window = XtWindowOfObject(w);
        event.xbutton.button = 1;
        XmPushButtonCallbackStruct cbs = {XmCR_ACTIVATE, &event, 1};
        // A note's Grab Window waits for a click on a window: the user
        // holds the button down on the bare desktop.
        bool grab = strcmp(XtName(w), "Grab Window") == 0;
        Display *d = event.xbutton.display;
        if (grab) {
            XTestFakeMotionEvent(d, DefaultScreen(d), 1270, 1010, CurrentTime);
            XTestFakeButtonEvent(d, 1, True, CurrentTime);
            XSync(d, False);
        }
        XtCallCallbacks(w, XmNactivateCallback, &cbs);
        if (grab)
            XTestFakeButtonEvent(d, 1, False, CurrentTime);
    }

    // The marker list's buttons and rows, once it is shown.
    void player(int a)
    {
        ZnMarkerSequencer *seq = app->getSequencer();
        if (!seq->isListShown())
            return;
        const int codes[] = {ZnMarkerSequencer::PLAY,        ZnMarkerSequencer::STOP,
                             ZnMarkerSequencer::PREVIOUS,    ZnMarkerSequencer::NEXT,
                             ZnMarkerSequencer::DIALOG_STOP, ZnMarkerSequencer::DIALOG_PLAY,
                             ZnMarkerSequencer::PLAY_ALL,    ZnMarkerSequencer::DELETE,
                             ZnMarkerSequencer::MOVE_UP,     ZnMarkerSequencer::MOVE_DOWN,
                             10 /* the list */};
        int code = codes[a % 11];
        Widget w = seq->getDialogWidget(code);
        if (!w || !XtIsManaged(w) || !XtIsSensitive(w))
            return;
        if (code != 10)
            activate(w);
        else if (seq->getNumMarkers())
            XmListSelectPos(w, a / 11 % seq->getNumMarkers() + 1, True);
    }

    void noteFromFile(int a)
    {
        const char *items[] = {"noteMovieFile", "noteSoundFile", "noteImageFile",
                               "noteSceneFile"};
        const char *files[] = {"media/tone.aifc", "media/readme.txt", "annotated.iv"};
        Widget w = GspTest::findWidget(app->getMenuBar(), items[a % 4]);
        if (w && XtIsSensitive(w))
            press(fileDialog(items[a % 4], dir.file(files[a / 4 % 3])), XmNokCallback, XmCR_OK);
    }

    void saveAndReopen(bool binary)
    {
        std::string before = gspSceneSummary(app->getScene());
        std::string file = dir.file(binary ? "use-binary.iv" : "use.iv");
        if (!app->save(file.c_str(), binary) || !app->open(file.c_str()))
            fail("cannot save and reopen " + file);
        else if (gspSceneSummary(app->getScene()) != before)
            fail("reopened, the scene differs:\n" + before + "\nnow:\n" +
                 gspSceneSummary(app->getScene()));
    }

    void releaseCameras()
    {
        for (SoNode *c : cameras)
            c->unref();
        cameras.clear();
    }

    SoPathList camerasOf(SoNode *root)
    {
        SoSearchAction sa;
        sa.setType(SoCamera::getClassTypeId());
        sa.setInterest(SoSearchAction::ALL);
        sa.apply(root);
        return sa.getPaths();
    }

    // The scene as its file would hold it. The names of temporary data
    // files are left out: an undone edit brings back a copy of the note,
    // whose data has a file of its own.
    std::string fileBytes()
    {
        std::string bytes;
        app->asInFile([&] { bytes = GspTest::writeToBuffer(app->getScene()); });
        static const std::regex temporary("\"[^\"\n]*(gsp_note|_gsp_)[^\"\n]*\"");
        return std::regex_replace(bytes, temporary, "\"temporary\"");
    }

    void baseline()
    {
        app->selectMarker(NULL);
        openedBytes = fileBytes();
        releaseCameras();
        SoPathList paths = camerasOf(app->getScene());
        for (int i = 0; i < paths.getLength(); i++) {
            cameras.push_back(paths[i]->getTail()->copy());
            cameras.back()->ref();
        }
        maxWeight = app->getHistory().totalWeight();
    }

    void follow()
    {
        watched = app->getScene();
        rootGone = false;
        rootSensor.attach(watched);
        watch.reset(new GspTest::LibraryNodeWatch(watched));
    }

    // The scene was replaced: all of it goes.
    void replaced()
    {
        rootSensor.detach();
        if (!pumpUntil([&] { return watch->alive() == 0; }, 2000))
            fail("the replaced scene left " + std::to_string(watch->alive()) + " of " +
                 std::to_string(watch->watched()) + " library nodes alive: " + watch->survivors());
        baseline();
    }

    // Undoing every step gives back the scene as opened, when the history
    // kept them all.
    void undoAll()
    {
        // A user's commands come after the idle time in which a note's
        // edit is reported and becomes a step.
        SoDB::getSensorManager()->processDelayQueue(TRUE);
        while (app->getHistory().canUndo())
            app->command(App::EDIT_UNDO);
        if (maxWeight > UNDO_LIMIT / 2)
            return;
        app->selectMarker(NULL);
        SoPathList paths = camerasOf(app->getScene());
        for (int i = 0; i < paths.getLength() && i < (int)cameras.size(); i++)
            paths[i]->getTail()->copyFieldValues(cameras[i]);
        std::string bytes = fileBytes();
        if (bytes != openedBytes) {
            size_t at = std::mismatch(bytes.begin(), bytes.end(), openedBytes.begin()).first -
                        bytes.begin();
            fail("undoing every step does not give back the scene as opened; from byte " +
                 std::to_string(at) + ":\n" + bytes.substr(at, 300) + "\nwas:\n" +
                 openedBytes.substr(at, 300));
        }
    }

    bool roundTrip(bool binary)
    {
        std::string bytes = GspTest::writeToBuffer(app->getScene(), binary);
        GspTest::Held<SoSeparator> back(GspTest::readFromBuffer(bytes));
        if (!back)
            return fail("the scene written does not read back");
        std::string here = gspSceneSummary(app->getScene()), there = gspSceneSummary(back);
        if (here != there)
            return fail("the scene written reads back otherwise:\n" + here + "\nread:\n" + there);
        return true;
    }

    // An empty scene leaves no process of the notes and none of their
    // files; every descriptor since opened is closed again.
    void emptied()
    {
        app->newScene();
        replaced();
        follow();
        if (failure.empty())
            leftovers();
    }

    void leftovers()
    {
        std::string tmp = ZnNote::getTempDirName();
        std::string names;
        auto files = [&] {
            names.clear();
            for (const std::string &e : TempDir::entriesOf(tmp))
                if (e.find(ZnNote::NOTE_BASE) != std::string::npos)
                    names += " " + e;
            return !names.empty();
        };
        if (!pumpUntil([] { return GspTest::childProcesses() == 0; }, 5000))
            fail(std::to_string(GspTest::childProcesses()) + " processes left running");
        else if (!pumpUntil([&] { return !files(); }, 1000))
            fail("note files left in " + tmp + ":" + names);
        else if (!pumpUntil([&] { return GspTest::openDescriptors() <= startFds; }, 1000))
            fail(std::to_string(GspTest::openDescriptors() - startFds) + " descriptors left open");
    }

    // The end of a run: the application released leaves nothing.
    void finish()
    {
        rootSensor.detach();
        watch.reset();
        app.reset();
        if (failure.empty())
            leftovers();
        std::string missing;
        for (int c = 0; c < App::NUM_COMMANDS; c++)
            if (!covered.count(c))
                missing += std::string(" ") + App::commandName(c);
        printf("random use: %zu steps, %zu of %d commands (not:%s)%s\n", taken.size(),
               covered.size(), (int)App::NUM_COMMANDS, missing.c_str(),
               failure.empty() ? "" : ", failed");
    }

    void replay(const std::vector<Step> &steps)
    {
        for (const Step &s : steps)
            if (!take(s))
                break;
    }
};

// A run drawn from a seed, for about a minute (GLOSSPIN_USE_SEED and
// GLOSSPIN_USE_SECONDS choose another); GLOSSPIN_USE_STEPS replays a run.
TEST_F(RandomUse, SeededRun)
{
    if (const char *steps = getenv("GLOSSPIN_USE_STEPS")) {
        replay(parse(steps));
    } else {
        const char *seed = getenv("GLOSSPIN_USE_SEED"), *seconds = getenv("GLOSSPIN_USE_SECONDS");
        std::mt19937 rng(seed ? atoi(seed) : 1);
        SbTime end = SbTime::getTimeOfDay() + (seconds ? atof(seconds) : 60);
        while (SbTime::getTimeOfDay() < end) {
            int arg = rng() % 100000;
            char kind = KINDS[rng() % (sizeof KINDS - 1)];
            if (!take({kind, kind == 'd' && arg % 2 ? -arg : arg}))
                break;
        }
    }
    finish();
}

// The runs that once failed, shrunk, each from the sample scene.
TEST_F(RandomUse, KeptCasesReplay)
{
    std::vector<std::string> cases = TempDir::entriesOf(GLOSSPIN_USECASE_DIR);
    if (cases.empty())
        GTEST_SKIP() << "no kept cases";
    std::sort(cases.begin(), cases.end());
    for (const std::string &c : cases) {
        SCOPED_TRACE(c);
        ASSERT_TRUE(app->open(scene.c_str()));
        replaced();
        follow();
        replay(parse(TempDir::readFile(GLOSSPIN_USECASE_DIR "/" + c)));
        if (!failure.empty())
            break;
    }
    finish();
}

}
