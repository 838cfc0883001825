#ifndef GLOSSPIN_ZNINVENTORNOTE_H
#define GLOSSPIN_ZNINVENTORNOTE_H

#include <Inventor/fields/SoSFNode.h>

#include <Glosspin/ZnNote.h>

// A note that carries another 3-D scene; its file is the note's media
// data, shown by a scene viewer.
class ZnInventorNote : public ZnNote {
    SO_NODE_HEADER(ZnInventorNote);

  public:
    SoSFNode sceneGraph;
    // Directory of the carried scene's external notes, relative to the
    // note.
    SoSFString externalNoteDirName;

    static void initClass();
    ZnInventorNote();

    int gatherPendingData(int accept) override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;

    void setExternalNoteDirName(const char *dirName);

    static const char *fileSuffix;

  protected:
    ~ZnInventorNote() override;
};

#endif
