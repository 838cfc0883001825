#ifndef GLOSSPIN_ZNMARKER_H
#define GLOSSPIN_ZNMARKER_H

#include <Inventor/SbPList.h>
#include <Inventor/SbString.h>
#include <Inventor/nodekits/SoInteractionKit.h>
#include <X11/Xlib.h>

class GspDraggerFieldDefaults;
class GspGLWindowList;
class SoDragger;
class SoGLRenderAction;
class SoHandleEventAction;
class SoPath;
class SoTransform;
class SbColor;
class ZnNoteList;
typedef struct _WidgetRec *Widget;

/// The base of every marker: a piece of geometry in a 3-D scene that
/// carries a list of notes. It owns the parts all markers share (a
/// material and the note list), turns clicks into showing, hiding and
/// playing the notes, draws a locate highlight while the pointer is over
/// it, and keeps the marker's label in its note list. Geometry, dragger
/// and transforms belong to the derived markers.
class ZnMarker : public SoInteractionKit {
    SO_KIT_HEADER(ZnMarker);
    SO_KIT_CATALOG_ENTRY_HEADER(material);
    SO_KIT_CATALOG_ENTRY_HEADER(notes);

  public:
    /// A new ZnMarker, its fields at their defaults.
    ZnMarker();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// The marker's label is its note list's label.
    ///@{
    void setLabel(const char *label);
    void setLabel(const SbString &label);
    const SbString &getLabel();
    ///@}

    /// The transform that follows the marked object (NULL for markers
    /// that follow none), and the one the dragger moves.
    ///@{
    virtual SoTransform *getObjectTransform();
    virtual SoTransform *getDraggerTransform();
    ///@}
    /// Puts the note icons' anchor where the kind has it.
    virtual void setDefaultNoteAnchor();
    /// The colour of new markers of the kind.
    virtual SbColor *getDefaultColor();
    /// The marker's share of the undo history's memory.
    virtual int getUndoWeight();
    /// The dragger the kind shares among its markers, shown on the
    /// selected one and taken away again.
    ///@{
    virtual SoDragger *getDragger();
    virtual void attachDragger();
    virtual void detachDragger();
    ///@}

    /// Selection (with the dragger) and the locate highlight.
    ///@{
    void select();
    void deselect();
    int isSelected() const { return selected; }
    int isHighlighted() const { return highlighted; }
    ///@}
    /// Shows or hides the note icons; deactivate also stops the notes.
    ///@{
    void showNotes();
    void hideNotes();
    void deactivate();
    ///@}

    /// Installed by the marker sequencer: a click showed the notes, or a
    /// click elsewhere hid them.
    ///@{
    void (*selectCallback)(void *data, ZnMarker *marker);
    void *selectCallbackData;
    void (*deselectCallback)(void *data, ZnMarker *marker);
    void *deselectCallbackData;
    ///@}

    /// The widget of the GL window the pointer last entered.
    static Widget currentWidget;

    /// A GL window the marker was drawn in went, or its parent was
    /// entered or left.
    ///@{
    static void widgetDestroyedCB(Widget w, ZnMarker *marker, void *callData);
    static void parentWindowEventCB(Widget w, ZnMarker *marker, XAnyEvent *event, char *cont);
    ///@}

  SoEXTENDER public:
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnMarker();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);

    int selected;
    int highlighted;
    int renderingHighlight;
    SoGLRenderAction *highlightAction;
    SoPath *highlightPath;
    /// The GL windows this marker was drawn into: drawable, widget, the
    /// widget's parent and GLX context of each.
    GspGLWindowList *windows;
    unsigned long lastClickTime;
    /// Which fields the attached dragger drives that were unset.
    GspDraggerFieldDefaults *draggedFields;
    int writtenInFull;  ///< in the binary writing pass under way

    void checkForWindow();
    void redrawHighlighted(SoHandleEventAction *action, int on);

  private:
    ZnNoteList *noteList();
    void writeKit(SoWriteAction *action);
    void writeKitThroughTemporaryFile(SoWriteAction *action);
    void clickReleased(SoHandleEventAction *action, int onMarker, int onNote);
};

#endif
