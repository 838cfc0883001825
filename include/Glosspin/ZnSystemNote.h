#ifndef GLOSSPIN_ZNSYSTEMNOTE_H
#define GLOSSPIN_ZNSYSTEMNOTE_H

#include <Glosspin/ZnNote.h>

/// A note that carries a shell command, run when the note is played in a
/// process group of its own (stopping the note stops everything the
/// command started); a command that fails is reported in the error
/// dialog. The command is typed in a prompt dialog. It has no media data.
///
/// A scene is data, and a command in it runs when its note plays: while
/// confirmCommandsFromFiles is on (the default), a note read from scene
/// data asks the user, showing the exact command, before its first run
/// in this process. Notes whose command the user typed in this process
/// run without asking.
class ZnSystemNote : public ZnNote {
    SO_NODE_HEADER(ZnSystemNote);

  public:
    SoSFString command;  ///< the shell command

    static int confirmCommandsFromFiles;  ///< ask before a command read from a file runs

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnSystemNote, its fields at their defaults.
    ZnSystemNote();

    void edit() override;
    void play(int autoPlay) override;
    int isEditing() const override;
    void killEditor() override;
    int gatherPendingData(int accept) override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;
    void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv) override;
    void externalPlayerFailed() override;

    /// The prompt dialog that takes the command, its buttons, and the
    /// buttons of the question before a command read from a file runs.
    ///@{
    static void createDialog(const char *message, ZnSystemNote *note);
    static void createDialogCB(Widget w, void *note, void *callData);
    static void confirmDialogCB(Widget w, void *note, void *callData);
    ///@}

  protected:
    ~ZnSystemNote() override;
    SbBool readInstance(SoInput *in, unsigned short flags) override;

    int commandTrusted;  ///< typed or confirmed in this process
    Widget confirmDialog;
    int confirmAutoPlay;
};

#endif
