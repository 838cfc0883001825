#include "manips/ScaleKnobProjector.h"

#include <Inventor/draggers/SoScaleUniformDragger.h>


#include <map>

namespace {

// Lines closer to the line of sight than this (the sine of the angle
// between them) take the screen-motion rule.
const float ALONG_SIGHT = 0.3f;

// The drag under way. Only one drag runs at a time, and the projector
// keeps no members of its own: the scaler deletes it as a line projector.
struct Drag {
    bool active = false;  // between the first projection and the finish
    SbLine line;          // the scaling line the drag started with
    bool alongSight = false;
    // In world space: where the knob was grabbed, the line's direction,
    // the start ray's direction, the unit screen direction away from the
    // centre, and the knob's distance from the centre.
    SbVec3f start, direction, sight, outward;
    float distance = 0;
    bool centred = false; // the knob hides the centre: out is where the
                          // pointer first goes
} drag;

// A knob this close to the line of sight through the centre (its offset
// on the screen against its distance) hides the centre.
const float CENTRED = 0.05f;

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
    // In world space: the scaler's working space takes in the scale as
    // it changes during the drag.
    SbLine ray;
    viewVol.projectPointToLine(point, ray);
    if (!drag.active || !sameLine(line, drag.line)) {  // a new drag
        drag.active = true;
        drag.line = line;
        drag.sight = ray.getDirection();
        SbVec3f centre, grabbed, d;
        workingToWorld.multVecMatrix(line.getPosition(), centre);
        workingToWorld.multDirMatrix(line.getDirection(), d);
        d.normalize();
        drag.alongSight = d.cross(drag.sight).length() < ALONG_SIGHT;
        auto it = scalers.find(this);
        SbVec3f local = it != scalers.end() ? it->second->getLocalStartingPoint()
                                            : line.getPosition();
        workingToWorld.multVecMatrix(line.getClosestPoint(local), grabbed);
        drag.start = grabbed;
        drag.direction = d;
        drag.distance = (grabbed - centre).length();
        SbVec3f off = grabbed - centre;
        drag.outward = off - drag.sight * off.dot(drag.sight);
        drag.centred = drag.outward.length() <= CENTRED * drag.distance;
        if (!drag.centred)
            drag.outward.normalize();
    }
    if (!drag.alongSight)
        return SbLineProjector::project(point);
    // The pointer's motion in the plane through the start point facing the
    // start ray; its outward part is the motion along the line.
    SbVec3f onPlane;
    if (!SbPlane(drag.sight, drag.start).intersect(ray, onPlane))
        onPlane = drag.start;
    SbVec3f moved = onPlane - drag.start;
    if (drag.centred) {
        // Out is the way the pointer first goes clearly off the knob's
        // place: a tenth of the knob's distance from the centre.
        if (moved.length() < 0.1f * drag.distance)
            moved = SbVec3f(0, 0, 0);
        else {
            drag.outward = moved;
            drag.outward.normalize();
            drag.centred = false;
        }
    }
    SbVec3f world = drag.start + drag.direction * (drag.centred ? 0 : moved.dot(drag.outward));
    worldToWorking.multVecMatrix(world, lastPoint);
    return lastPoint = line.getClosestPoint(lastPoint);
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
    scaler->addFinishCallback([](void *, SoDragger *) { drag.active = false; });
}
