#ifndef GLOSSPIN_ZNMARKERSEQUENCER_H
#define GLOSSPIN_ZNMARKERSEQUENCER_H

#include <Inventor/SbPList.h>
#include <Inventor/fields/SoMFNode.h>
#include <Inventor/nodes/SoSubNode.h>
#include <X11/Intrinsic.h>

class SoAction;
class SoGLRenderAction;
class SoSensor;
class ZnMarker;
class ZnNoteList;

// Plays the markers of a scene as a tour: holds them in an order (they
// live elsewhere in the scene), makes one current, shows its notes and
// starts their automatic playback, and in continuous play goes on to the
// next marker when the notes run out. Its user interface is a marker list
// and player dialog and a small player icon over the top-left corner of
// every 3-D window it is drawn in; each of their buttons runs one player
// command (playerCommand). In authoring mode the sequencer leaves the
// choice of the current marker to the application's pick callbacks.
class ZnMarkerSequencer : public SoNode {
    SO_NODE_HEADER(ZnMarkerSequencer);

  public:
    SoMFNode sequence;  // the markers in playback order

    ZnMarkerSequencer();
    static void initClass();

    // Player command codes, as the buttons carry them.
    enum Command {
        PLAY = 0, STOP = 1, SHOW_LIST = 2, PREVIOUS = 4, NEXT = 5, DIALOG_STOP = 6,
        DIALOG_PLAY = 7, PLAY_ALL = 8, FIRST = 9, DELETE = 12, MOVE_UP = 14, MOVE_DOWN = 15
    };
    void playerCommand(int code);

    int getNumMarkers() const { return sequence.getNum(); }
    ZnMarker *getMarker(int i) const { return (ZnMarker *)sequence[i]; }
    int findMarker(const ZnMarker *marker) const;
    int appendMarker(ZnMarker *marker);
    void insertMarker(ZnMarker *marker, int i);
    void removeMarker(int i);
    void moveMarker(int from, int to);

    int getCurrentIndex() const { return currentIndex; }
    int getLastPlayedIndex() const { return lastPlayedIndex; }
    int isPlayingAll() const { return playAll; }
    void setCurrentIndex(int i);
    void setCurrentMarker(ZnMarker *marker);
    void pickMarker(int i);
    void unpickMarker(int i);
    void hideNotes(int i);

    void playNextMarker();
    void killLastPlay();

    // The marker list and player dialog.
    void showMarkerList();
    void updateMarkerList();
    void showAuthoringUI(int on);
    int isListShown() const { return listShown; }
    Widget getDialogWidget(int index) const { return dialog[index]; }

    // Set by the application: the sequencer wants marker made current
    // (authoring mode), gives it up (authoring mode), is about to remove
    // it from the sequence (the delete command), or has moved it from one
    // place in the sequence to another (the reorder commands).
    void (*pickCallback)(void *data, ZnMarker *marker);
    void *pickCallbackData;
    void (*unpickCallback)(void *data, ZnMarker *marker);
    void *unpickCallbackData;
    void (*deleteCallback)(void *data, ZnMarker *marker);
    void *deleteCallbackData;
    void (*moveCallback)(void *data, ZnMarker *marker, int from, int to);
    void *moveCallbackData;

    static void markerSelCB(void *sequencer, ZnMarker *marker);
    static void markerDeselCB(void *sequencer, ZnMarker *marker);
    static void markerDonePlayingCB(void *sequencer, SoAction *action);

    static void iconCB(Widget w, XtPointer code, XtPointer callData);
    static void listPickCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void windowClosedCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void shellStructureNotifyCB(Widget w, XtPointer sequencer, XEvent *event, char *cont);
    static void glxStackingOrderChangeCB(Widget w, XtPointer icon, XEvent *event, char *cont);
    static void glxDestroyedCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void glxButtonsDestroyedCB(Widget icon, XtPointer sequencer, XtPointer callData);

    // It draws nothing and changes no traversal state.
    virtual SbBool affectsState() const;

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnMarkerSequencer();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);

    int currentIndex;
    int lastPlayedIndex;  // -1: the current marker not played since it became current
    int playAll;

    // The player icons: each GL window's drawable and widget, the icon
    // made for it and the parent it was made in (one icon per parent).
    SbPList glxDrawables, glxWidgets, glxIcons, glxParents;
    Widget *dialog;  // widgets by command code; the others as the source lists
    int listShown;
    int hiddenWithShell;  // unmapped because the application's shell is

  private:
    static Cursor iconCursor;

    void installLinks(ZnMarker *marker);
    void removeLinks(ZnMarker *marker);
    ZnNoteList *noteListOf(int i);
    void stepTo(int i);

    void buildMarkerList();
    void destroyMarkerList();
    static void dialogDestroyedCB(Widget w, XtPointer sequencer, XtPointer callData);
    void setNamesInList();
    void highlightMarker(int i);
    void addListItem(int i);
    Widget buildColorButton(Widget parent, int code, char **xpm);
    Widget createGlxWindowButtons(Widget parent);
    void checkForWindow();
    void forgetWindow(int i);
};

#endif
