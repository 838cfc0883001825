#ifndef GLOSSPIN_SOMFBOUNDEDSTRING_H
#define GLOSSPIN_SOMFBOUNDEDSTRING_H

#include <Inventor/fields/SoMFString.h>

/// A string list that reads as the toolkit's own ("MFString" in files, the
/// same type for everything else) but never believes a count before the
/// values are there: the toolkit makes room for a binary file's count
/// before reading a value, so one damaged word asks for gigabytes. Values
/// are kept as they are read instead.
class SoMFBoundedString : public SoMFString {
  public:
    using SoMFString::operator=;

  private:
    virtual SbBool readValue(SoInput *in);
    SbBool readBinaryList(SoInput *in);
    SbBool readAsciiList(SoInput *in);
};

#endif
