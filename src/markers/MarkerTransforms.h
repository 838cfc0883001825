#ifndef GLOSSPIN_MARKERS_MARKERTRANSFORMS_H
#define GLOSSPIN_MARKERS_MARKERTRANSFORMS_H

#include <Inventor/nodekits/SoBaseKit.h>
#include <Inventor/nodes/SoTransform.h>

// True when every field of t holds its default value, so that combining
// it into another transform would change nothing.
inline bool gspTransformIsDefault(const SoTransform *t)
{
    return t->translation.getValue() == SbVec3f(0, 0, 0) &&
           t->rotation.getValue() == SbRotation::identity() &&
           t->scaleFactor.getValue() == SbVec3f(1, 1, 1) &&
           t->scaleOrientation.getValue() == SbRotation::identity() &&
           t->center.getValue() == SbVec3f(0, 0, 0);
}

// Moves the transform part of kit into the part `into` (when it changes
// anything) and removes the part: how markers fold transforms that older
// files hold into their own placement.
inline void gspFoldTransformPart(SoBaseKit *kit, const char *part, const char *into)
{
    SoTransform *t = (SoTransform *)kit->getPart(part, FALSE);
    if (t && !gspTransformIsDefault(t))
        ((SoTransform *)kit->getPart(into, TRUE))->combineRight(t);
    kit->setPart(part, NULL);
}

// A transform part that changes nothing is left out of files.
inline void gspSkipIdentityPart(SoSFNode &part)
{
    SoNode *t = part.getValue();
    if (t && t->isOfType(SoTransform::getClassTypeId()) &&
        gspTransformIsDefault((SoTransform *)t) && !t->getName().getLength())
        part.setDefault(TRUE);
}

#endif
