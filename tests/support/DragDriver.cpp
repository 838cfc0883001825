#include "support/Test.h"

#include "support/DragDriver.h"

#include <Inventor/SbTime.h>

DragDriver::DragDriver(SoNode *s, const SbViewportRegion &vp) : action(vp), scene(s) {}

void DragDriver::send(SoEvent *e, short x, short y)
{
    last.setValue(x, y);
    e->setPosition(last);
    e->setTime(SbTime::getTimeOfDay());
    e->setShiftDown(shift);
    e->setAltDown(alt);
    action.setEvent(e);
    action.apply(scene);
}

void DragDriver::press(short x, short y)
{
    SoMouseButtonEvent e;
    e.setButton(SoMouseButtonEvent::BUTTON1);
    e.setState(SoButtonEvent::DOWN);
    send(&e, x, y);
}

void DragDriver::move(short x, short y)
{
    SoLocation2Event e;
    send(&e, x, y);
}

void DragDriver::release(short x, short y)
{
    SoMouseButtonEvent e;
    e.setButton(SoMouseButtonEvent::BUTTON1);
    e.setState(SoButtonEvent::UP);
    send(&e, x, y);
}

void DragDriver::key(SoKeyboardEvent::Key k, SbBool down)
{
    if (k == SoKeyboardEvent::LEFT_SHIFT || k == SoKeyboardEvent::RIGHT_SHIFT)
        shift = down;
    if (k == SoKeyboardEvent::LEFT_ALT || k == SoKeyboardEvent::RIGHT_ALT)
        alt = down;
    SoKeyboardEvent e;
    e.setKey(k);
    e.setState(down ? SoButtonEvent::DOWN : SoButtonEvent::UP);
    send(&e, last[0], last[1]);
}

bool DragDriver::drag(const SbVec2s &from, const SbVec2s &to)
{
    press(from[0], from[1]);
    bool grabbed = action.getGrabber() != NULL;
    move(to[0], to[1]);
    release(to[0], to[1]);
    return grabbed;
}
