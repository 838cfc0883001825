// The text note's own window: a Motif dialog that shows the text
// read-only while the note plays and lets the user change it while the
// note is edited.
#include <Glosspin/ZnTextNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Xm/Protocols.h>
#include <Xm/Text.h>
#include <Xm/MessageB.h>
#include <Xm/Xm.h>

#include <unistd.h>

unsigned long ZnTextNote::textBgPixel = 0;
unsigned long ZnTextNote::textReadOnlyBgPixel = 0;
int ZnTextNote::textColorInitialized = 0;

namespace {

// The button labels, made once and kept for the program's life.
XmString okLabel, closeLabel, cancelLabel;

void makeLabels()
{
    if (okLabel)
        return;
    okLabel = XmStringCreateLocalized((char *)ZnCommon::getResource("dialog_ok", "OK"));
    closeLabel = XmStringCreateLocalized((char *)ZnCommon::getResource("dialog_close", "Close"));
    cancelLabel = XmStringCreateLocalized((char *)ZnCommon::getResource("dialog_cancel", "Cancel"));
}

// The two text backgrounds from the application's resources; without
// them the library's resource file, then black.
void fetchColours(Widget top)
{
    struct Pixels {
        Pixel text, readOnly;
    } pixels;
    XtResource res[] = {
        {(char *)"textFieldBackground", (char *)"TextFieldBackground", XmRPixel, sizeof(Pixel),
         XtOffsetOf(Pixels, text), XmRString,
         (XtPointer)ZnCommon::getResource("textFieldBackground", "Black")},
        {(char *)"readOnlyBackground", (char *)"ReadOnlyBackground", XmRPixel, sizeof(Pixel),
         XtOffsetOf(Pixels, readOnly), XmRString,
         (XtPointer)ZnCommon::getResource("readOnlyBackground", "Black")},
    };
    XtGetApplicationResources(top, &pixels, res, XtNumber(res), NULL, 0);
    ZnTextNote::textBgPixel = pixels.text;
    ZnTextNote::textReadOnlyBgPixel = pixels.readOnly;
    ZnTextNote::textColorInitialized = 1;
}

}

void ZnTextNote::edit()
{
    if (isPendingNote) {
        columns = 60;
        rows = 10;
    } else if (!updateLocalData())
        return;
    const char *name = getDataFilename();
    if (dataExternal && name && access(name, F_OK) == 0 && access(name, W_OK) != 0) {
        ZnCommon::displayError("noPermissionMsg", "permissionDeniedMsg", name, name);
        editing = FALSE;
        createDialog(ZnCommon::getResource("title_text_read", "Glosspin : Text for this Note"),
                     this);
        return;
    }
    editing = TRUE;
    ZnNote::edit();
    createDialog(ZnCommon::getResource("title_text_edit", "Glosspin : Edit the text for the Note"),
                 this);
}

void ZnTextNote::play(int autoPlay)
{
    if (!updateLocalData()) {
        cannotPlay(autoPlay);
        return;
    }
    editing = FALSE;
    createDialog(ZnCommon::getResource("title_text_read", "Glosspin : Text for this Note"), this);
    ZnNote::play(autoPlay);
}

int ZnTextNote::isPlaying() const
{
    return !editing && playerWindow && XtIsManaged(playerWindow);
}

int ZnTextNote::isEditing() const
{
    return editing && playerWindow && XtIsManaged(playerWindow);
}

// Closes the dialog without taking the text from it.
void ZnTextNote::closeDialog()
{
    currentIconData = iconData;
    touch();
    XtUnmanageChild(playerWindow);
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
}

void ZnTextNote::killPlayer()
{
    if (isPlaying())
        closeDialog();
}

void ZnTextNote::killEditor()
{
    if (isEditing())
        closeDialog();
}

void ZnTextNote::createDialog(const char *title, ZnTextNote *note)
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!note->playerWindow) {
        Screen *screen = XtScreen(top);
        Widget shell = XtVaCreatePopupShell(
            "textNoteShell", topLevelShellWidgetClass, top, XmNmappedWhenManaged, False, XmNx,
            WidthOfScreen(screen) / 2, XmNy, HeightOfScreen(screen) / 2, XmNwidth, 1, XmNheight,
            1, NULL);
        XtRealizeWidget(shell);
        makeLabels();  // compound strings need an initialised Motif shell
        // Destroyed by someone else (the application closing its popups):
        // the note forgets its dialog.
        XtAddCallback(shell, XmNdestroyCallback,
                      [](Widget, XtPointer data, XtPointer) {
                          ZnTextNote *n = (ZnTextNote *)data;
                          n->playerWindow = NULL;
                          n->textWidget = NULL;
                      },
                      note);
        Arg args[4];
        int n = 0;
        XtSetArg(args[n], XmNautoUnmanage, False), n++;
        XtSetArg(args[n], XmNokLabelString, okLabel), n++;
        XtSetArg(args[n], XmNcancelLabelString, cancelLabel), n++;
        XtSetArg(args[n], XmNdefaultButton, NULL), n++;
        note->playerWindow = XmCreateTemplateDialog(shell, (char *)"Text Block", args, n);
        n = 0;
        XtSetArg(args[n], XmNeditMode, XmMULTI_LINE_EDIT), n++;
        // Long lines wrap at the dialog's width instead of running off it.
        XtSetArg(args[n], XmNwordWrap, True), n++;
        XtSetArg(args[n], XmNscrollHorizontal, False), n++;
        note->textWidget = XmCreateScrolledText(note->playerWindow, (char *)"info text", args, n);
        XtManageChild(note->textWidget);
        if (!textColorInitialized)
            fetchColours(top);
        XtAddCallback(note->playerWindow, XmNcancelCallback, createDialogCB, note);
        Atom deleteWindow = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
        XmAddWMProtocolCallback(XtParent(note->playerWindow), deleteWindow, windowClosedCB, note);
    }
    Widget dialog = note->playerWindow;
    XtRemoveAllCallbacks(dialog, XmNokCallback);
    XtAddCallback(dialog, XmNokCallback, createDialogCB, note);

    Widget ok = XmMessageBoxGetChild(dialog, XmDIALOG_OK_BUTTON);
    Widget cancel = XmMessageBoxGetChild(dialog, XmDIALOG_CANCEL_BUTTON);
    XmString xtitle = XmStringCreateLocalized((char *)title);
    if (!note->editing) {
        XtVaSetValues(note->textWidget, XmNeditable, False, XmNbackground, textReadOnlyBgPixel,
                      NULL);
        XtVaSetValues(dialog, XmNdialogTitle, xtitle, XmNokLabelString, closeLabel,
                      XmNdefaultButton, ok, XmNinitialFocus, ok, NULL);
        if (XtIsManaged(cancel))
            XtUnmanageChild(cancel);
    } else {
        XtVaSetValues(note->textWidget, XmNeditable, True, XmNbackground, textBgPixel, NULL);
        XtVaSetValues(dialog, XmNdialogTitle, xtitle, XmNokLabelString, okLabel,
                      XmNdefaultButton, NULL, XmNinitialFocus, XtParent(note->textWidget), NULL);
        if (!XtIsManaged(cancel))
            XtManageChild(cancel);
    }
    XmStringFree(xtitle);
    XmTextSetString(note->textWidget, (char *)note->text.getString());
    XtVaSetValues(note->textWidget, XmNrows, (short)note->rows, XmNcolumns, (short)note->columns,
                  NULL);
    note->placeDialog();
    XtManageChild(dialog);
    XMapRaised(XtDisplay(dialog), XtWindow(XtParent(dialog)));
}

// The stored player geometry, else where the user left the dialog.
void ZnTextNote::placeDialog()
{
    short x, y, w, h;
    if (playerWidth.getValue() >= 1) {
        x = playerLocationX.getValue();
        y = playerLocationY.getValue();
        w = playerWidth.getValue();
        h = playerHeight.getValue();
    } else if (savedWidth > 0) {
        x = savedX;
        y = savedY;
        w = savedWidth;
        h = savedHeight;
    } else
        return;
    XtVaSetValues(playerWindow, XmNdefaultPosition, False, XmNx, (Position)x, XmNy, (Position)y,
                  XmNwidth, (Dimension)w, XmNheight, (Dimension)h, NULL);
}

// Takes the typed text into the note and its data file; on a failure the
// note keeps its earlier text.
int ZnTextNote::storeTypedText()
{
    SbString earlier = text;
    char *typed = XmTextGetString(textWidget);
    loadFromString(typed ? typed : "");
    XtFree(typed);
    // Inline text without a file of its own is kept in the note.
    int stored = checkFilename() ? blastDataToExternalFile() : !dataExternal;
    if (!stored) {
        loadFromString(earlier.getString());
        return 0;
    }
    return 1;
}

void ZnTextNote::createDialogCB(Widget, void *data, void *callData)
{
    ZnTextNote *note = (ZnTextNote *)data;
    XmAnyCallbackStruct *cbs = (XmAnyCallbackStruct *)callData;
    int reason = cbs ? cbs->reason : XmCR_OK;
    // Text that cannot be stored stays in the open window, the note as it
    // was, so that the user can try again.
    if (reason == XmCR_OK && note->editing && !note->storeTypedText())
        return;
    Position x, y;
    Dimension w, h;
    XtVaGetValues(note->playerWindow, XmNx, &x, XmNy, &y, XmNwidth, &w, XmNheight, &h, NULL);
    note->savedX = x;
    note->savedY = y;
    note->savedWidth = (short)w;
    note->savedHeight = (short)h;
    XtUnmanageChild(note->playerWindow);
    if (noteToEdit == note)
        note->updateNoteOptionPlayerPositionUI();

    if (reason == XmCR_CANCEL) {
        note->currentIconData = note->iconData;
        note->touch();
        if (note->isPendingNote && note->pendingFinishedCallback)
            (*note->pendingFinishedCallback)(note, 0);
        return;
    }
    if (reason == XmCR_OK && note->editing) {
        if (!note->dataExternal)
            note->wasImported = FALSE;
        if (note->isPendingNote && note->pendingReadyCallback)
            (*note->pendingReadyCallback)(note, 0);
    }
    note->playerClosedByUser();
}
