#include "manips/ScaleKnobProjector.h"

#include <Inventor/draggers/SoScaleUniformDragger.h>

#include <math.h>

#include <map>

namespace {

// Lines closer to the line of sight than this (the sine of the angle
// between them) take the screen-motion rule.
const float ALONG_SIGHT = 0.3f;

// The drag under way. Only one drag runs at a time, and the projector
// keeps no members of its own: the scaler deletes it as a line projector.
struct Drag {
    SbLine line;          // the scaling line the drag started with
    bool alongSight = false;
    SbVec3f start;        // the point on the line at the start
    SbVec3f sight;        // the start ray's direction
    SbVec3f outward;      // unit screen direction away from the centre
} drag;

bool sameLine(const SbLine &a, const SbLine &b)
{
    return a.getPosition() == b.getPosition() && a.getDirection() == b.getDirection();
}

// The scaler each projector serves, for the point its drag started at:
// on a line along the line of sight, the pointer's ray cannot tell where
// on the line the knob was grabbed.
std::map<const GspScaleKnobProjector *, SoScaleUniformDragger *> scalers;

// Access to the scaler's projector, a protected member of the toolkit's
// class, through a member pointer taken in a derived class.
struct ScalerAccess : SoScaleUniformDragger {
    static SbLineProjector *SoScaleUniformDragger::*projector()
    {
        return &ScalerAccess::lineProj;
    }
};

}

SbVec3f GspScaleKnobProjector::project(const SbVec2f &point)
{
    SbLine ray = getWorkingLine(point);
    if (!sameLine(line, drag.line)) {  // a new drag
        drag.line = line;
        drag.sight = ray.getDirection();
        SbVec3f d = line.getDirection();
        drag.alongSight = d.cross(drag.sight).length() < ALONG_SIGHT;
        auto it = scalers.find(this);
        SbVec3f grabbed = it != scalers.end() ? it->second->getLocalStartingPoint()
                                              : line.getPosition();
        drag.start = line.getClosestPoint(grabbed);
        SbVec3f off = drag.start - line.getPosition();
        drag.outward = off - drag.sight * off.dot(drag.sight);
        if (drag.outward.length() < 1e-4f * (off.length() + 1e-6f)) {
            // Right in front of the centre: up the screen counts as out.
            SbVec3f up = fabsf(drag.sight[1]) < 0.9f ? SbVec3f(0, 1, 0) : SbVec3f(1, 0, 0);
            drag.outward = up - drag.sight * up.dot(drag.sight);
        }
        drag.outward.normalize();
    }
    if (!drag.alongSight)
        return SbLineProjector::project(point);
    // The pointer's motion in the plane through the start point facing the
    // start ray; its outward part is the motion along the line.
    SbVec3f onPlane;
    if (!SbPlane(drag.sight, drag.start).intersect(ray, onPlane))
        return lastPoint = drag.start;
    float along = (onPlane - drag.start).dot(drag.outward);
    return lastPoint = drag.start + line.getDirection() * along;
}

SbProjector *GspScaleKnobProjector::copy() const
{
    return new GspScaleKnobProjector(*this);
}

void GspScaleKnobProjector::install(SoScaleUniformDragger *scaler)
{
    SbLineProjector *&current = scaler->*ScalerAccess::projector();
    if (dynamic_cast<GspScaleKnobProjector *>(current))
        return;
    GspScaleKnobProjector *mine = new GspScaleKnobProjector;
    if (current) {
        mine->setViewVolume(current->getViewVolume());
        mine->setWorkingSpace(current->getWorkingSpace());
        mine->setLine(current->getLine());
    }
    // Same size as the toolkit's projector and nothing of its own to
    // destroy: the scaler's delete of a line projector frees it.
    static_assert(sizeof(GspScaleKnobProjector) == sizeof(SbLineProjector),
                  "the scaler deletes its projector as a line projector");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
    delete current;
#pragma GCC diagnostic pop
    current = mine;
    scalers[mine] = scaler;
}
