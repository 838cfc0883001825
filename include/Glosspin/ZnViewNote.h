#ifndef GLOSSPIN_ZNVIEWNOTE_H
#define GLOSSPIN_ZNVIEWNOTE_H

#include <Inventor/fields/SoSFRotation.h>
#include <Inventor/fields/SoSFVec3f.h>

#include <Glosspin/ZnNote.h>

// A note that carries a camera view; playing it moves the scene's camera
// there. It has no media data of its own.
class ZnViewNote : public ZnNote {
    SO_NODE_HEADER(ZnViewNote);

  public:
    SoSFVec3f position;
    SoSFRotation orientation;
    SoSFFloat focalDistance;
    SoSFFloat height;  // height angle of a perspective camera, else height
    SoSFBool isPerspectiveCamera;

    static void initClass();
    ZnViewNote();

    int gatherPendingData(int accept) override;
    const char *getDurationMsg() override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;
    // The view change takes duration seconds.
    void findMediaLength() override;

  protected:
    ~ZnViewNote() override;

    float duration;
};

#endif
