#ifndef GLOSSPIN_MANIPS_MODIFIERKEYS_H
#define GLOSSPIN_MANIPS_MODIFIERKEYS_H

#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/events/SoKeyboardEvent.h>

#include <Glosspin/ZnCommon.h>

// True when the draggers' third mode is asked for: Alt held, or Ctrl
// where the application lets Ctrl stand for Alt.
inline bool gspAltDown(const SoEvent *e)
{
    return e->wasAltDown() || (ZnCommon::controlForAlt && e->wasCtrlDown());
}

// True when e presses or releases Shift or Alt (or Ctrl standing for
// Alt), the keys that change a drag's mode while it runs.
inline bool gspIsShiftOrAltChange(const SoEvent *e)
{
    return SO_KEY_PRESS_EVENT(e, LEFT_SHIFT) || SO_KEY_RELEASE_EVENT(e, LEFT_SHIFT) ||
           SO_KEY_PRESS_EVENT(e, RIGHT_SHIFT) || SO_KEY_RELEASE_EVENT(e, RIGHT_SHIFT) ||
           SO_KEY_PRESS_EVENT(e, LEFT_ALT) || SO_KEY_RELEASE_EVENT(e, LEFT_ALT) ||
           SO_KEY_PRESS_EVENT(e, RIGHT_ALT) || SO_KEY_RELEASE_EVENT(e, RIGHT_ALT) ||
           (ZnCommon::controlForAlt &&
            (SO_KEY_PRESS_EVENT(e, LEFT_CONTROL) || SO_KEY_RELEASE_EVENT(e, LEFT_CONTROL) ||
             SO_KEY_PRESS_EVENT(e, RIGHT_CONTROL) || SO_KEY_RELEASE_EVENT(e, RIGHT_CONTROL)));
}

// When d holds the grab and its event presses or releases Shift or Alt:
// ends the drag (its finish callbacks run), calls afterEnd, and starts
// another from worldPoint, the point under the pointer now. True when it
// did.
template <class AfterEnd>
bool gspRestartDragOnModifierChange(SoDragger *d, const SbVec3f &worldPoint, AfterEnd afterEnd)
{
    SoHandleEventAction *ha = d->getHandleEventAction();
    if (!ha || ha->getGrabber() != d || !gspIsShiftOrAltChange(d->getEvent()))
        return false;
    ha->releaseGrabber();
    afterEnd();
    d->setStartingPoint(worldPoint);
    ha->setGrabber(d);
    ha->setHandled();
    return true;
}

inline bool gspRestartDragOnModifierChange(SoDragger *d, const SbVec3f &worldPoint)
{
    return gspRestartDragOnModifierChange(d, worldPoint, [] {});
}

#endif
