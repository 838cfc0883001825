#ifndef GLOSSPIN_ZNNOTELIST_H
#define GLOSSPIN_ZNNOTELIST_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Inventor/SbString.h>
#include <Inventor/fields/SoSFShort.h>
#include <Inventor/fields/SoSFString.h>
#include <Inventor/nodes/SoGroup.h>

class SbViewportRegion;
class SoAlarmSensor;
class SoFullPath;
class SoSensor;
class SoFont;
class SoSeparator;
class SoState;
class SoTranslation;
class SoBitmapText;
class ZnNote;

/// The notes of one marker. Lays their icons out as a screen-aligned grid
/// of rows hanging from an anchor point, with an optional label under the
/// grid; plays the notes in turn (automatic playback); and holds a note
/// being created until its editor succeeds. Child 0 is the label
/// sub-graph, built by the list and never written to files; the notes are
/// children 1 to n.
class ZnNoteList : public SoGroup {
    SO_NODE_HEADER(ZnNoteList);

  public:
    SoBounded<SoSFShort> iconsPerRow;  ///< 0 or less: one row
    SoSFString label;       ///< empty: no label

    /// A new ZnNoteList, its fields at their defaults.
    ZnNoteList();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Whether the icons and the label are shown.
    ///@{
    void setVisible(int flag);
    int isVisible() const { return visible; }
    ///@}
    /// Sets the label; empty for none.
    ///@{
    void setLabel(const char *text);
    void setLabel(const SbString &text);
    ///@}
    /// The point the icons hang from, in the list's coordinates, and how far
    /// they stand from it toward the viewer and to the right.
    ///@{
    void setAnchor(const SbVec3f &anchor, float towardViewerOffset, float rightOffset);
    void getAnchor(SbVec3f &anchor, float &towardViewerOffset, float &rightOffset) const;
    ///@}
    /// The label's height in pixels.
    float getLabelSize() const;

    /// Automatic playback, note after note by each note's startNextNote.
    ///@{
    void autoPlay();
    void autoPlayNext();
    void startNextNote();
    int isAutoPlaying() const { return currentNote != NULL; }
    void pause();
    void stop();
    void killAllPlayers();
    static void timeForNextNoteCB(void *data, SoSensor *sensor);
    ///@}

    /// A note being created: held by one reference, not a child.
    ///@{
    void setPendingNote(ZnNote *note);
    ZnNote *getPendingNote() const { return pendingNote; }
    void resolvePendingNote(int accept);
    ///@}

    /// Index among the notes (child index minus one), -1 if not a child.
    int findNote(ZnNote *note);
    /// How many notes the list holds.
    int getNumNotes();
    /// The list's share of the undo history's memory.
    int getUndoWeight();
    /// Gives every note with its own data file the full path under dirName.
    void fullExternalNoteNames(const char *dirName);
    /// Moves a note one place earlier or later, appending it to path.
    ///@{
    void shiftLeft(ZnNote *note, SoFullPath *path);
    void shiftRight(ZnNote *note, SoFullPath *path);
    ///@}

    /// The grid layout for the state of a render or bounding-box traversal.
    void computeOffsets(SoState *state);

    /// Called when automatic playback has run out of notes.
    ///@{
    void (*finishCallback)(void *userData, SoAction *action);
    void *finishCallbackData;
    ///@}

  SoEXTENDER public:
    virtual void doAction(SoAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void rayPick(SoRayPickAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnNoteList();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual void copyContents(const SoFieldContainer *from, SbBool copyConnections);

  private:
    SoSeparator *firstChild;
    SoTranslation *labelTranslation;
    SoFont *labelFont;
    SoBitmapText *labelText;
    int visible;
    ZnNote *currentNote;
    int currentIndex;
    int lastAutoPlayIndex;
    ZnNote *pendingNote;
    SbVec3f anchor;
    float towardViewerOffset, rightOffset;
    int offsetsValid;
    int lastChildCount;
    int maxIconWidth, maxIconHeight;
    SoAlarmSensor *timer;

    /// A note's player ended (the notes' playerFinishedCallback).
    static void noteFinishedCB(void *data, int status);
    void shift(ZnNote *note, SoFullPath *path, int by);
    SbVec3f keepInView(const SbVec3f &anchorPixel, SbVec3f start, int perRow, int rows,
                       float labelHeight, const SbViewportRegion &viewport);
};

#endif
