#ifndef GLOSSPIN_TESTS_XTTESTENV_H
#define GLOSSPIN_TESTS_XTTESTENV_H

#include <functional>
#include <string>
#include <vector>

// gtest first: X11 defines macros (None, Bool) that clash with it.
#include <gtest/gtest.h>
#include <X11/Intrinsic.h>

// Test harness for code that needs the toolkit's Xt layer: one
// initialisation per binary, event pumping with a time-out, and widget
// look-up by name or class.
class ZnNote;

namespace GspTest {

// Initialises the scene database, the Xt layer and the library once and
// returns the top-level widget.
Widget topLevel();

// Dispatches Xt events for ms milliseconds.
void pumpEvents(int ms);

// Dispatches events until pred() holds or timeoutMs passes; returns pred().
bool pumpUntil(const std::function<bool()> &pred, int timeoutMs = 2000);

// First widget named name below root, popups included.
Widget findWidget(Widget root, const char *name);
// First managed widget named name below root, popups included.
Widget findManaged(Widget root, const char *name);

// True when w's window is mapped and all its ancestors are.
bool viewable(Widget w);

// Sends the window manager's request to close a top-level window
// (WM_DELETE_WINDOW), of this process or another.
void closeByWindowManager(Window w);

// The top-level window titled title, of this process or another, once
// it shows; 0 when none does within timeoutMs.
Window awaitWindow(const std::string &title, int timeoutMs = 8000);

// The managed dialog in a popup shell of the top-level widget whose
// title is title, or NULL.
Widget openDialog(const char *title);
// Every such dialog, oldest first.
std::vector<Widget> openDialogs(const char *title);
// The messages of every open dialog of that title, one after another.
std::string dialogMessages(const char *title);
// The messages of the library's error dialogs once one is open, "" when
// none opens within timeoutMs.
std::string awaitError(int timeoutMs = 2000);

// The runs a stand-in program logged to path: each run's lines up to a
// line ".", empty when there is no log yet.
std::vector<std::vector<std::string>> loggedRuns(const std::string &path);

// Destroys every popup shell of the top-level widget (open dialogs).
void destroyPopups();

// Calls w's callback list named callback as a user's action would, with
// the reason given (and a selection box's text as the value).
void invoke(Widget w, const char *callback, int reason);

// A pending note's reports, counted since watchPending(note) hooked it.
struct PendingReports {
    int ready = 0, finished = 0;
};
PendingReports &watchPending(ZnNote *note);
// How often note's playback has ended since this call hooked it.
int &countPlaybackEnds(ZnNote *note);

// The text in a Motif text or text-field widget.
std::string textOf(Widget w);

// Text of a Motif compound string resource of w, e.g. XmNmessageString.
std::string compoundText(Widget w, const char *resource);

// The texts of a list widget's items, in order.
std::vector<std::string> listItems(Widget list);

// Puts "Glosspin.<key>: <text>" into the display's resource database.
void setResource(const char *key, const char *text);

}

class XtTest : public ::testing::Test {
  protected:
    void SetUp() override { GspTest::topLevel(); }
    void TearDown() override { GspTest::destroyPopups(); }
};

#endif
