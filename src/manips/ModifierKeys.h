#ifndef GLOSSPIN_MANIPS_MODIFIERKEYS_H
#define GLOSSPIN_MANIPS_MODIFIERKEYS_H

#include <Inventor/events/SoKeyboardEvent.h>

// True when e presses or releases Shift or Alt, the keys that change a
// drag's mode while it runs.
inline bool gspIsShiftOrAltChange(const SoEvent *e)
{
    return SO_KEY_PRESS_EVENT(e, LEFT_SHIFT) || SO_KEY_RELEASE_EVENT(e, LEFT_SHIFT) ||
           SO_KEY_PRESS_EVENT(e, RIGHT_SHIFT) || SO_KEY_RELEASE_EVENT(e, RIGHT_SHIFT) ||
           SO_KEY_PRESS_EVENT(e, LEFT_ALT) || SO_KEY_RELEASE_EVENT(e, LEFT_ALT) ||
           SO_KEY_PRESS_EVENT(e, RIGHT_ALT) || SO_KEY_RELEASE_EVENT(e, RIGHT_ALT);
}

#endif
