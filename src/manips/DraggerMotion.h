#ifndef GLOSSPIN_MANIPS_DRAGGERMOTION_H
#define GLOSSPIN_MANIPS_DRAGGERMOTION_H

#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFVec3f.h>
#include <Inventor/sensors/SoFieldSensor.h>

// A translation-only dragger's value-changed step: the translation of its
// motion matrix goes into its translation field, with the field's sensor
// detached meanwhile so the new value is not worked back into the matrix.
inline void gspMotionToTranslation(SoDragger *d, SoSFVec3f &translation, SoFieldSensor *sensor)
{
    const SbMatrix &motion = d->getMotionMatrix();
    SbVec3f t(motion[3][0], motion[3][1], motion[3][2]);
    if (translation.getValue() == t)
        return;
    SoField *attached = sensor->getAttachedField();
    if (attached)
        sensor->detach();
    translation = t;
    if (attached)
        sensor->attach(attached);
}

#endif
