#ifndef GLOSSPIN_ZNMARKERSEQUENCER_H
#define GLOSSPIN_ZNMARKERSEQUENCER_H

#include <Inventor/SbPList.h>
#include <Glosspin/SoMFGrowingNode.h>
#include <Inventor/nodes/SoSubNode.h>
#include <X11/Intrinsic.h>

class SoAction;
class SoGLRenderAction;
class SoSensor;
class ZnMarker;
class ZnNoteList;

/// Plays the markers of a scene as a tour: holds them in an order (they
/// live elsewhere in the scene), makes one current, shows its notes and
/// starts their automatic playback, and in continuous play goes on to the
/// next marker when the notes run out. Its user interface is a marker list
/// and player dialog and a small player icon over the top-left corner of
/// every 3-D window it is drawn in; each of their buttons runs one player
/// command (playerCommand). In authoring mode the sequencer leaves the
/// choice of the current marker to the application's pick callbacks.
class ZnMarkerSequencer : public SoNode {
    SO_NODE_HEADER(ZnMarkerSequencer);

  public:
    SoMFGrowingNode sequence;  ///< the markers in playback order

    /// A new ZnMarkerSequencer, its fields at their defaults.
    ZnMarkerSequencer();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Player command codes, as the buttons carry them.
    enum Command {
        PLAY = 0, STOP = 1, SHOW_LIST = 2, PREVIOUS = 4, NEXT = 5, DIALOG_STOP = 6,
        DIALOG_PLAY = 7, PLAY_ALL = 8, FIRST = 9, DELETE = 12, MOVE_UP = 14, MOVE_DOWN = 15
    };
    /// Runs one Command, as its button does.
    void playerCommand(int code);

    /// The markers in the sequence: how many, the i-th, a marker's place
    /// (-1 when not in it); appending, inserting, removing and moving one
    /// (appendMarker returns its place).
    ///@{
    int getNumMarkers() const { return sequence.getNum(); }
    ZnMarker *getMarker(int i) const { return (ZnMarker *)sequence[i]; }
    int findMarker(const ZnMarker *marker) const;
    int appendMarker(ZnMarker *marker);
    void insertMarker(ZnMarker *marker, int i);
    void removeMarker(int i);
    void moveMarker(int from, int to);
    ///@}

    /// The current marker (-1 for none), the one played last since it
    /// became current (-1 for none), and whether Play All runs.
    ///@{
    int getCurrentIndex() const { return currentIndex; }
    int getLastPlayedIndex() const { return lastPlayedIndex; }
    int isPlayingAll() const { return playAll; }
    void setCurrentIndex(int i);
    void setCurrentMarker(ZnMarker *marker);
    ///@}
    /// Makes marker i current (showing its notes in viewing mode, asking
    /// the pick callback in authoring mode), gives it up, hides its notes.
    ///@{
    void pickMarker(int i);
    void unpickMarker(int i);
    void hideNotes(int i);
    ///@}

    /// Plays the current marker's notes when it has not been played,
    /// else the next marker's; stops the playback under way.
    ///@{
    void playNextMarker();
    void killLastPlay();
    ///@}

    /// The marker list and player dialog: shown, brought up to date,
    /// with or without the authoring buttons; its widgets by command code.
    ///@{
    void showMarkerList();
    void updateMarkerList();
    void showAuthoringUI(int on);
    int isListShown() const { return listShown; }
    Widget getDialogWidget(int index) const { return dialog[index]; }
    ///@}

    /// Set by the application: the sequencer wants marker made current
    /// (authoring mode), gives it up (authoring mode), is about to remove
    /// it from the sequence (the delete command), or has moved it from one
    /// place in the sequence to another (the reorder commands).
    ///@{
    void (*pickCallback)(void *data, ZnMarker *marker);
    void *pickCallbackData;
    void (*unpickCallback)(void *data, ZnMarker *marker);
    void *unpickCallbackData;
    void (*deleteCallback)(void *data, ZnMarker *marker);
    void *deleteCallbackData;
    void (*moveCallback)(void *data, ZnMarker *marker, int from, int to);
    void *moveCallbackData;
    ///@}

    /// The markers' callbacks: one was clicked, one let go of its notes,
    /// one's notes finished playing.
    ///@{
    static void markerSelCB(void *sequencer, ZnMarker *marker);
    static void markerDeselCB(void *sequencer, ZnMarker *marker);
    static void markerDonePlayingCB(void *sequencer, SoAction *action);
    ///@}

    /// The widgets' callbacks: a player button, a pick in the list, the
    /// dialog closed or mapped, the 3-D window restacked or destroyed.
    ///@{
    static void iconCB(Widget w, XtPointer code, XtPointer callData);
    static void listPickCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void windowClosedCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void shellStructureNotifyCB(Widget w, XtPointer sequencer, XEvent *event, char *cont);
    static void glxStackingOrderChangeCB(Widget w, XtPointer icon, XEvent *event, char *cont);
    static void glxDestroyedCB(Widget w, XtPointer sequencer, XtPointer callData);
    static void glxButtonsDestroyedCB(Widget icon, XtPointer sequencer, XtPointer callData);
    ///@}

    /// It draws nothing and changes no traversal state.
    virtual SbBool affectsState() const;

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnMarkerSequencer();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);

    int currentIndex;
    int lastPlayedIndex;  ///< -1: the current marker not played since it became current
    int playAll;

    /// The player icons: each GL window's drawable and widget, the icon
    /// made for it and the parent it was made in (one icon per parent).
    SbPList glxDrawables, glxWidgets, glxIcons, glxParents;
    Widget *dialog;  ///< widgets by command code; the others as the source lists
    int listShown;
    int hiddenWithShell;  ///< unmapped because the application's shell is

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
