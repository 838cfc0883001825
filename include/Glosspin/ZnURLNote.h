#ifndef GLOSSPIN_ZNURLNOTE_H
#define GLOSSPIN_ZNURLNOTE_H

#include <Glosspin/ZnNote.h>

class SoAlarmSensor;
class SoSensor;

/// A note that carries a web address, shown in the user's browser by the
/// installed launch script "www_script"; one browser serves every such
/// note. The address is typed in a prompt dialog (OK, Clear, Cancel). In
/// an automatic playback that waits for the note, a Continue dialog lets
/// the user say when the page is done with. It has no media data.
class ZnURLNote : public ZnNote {
    SO_NODE_HEADER(ZnURLNote);

  public:
    SoSFString url;  ///< the address

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnURLNote, its fields at their defaults.
    ZnURLNote();

    void edit() override;
    void play(int autoPlay) override;
    int isPlaying() const override;
    int isEditing() const override;
    void killPlayer() override;
    void killEditor() override;
    int gatherPendingData(int accept) override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;
    void updateStaticProcessId(long pid) override;
    void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv) override;
    void externalPlayerFailed() override;

    /// The browser process shared by all web-link notes, -1 when none is
    /// known.
    static long WWWPlayerProcessId;
    /// Ends that browser process.
    static void killWWWPlayerProcess();

    /// 0: an automatic playback that goes on when the note is done waits
    /// for the user's Continue. Above 0 (an unattended presentation): it
    /// goes on by itself after this many seconds, or after the note's own
    /// lifetime when it has one.
    static float unattendedSeconds;

    /// The launch script: in the installed library directory, or in the
    /// directory named by GLOSSPIN_LIB_DIR.
    static std::string getScriptPath();

    /// The prompt dialog that takes the address, and its buttons.
    ///@{
    static void createDialog(const char *message, ZnURLNote *note);
    static void createDialogCB(Widget w, void *note, void *callData);
    ///@}
    /// The Continue dialog of an automatic playback, its button, and the
    /// alarm that continues an unattended one.
    ///@{
    void createURLFinishedDialog();
    static void createURLFinishedDialogCB(Widget w, void *note, void *callData);
    static void alarmCB(void *note, SoSensor *sensor);
    ///@}

  protected:
    ~ZnURLNote() override;

    Widget continueDialog;
    int waitingForContinue;
    SoAlarmSensor *iconTimer;
};

#endif
