// The sequencer's user interface: the marker list and player dialog, the
// picture buttons, and the player icon over each 3-D window.
#include <Glosspin/ZnMarkerSequencer.h>

#include <stdint.h>
#include <stdlib.h>

#include <initializer_list>
#include <vector>

#include <GL/glx.h>
#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnMarker.h>
#include <Inventor/Xt/SoXt.h>
#include <X11/Shell.h>
#include <X11/cursorfont.h>
#include <X11/xpm.h>
#include <Xm/Form.h>
#include <Xm/LabelG.h>
#include <Xm/List.h>
#include <Xm/MwmUtil.h>
#include <Xm/Protocols.h>
#include <Xm/PushB.h>
#include <Xm/PushBG.h>
#include <Xm/RowColumn.h>

#include "sequencer/icons/down.xpm"
#include "sequencer/icons/first.xpm"
#include "sequencer/icons/list.xpm"
#include "sequencer/icons/next.xpm"
#include "sequencer/icons/play.xpm"
#include "sequencer/icons/playall.xpm"
#include "sequencer/icons/playone.xpm"
#include "sequencer/icons/previous.xpm"
#include "sequencer/icons/stop.xpm"
#include "sequencer/icons/stopall.xpm"
#include "sequencer/icons/up.xpm"

Cursor ZnMarkerSequencer::iconCursor = 0;

namespace {

// Indices of the dialog record that hold no button.
enum { SHELL = 3, LIST = 10, PLAYER_LABEL = 11, REORDER_LABEL = 13 };

// The two faces of a picture button: plain Motif has no locate pixmap,
// so the button shows the lighter one while the pointer is over it.
struct Faces {
    Pixmap normal, locate, insensitive;
};

void crossedCB(Widget w, XtPointer faces, XEvent *event, Boolean *)
{
    Faces *f = (Faces *)faces;
    XtVaSetValues(w, XmNlabelPixmap, event->type == EnterNotify ? f->locate : f->normal, NULL);
}

void facesDestroyedCB(Widget w, XtPointer faces, XtPointer)
{
    Faces *f = (Faces *)faces;
    Display *d = XtDisplay(w);
    for (Pixmap p : {f->normal, f->locate, f->insensitive})
        if (p)
            XFreePixmap(d, p);
    delete f;
}

Pixmap pixmapOf(Widget w, char **xpm, XpmColorSymbol *symbols, int count)
{
    Display *d = XtDisplay(w);
    XpmAttributes attributes;
    attributes.valuemask = XpmColorSymbols;
    attributes.colorsymbols = symbols;
    attributes.numsymbols = (unsigned)count;
    Pixmap pixmap = 0;
    if (XpmCreatePixmapFromData(d, DefaultRootWindow(d), xpm, &pixmap, NULL, &attributes) !=
        XpmSuccess)
        pixmap = 0;
    XpmFreeAttributes(&attributes);
    return pixmap;
}

// The marker's label, or NULL for an unnamed one.
XmString labelOf(ZnMarker *marker)
{
    const SbString &label = marker->getLabel();
    if (label.getLength() > 0)
        return SoXt::encodeString((char *)label.getString());
    return NULL;
}

XmString unnamedLabel()
{
    return XmStringCreateLocalized(
        (char *)ZnCommon::getResource("unnamed_marker", "<unnamed marker>"));
}

// One compound string per marker of s, in order; the unnamed markers
// share one (the list copies its items).
std::vector<XmString> createStrings(ZnMarkerSequencer *s, XmString unnamed)
{
    std::vector<XmString> strings((size_t)s->getNumMarkers());
    for (size_t i = 0; i < strings.size(); i++) {
        XmString label = labelOf(s->getMarker((int)i));
        strings[i] = label ? label : unnamed;
    }
    return strings;
}

void destroyStrings(const std::vector<XmString> &strings, XmString unnamed)
{
    for (XmString string : strings)
        if (string != unnamed)
            XmStringFree(string);
    XmStringFree(unnamed);
}

XmString labelText(const char *key, const char *text)
{
    return XmStringCreateLocalized((char *)ZnCommon::getResource(key, text));
}

}

// Picture buttons.

Widget ZnMarkerSequencer::buildColorButton(Widget parent, int code, char **xpm)
{
    Widget b = XtVaCreateManagedWidget("", xmPushButtonWidgetClass, parent, XmNuserData, this,
                                       XmNmarginHeight, 0, XmNmarginWidth, 0,
                                       XmNhighlightThickness, 0, NULL);
    dialog[code] = b;
    XtAddCallback(b, XmNactivateCallback, &ZnMarkerSequencer::iconCB, (XtPointer)(intptr_t)code);

    // No platform look-up of a locate-highlight pixel here: Motif's own
    // top-shadow colour for the background is its lighter shade.
    Pixel background, foreground, topShadow, bottomShadow, select;
    Colormap colormap;
    XtVaGetValues(b, XmNbackground, &background, XmNcolormap, &colormap, NULL);
    XmGetColors(XtScreen(b), colormap, background, &foreground, &topShadow, &bottomShadow,
                &select);
    XpmColorSymbol normal[] = {{(char *)"background", NULL, background}};
    XpmColorSymbol locate[] = {{(char *)"background", NULL, topShadow}};
    XpmColorSymbol insensitive[] = {{(char *)"background", NULL, background},
                                    {(char *)"other", (char *)"#707070", 0}};
    Faces *faces = new Faces{pixmapOf(b, xpm, normal, 1), pixmapOf(b, xpm, locate, 1),
                             pixmapOf(b, xpm, insensitive, 2)};
    XtVaSetValues(b, XmNlabelType, XmPIXMAP, XmNlabelPixmap, faces->normal,
                  XmNlabelInsensitivePixmap, faces->insensitive, NULL);
    XtAddEventHandler(b, EnterWindowMask | LeaveWindowMask, False, crossedCB, faces);
    XtAddCallback(b, XmNdestroyCallback, facesDestroyedCB, faces);
    return b;
}

void ZnMarkerSequencer::iconCB(Widget w, XtPointer code, XtPointer)
{
    ZnMarkerSequencer *s = NULL;
    XtVaGetValues(w, XmNuserData, &s, NULL);
    if (s)
        s->playerCommand((int)(intptr_t)code);
}

// The dialog.

void ZnMarkerSequencer::showMarkerList()
{
    if (!SoXt::getTopLevelWidget())
        return;
    if (dialog[SHELL])
        setNamesInList();
    else
        buildMarkerList();
    listShown = TRUE;
    showAuthoringUI(ZnCommon::editMode == 2);
    SoXt::show(dialog[SHELL]);
}

void ZnMarkerSequencer::updateMarkerList()
{
    if (listShown)
        setNamesInList();
}

// Outside authoring mode the editing controls go and the list reaches
// down to the player's label.
void ZnMarkerSequencer::showAuthoringUI(int on)
{
    if (!listShown || !dialog[SHELL])
        return;
    Widget editing[] = {dialog[DELETE], dialog[REORDER_LABEL], dialog[MOVE_UP], dialog[MOVE_DOWN]};
    if (on)
        XtManageChildren(editing, 4);
    Widget scrolled = XtParent(dialog[LIST]);
    XtVaSetValues(scrolled, XmNbottomAttachment, XmATTACH_WIDGET, XmNbottomWidget,
                  on ? dialog[REORDER_LABEL] : dialog[PLAYER_LABEL], XmNbottomOffset, on ? 3 : 20,
                  NULL);
    if (!on)
        XtUnmanageChildren(editing, 4);
}

// Motif's list copies and measures every item it is given, and frees the
// ones it held: a fill grows a little faster than the tour (at 10,000
// markers 10 to 14 times the cost at 1,000, five sixths of it in the
// list). The dialog keeps Motif's list, its look and its keys rather
// than drawing only the rows in view itself.
void ZnMarkerSequencer::setNamesInList()
{
    XmString unnamed = unnamedLabel();
    std::vector<XmString> strings = createStrings(this, unnamed);
    if (!strings.empty())
        XtVaSetValues(dialog[LIST], XmNitemCount, (int)strings.size(), XmNitems, strings.data(),
                      NULL);
    else
        XtVaSetValues(dialog[LIST], XmNitemCount, 0, NULL);
    destroyStrings(strings, unnamed);
    highlightMarker(currentIndex);
}

// Motif's list walks every row to select one (about 27 us at 10,000), so
// a tour step with the list open grows with the tour.
void ZnMarkerSequencer::highlightMarker(int i)
{
    if (i != -1)
        XmListSelectPos(dialog[LIST], i + 1, FALSE);
    else
        XmListDeselectAllItems(dialog[LIST]);
}

void ZnMarkerSequencer::addListItem(int i)
{
    XmString s = labelOf(getMarker(i));
    if (!s)
        s = unnamedLabel();
    XmListAddItemUnselected(dialog[LIST], s, i + 1);
    XmStringFree(s);
}

// A click on the item of the current marker gives it up: the list then
// shows no selection and no marker is current.
void ZnMarkerSequencer::listPickCB(Widget w, XtPointer sequencer, XtPointer callData)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    XmListCallbackStruct *cbs = (XmListCallbackStruct *)callData;
    int i = cbs->item_position - 1;
    if (cbs->selected_item_count > 0 && i != s->currentIndex) {
        s->pickMarker(i);
        return;
    }
    XmListDeselectPos(w, cbs->item_position);
    s->unpickMarker(i);
    if (s->currentIndex == i)
        s->setCurrentIndex(-1);
}

void ZnMarkerSequencer::windowClosedCB(Widget, XtPointer sequencer, XtPointer)
{
    ((ZnMarkerSequencer *)sequencer)->listShown = FALSE;
}

// The dialog follows the application's window when it is iconified and
// restored; a dialog the user closed stays closed.
void ZnMarkerSequencer::shellStructureNotifyCB(Widget, XtPointer sequencer, XEvent *event, char *)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    Widget shell = s->dialog[SHELL];
    if (!shell || !XtIsRealized(shell))
        return;
    if (event->type == UnmapNotify && s->listShown) {
        XUnmapWindow(XtDisplay(shell), XtWindow(shell));
        s->hiddenWithShell = TRUE;
    } else if (event->type == MapNotify && s->hiddenWithShell) {
        XMapWindow(XtDisplay(shell), XtWindow(shell));
        s->hiddenWithShell = FALSE;
    }
}

void ZnMarkerSequencer::buildMarkerList()
{
    Widget top = SoXt::getTopLevelWidget();
    Widget *d = dialog;
    const char *title = ZnCommon::getResource("title_list", "Marker List & Player");
    d[SHELL] = XtVaCreatePopupShell(
        "MarkerListDialog", topLevelShellWidgetClass, top, XmNtitle, title, XmNdeleteResponse,
        XmUNMAP, XmNmwmDecorations,
        MWM_DECOR_BORDER | MWM_DECOR_RESIZEH | MWM_DECOR_TITLE | MWM_DECOR_MENU, XmNmwmFunctions,
        MWM_FUNC_RESIZE | MWM_FUNC_MOVE | MWM_FUNC_CLOSE, NULL);
    XtAddCallback(d[SHELL], XmNdestroyCallback, &ZnMarkerSequencer::dialogDestroyedCB, this);
    Atom close = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
    XmAddWMProtocolCallback(d[SHELL], close, &ZnMarkerSequencer::windowClosedCB, this);
    XtAddEventHandler(top, StructureNotifyMask, False,
                      (XtEventHandler)&ZnMarkerSequencer::shellStructureNotifyCB, this);

    Widget form = XtVaCreateWidget("markerListForm", xmFormWidgetClass, d[SHELL], NULL);
    XmString s = labelText("label_player", "Marker Player");
    d[PLAYER_LABEL] = XtVaCreateWidget("Marker Player", xmLabelGadgetClass, form,
                                       XmNlabelString, s, XmNmarginWidth, 0, NULL);
    XmStringFree(s);
    s = labelText("label_list", "Marker List");
    Widget listLabel = XtVaCreateWidget("Marker List", xmLabelGadgetClass, form, XmNlabelString,
                                        s, XmNmarginWidth, 0, NULL);
    XmStringFree(s);

    Widget rows[2];
    for (int r = 0; r < 2; r++) {
        rows[r] = XtVaCreateWidget(r ? "vcrRow1" : "vcrRow0", xmRowColumnWidgetClass, form,
                                   XmNorientation, XmHORIZONTAL, XmNspacing, 8, XmNmarginWidth,
                                   0, XmNmarginHeight, 0, NULL);
    }
    buildColorButton(rows[0], PREVIOUS, (char **)gsp_player_previous);
    buildColorButton(rows[0], DIALOG_STOP, (char **)gsp_player_stopall);
    buildColorButton(rows[0], FIRST, (char **)gsp_player_first);
    buildColorButton(rows[1], NEXT, (char **)gsp_player_next);
    buildColorButton(rows[1], DIALOG_PLAY, (char **)gsp_player_playone);
    buildColorButton(rows[1], PLAY_ALL, (char **)gsp_player_playall);

    Arg args[5];
    int n = 0;
    XtSetArg(args[n], XmNheight, 141), n++;
    XtSetArg(args[n], XmNwidth, 150), n++;
    XtSetArg(args[n], XmNselectionPolicy, XmBROWSE_SELECT), n++;
    XtSetArg(args[n], XmNlistMarginWidth, 0), n++;
    XtSetArg(args[n], XmNlistMarginHeight, 0), n++;
    d[LIST] = XmCreateScrolledList(form, (char *)"markerList", args, n);
    XtAddCallback(d[LIST], XmNbrowseSelectionCallback, &ZnMarkerSequencer::listPickCB, this);

    s = labelText("label_delete", "Delete");
    d[DELETE] = XtVaCreateWidget("Delete", xmPushButtonGadgetClass, form, XmNlabelString, s,
                                 XmNuserData, this, XmNmarginHeight, 0, NULL);
    XmStringFree(s);
    XtAddCallback(d[DELETE], XmNactivateCallback, &ZnMarkerSequencer::iconCB,
                  (XtPointer)(intptr_t)DELETE);
    s = labelText("label_reorder", "Reorder");
    d[REORDER_LABEL] =
        XtVaCreateWidget("Reorder", xmLabelGadgetClass, form, XmNlabelString, s, NULL);
    XmStringFree(s);
    buildColorButton(form, MOVE_UP, (char **)gsp_player_up);
    buildColorButton(form, MOVE_DOWN, (char **)gsp_player_down);

    Widget scrolled = XtParent(d[LIST]);
    auto left = [](Widget w, Widget of, int offset) {
        if (of)
            XtVaSetValues(w, XmNleftAttachment, XmATTACH_WIDGET, XmNleftWidget, of,
                          XmNleftOffset, offset, NULL);
        else
            XtVaSetValues(w, XmNleftAttachment, XmATTACH_FORM, XmNleftOffset, offset, NULL);
    };
    auto above = [](Widget w, Widget of, int offset) {
        if (of)
            XtVaSetValues(w, XmNbottomAttachment, XmATTACH_WIDGET, XmNbottomWidget, of,
                          XmNbottomOffset, offset, NULL);
        else
            XtVaSetValues(w, XmNbottomAttachment, XmATTACH_FORM, XmNbottomOffset, offset, NULL);
    };
    for (Widget w : {rows[0], d[PLAYER_LABEL], listLabel, scrolled, d[REORDER_LABEL], d[MOVE_UP]})
        left(w, NULL, 10);
    left(rows[1], rows[0], 8);
    left(d[MOVE_DOWN], d[MOVE_UP], 5);
    // The second player row keeps the same margin, so that the form is
    // wide enough for its last button.
    for (Widget w : {d[DELETE], scrolled, rows[1]})
        XtVaSetValues(w, XmNrightAttachment, XmATTACH_FORM, XmNrightOffset, 10, NULL);
    above(rows[0], NULL, 10);
    above(rows[1], NULL, 10);
    above(d[PLAYER_LABEL], rows[0], 3);
    // "Delete" lines up with the move buttons by its bottom alone: its top
    // held to theirs as well makes the form's constraints contradict
    // each other once the buttons' heights differ.
    for (Widget w : {d[MOVE_UP], d[MOVE_DOWN], d[DELETE]})
        above(w, d[PLAYER_LABEL], 20);
    above(d[REORDER_LABEL], d[MOVE_UP], 0);
    above(scrolled, d[REORDER_LABEL], 3);

    XtVaSetValues(listLabel, XmNtopAttachment, XmATTACH_FORM, XmNtopOffset, 2, NULL);
    XtVaSetValues(scrolled, XmNtopAttachment, XmATTACH_WIDGET, XmNtopWidget, listLabel,
                  XmNtopOffset, 3, NULL);

    setNamesInList();
    XtManageChild(d[LIST]);
    Widget children[] = {d[PLAYER_LABEL], listLabel, rows[0], rows[1], d[DELETE],
                         d[REORDER_LABEL]};
    XtManageChildren(children, 6);
    XtManageChild(form);
}

// Destroyed with the application's widgets: forget the dialog.
void ZnMarkerSequencer::dialogDestroyedCB(Widget, XtPointer sequencer, XtPointer)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    XtRemoveEventHandler(SoXt::getTopLevelWidget(), StructureNotifyMask, False,
                         (XtEventHandler)&ZnMarkerSequencer::shellStructureNotifyCB, s);
    for (int i = 3; i < 16; i++)
        s->dialog[i] = NULL;
    s->listShown = s->hiddenWithShell = FALSE;
}

// The sequencer goes: nothing of the dialog may call it any more, since
// inside an event dispatch Xt destroys the widgets only once the dispatch
// ends.
void ZnMarkerSequencer::destroyMarkerList()
{
    Widget shell = dialog[SHELL];
    XtRemoveCallback(shell, XmNdestroyCallback, &ZnMarkerSequencer::dialogDestroyedCB, this);
    Atom close = XmInternAtom(XtDisplay(shell), (char *)"WM_DELETE_WINDOW", False);
    XmRemoveWMProtocolCallback(shell, close, &ZnMarkerSequencer::windowClosedCB, this);
    XtRemoveCallback(dialog[LIST], XmNbrowseSelectionCallback, &ZnMarkerSequencer::listPickCB,
                     this);
    for (int code = PREVIOUS; code < 16; code++)
        if (dialog[code] && code != LIST && code != PLAYER_LABEL && code != REORDER_LABEL)
            XtVaSetValues(dialog[code], XmNuserData, NULL, NULL);
    dialogDestroyedCB(shell, this, NULL);
    XtDestroyWidget(shell);
}

// Player icons.

Widget ZnMarkerSequencer::createGlxWindowButtons(Widget parent)
{
    Widget icon = XtVaCreateWidget("SequencerIconForm", xmRowColumnWidgetClass, parent, XmNx, 15,
                                   XmNy, 15, XmNorientation, XmHORIZONTAL, XmNspacing, 0,
                                   XmNmarginWidth, 0, XmNmarginHeight, 0, NULL);
    buildColorButton(icon, PLAY, (char **)gsp_player_play);
    buildColorButton(icon, STOP, (char **)gsp_player_stop);
    buildColorButton(icon, SHOW_LIST, (char **)gsp_player_list);
    XtManageChild(icon);
    Display *d = XtDisplay(icon);
    if (!iconCursor) {
        iconCursor = XCreateFontCursor(d, XC_left_ptr);
        XColor red = {0, 65535, 0, 0, DoRed | DoGreen | DoBlue, 0};
        XColor white = {0, 65535, 65535, 65535, DoRed | DoGreen | DoBlue, 0};
        XRecolorCursor(d, iconCursor, &red, &white);
    }
    if (XtIsRealized(icon)) {
        XDefineCursor(d, XtWindow(icon), iconCursor);
        XRaiseWindow(d, XtWindow(icon));
    }
    return icon;
}

void ZnMarkerSequencer::checkForWindow()
{
    if (!SoXt::getTopLevelWidget())
        return;
    GLXDrawable drawable = glXGetCurrentDrawable();
    void *key = (void *)(uintptr_t)drawable;
    if (!drawable || glxDrawables.find(key) >= 0)
        return;
    Widget w = XtWindowToWidget(SoXt::getDisplay(), drawable);
    if (!w)
        return;
    Widget parent = XtParent(w);
    if (glxParents.find(parent) >= 0)
        return;  // one icon per parent
    Widget icon = createGlxWindowButtons(parent);
    glxDrawables.insert(key, 0);
    glxWidgets.insert(w, 0);
    glxIcons.insert(icon, 0);
    glxParents.insert(parent, 0);
    XtAddEventHandler(w, StructureNotifyMask, False,
                      (XtEventHandler)&ZnMarkerSequencer::glxStackingOrderChangeCB, icon);
    XtAddCallback(w, XtNdestroyCallback, &ZnMarkerSequencer::glxDestroyedCB, this);
    XtAddCallback(icon, XtNdestroyCallback, &ZnMarkerSequencer::glxButtonsDestroyedCB, this);
}

// Unhooks window i and forgets it; its icon is left to the caller.
void ZnMarkerSequencer::forgetWindow(int i)
{
    Widget w = (Widget)glxWidgets[i], icon = (Widget)glxIcons[i];
    XtRemoveEventHandler(w, StructureNotifyMask, False,
                         (XtEventHandler)&ZnMarkerSequencer::glxStackingOrderChangeCB, icon);
    XtRemoveCallback(w, XtNdestroyCallback, &ZnMarkerSequencer::glxDestroyedCB, this);
    XtRemoveCallback(icon, XtNdestroyCallback, &ZnMarkerSequencer::glxButtonsDestroyedCB, this);
    // The record holds the buttons of the newest icon.
    if (dialog[PLAY] && XtParent(dialog[PLAY]) == icon)
        dialog[PLAY] = dialog[STOP] = dialog[SHOW_LIST] = NULL;
    for (SbPList *list : {&glxDrawables, &glxWidgets, &glxIcons, &glxParents})
        list->remove(i);
}

// The icon stays above the 3-D window when that is restacked.
void ZnMarkerSequencer::glxStackingOrderChangeCB(Widget, XtPointer icon, XEvent *, char *)
{
    Widget w = (Widget)icon;
    if (XtIsRealized(w))
        XRaiseWindow(XtDisplay(w), XtWindow(w));
}

void ZnMarkerSequencer::glxDestroyedCB(Widget w, XtPointer sequencer, XtPointer)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    int i = s->glxWidgets.find(w);
    if (i < 0)
        return;
    Widget icon = (Widget)s->glxIcons[i];
    s->forgetWindow(i);
    XtDestroyWidget(icon);
}

void ZnMarkerSequencer::glxButtonsDestroyedCB(Widget icon, XtPointer sequencer, XtPointer)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    int i = s->glxIcons.find(icon);
    if (i >= 0)
        s->forgetWindow(i);
}
