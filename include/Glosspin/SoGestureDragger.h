#ifndef GLOSSPIN_SOGESTUREDRAGGER_H
#define GLOSSPIN_SOGESTUREDRAGGER_H

#include <Inventor/SbLinear.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/nodekits/SoSubKit.h>

// The base of draggers that work in a box: the unit cube -1...1 inside
// the subclass's "surroundScale" part. It converts between that box and
// world or pixel space, and tells which box axis the mouse has followed
// since the drag began.
class SoGestureDragger : public SoDragger {
    SO_KIT_HEADER(SoGestureDragger);
    typedef SoDragger inherited;

  public:
    SoGestureDragger();
    static void initClass();

    SbVec3f getBoxPointInWorldSpace(const SbVec3f &p);
    SbVec3f getBoxDirInWorldSpace(const SbVec3f &d);
    SbVec3f getWorldPointInBoxSpace(const SbVec3f &p);
    // Window pixels from the lower-left corner; z is the depth 0...1.
    SbVec3f getWorldPointInPixelSpace(const SbVec3f &p);

    // The allowed box axis (0, 1 or 2) whose image on the screen best
    // matches the pointer's motion from the drag's starting point.
    int getMouseGestureDirection(SbBool xAllowed, SbBool yAllowed, SbBool zAllowed);

    // The screen images of the three box axes: an axis seen end-on is
    // one to ignore; of two images on one line, the minor is turned at
    // right angles to the major so that each keeps a direction of its own.
    static int getIgnoreAxis(const SbVec2f axes[3], const SbBool allowed[3]);
    static void makeMinorAxisPerpendicularIfColinear(const SbVec2f &major, SbVec2f &minor);
    static SbBool isColinear(const SbVec2f &a, const SbVec2f &b);

  protected:
    SbMatrix getBoxToWorldMatrix();
    virtual ~SoGestureDragger();
};

#endif
