// The playback options dialog shared by all notes: one top-level Motif
// window that shows the note in noteToEdit and writes each change into
// its fields at once.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <X11/Xmu/WinUtil.h>
#include <X11/cursorfont.h>
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/MessageB.h>
#include <Xm/MwmUtil.h>
#include <Xm/Protocols.h>
#include <Xm/PushB.h>
#include <Xm/Separator.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>
#include <Xm/Xm.h>

#include <locale.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "init/MessageText.h"

Widget *ZnNote::noteOptionWidgetList = NULL;
int ZnNote::dialogVisible = 0;
int ZnNote::noteOptionFieldChanged = 0;
int ZnNote::ignoreFieldChangedCB = 0;
int ZnNote::needToDeiconifyDialog = 0;
char *ZnNote::numLanguage = NULL;
void (*ZnNote::noteOptionDirtyCB)() = NULL;

namespace {

Widget overwriteBox = NULL;
Cursor grabCursor = 0;

// Numbers in the dialog are read and printed in numLanguage; the
// library otherwise works in the "C" numeric locale.
struct NumericLocale {
    NumericLocale()
    {
        if (ZnNote::numLanguage)
            setlocale(LC_NUMERIC, ZnNote::numLanguage);
    }
    ~NumericLocale()
    {
        if (ZnNote::numLanguage)
            setlocale(LC_NUMERIC, "C");
    }
};

Widget W(int index) { return ZnNote::noteOptionWidgetList[index]; }

void sensitive(std::initializer_list<int> indices, Boolean on)
{
    for (int i : indices)
        XtSetSensitive(W(i), on);
}

void setToggle(int index, int on) { XmToggleButtonSetState(W(index), on ? True : False, False); }

void setLabel(Widget w, const char *text)
{
    XmString s = XmStringCreateLocalized((char *)text);
    XtVaSetValues(w, XmNlabelString, s, NULL);
    XmStringFree(s);
}

// Fills a text field without counting it as the user's typing.
void setField(int index, const char *text)
{
    ZnNote::ignoreFieldChangedCB = 1;
    XmTextFieldSetString(W(index), (char *)text);
    ZnNote::ignoreFieldChangedCB = 0;
}

void setNumberField(int index, float value)
{
    char buf[64];
    {
        NumericLocale locale;
        snprintf(buf, sizeof buf, "%.1f", value);
    }
    setField(index, buf);
}

void moveFocus() { XmProcessTraversal(W(ZnNote::OPT_SHELL), XmTRAVERSE_CURRENT); }

void dialogCB(Widget w, XtPointer code, XtPointer call)
{
    ZnNote::noteOptionDialogCB(w, (int)(intptr_t)code, call);
}

void fieldChangedCB(Widget w, XtPointer client, XtPointer call)
{
    ZnNote::noteOptionFieldChangedCB(w, client, call);
}

Widget makeForm(Widget parent, const char *name, Widget above)
{
    Widget form = XtVaCreateManagedWidget(
        name, xmFormWidgetClass, parent, XmNleftAttachment, XmATTACH_FORM, XmNrightAttachment,
        XmATTACH_FORM, XmNtopAttachment, above ? XmATTACH_WIDGET : XmATTACH_FORM, XmNtopWidget,
        above, XmNtopOffset, 4, NULL);
    return form;
}

Widget makeSeparator(Widget parent, const char *name, Widget above)
{
    return XtVaCreateManagedWidget(name, xmSeparatorWidgetClass, parent, XmNleftAttachment,
                                   XmATTACH_FORM, XmNrightAttachment, XmATTACH_FORM,
                                   XmNtopAttachment, XmATTACH_WIDGET, XmNtopWidget, above,
                                   XmNtopOffset, 4, NULL);
}

// The fill of a set choice: the "select_color" resource, or Motif's
// select shade of the background when that colour cannot be had. Without
// it a set toggle looks like an unset one on the default grey.
Pixel selectColour(Widget w)
{
    static Pixel pixel;
    static Display *known = NULL;
    if (known == XtDisplay(w))
        return pixel;
    Pixel background;
    Colormap map;
    XtVaGetValues(w, XmNbackground, &background, XmNcolormap, &map, NULL);
    XColor near, exact;
    const char *name = ZnCommon::getResource("select_color", "Yellow");
    if (XAllocNamedColor(XtDisplay(w), map, name, &near, &exact))
        pixel = near.pixel;
    else
        XmGetColors(XtScreen(w), map, background, NULL, NULL, NULL, &pixel);
    known = XtDisplay(w);
    return pixel;
}

// Selects the whole text of a field and gives it the keyboard, so that
// the user's typing replaces it.
void selectField(int index)
{
    Widget f = W(index);
    XmTextPosition end = XmTextFieldGetLastPosition(f);
    XmTextFieldSetSelection(f, 0, end, XtLastTimestampProcessed(XtDisplay(f)));
    XmProcessTraversal(f, XmTRAVERSE_CURRENT);
}

// A control placed below `above` (the form's top when NULL), indented
// by `indent` pixels, or to the right of `beside` on the same row.
Widget place(WidgetClass cls, const char *name, Widget parent, Widget above, int indent,
             Widget beside = NULL)
{
    Arg args[12];
    int n = 0;
    if (beside) {
        XtSetArg(args[n], XmNleftAttachment, XmATTACH_WIDGET), n++;
        XtSetArg(args[n], XmNleftWidget, beside), n++;
        XtSetArg(args[n], XmNtopAttachment, XmATTACH_OPPOSITE_WIDGET), n++;
        XtSetArg(args[n], XmNtopWidget, beside), n++;
        XtSetArg(args[n], XmNbottomAttachment, XmATTACH_OPPOSITE_WIDGET), n++;
        XtSetArg(args[n], XmNbottomWidget, beside), n++;
    } else {
        XtSetArg(args[n], XmNleftAttachment, XmATTACH_FORM), n++;
        XtSetArg(args[n], XmNleftOffset, indent), n++;
        XtSetArg(args[n], XmNtopAttachment, above ? XmATTACH_WIDGET : XmATTACH_FORM), n++;
        XtSetArg(args[n], XmNtopWidget, above), n++;
    }
    if (cls == xmToggleButtonWidgetClass) {
        XtSetArg(args[n], XmNindicatorType, XmONE_OF_MANY), n++;
    }
    if (cls == xmLabelWidgetClass) {
        XtSetArg(args[n], XmNalignment, XmALIGNMENT_BEGINNING), n++;
    }
    Widget w = XtCreateManagedWidget(name, cls, parent, args, n);
    if (cls == xmToggleButtonWidgetClass)
        XtVaSetValues(w, XmNselectColor, selectColour(w), XmNfillOnSelect, True, NULL);
    return w;
}

// A number field to the right of `left`, below `above`; the choice
// toggle on its left is centred on it.
Widget numberField(const char *name, Widget parent, Widget left, Widget above, int code)
{
    Widget f = XtVaCreateManagedWidget(name, xmTextFieldWidgetClass, parent, XmNcolumns, 6,
                                       XmNleftAttachment, XmATTACH_WIDGET, XmNleftWidget, left,
                                       XmNtopAttachment, XmATTACH_WIDGET, XmNtopWidget, above,
                                       NULL);
    XtVaSetValues(left, XmNtopAttachment, XmATTACH_OPPOSITE_WIDGET, XmNtopWidget, f,
                  XmNbottomAttachment, XmATTACH_OPPOSITE_WIDGET, XmNbottomWidget, f, NULL);
    XtAddCallback(f, XmNvalueChangedCallback, fieldChangedCB, NULL);
    XtAddCallback(f, XmNactivateCallback, dialogCB, (XtPointer)(intptr_t)code);
    XtAddCallback(f, XmNlosingFocusCallback, dialogCB, (XtPointer)(intptr_t)code);
    return f;
}

void listen(int index, const char *callback)
{
    XtAddCallback(W(index), callback, dialogCB, (XtPointer)(intptr_t)index);
}

}

void ZnNote::buildNoteOptionDialog()
{
    Widget top = SoXt::getTopLevelWidget();
    Widget *w = noteOptionWidgetList = new Widget[OPT_NUM_WIDGETS]();

    const char *title = ZnCommon::getResource("title_option", "Glosspin : Playback Options");
    w[OPT_SHELL] = XtVaCreatePopupShell(
        "NoteOptionsDialog", topLevelShellWidgetClass, top, XmNtitle, title, XmNiconName,
        "Playback Options", XmNmwmDecorations,
        MWM_DECOR_BORDER | MWM_DECOR_RESIZEH | MWM_DECOR_TITLE | MWM_DECOR_MENU,
        XmNmwmFunctions, MWM_FUNC_RESIZE | MWM_FUNC_MOVE | MWM_FUNC_CLOSE, XmNdeleteResponse,
        XmUNMAP, NULL);
    // Destroyed by the application (its popups go with it): forget it.
    XtAddCallback(w[OPT_SHELL], XmNdestroyCallback,
                  [](Widget, XtPointer, XtPointer) {
                      delete[] noteOptionWidgetList;
                      noteOptionWidgetList = NULL;
                      dialogVisible = 0;
                      needToDeiconifyDialog = 0;
                  },
                  NULL);
    Atom close = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
    XmAddWMProtocolCallback(w[OPT_SHELL], close, noteOptionClosedCB, NULL);
    XtAddEventHandler(top, StructureNotifyMask, False,
                      (XtEventHandler)shellStructureNotifyCB, NULL);

    Widget form = XtVaCreateManagedWidget("dialogForm", xmFormWidgetClass, w[OPT_SHELL],
                                          XmNmarginWidth, 8, XmNmarginHeight, 8, NULL);

    // Automatic playback.
    Widget play = makeForm(form, "autoPlayForm", NULL);
    w[3] = place(xmToggleButtonWidgetClass, "Include note in marker playback", play, NULL, 0);
    XtVaSetValues(w[3], XmNindicatorType, XmN_OF_MANY, NULL);
    w[4] = place(xmLabelWidgetClass, "Note player stays", play, w[3], 0);
    w[5] = place(xmToggleButtonWidgetClass, "until user closes it", play, w[4], 20);
    w[6] = place(xmToggleButtonWidgetClass, "for", play, w[5], 20);
    w[7] = numberField("timeField", play, w[6], w[5], OPT_TIME_FIELD);
    w[8] = place(xmLabelWidgetClass, "seconds", play, NULL, 0, w[7]);
    w[9] = place(xmToggleButtonWidgetClass, "for duration of media", play, w[7], 20);
    w[10] = place(xmLabelWidgetClass, "Start next note", play, w[9], 0);
    w[11] = place(xmToggleButtonWidgetClass, "immediately", play, w[10], 20);
    w[12] = place(xmToggleButtonWidgetClass, "after", play, w[11], 20);
    w[13] = numberField("delayField", play, w[12], w[11], OPT_DELAY_FIELD);
    w[14] = place(xmLabelWidgetClass, "seconds", play, NULL, 0, w[13]);
    w[15] = place(xmToggleButtonWidgetClass, "when this note is done", play, w[13], 20);
    Widget sep1 = makeSeparator(form, "sep1", play);

    // Where the player window goes.
    Widget loc = makeForm(form, "playerLocForm", sep1);
    w[21] = place(xmLabelWidgetClass, "Note player location", loc, NULL, 0);
    w[22] = place(xmPushButtonWidgetClass, "Play Note", loc, w[21], 20);
    w[23] = place(xmPushButtonWidgetClass, "Grab Window", loc, NULL, 0, w[22]);
    XtVaSetValues(w[23], XmNleftOffset, 8, NULL);
    Widget sep2 = makeSeparator(form, "sep2", loc);

    // Where the data is kept.
    Widget data = makeForm(form, "noteDataForm", sep2);
    w[16] = place(xmLabelWidgetClass, "Note data is stored", data, NULL, 0);
    w[17] = place(xmToggleButtonWidgetClass, "inline", data, w[16], 20);
    w[18] = place(xmToggleButtonWidgetClass, "in external file", data, w[17], 20);
    w[20] = XtVaCreateManagedWidget("Accept", xmPushButtonWidgetClass, data, XmNtopAttachment,
                                    XmATTACH_WIDGET, XmNtopWidget, w[18], XmNrightAttachment,
                                    XmATTACH_FORM, XmNrightOffset, 4, NULL);
    w[19] = XtVaCreateManagedWidget(
        "fileField", xmTextFieldWidgetClass, data, XmNcolumns, 32, XmNleftAttachment,
        XmATTACH_FORM, XmNleftOffset, 20, XmNrightAttachment, XmATTACH_WIDGET, XmNrightWidget,
        w[20], XmNrightOffset, 8, XmNtopAttachment, XmATTACH_WIDGET, XmNtopWidget, w[18], NULL);
    XtVaSetValues(w[20], XmNbottomAttachment, XmATTACH_OPPOSITE_WIDGET, XmNbottomWidget, w[19],
                  NULL);
    XtAddCallback(w[19], XmNvalueChangedCallback, fieldChangedCB, NULL);
    Widget sep3 = makeSeparator(form, "sep3", data);

    // Who changed the note last, and when.
    w[1] = place(xmLabelWidgetClass, "lastChanged", form, sep3, 4);
    w[2] = place(xmLabelWidgetClass, "date", form, w[1], 4);
    XtVaSetValues(w[1], XmNtopOffset, 4, XmNrightAttachment, XmATTACH_FORM, NULL);
    XtVaSetValues(w[2], XmNrightAttachment, XmATTACH_FORM, NULL);

    for (int i : {3, 5, 6, 9, 11, 12, 15, 17, 18})
        listen(i, XmNvalueChangedCallback);
    for (int i : {20, 22, 23})
        listen(i, XmNactivateCallback);
    listen(OPT_FILE_FIELD, XmNactivateCallback);
}

void ZnNote::editNoteOptions()
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!noteOptionWidgetList)
        buildNoteOptionDialog();
    dialogVisible = 1;
    needToDeiconifyDialog = 0;
    updateNoteOptionUI();
    Widget shell = W(OPT_SHELL);
    XtPopup(shell, XtGrabNone);
    // Closed by the window manager, the shell is only unmapped.
    XtMapWidget(shell);
    XRaiseWindow(XtDisplay(shell), XtWindow(shell));
}

void ZnNote::updateNoteOptionUI()
{
    noteToEdit = this;
    noteOptionFieldChanged = 0;
    if (!dialogVisible || !noteOptionWidgetList)
        return;

    setToggle(OPT_AUTOPLAY, autoPlayable.getValue());
    int life = lifetimeType.getValue();
    setToggle(OPT_UNTIL_CLOSED, life == 0);
    setToggle(OPT_FOR_SECONDS, life == 1);
    setToggle(OPT_FOR_MEDIA, life == 2);
    setNumberField(OPT_TIME_FIELD, lifetime.getValue());
    int next = startNextNote.getValue();
    setToggle(OPT_IMMEDIATELY, next == 0);
    setToggle(OPT_AFTER, next == 2);
    setToggle(OPT_WHEN_DONE, next == 1);
    setNumberField(OPT_DELAY_FIELD, nextNoteDelay.getValue());

    sensitive({OPT_AUTOPLAY, OPT_CHANGED_LABEL, OPT_DATE_LABEL, OPT_INLINE, OPT_DATA_LABEL},
              True);
    if (mediaLength == 0)
        findMediaLength();
    enableNoteOptionAutoPlayUI(autoPlayable.getValue());
    updateNoteOptionMediaLengthUI();

    setToggle(OPT_INLINE, !dataExternal);
    setToggle(OPT_EXTERNAL, dataExternal);
    if (!supportsExternalData) {
        setField(OPT_FILE_FIELD, "");
        sensitive({OPT_EXTERNAL, OPT_FILE_FIELD}, False);
    } else {
        setField(OPT_FILE_FIELD, filename.getValue().getString());
        sensitive({OPT_EXTERNAL, OPT_FILE_FIELD}, True);
    }
    XtSetSensitive(W(OPT_ACCEPT), False);
    updateNoteOptionPlayerPositionUI();

    setLabel(W(OPT_CHANGED_LABEL),
             gspFillMessage(ZnCommon::getResource("last_changed_by", "Last changed by %s"),
                            author.getValue().getString())
                 .c_str());
    time_t when = (time_t)timestamp.getValue().getValue();
    struct tm local;
    char date[256] = "";
    if (localtime_r(&when, &local))
        strftime(date, sizeof date, ZnCommon::getResource("date_format", "%c"), &local);
    setLabel(W(OPT_DATE_LABEL), date);
}

void ZnNote::disableNoteOptionUI()
{
    noteToEdit = NULL;
    if (!dialogVisible || !noteOptionWidgetList)
        return;
    for (int i = 1; i < OPT_NUM_WIDGETS; i++)
        XtSetSensitive(W(i), False);
}

void ZnNote::enableNoteOptionAutoPlayUI(char autoPlay)
{
    if (!noteOptionWidgetList)
        return;
    if (!autoPlay) {
        for (int i = OPT_STAYS_LABEL; i <= OPT_WHEN_DONE; i++)
            XtSetSensitive(W(i), False);
        return;
    }
    sensitive({OPT_STAYS_LABEL, OPT_NEXT_LABEL, OPT_IMMEDIATELY, OPT_AFTER, OPT_DELAY_FIELD,
               OPT_DELAY_UNIT, OPT_WHEN_DONE},
              True);
    if (mediaLength < 0)
        mediaLength = 0;
    // Only what the note can do: without a tracked exit the player stays
    // until closed; a measured length rules out the other two.
    int media = trackPlayerExit && mediaLength != 0;
    int seconds = trackPlayerExit && mediaLength == 0;
    XtSetSensitive(W(OPT_UNTIL_CLOSED), !media);
    sensitive({OPT_FOR_SECONDS, OPT_TIME_FIELD, OPT_TIME_UNIT}, seconds);
    XtSetSensitive(W(OPT_FOR_MEDIA), media);
}

void ZnNote::updateNoteOptionPlayerPositionUI()
{
    if (!dialogVisible || !noteOptionWidgetList)
        return;
    sensitive({OPT_LOCATION_LABEL, OPT_PLAY}, playerLocationSupported > 0);
    XtSetSensitive(W(OPT_GRAB), isPlaying() && playerLocationSupported > 0);
}

void ZnNote::updateNoteOptionMediaLengthUI()
{
    if (!dialogVisible || !noteOptionWidgetList)
        return;
    std::string text;
    {
        NumericLocale locale;
        text = getDurationMsg();
    }
    setLabel(W(OPT_FOR_MEDIA), text.c_str());
}

void ZnNote::noteOptionFieldChangedCB(Widget w, void *, void *)
{
    if (ignoreFieldChangedCB)
        return;
    if (noteOptionWidgetList && w == W(OPT_FILE_FIELD))
        XtSetSensitive(W(OPT_ACCEPT), True);
    noteOptionFieldChanged = 1;
}

// A number typed into the lifetime or the delay field: a positive one
// is taken and selects its choice; anything else shows the old value.
void ZnNote::takeNumberField(int code)
{
    int isTime = code == OPT_TIME_FIELD;
    if (noteOptionFieldChanged) {
        noteOptionFieldChanged = 0;
        char *text = XmTextFieldGetString(W(code));
        float value = 0;
        int read;
        {
            NumericLocale locale;
            read = sscanf(text, "%f", &value);
        }
        XtFree(text);
        if (read == 1 && value > 0) {
            if (isTime) {
                lifetime = value;
                lifetimeType = 1;
                setToggle(OPT_UNTIL_CLOSED, 0);
                setToggle(OPT_FOR_SECONDS, 1);
                setToggle(OPT_FOR_MEDIA, 0);
            } else {
                nextNoteDelay = value;
                startNextNote = 2;
                setToggle(OPT_IMMEDIATELY, 0);
                setToggle(OPT_AFTER, 1);
                setToggle(OPT_WHEN_DONE, 0);
            }
        }
    }
    setNumberField(code, isTime ? lifetime.getValue() : nextNoteDelay.getValue());
    moveFocus();
}

void ZnNote::noteOptionDialogCB(Widget w, int code, void *)
{
    ZnNote *note = noteToEdit;
    if (!note || !noteOptionWidgetList)
        return;
    switch (code) {
    case OPT_AUTOPLAY:
        note->autoPlayable = XmToggleButtonGetState(w) ? TRUE : FALSE;
        note->enableNoteOptionAutoPlayUI(note->autoPlayable.getValue());
        break;
    case OPT_UNTIL_CLOSED:
    case OPT_FOR_SECONDS:
    case OPT_FOR_MEDIA:
        note->lifetimeType = code == OPT_UNTIL_CLOSED ? 0 : code == OPT_FOR_SECONDS ? 1 : 2;
        setToggle(OPT_UNTIL_CLOSED, code == OPT_UNTIL_CLOSED);
        setToggle(OPT_FOR_SECONDS, code == OPT_FOR_SECONDS);
        setToggle(OPT_FOR_MEDIA, code == OPT_FOR_MEDIA);
        break;
    case OPT_IMMEDIATELY:
    case OPT_AFTER:
    case OPT_WHEN_DONE:
        note->startNextNote = code == OPT_IMMEDIATELY ? 0 : code == OPT_AFTER ? 2 : 1;
        setToggle(OPT_IMMEDIATELY, code == OPT_IMMEDIATELY);
        setToggle(OPT_AFTER, code == OPT_AFTER);
        setToggle(OPT_WHEN_DONE, code == OPT_WHEN_DONE);
        break;
    case OPT_TIME_FIELD:
    case OPT_DELAY_FIELD:
        note->takeNumberField(code);
        break;
    case OPT_INLINE:
        // A click on the choice already made only redraws the toggles.
        if (note->dataExternal)
            note->makeDataInline();
        note->updateNoteOptionUI();
        break;
    case OPT_EXTERNAL: {
        if (note->dataExternal) {
            note->updateNoteOptionUI();
            break;
        }
        char *text = XmTextFieldGetString(W(OPT_FILE_FIELD));
        int ok = note->makeDataExternal(text && *text ? text : NULL, 0);
        XtFree(text);
        if (!ok)
            ZnCommon::displayError("cannotMakeExternalMsg");
        note->updateNoteOptionUI();
        // The library's own name stands until the user types another.
        if (ok)
            selectField(OPT_FILE_FIELD);
        break;
    }
    case OPT_FILE_FIELD:
    case OPT_ACCEPT:
        XtSetSensitive(W(OPT_ACCEPT), False);
        if (!noteOptionFieldChanged)
            return;
        noteOptionFieldChanged = 0;
        note->acceptExternalName();
        break;
    case OPT_PLAY:
        note->play(0);
        break;
    case OPT_GRAB:
        note->grabPlayerLocation();
        break;
    default:
        return;
    }
    if (noteOptionDirtyCB)
        (*noteOptionDirtyCB)();
}

void ZnNote::acceptExternalName()
{
    char *text = XmTextFieldGetString(W(OPT_FILE_FIELD));
    std::string name = text ? text : "";
    XtFree(text);
    size_t slash = name.rfind('/');
    std::string dir = slash == std::string::npos ? "" : name.substr(0, slash);
    if (slash == 0)
        dir = "/";
    const char *failKey = dataExternal ? "cannotMoveDataMsg" : "cannotSaveDataMsg";

    if (name != filename.getValue().getString()) {
        if (access(name.c_str(), F_OK) == 0 && access(name.c_str(), R_OK) == 0) {
            overwriteDialog((char *)name.c_str());
            return;  // the answer carries on
        }
        if (access(name.c_str(), F_OK) == 0 && access(name.c_str(), W_OK) != 0)
            ZnCommon::displayError(failKey, "permissionDeniedMsg", NULL, name.c_str());
        else if (dir.empty() || access(dir.c_str(), X_OK) == 0) {
            if (!name.empty() && makeDataExternal(name.c_str(), 0)) {
                setToggle(OPT_INLINE, 0);
                setToggle(OPT_EXTERNAL, 1);
            }
        } else
            ZnCommon::displayError(failKey, "nonexistentDirectoryMsg", NULL, name.c_str());
    }
    updateNoteOptionUI();
    moveFocus();
}

void ZnNote::overwriteDialog(char *name)
{
    Widget top = SoXt::getTopLevelWidget();
    if (!overwriteBox) {
        XmString ok = XmStringCreateLocalized(
            (char *)ZnCommon::getResource("dialog_overwrite", "Overwrite"));
        XmString cancel =
            XmStringCreateLocalized((char *)ZnCommon::getResource("dialog_cancel", "Cancel"));
        XmString title = XmStringCreateLocalized(
            (char *)ZnCommon::getResource("title_overwrite", "Glosspin : Overwrite Dialog"));
        Arg args[3];
        int n = 0;
        XtSetArg(args[n], XmNokLabelString, ok), n++;
        XtSetArg(args[n], XmNcancelLabelString, cancel), n++;
        XtSetArg(args[n], XmNdialogTitle, title), n++;
        overwriteBox = XmCreateQuestionDialog(top, (char *)"Overwrite Dialog", args, n);
        XmStringFree(ok);
        XmStringFree(cancel);
        XmStringFree(title);
        XtUnmanageChild(XmMessageBoxGetChild(overwriteBox, XmDIALOG_HELP_BUTTON));
        XtAddCallback(overwriteBox, XmNokCallback, (XtCallbackProc)overwriteDialogCB, NULL);
        XtAddCallback(overwriteBox, XmNcancelCallback, (XtCallbackProc)overwriteDialogCB, NULL);
        XtAddCallback(XtParent(overwriteBox), XmNdestroyCallback,
                      [](Widget, XtPointer, XtPointer) { overwriteBox = NULL; }, NULL);
    }
    std::string text =
        gspFillMessage(ZnCommon::getResource("ovewrite_msg", "%s exists, overwrite ?"), name);
    XmString message = XmStringCreateLocalized((char *)text.c_str());
    XtVaSetValues(overwriteBox, XmNmessageString, message, NULL);
    XmStringFree(message);
    XtManageChild(overwriteBox);
}

void ZnNote::overwriteDialogCB(Widget w, void *, void *callData)
{
    XtUnmanageChild(w);
    XmAnyCallbackStruct *cbs = (XmAnyCallbackStruct *)callData;
    ZnNote *note = noteToEdit;
    if (!cbs || cbs->reason != XmCR_OK || !note || !noteOptionWidgetList)
        return;
    char *text = XmTextFieldGetString(W(OPT_FILE_FIELD));
    if (text && *text && note->makeDataExternal(text, 0)) {
        setToggle(OPT_INLINE, 0);
        setToggle(OPT_EXTERNAL, 1);
    }
    XtFree(text);
    note->updateNoteOptionUI();
    moveFocus();
    if (noteOptionDirtyCB)
        (*noteOptionDirtyCB)();
}

void ZnNote::grabPlayerLocation()
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    Display *d = XtDisplay(top);
    Window root = RootWindow(d, DefaultScreen(d));
    if (!grabCursor) {
        grabCursor = XCreateFontCursor(d, XC_crosshair);
        XColor red, white, exact;
        Colormap map = DefaultColormap(d, DefaultScreen(d));
        XAllocNamedColor(d, map, "red", &red, &exact);
        XAllocNamedColor(d, map, "white", &white, &exact);
        XRecolorCursor(d, grabCursor, &red, &white);
    }
    if (XGrabPointer(d, root, False, ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                     GrabModeAsync, None, grabCursor, CurrentTime) == GrabSuccess) {
        for (;;) {
            Window rootReturn, child;
            int rx, ry, wx, wy;
            unsigned int mask = 0;
            XQueryPointer(d, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
            if (mask & (Button2Mask | Button3Mask))
                break;
            if (mask & Button1Mask) {
                Window frame = child ? child : root;
                Window r;
                int fx, fy;
                unsigned int fw, fh, border, depth;
                if (!XGetGeometry(d, frame, &r, &fx, &fy, &fw, &fh, &border, &depth))
                    break;
                playerLocationX = (short)fx;
                playerLocationY = (short)fy;
                if (frame != root) {
                    Window client = XmuClientWindow(d, frame);
                    int cx, cy;
                    unsigned int cw, ch;
                    if (XGetGeometry(d, client, &r, &cx, &cy, &cw, &ch, &border, &depth)) {
                        playerWidth = (short)cw;
                        playerHeight = (short)ch;
                        int side = ((int)fw - (int)cw) / 2;
                        playerLocationX = (short)(fx + side);
                        playerLocationY = (short)(fy + ((int)fh - (int)ch) - side);
                    }
                }
                break;
            }
            usleep(10000);
        }
    }
    XUngrabPointer(d, CurrentTime);
    XFlush(d);
}

void ZnNote::noteOptionClosedCB(Widget, void *, void *) { dialogVisible = 0; }

void ZnNote::shellStructureNotifyCB(Widget, void *, XEvent *event, char *)
{
    if (!noteOptionWidgetList)
        return;
    Widget shell = W(OPT_SHELL);
    if (event->type == UnmapNotify && dialogVisible) {
        XtUnmapWidget(shell);
        needToDeiconifyDialog = 1;
    } else if (event->type == MapNotify && needToDeiconifyDialog) {
        XtMapWidget(shell);
        needToDeiconifyDialog = 0;
    }
}
