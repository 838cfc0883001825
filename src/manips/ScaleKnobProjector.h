#ifndef GLOSSPIN_MANIPS_SCALEKNOBPROJECTOR_H
#define GLOSSPIN_MANIPS_SCALEKNOBPROJECTOR_H

#include <Inventor/projectors/SbLineProjector.h>

class SoScaleUniformDragger;

// The line projector of the screen-compound dragger's scaler. A knob in
// front of the centre scales along a line that runs nearly along the line
// of sight, where the toolkit's projection turns a pixel of pointer motion
// into any distance at all along the line (the scale jumped to its lower
// limit or to several times its size). For such a line the point instead
// moves along it by the pointer's motion away from the dragger's centre
// on the screen, measured at the knob's depth; other lines project as the
// toolkit does.
class GspScaleKnobProjector : public SbLineProjector {
  public:
    virtual SbVec3f project(const SbVec2f &point);
    virtual SbProjector *copy() const;

    // Puts a projector of this kind into a uniform scaler (once).
    static void install(SoScaleUniformDragger *scaler);
};

#endif
