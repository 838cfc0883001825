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

/// The base of every note: a shape under a marker's note list that
/// carries one piece of media (inline in the scene file or in an external
/// file named by the note) and the playback options stored with it. The
/// kinds add what their media needs; this class owns the data location,
/// the temporary data files and the file form shared by all kinds.
class ZnNote : public SoShape {
    SO_NODE_ABSTRACT_HEADER(ZnNote);

  public:
    // Playback options, in file order.
    SoSFString author;                     ///< who made the note
    SoSFTimestamp timestamp;               ///< when it was last changed
    SoBounded<SoSFBool> autoPlayable;      ///< plays in the automatic playback
    SoBounded<SoSFShort> lifetimeType;  ///< 0 until closed, 1 for lifetime, 2 media length
    SoBounded<SoSFFloat> lifetime;         ///< seconds an automatic playback lasts
    SoBounded<SoSFShort> startNextNote;  ///< 0 at once, 1 when done, 2 after nextNoteDelay
    SoBounded<SoSFFloat> nextNoteDelay;    ///< seconds before the next note starts
    SoSFString filename;                   ///< the external data file, when there is one
    SoBounded<SoSFBool> preferInline;      ///< a pasted copy carries the media itself
    SoSFDelayedData mediaData;             ///< the inline media, read when first needed
    SoBounded<SoSFShort> padByteCount;     ///< bytes that pad the media block to a word
    SoBounded<SoSFShort> playerLocationX;  ///< where the player's window goes, -1 anywhere
    SoBounded<SoSFShort> playerLocationY;  ///< the same, counted from the screen's bottom
    SoBounded<SoSFShort> playerWidth;      ///< the player window's width, -1 its own
    SoBounded<SoSFShort> playerHeight;     ///< the player window's height, -1 its own
    SoBounded<SoSFBool> wasImported;       ///< the data file is the scene's, not a paste's copy

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Icon position, set by the note list.
    virtual void setOffset(SbVec3f o);
    /// The icon's size in pixels.
    ///@{
    short getIconWidth() const { return iconWidth; }
    short getIconHeight() const { return iconHeight; }
    ///@}
    /// The data file is one of the library's temporary files.
    int isDataFileTemp() const { return dataFileIsTemp; }
    /// Starts the kind's editor (a dialog or an external program).
    virtual void edit();
    /// Plays the media; autoPlay when the automatic playback asks, which
    /// then honours the lifetime options.
    virtual void play(int autoPlay);
    /// Whether the player or the editor runs.
    ///@{
    virtual int isPlaying() const;
    virtual int isEditing() const;
    ///@}
    /// Stops the player or the editor.
    ///@{
    virtual void killPlayer();
    virtual void killEditor();
    ///@}
    /// Takes the editor's output into the note; non-zero when new data
    /// was taken.
    virtual int gatherPendingData(int accept) = 0;
    /// The options dialog's text for "as long as the media lasts".
    virtual const char *getDurationMsg();
    /// The suffix of the kind's data files (".txt", ".mov" ...).
    virtual const char *getFileSuffix();
    /// Bytes the note adds to a scene file in either form.
    virtual int estimateDiskSpaceRequired(int binary);
    /// Names the file the media is in; ownFile when the note may remove it.
    virtual void setDataFilename(const char *name, int ownFile);
    /// The note's share of the undo history's memory.
    virtual int getUndoWeight() = 0;
    /// The icon's RGB pixels, bottom row first, normal and while playing.
    ///@{
    virtual void setIconData(int width, int height, char *bits);
    virtual void setActiveIconData(char *bits);
    ///@}
    /// Measures the media into mediaLength (seconds).
    virtual void findMediaLength();
    /// The program the player or the editor runs: its arguments, the
    /// first naming the program (looked up in PATH). Asked for before the
    /// program's process exists; that process only execs the program, as
    /// the new process of a multi-threaded application may do no more.
    /// Empty (the base): the process ends at once with status 127.
    ///@{
    virtual void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv);
    virtual void getExternalEditorCommand(std::vector<std::string> &argv);
    ///@}
    /// The external player or editor failed: the note says why.
    ///@{
    virtual void externalPlayerFailed();
    virtual void externalEditorFailed();
    ///@}
    /// Writes the media to the data file for a program to read; sameFile
    /// is set when it was there already. 0 after an error message.
    virtual int copyDataToExternalFile(int *sameFile);
    /// Whether the kind keeps its media in mediaData.
    virtual int usingMediaData();
    /// Told the id of a player process shared by all notes of a kind.
    virtual void updateStaticProcessId(long pid);

    /// Start the kind's external player or editor without blocking the
    /// event loop; the note learns when it ends and with what status. 0
    /// when the player could not start (the playback has ended).
    ///@{
    int playExternal(int autoPlay);
    void editExternal();
    ///@}
    /// For kinds that show their media in their own window (playerWindow).
    static void windowClosedCB(Widget w, void *note, void *callData);

    /// The selection frame drawn around the icon.
    ///@{
    void select();
    void deselect();
    int isSelected() const { return selected; }
    ///@}

    /// The playback options dialog, one for all notes; it shows
    /// noteToEdit and writes every change straight into its fields.
    ///@{
    void editNoteOptions();
    void updateNoteOptionUI();
    static void disableNoteOptionUI();
    void enableNoteOptionAutoPlayUI(char autoPlayable);
    void updateNoteOptionPlayerPositionUI();
    void updateNoteOptionMediaLengthUI();
    ///@}
    /// Takes the running player's window geometry from the user's click.
    void grabPlayerLocation();
    /// One callback for every control; code is the control's index in
    /// noteOptionWidgetList.
    ///@{
    static void noteOptionDialogCB(Widget w, int code, void *callData);
    static void noteOptionFieldChangedCB(Widget w, void *clientData, void *callData);
    ///@}
    /// The window manager closed the dialog.
    static void noteOptionClosedCB(Widget w, void *clientData, void *callData);

    /// Indices into noteOptionWidgetList.
    enum NoteOptionWidget {
        OPT_SHELL, OPT_CHANGED_LABEL, OPT_DATE_LABEL, OPT_AUTOPLAY, OPT_STAYS_LABEL,
        OPT_UNTIL_CLOSED, OPT_FOR_SECONDS, OPT_TIME_FIELD, OPT_TIME_UNIT, OPT_FOR_MEDIA,
        OPT_NEXT_LABEL, OPT_IMMEDIATELY, OPT_AFTER, OPT_DELAY_FIELD, OPT_DELAY_UNIT,
        OPT_WHEN_DONE, OPT_DATA_LABEL, OPT_INLINE, OPT_EXTERNAL, OPT_FILE_FIELD, OPT_ACCEPT,
        OPT_LOCATION_LABEL, OPT_PLAY, OPT_GRAB, OPT_NUM_WIDGETS
    };
    static Widget *noteOptionWidgetList;  ///< the dialog's widgets, by NoteOptionWidget
    static int dialogVisible;             ///< the dialog is up
    static int noteOptionFieldChanged;    ///< a number field was typed in, not yet taken
    static int ignoreFieldChangedCB;      ///< the dialog is being filled, not typed in
    static int needToDeiconifyDialog;     ///< the dialog was iconified with the shell
    /// Locale for the numbers in the dialog; NULL for the current one.
    static char *numLanguage;
    /// Called after every change made through the dialog.
    static void (*noteOptionDirtyCB)();

    /// The file the media is in, NULL when there is none.
    const char *getDataFilename() const;
    /// The same, empty when there is none.
    std::string dataFilename() const;
    /// Moves the media to the file name (ownFile: the note's to remove),
    /// or back into the scene file; 1 on success, 0 after an error message.
    ///@{
    int makeDataExternal(const char *name, int ownFile);
    int makeDataInline();
    ///@}
    /// Whether the media lives in an external file.
    ///@{
    void setDataExternal(int external);
    int isDataExternal() const { return dataExternal; }
    ///@}
    /// The kind can keep its data in an external file.
    int canBeExternal() const { return supportsExternalData; }
    /// Writes the note's media bytes (a text note's text) to path, leaving
    /// the note as it is. Returns 1 on success, 0 after an error message.
    virtual int extractDataTo(const char *path);
    /// Length in bytes of the media (a file's size when the data is in a
    /// file), -1 when an external file cannot be examined.
    long getMediaByteCount() const;
    /// Whether the filename field names a file that can be read; with
    /// report, an error message says why not.
    ///@{
    int checkFilename();
    int checkDataFile(int report);
    ///@}
    /// Copies a data file; 1 on success, 0 after an error message.
    int makeCopyOfNoteDataFile(const char *from, const char *to);
    /// Whether the filename field and the data file are the same file.
    int isSameFile();
    /// A data file's name relative to the current directory, or in dir.
    ///@{
    void makeNameRelative(SbString &result, const char *name);
    void makeNameFullPath(SbString &result, const char *dir);
    ///@}
    /// The library's temporary copy of the media, empty when none.
    const SbString &getTempDataFileName() const { return tempDataFileName; }

    /// First free name "dir/baseNsuffix" (or "baseNsuffix" without a
    /// directory) into out, which holds at least PATH_MAX bytes. Returns 1
    /// when the name is free, 0 when no name could be found.
    static int buildUniqueFilename(const char *dir, const char *base, const char *suffix,
                                   char *out);
    /// The start of the names new external data files take.
    ///@{
    static void setExternalFilePrefix(const char *prefix);
    static const char *getExternalFilePrefix();
    ///@}
    /// The directory of the library's temporary data files.
    static const char *getTempDirName();
    /// As buildUniqueFilename, but also creates the file exclusively, so
    /// that nobody else takes the name and no planted link is followed.
    static int claimUniqueFilename(const char *dir, const char *base, const char *suffix,
                                   char *out);
    /// Base name of the library's temporary data files.
    static const char *const NOTE_BASE;
    /// Removes the cache files of delayed-read blocks left by processes
    /// that no longer run; an Xt work procedure that runs once.
    ///@{
    static char cleanUpWorkProc(void *);
    static int cleanUpWorkProcTest(const struct dirent *entry);
    ///@}

    /// Called with (note, 0) when a pending note has new data, or when its
    /// editor ended without any.
    ///@{
    void (*pendingReadyCallback)(ZnNote *, int);
    void (*pendingFinishedCallback)(ZnNote *, int);
    ///@}
    /// Called once when an automatic playback of this note ends.
    ///@{
    void (*playerFinishedCallback)(void *, int);
    void *playerFinishedCallbackData;
    ///@}

    float mediaLength;       ///< seconds the media lasts, 0 when not known
    int isPendingNote;       ///< being created: held by its list until its editor succeeds
    int playingInSequence;   ///< playing in an automatic playback

    static short screenLimits[2];           ///< the screen's size in pixels
    static SbString externalFilePrefix;     ///< see setExternalFilePrefix
    static SbString tmpDirName;             ///< see getTempDirName
    static unsigned long cleanUpWorkProcId; ///< the pending cleanUpWorkProc, 0 when none
    static int newNotesInline;              ///< new notes keep their media in the scene file
    static int alwaysKillPlayers;           ///< players end with their note's playback
    static int usingLaunchEffect;           ///< icons flash when a player starts
    static int numNotes;                    ///< notes that exist
    /// Held open while any note exists; no note makes requests on it.
    static FcmConnection fcmConnection;
    static ZnNote *noteToEdit;  ///< the note the options dialog shows

  protected:
    /// A new ZnNote, its fields at their defaults.
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

    /// Stop the player or editor process only.
    void killPlayerProcessId();
    /// Lets the player process run on, no longer the note's.
    void forgetPlayerProcess();
    void killEditorProcessId();
    /// Calls playerFinishedCallback once and clears it.
    void callPlayerFinished();
    /// The playback could not start (a manual play has shown why): the
    /// note is idle, and an automatic playback that waits for it goes on
    /// from the event loop.
    void cannotPlay(int autoPlay);
    /// The media block to read: the temporary data file when asked for
    /// and there is one, else the field's source. 0 when a file cannot be
    /// opened.
    int openMediaSource(GspMediaSource &m, int fromTempFile);
    /// For the media kinds: starts the recorder into the note's data file
    /// (after ending the editor of the note in the options dialog); and
    /// writes inline media to the data file and starts the player.
    void recordMedia();
    void playMedia(int autoPlay);
    /// The player's place on its command line: x, and y counted from the
    /// bottom of the screen.
    int playerPlaceFromBottom(int &x, int &y) const;
    /// Measures the media with fromFile on the data file or, for a block
    /// read straight from a binary scene, with fromMemory on the block
    /// mapped in place; an ASCII block is written to the data file first.
    /// 0 when that write failed (seconds unchanged).
    int measureMedia(double (*fromFile)(const char *), double (*fromMemory)(const void *, size_t),
                     double &seconds);
    /// The user closed the note's own player window: the note is idle and
    /// an automatic playback that waited for the user goes on.
    void playerClosedByUser();
    /// The note's own editing dialog went: the icon is normal again unless
    /// the note plays, and a new note the user cancelled is given up.
    void editDialogClosed(int cancelled);
    void playerForkFailed();
    void editorForkFailed();
    static void playerCB(void *note, int *source, unsigned long *id);
    static void editorCB(void *note, int *source, unsigned long *id);
    /// A fresh name in the temporary directory for this kind's data.
    int buildTempName(SbString &name);
    /// Size in bytes of the inline media block (its temporary data file
    /// when there is one).
    long mediaBlockSize() const;
    /// The media length with "%.1f" put into the resource key's format, or
    /// into fallback, in a buffer of the caller's.
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
    /// The player and editor lead process groups of their own, so that
    /// stopping them stops their children too.
    int ownProcessGroup;
    char *currentIconData;
    short iconWidth, iconHeight;
    SbVec3f offset;
    int selected;
    SoAlarmSensor *playerTimer;
    unsigned long editorInputId, playerInputId;
    char *activeIconData, *iconData;

  private:
    /// Watchers of the running player and editor.
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
    /// Moves the data to the name in the file field, reporting why not.
    void acceptExternalName();
    void takeNumberField(int code);

    void iconCorners(SoState *state, SbVec3f corners[4], SbVec3f &screen) const;
    void drawIcon(SoState *state);
    void drawSelectionFrame(SoState *state);

    /// mediaData points at a raw file of exact length (a temporary data
    /// file) rather than at a block in a scene file.
    int mediaIsRaw;

    void pointMediaDataAt(const char *file);
    /// At exit: the private data files of notes never destroyed (the
    /// toolkit drops the nodes of a failed read without freeing them).
    static void removePrivateFilesAtExit();
    /// Drops the data file a read made for a note it then abandoned.
    static void releaseReadData(void *note);
    int moveDataFile(const SbString &target, int hadTemp);
    int extractBlockTo(const char *target);
    int hasInlineData() const;
    int copyForPaste(SbString &fresh, int inTempDir);
    void readPastedInline();
    int readExternal(int fromFile);
    void readInline();
    int prepareCopy();
    /// The copy this note stays out of, its data file not made.
    SoOutput *leftOutOf;
    void saveBeforeOverwrite(SoOutput *out);
    void writeInlineBlock(SoOutput *out);
};

#endif
