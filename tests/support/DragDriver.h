#ifndef GLOSSPIN_TESTS_DRAGDRIVER_H
#define GLOSSPIN_TESTS_DRAGDRIVER_H

#include <Inventor/SbLinear.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoKeyboardEvent.h>

class SoNode;

// Sends mouse and key events through one event action, as a render area
// does, so that a dragger that grabs keeps the grab from event to event.
// Positions are in pixels from the lower-left corner.
class DragDriver {
  public:
    DragDriver(SoNode *scene, const SbViewportRegion &vp);

    void press(short x, short y);
    void move(short x, short y);
    void release(short x, short y);
    void key(SoKeyboardEvent::Key k, SbBool down);
    // Press at from, one move to to, release there; true when the press
    // was grabbed.
    bool drag(const SbVec2s &from, const SbVec2s &to);

    SbBool shift = FALSE, alt = FALSE;
    SoHandleEventAction action;

  private:
    SoNode *scene;
    SbVec2s last;
    void send(SoEvent *e, short x, short y);
};

#endif
