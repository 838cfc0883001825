#include <Glosspin/SoSFTimestamp.h>

#include <limits.h>

#include <Inventor/SoInput.h>
#include <Inventor/errors/SoReadError.h>

#include "field/ReadNumber.h"

SbBool SoSFTimestamp::readValue(SoInput *in)
{
    double seconds;
    if (!gspReadReal(in, seconds)) {
        SoReadError::post(in, "Couldn't read time value");
        return FALSE;
    }
    // The time class keeps whole seconds in an int.
    if (!(seconds > INT_MIN && seconds < INT_MAX)) {
        SoReadError::post(in, "Time value %g out of range", seconds);
        return FALSE;
    }
    value = SbTime(seconds);  // rounds to the microsecond, as the toolkit reads
    return TRUE;
}
