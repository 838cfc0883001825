#ifndef GLOSSPIN_SOSFTIMESTAMP_H
#define GLOSSPIN_SOSFTIMESTAMP_H

#include <Inventor/fields/SoSFTime.h>

/// A time field that reads as the toolkit's own ("SFTime" in files, the
/// same type for everything else) but refuses a value the toolkit's time
/// class cannot hold: it recurses without end on one that is not a number
/// and keeps whole seconds in an int. ASCII numbers are read with a
/// bounded reader.
class SoSFTimestamp : public SoSFTime {
  public:
    /// Sets the time, as the toolkit's time field does.
    const SbTime &operator=(const SbTime &t) { return SoSFTime::operator=(t); }

  private:
    virtual SbBool readValue(SoInput *in);
};

#endif
