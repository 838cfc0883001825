#ifndef GLOSSPIN_ZNINVENTORNOTE_H
#define GLOSSPIN_ZNINVENTORNOTE_H

#include <Inventor/fields/SoSFNode.h>

#include <Glosspin/ZnNote.h>

/// A note that carries another 3-D scene, with notes of its own: the scene
/// file is the note's media data, shown by the library's viewer program
/// 3dNoteViewer in its own window. It cannot be edited in the library.
class ZnInventorNote : public ZnNote {
    SO_NODE_HEADER(ZnInventorNote);

  public:
    SoSFNode sceneGraph;  ///< the carried scene, once read
    /// Directory of the carried scene's external notes, relative to the
    /// note.
    SoSFString externalNoteDirName;

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnInventorNote, its fields at their defaults.
    ZnInventorNote();

    void edit() override;
    void play(int autoPlay) override;
    int gatherPendingData(int accept) override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;
    /// The viewer's command line: the program, "-s W H" when both sizes
    /// are above 0, "-o X Y" when both coordinates are, the data file and
    /// the directory of the carried scene's external notes.
    void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv) override;
    void externalPlayerFailed() override;

    /// Stores dirName relative to the current directory where it can.
    void setExternalNoteDirName(const char *dirName);

    static const char *fileSuffix;  ///< the suffix of the kind's data files

  protected:
    ~ZnInventorNote() override;
};

#endif
