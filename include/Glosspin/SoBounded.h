#ifndef GLOSSPIN_SOBOUNDED_H
#define GLOSSPIN_SOBOUNDED_H

#include <Inventor/fields/SoSFBool.h>
#include <Inventor/fields/SoSFColor.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFPlane.h>
#include <Inventor/fields/SoSFRotation.h>
#include <Inventor/fields/SoSFShort.h>
#include <Inventor/fields/SoSFUShort.h>
#include <Inventor/fields/SoSFVec3f.h>

/// A number field that reads as the toolkit's own Field (the same name in
/// files, the same type for everything else) but with bounded readers:
/// the toolkit copies an ASCII number's characters into a fixed buffer
/// without a limit, so one damaged file overwrites the reader's stack.
/// The library's nodes declare their number fields with it; it exists for
/// SoSFBool, SoSFColor, SoSFFloat, SoSFPlane, SoSFRotation, SoSFShort, SoSFUShort and
/// SoSFVec3f.
template <class Field> class SoBounded : public Field {
  public:
    using Field::operator=;

  private:
    virtual SbBool readValue(SoInput *in);
};

template <> SbBool SoBounded<SoSFBool>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFColor>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFFloat>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFPlane>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFRotation>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFShort>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFUShort>::readValue(SoInput *in);
template <> SbBool SoBounded<SoSFVec3f>::readValue(SoInput *in);

#endif
