#ifndef GLOSSPIN_ZNNOTE_H
#define GLOSSPIN_ZNNOTE_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbBox.h>
#include <Inventor/SbLinear.h>
#include <Inventor/SbString.h>
#include <Inventor/fields/SoSFBool.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFShort.h>
#include <Inventor/fields/SoSFString.h>
#include <Glosspin/SoSFTimestamp.h>
#include <Inventor/nodes/SoShape.h>

#include <Glosspin/Fcm.h>
#include <Glosspin/SoSFDelayedData.h>

#include <string>
#include <vector>

class SoAlarmSensor;
class SoState;
class SoSensor;
struct dirent;
struct GspMediaSource;
typedef struct _WidgetRec *Widget;
typedef union _XEvent XEvent;

// The base of every note: a shape under a marker's note list that
// carries one piece of media (inline in the scene file or in an external
// file named by the note) and the playback options stored with it. The
// kinds add what their media needs; this class owns the data location,
// the temporary data files and the file form shared by all kinds.
class ZnNote : public SoShape {
    SO_NODE_ABSTRACT_HEADER(ZnNote);

  public:
    // Playback options, in file order.
    SoSFString author;
    SoSFTimestamp timestamp;
    SoBounded<SoSFBool> autoPlayable;
    SoBounded<SoSFShort> lifetimeType;  // 0 until closed, 1 for lifetime, 2 media length
    SoBounded<SoSFFloat> lifetime;
    SoBounded<SoSFShort> startNextNote;  // 0 at once, 1 when done, 2 after nextNoteDelay
    SoBounded<SoSFFloat> nextNoteDelay;
    SoSFString filename;
    SoBounded<SoSFBool> preferInline;
    SoSFDelayedData mediaData;
    SoBounded<SoSFShort> padByteCount;
    SoBounded<SoSFShort> playerLocationX;
    SoBounded<SoSFShort> playerLocationY;
    SoBounded<SoSFShort> playerWidth;
    SoBounded<SoSFShort> playerHeight;
    SoBounded<SoSFBool> wasImported;

    static void initClass();

    // Icon position, set by the note list.
    virtual void setOffset(SbVec3f o);
    short getIconWidth() const { return iconWidth; }
    short getIconHeight() const { return iconHeight; }
    // The data file is one of the library's temporary files.
    int isDataFileTemp() const { return dataFileIsTemp; }
    virtual void edit();
    virtual void play(int autoPlay);
    virtual int isPlaying() const;
    virtual int isEditing() const;
    virtual void killPlayer();
    virtual void killEditor();
    // Takes the editor's output into the note; non-zero when new data
    // was taken.
    virtual int gatherPendingData(int accept) = 0;
    virtual const char *getDurationMsg();
    virtual const char *getFileSuffix();
    virtual int estimateDiskSpaceRequired(int binary);
    virtual void setDataFilename(const char *name, int ownFile);
    virtual int getUndoWeight() = 0;
    virtual void setIconData(int width, int height, char *bits);
    virtual void setActiveIconData(char *bits);
    virtual void findMediaLength();
    // The program the player or the editor runs: its arguments, the
    // first naming the program (looked up in PATH). Asked for before the
    // program's process exists; that process only execs the program, as
    // the new process of a multi-threaded application may do no more.
    // Empty (the base): the process ends at once with status 127.
    virtual void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv);
    virtual void getExternalEditorCommand(std::vector<std::string> &argv);
    virtual void externalPlayerFailed();
    virtual void externalEditorFailed();
    virtual int copyDataToExternalFile(int *sameFile);
    virtual int usingMediaData();
    virtual void updateStaticProcessId(long pid);

    // Start the kind's external player or editor without blocking the
    // event loop; the note learns when it ends and with what status. 0
    // when the player could not start (the playback has ended).
    int playExternal(int autoPlay);
    void editExternal();
    // For kinds that show their media in their own window (playerWindow).
    static void windowClosedCB(Widget w, void *note, void *callData);

    void select();
    void deselect();
    int isSelected() const { return selected; }

    // The playback options dialog, one for all notes; it shows
    // noteToEdit and writes every change straight into its fields.
    void editNoteOptions();
    void updateNoteOptionUI();
    static void disableNoteOptionUI();
    void enableNoteOptionAutoPlayUI(char autoPlayable);
    void updateNoteOptionPlayerPositionUI();
    void updateNoteOptionMediaLengthUI();
    // Takes the running player's window geometry from the user's click.
    void grabPlayerLocation();
    // One callback for every control; code is the control's index in
    // noteOptionWidgetList.
    static void noteOptionDialogCB(Widget w, int code, void *callData);
    static void noteOptionFieldChangedCB(Widget w, void *clientData, void *callData);
    // The window manager closed the dialog.
    static void noteOptionClosedCB(Widget w, void *clientData, void *callData);

    // Indices into noteOptionWidgetList.
    enum NoteOptionWidget {
        OPT_SHELL, OPT_CHANGED_LABEL, OPT_DATE_LABEL, OPT_AUTOPLAY, OPT_STAYS_LABEL,
        OPT_UNTIL_CLOSED, OPT_FOR_SECONDS, OPT_TIME_FIELD, OPT_TIME_UNIT, OPT_FOR_MEDIA,
        OPT_NEXT_LABEL, OPT_IMMEDIATELY, OPT_AFTER, OPT_DELAY_FIELD, OPT_DELAY_UNIT,
        OPT_WHEN_DONE, OPT_DATA_LABEL, OPT_INLINE, OPT_EXTERNAL, OPT_FILE_FIELD, OPT_ACCEPT,
        OPT_LOCATION_LABEL, OPT_PLAY, OPT_GRAB, OPT_NUM_WIDGETS
    };
    static Widget *noteOptionWidgetList;
    static int dialogVisible;
    static int noteOptionFieldChanged;
    static int ignoreFieldChangedCB;
    static int needToDeiconifyDialog;
    // Locale for the numbers in the dialog; NULL for the current one.
    static char *numLanguage;
    // Called after every change made through the dialog.
    static void (*noteOptionDirtyCB)();

    // Data location.
    const char *getDataFilename() const;
    // The same, empty when there is none.
    std::string dataFilename() const;
    int makeDataExternal(const char *name, int ownFile);
    int makeDataInline();
    void setDataExternal(int external);
    int isDataExternal() const { return dataExternal; }
    // The kind can keep its data in an external file.
    int canBeExternal() const { return supportsExternalData; }
    // Writes the note's media bytes (a text note's text) to path, leaving
    // the note as it is. Returns 1 on success, 0 after an error message.
    virtual int extractDataTo(const char *path);
    // Length in bytes of the media (a file's size when the data is in a
    // file), -1 when an external file cannot be examined.
    long getMediaByteCount() const;
    int checkFilename();
    int checkDataFile(int report);
    int makeCopyOfNoteDataFile(const char *from, const char *to);
    int isSameFile();
    void makeNameRelative(SbString &result, const char *name);
    void makeNameFullPath(SbString &result, const char *dir);
    const SbString &getTempDataFileName() const { return tempDataFileName; }

    // First free name "dir/baseNsuffix" (or "baseNsuffix" without a
    // directory) into out, which holds at least PATH_MAX bytes. Returns 1
    // when the name is free, 0 when no name could be found.
    static int buildUniqueFilename(const char *dir, const char *base, const char *suffix,
                                   char *out);
    static void setExternalFilePrefix(const char *prefix);
    static const char *getExternalFilePrefix();
    static const char *getTempDirName();
    // As buildUniqueFilename, but also creates the file exclusively, so
    // that nobody else takes the name and no planted link is followed.
    static int claimUniqueFilename(const char *dir, const char *base, const char *suffix,
                                   char *out);
    // Base name of the library's temporary data files.
    static const char *const NOTE_BASE;
    // Removes the cache files of delayed-read blocks left by processes
    // that no longer run; an Xt work procedure that runs once.
    static char cleanUpWorkProc(void *);
    static int cleanUpWorkProcTest(const struct dirent *entry);

    // Called with (note, 0) when a pending note has new data, or when its
    // editor ended without any.
    void (*pendingReadyCallback)(ZnNote *, int);
    void (*pendingFinishedCallback)(ZnNote *, int);
    // Called once when an automatic playback of this note ends.
    void (*playerFinishedCallback)(void *, int);
    void *playerFinishedCallbackData;

    float mediaLength;
    int isPendingNote;
    int playingInSequence;

    static short screenLimits[2];
    static SbString externalFilePrefix;
    static SbString tmpDirName;
    static unsigned long cleanUpWorkProcId;
    static int newNotesInline;
    static int alwaysKillPlayers;
    static int usingLaunchEffect;
    static int numNotes;
    // Held open while any note exists; no note makes requests on it.
    static FcmConnection fcmConnection;
    static ZnNote *noteToEdit;

  protected:
    ZnNote();
    virtual ~ZnNote();

    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void write(SoWriteAction *action);
    virtual void generatePrimitives(SoAction *action);
    virtual void computeBBox(SoAction *action, SbBox3f &box, SbVec3f &center);

    static void dataWriteCB(const SoSFDelayedData *field, SoOutput *out);
    static void PlayerTimeUpCB(void *data, SoSensor *);

    // Stop the player or editor process only.
    void killPlayerProcessId();
    // Lets the player process run on, no longer the note's.
    void forgetPlayerProcess();
    void killEditorProcessId();
    // Calls playerFinishedCallback once and clears it.
    void callPlayerFinished();
    // The playback could not start (a manual play has shown why): the
    // note is idle, and an automatic playback that waits for it goes on
    // from the event loop.
    void cannotPlay(int autoPlay);
    // The media block to read: the temporary data file when asked for
    // and there is one, else the field's source. 0 when a file cannot be
    // opened.
    int openMediaSource(GspMediaSource &m, int fromTempFile);
    // For the media kinds: starts the recorder into the note's data file
    // (after ending the editor of the note in the options dialog); and
    // writes inline media to the data file and starts the player.
    void recordMedia();
    void playMedia(int autoPlay);
    // The player's place on its command line: x, and y counted from the
    // bottom of the screen.
    int playerPlaceFromBottom(int &x, int &y) const;
    // Measures the media with fromFile on the data file or, for a block
    // read straight from a binary scene, with fromMemory on the block
    // mapped in place; an ASCII block is written to the data file first.
    // 0 when that write failed (seconds unchanged).
    int measureMedia(double (*fromFile)(const char *), double (*fromMemory)(const void *, size_t),
                     double &seconds);
    // The user closed the note's own player window: the note is idle and
    // an automatic playback that waited for the user goes on.
    void playerClosedByUser();
    // The note's own editing dialog went: the icon is normal again unless
    // the note plays, and a new note the user cancelled is given up.
    void editDialogClosed(int cancelled);
    void playerForkFailed();
    void editorForkFailed();
    static void playerCB(void *note, int *source, unsigned long *id);
    static void editorCB(void *note, int *source, unsigned long *id);
    // A fresh name in the temporary directory for this kind's data.
    int buildTempName(SbString &name);
    // Size in bytes of the inline media block (its temporary data file
    // when there is one).
    long mediaBlockSize() const;
    // The media length with "%.1f" put into the resource key's format, or
    // into fallback, in a buffer of the caller's.
    const char *formatDuration(char *buf, int size, const char *key, const char *fallback) const;

    unsigned int lastClickTime;
    int dataFileIsTemp;
    int playerPid;
    int editorPid;
    int playerMonitorPid;
    int editorMonitorPid;
    int supportsExternalData;
    int dataExternal;
    int deleteDataFileOnDestroy;
    int playerPipe[2];
    int editorPipe[2];
    int playerLocationSupported;
    SbString tempDataFileName;
    SbString resourceFileName;
    Widget playerWindow;
    int trackPlayerExit;
    int usePlayerGeometry;
    // The player and editor lead process groups of their own, so that
    // stopping them stops their children too.
    int ownProcessGroup;
    char *currentIconData;
    short iconWidth, iconHeight;
    SbVec3f offset;
    int selected;
    SoAlarmSensor *playerTimer;
    unsigned long editorInputId, playerInputId;
    char *activeIconData, *iconData;

  private:
    // Watchers of the running player and editor.
    void *playerWatcher, *editorWatcher;

    int startWatcher(bool player, int autoPlay);
    void playerMessage(int kind, int value);
    void editorMessage(int kind, int value);
    void closePlayerChannel();
    void closeEditorChannel();
    void *releasePlayer();

    static void buildNoteOptionDialog();
    void overwriteDialog(char *name);
    static void overwriteDialogCB(Widget w, void *clientData, void *callData);
    static void shellStructureNotifyCB(Widget w, void *clientData, XEvent *event, char *cont);
    // Moves the data to the name in the file field, reporting why not.
    void acceptExternalName();
    void takeNumberField(int code);

    void iconCorners(SoState *state, SbVec3f corners[4], SbVec3f &screen) const;
    void drawIcon(SoState *state);
    void drawSelectionFrame(SoState *state);

    // mediaData points at a raw file of exact length (a temporary data
    // file) rather than at a block in a scene file.
    int mediaIsRaw;

    void pointMediaDataAt(const char *file);
    // At exit: the private data files of notes never destroyed (the
    // toolkit drops the nodes of a failed read without freeing them).
    static void removePrivateFilesAtExit();
    // Drops the data file a read made for a note it then abandoned.
    static void releaseReadData(void *note);
    int moveDataFile(const SbString &target, int hadTemp);
    int extractBlockTo(const char *target);
    int hasInlineData() const;
    int copyForPaste(SbString &fresh, int inTempDir);
    void readPastedInline();
    int readExternal(int fromFile);
    void readInline();
    int prepareCopy();
    // The copy this note stays out of, its data file not made.
    SoOutput *leftOutOf;
    void saveBeforeOverwrite(SoOutput *out);
    void writeInlineBlock(SoOutput *out);
};

#endif
