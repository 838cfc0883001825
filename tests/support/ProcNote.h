#ifndef GLOSSPIN_TESTS_PROCNOTE_H
#define GLOSSPIN_TESTS_PROCNOTE_H

#include "support/Test.h"

// A note whose player and editor are the stand-in script (tests/note/players).
class ProcNote : public ZnNote {
    SO_NODE_HEADER(ProcNote);

  public:
    static void initClass() { SO_NODE_INIT_CLASS(ProcNote, ZnNote, "ZnNote"); }
    ProcNote() { SO_NODE_CONSTRUCTOR(ProcNote); }

    int gatherPendingData(int) override { return pendingData; }
    int getUndoWeight() override { return 1; }
    void play(int autoPlay) override { playExternal(autoPlay); }
    void getExternalPlayerCommand(int, std::vector<std::string> &argv) override
    {
        command(playerArgs, argv);
    }
    void getExternalEditorCommand(std::vector<std::string> &argv) override
    {
        command(editorArgs, argv);
    }
    void externalPlayerFailed() override { playerFailures++; }
    void externalEditorFailed() override { editorFailures++; }

    int pid() const { return playerPid; }
    int editor() const { return editorPid; }
    int &track() { return trackPlayerExit; }
    int &geometry() { return usePlayerGeometry; }
    const SbString &resourceFile() const { return resourceFileName; }
    bool iconActive() const { return currentIconData == activeIconData; }

    std::vector<std::string> playerArgs, editorArgs;
    int &leadGroup() { return ownProcessGroup; }
    int channel(bool player) const { return player ? playerPipe[0] : editorPipe[0]; }
    int pendingData = 0, playerFailures = 0, editorFailures = 0;

  private:
    static void command(const std::vector<std::string> &args, std::vector<std::string> &argv);
};

#endif
