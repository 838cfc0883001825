#ifndef GLOSSPIN_NOTE_PROMPTDIALOG_H
#define GLOSSPIN_NOTE_PROMPTDIALOG_H

#include <string>

#include <Xm/Xm.h>

class ZnNote;

// Helpers for the note kinds' own Motif dialogs.

// The text of a compound string.
std::string gspTextOf(XmString s);

// Sets a compound-string resource of w to the text of a resource key.
void gspSetLabel(Widget w, const char *resource, const char *key, const char *text);

// Clears *widget when w is destroyed (the application closing its popups).
void gspForgetOnDestroy(Widget w, Widget *widget);

// A prompt dialog of the top-level widget that stays up until the note
// takes it down, titled title, with callback for OK, Cancel and Help and
// the note's window-closed callback for the window manager's close. It is
// stored in *store, which is cleared when the dialog goes.
Widget gspCreatePrompt(const char *name, const char *title, XtCallbackProc callback, ZnNote *note,
                       Widget *store);

// Shows prompt with message above value.
void gspShowPrompt(Widget prompt, const char *message, const char *value);

#endif
