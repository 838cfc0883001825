#include <Glosspin/SoGestureDragger.h>

#include <ctype.h>
#include <math.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoEvent.h>
#include <Inventor/fields/SoSFRotation.h>
#include <Inventor/fields/SoSFVec3f.h>
#include <Inventor/nodekits/SoNodekitCatalog.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSurroundScale.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoLocateHighlightGroup.h>

#include "init/ToolkitMacros.h"
#include "manips/ModifierKeys.h"

SO_KIT_SOURCE(SoGestureDragger);

namespace {
// Screen images shorter than this many pixels per box unit are seen end-on.
const float DEGENERATE_PIXELS = 1e-3f;
// Directions closer than this to one line (|sin| of their angle) are colinear.
const float COLINEAR_SINE = 0.05f;
}

void SoGestureDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SO__KIT_INIT_CLASS(SoGestureDragger, "GestureDragger", SoDragger);
}

SoGestureDragger::SoGestureDragger()
    : altDown(FALSE), ctrlDown(FALSE), shiftDown(FALSE), rotationAxis(-1), rotateAsDisc(TRUE),
      constrainedAxis(-1), constrained(FALSE), dragState(0), restartState(0),
      transformFields(), transformSensors(), rotationFace(0), rotationConstrained(TRUE)
{
    GSP_KIT_CONSTRUCTOR(SoGestureDragger);
    SO_KIT_INIT_INSTANCE();
    addStartCallback(&SoGestureDragger::startCB);
    addMotionCallback(&SoGestureDragger::motionCB);
    addFinishCallback(&SoGestureDragger::finishCB);
    addOtherEventCallback(&SoGestureDragger::metaKeyChangeCB);
    addValueChangedCallback(&SoGestureDragger::valueChangedCB);
}

SoGestureDragger::~SoGestureDragger()
{
    for (SoFieldSensor *s : transformSensors)
        delete s;
}

// Part-to-local of surroundScale (identity without one), then local-to-world.
SbMatrix SoGestureDragger::getBoxToWorldMatrix()
{
    SbMatrix boxToLocal = SbMatrix::identity(), localToBox = SbMatrix::identity();
    if (getNodekitCatalog()->getPartNumber("surroundScale") != SO_CATALOG_NAME_NOT_FOUND)
        getPartToLocalMatrix("surroundScale", boxToLocal, localToBox);
    SbMatrix m = boxToLocal;
    m.multRight(getLocalToWorldMatrix());
    return m;
}

SbVec3f SoGestureDragger::getBoxPointInWorldSpace(const SbVec3f &p)
{
    SbVec3f w;
    getBoxToWorldMatrix().multVecMatrix(p, w);
    return w;
}

SbVec3f SoGestureDragger::getBoxDirInWorldSpace(const SbVec3f &d)
{
    SbVec3f w;
    getBoxToWorldMatrix().multDirMatrix(d, w);
    return w;
}

SbVec3f SoGestureDragger::getWorldPointInBoxSpace(const SbVec3f &p)
{
    SbVec3f b;
    getBoxToWorldMatrix().inverse().multVecMatrix(p, b);
    return b;
}

SbVec3f SoGestureDragger::getWorldPointInPixelSpace(const SbVec3f &p)
{
    SbVec3f n;
    getViewVolume().projectToScreen(p, n);
    const SbViewportRegion &vp = getViewportRegion();
    SbVec2s origin = vp.getViewportOriginPixels(), size = vp.getViewportSizePixels();
    return SbVec3f(origin[0] + n[0] * size[0], origin[1] + n[1] * size[1], n[2]);
}

SbBool SoGestureDragger::isColinear(const SbVec2f &a, const SbVec2f &b)
{
    return fabsf(a[0] * b[1] - a[1] * b[0]) < COLINEAR_SINE;
}

void SoGestureDragger::makeMinorAxisPerpendicularIfColinear(const SbVec2f &major, SbVec2f &minor)
{
    if (!isColinear(major, minor))
        return;
    SbVec2f perpendicular(-major[1], major[0]);
    minor = perpendicular.dot(minor) < 0 ? -perpendicular : perpendicular;
}

// The allowed axis with the shortest screen image, when that image is
// degenerate (the axis points at the eye); -1 when none is.
int SoGestureDragger::getIgnoreAxis(const SbVec2f axes[3], const SbBool allowed[3])
{
    int shortest = -1;
    for (int i = 0; i < 3; i++)
        if (allowed[i] && axes[i].length() < DEGENERATE_PIXELS &&
            (shortest < 0 || axes[i].length() < axes[shortest].length()))
            shortest = i;
    return shortest;
}

int SoGestureDragger::getMouseGestureDirection(SbBool xAllowed, SbBool yAllowed, SbBool zAllowed)
{
    const SbBool allowed[3] = {xAllowed, yAllowed, zAllowed};
    SbVec3f start = getWorldStartingPoint();
    SbVec3f startPixel = getWorldPointInPixelSpace(start);
    // Screen images of the box axes, in pixels per box unit.
    SbVec2f axes[3];
    float length[3];
    for (int i = 0; i < 3; i++) {
        SbVec3f dir(0, 0, 0);
        dir[i] = 1;
        SbVec3f end = getWorldPointInPixelSpace(start + getBoxDirInWorldSpace(dir));
        axes[i].setValue(end[0] - startPixel[0], end[1] - startPixel[1]);
        length[i] = axes[i].length();
    }
    int ignore = getIgnoreAxis(axes, allowed);
    // Longer images are the major ones; the shorter of a colinear pair turns.
    int order[3] = {0, 1, 2};
    for (int i = 0; i < 3; i++)
        for (int j = i + 1; j < 3; j++)
            if (length[order[j]] > length[order[i]]) {
                int t = order[i];
                order[i] = order[j];
                order[j] = t;
            }
    for (int i = 0; i < 3; i++)
        if (length[i] > 0)
            axes[i].normalize();
    for (int i = 0; i < 3; i++)
        for (int j = i + 1; j < 3; j++)
            if (allowed[order[i]] && allowed[order[j]] && order[i] != ignore && order[j] != ignore)
                makeMinorAxisPerpendicularIfColinear(axes[order[i]], axes[order[j]]);

    SbVec2s locater = getLocaterPosition();
    SbVec2f gesture(locater[0] - startPixel[0], locater[1] - startPixel[1]);
    if (gesture.length() > 0)
        gesture.normalize();
    int best = -1;
    float bestDot = -1;
    for (int i = 0; i < 3; i++) {
        if (!allowed[i] || i == ignore)
            continue;
        float d = fabsf(axes[i].dot(gesture));
        if (d > bestDot) {
            best = i;
            bestDot = d;
        }
    }
    if (best < 0)  // only end-on axes allowed
        for (int i = 0; i < 3 && best < 0; i++)
            if (allowed[i])
                best = i;
    return best < 0 ? 0 : best;
}

int SoGestureDragger::getStateFromPick(const char *const knobs[], const int states[], int count)
{
    const SoFullPath *pick = (const SoFullPath *)getPickPath();
    int k = pick ? pick->getLength() : 0;
    for (int i = 0; pick && i < pick->getLength(); i++)
        if (pick->getNode(i) == this)
            k = i + 1;
    for (; pick && k < pick->getLength(); k++) {
        SoNode *n = pick->getNode(k);
        if (!n->isOfType(SoLocateHighlightGroup::getClassTypeId()))
            continue;
        for (int j = 0; j < count; j++) {
            SbString group(knobs[j]);
            group += "LocateGroup";
            if (getAnyPart(SbName(group), FALSE) == n)
                return states ? states[j] : j + 1;
        }
        break;
    }
    const SbName &surrogate = getSurrogatePartPickedName();
    for (int j = 0; j < count; j++)
        if (surrogate == knobs[j])
            return states ? states[j] : j + 1;
    return 0;
}

SbVec3f SoGestureDragger::startLocal(const SbVec3f &world)
{
    SbVec3f local;
    startLocalToWorld.inverse().multVecMatrix(world, local);
    return local;
}

// The projectors work in the local space of the drag's start, the space
// the start motion matrix leads to.
void SoGestureDragger::rotateInit(int faceAxis, const SbVec3f &centre, SbBool constrained)
{
    startLocalToWorld = getLocalToWorldMatrix();
    rotationFace = faceAxis;
    rotationConstrained = constrained;
    rotationCentre = startLocal(getBoxPointInWorldSpace(centre));
    rotationStart = startLocal(getWorldStartingPoint());
    if (constrained)
        return;
    float radius = (rotationStart - rotationCentre).length();
    sphereProj.setSphere(SbSphere(rotationCentre, radius > 0 ? radius : 1));
    sphereProj.setViewVolume(getViewVolume());
    sphereProj.setWorkingSpace(startLocalToWorld);
    rotationStart = sphereProj.project(getNormalizedLocaterPosition());
}

// The box axis across the gesture within the face: of the face's two
// axes, the one the pointer did not follow.
int SoGestureDragger::getConstrainedRotationAxis()
{
    int a = (rotationFace + 1) % 3, b = (rotationFace + 2) % 3;
    SbBool allowed[3] = {FALSE, FALSE, FALSE};
    allowed[a] = allowed[b] = TRUE;
    int followed = getMouseGestureDirection(allowed[0], allowed[1], allowed[2]);
    return followed == a ? b : a;
}

SbBool SoGestureDragger::getShouldRotateAsDisc(float minDiscRotDot)
{
    SbVec3f axis(0, 0, 0), centre, toCentre;
    axis[rotationAxis] = 1;
    axis = getBoxDirInWorldSpace(axis);
    startLocalToWorld.multVecMatrix(rotationCentre, centre);
    const SbViewVolume &vv = getViewVolume();
    toCentre = vv.getProjectionType() == SbViewVolume::ORTHOGRAPHIC
                   ? vv.getProjectionDirection()
                   : centre - vv.getProjectionPoint();
    axis.normalize();
    toCentre.normalize();
    return fabsf(toCentre.dot(axis)) > minDiscRotDot;
}

SbBool SoGestureDragger::rotateDrag(float minDiscRotDot)
{
    SbVec2f locater = getNormalizedLocaterPosition();
    SbRotation turn;
    SbVec3f p;
    if (!rotationConstrained) {
        p = sphereProj.project(locater);
        turn = sphereProj.getRotation(rotationStart, p);
    } else {
        SbVec3f axis(0, 0, 0);
        if (rotationAxis < 0) {
            if (!isAdequateConstraintMotion())
                return FALSE;
            rotationAxis = getConstrainedRotationAxis();
            rotateAsDisc = getShouldRotateAsDisc(minDiscRotDot);
        }
        axis[rotationAxis] = 1;
        startLocalToWorld.inverse().multDirMatrix(getBoxDirInWorldSpace(axis), axis);
        axis.normalize();
        SbProjector *proj = rotateAsDisc ? (SbProjector *)&discProj : (SbProjector *)&cylinderProj;
        if (rotateAsDisc) {
            discProj.setPlane(SbPlane(axis, rotationStart));
        } else {
            SbLine line(rotationCentre, rotationCentre + axis);
            float radius = (rotationStart - line.getClosestPoint(rotationStart)).length();
            cylinderProj.setCylinder(SbCylinder(line, radius > 0 ? radius : 1));
        }
        proj->setViewVolume(getViewVolume());
        proj->setWorkingSpace(startLocalToWorld);
        p = rotateAsDisc ? discProj.project(locater) : cylinderProj.project(locater);
        if (rotateAsDisc) {
            SbVec3f from = rotationStart - rotationCentre, to = p - rotationCentre;
            from -= axis * from.dot(axis);
            to -= axis * to.dot(axis);
            turn = SbRotation(from, to);
        } else {
            turn = cylinderProj.getRotation(rotationStart, p);
        }
    }
    startLocalToWorld.multVecMatrix(p, lastWorldPoint);
    setMotionMatrix(appendRotation(getStartMotionMatrix(), turn, rotationCentre));
    return TRUE;
}

// The finish callbacks clear the state; the new drag takes it up again.
void SoGestureDragger::metaKeyChangeCB(void *, SoDragger *d)
{
    SoGestureDragger *self = (SoGestureDragger *)d;
    int state = self->dragState;
    gspRestartDragOnModifierChange(d, self->lastWorldPoint, [&] { self->restartState = state; });
}

void SoGestureDragger::setTransformFields(SoSFVec3f *translation, SoSFRotation *rotation,
                                          SoSFVec3f *scaleFactor)
{
    transformFields[0] = translation;
    transformFields[1] = rotation;
    transformFields[2] = scaleFactor;
    for (int i = 0; i < 3; i++) {
        transformSensors[i] = new SoFieldSensor(&SoGestureDragger::fieldSensorCB, this);
        transformSensors[i]->setPriority(0);
    }
}

SbBool SoGestureDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    if (onOff) {
        inherited::setUpConnections(onOff, doItAlways);
        if (transformFields[0]) {
            fieldSensorCB(this, NULL);
            for (int i = 0; i < 3; i++)
                if (transformSensors[i]->getAttachedField() != transformFields[i])
                    transformSensors[i]->attach(transformFields[i]);
        }
    } else {
        for (int i = 0; i < 3 && transformFields[0]; i++)
            if (transformSensors[i]->getAttachedField())
                transformSensors[i]->detach();
        inherited::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

void SoGestureDragger::startCB(void *, SoDragger *d)
{
    ((SoGestureDragger *)d)->dragStart();
}

void SoGestureDragger::motionCB(void *, SoDragger *d)
{
    ((SoGestureDragger *)d)->drag();
}

void SoGestureDragger::finishCB(void *, SoDragger *d)
{
    ((SoGestureDragger *)d)->dragFinish();
}

// The fields from the motion matrix, each set only when it differs, with
// their sensors detached meanwhile.
void SoGestureDragger::motionToFields()
{
    SbVec3f t, s;
    SbRotation r, so;
    getMotionMatrix().getTransform(t, r, s, so);
    for (int i = 0; i < 3; i++)
        transformSensors[i]->detach();
    SoSFVec3f *translation = (SoSFVec3f *)transformFields[0];
    SoSFRotation *rotation = (SoSFRotation *)transformFields[1];
    SoSFVec3f *scaleFactor = (SoSFVec3f *)transformFields[2];
    if (translation->getValue() != t)
        translation->setValue(t);
    if (rotation->getValue() != r)
        rotation->setValue(r);
    if (scaleFactor->getValue() != s)
        scaleFactor->setValue(s);
    for (int i = 0; i < 3; i++)
        transformSensors[i]->attach(transformFields[i]);
}

void SoGestureDragger::valueChangedCB(void *, SoDragger *d)
{
    SoGestureDragger *self = (SoGestureDragger *)d;
    if (!self->transformFields[0])
        return;
    if (self->connectionsSetUp)
        self->motionToFields();
    self->transformChanged();
}

void SoGestureDragger::fieldSensorCB(void *data, SoSensor *)
{
    SoGestureDragger *self = (SoGestureDragger *)data;
    SbMatrix motion = self->getMotionMatrix();
    self->workFieldsIntoTransform(motion);
    self->setMotionMatrix(motion);  // the value-changed callback follows
}

SbBool SoGestureDragger::beginDragState(const char *const knobs[], const int states[], int count)
{
    invalidateSurroundScale();
    const SoEvent *e = getEvent();
    altDown = gspAltDown(e);
    ctrlDown = e->wasCtrlDown();
    shiftDown = e->wasShiftDown();
    SbBool restart = restartState != 0;
    dragState = restart ? restartState : getStateFromPick(knobs, states, count);
    restartState = 0;
    return restart;
}

void SoGestureDragger::invalidateSurroundScale()
{
    if (SoSurroundScale *ss = (SoSurroundScale *)getAnyPart("surroundScale", FALSE))
        ss->invalidate();
}

namespace {
SbName suffixed(const char *name, const char *suffix)
{
    SbString s(name);
    s += suffix;
    return SbName(s);
}

// prefix + name with the name's first letter raised: "box" + "scale1".
SbName resourceName(const char *prefix, const char *name, const char *suffix = "")
{
    SbString s(prefix);
    char first[2] = {(char)toupper((unsigned char)name[0]), '\0'};
    s += first;
    s += name + 1;
    s += suffix;
    return SbName(s);
}
}

void SoGestureDragger::setKnobDefaults(const char *const knobs[], int count, const char *prefix,
                                       const char *locateMaterial)
{
    SoNode *m = SoNode::getByName(locateMaterial);
    for (int i = 0; i < count; i++) {
        setPartAsDefault(knobs[i], resourceName(prefix, knobs[i]));
        setPartAsDefault(suffixed(knobs[i], "Active"), resourceName(prefix, knobs[i], "Active"));
        SoLocateHighlightGroup *g =
            (SoLocateHighlightGroup *)getAnyPart(suffixed(knobs[i], "LocateGroup"), TRUE);
        if (m && m->isOfType(SoMaterial::getClassTypeId())) {
            g->emissiveColor = ((SoMaterial *)m)->emissiveColor[0];
            g->diffuseColor = ((SoMaterial *)m)->diffuseColor[0];
            // The resource's colours, not the user's: they stay out of files.
            g->emissiveColor.setDefault(TRUE);
            g->diffuseColor.setDefault(TRUE);
        }
    }
}

void SoGestureDragger::setPartDefaults(const char *const parts[], int count, const char *prefix)
{
    for (int i = 0; i < count; i++)
        setPartAsDefault(parts[i], resourceName(prefix, parts[i]));
}

void SoGestureDragger::setKnobSwitch(const char *knob, int which)
{
    if (knob)
        setPartSwitch(suffixed(knob, "Switch").getString(), which);
}

void SoGestureDragger::setPartSwitch(const char *part, int which)
{
    SoSwitch *sw = (SoSwitch *)getAnyPart(part, TRUE);
    if (sw->whichChild.getValue() != which)
        sw->whichChild = which;
}

void SoGestureDragger::setKnobLocateHighlighting(const char *const knobs[], int count,
                                                 SbBool onOff)
{
    for (int i = 0; i < count; i++)
        ((SoLocateHighlightGroup *)getAnyPart(suffixed(knobs[i], "LocateGroup"), TRUE))->onOff =
            onOff;
}

// Each axis scaled by how far the pointer's point p has moved from the
// fixed point f, against the grabbed point s (box space); at least the
// toolkit's smallest scale. The scale happens in box space about f.
void SoGestureDragger::appendBoxScale(const SbVec3f &f, const SbVec3f &s, const SbVec3f &p)
{
    SbVec3f factor(1, 1, 1);
    for (int i = 0; i < 3; i++) {
        if (fabsf(p[i] - f[i]) > 1e-5f && fabsf(s[i] - f[i]) > 1e-5f)
            factor[i] = (p[i] - f[i]) / (s[i] - f[i]);
        if (factor[i] < getMinScale())
            factor[i] = getMinScale();
    }
    SbMatrix boxToLocal = SbMatrix::identity(), localToBox = SbMatrix::identity();
    if (getAnyPart("surroundScale", FALSE))
        getPartToLocalMatrix("surroundScale", boxToLocal, localToBox);
    SbMatrix scale, move, m = localToBox;
    move.setTranslate(-f);
    m.multRight(move);
    scale.setScale(factor);
    m.multRight(scale);
    move.setTranslate(f);
    m.multRight(move);
    m.multRight(boxToLocal);
    m.multRight(getStartMotionMatrix());
    setMotionMatrix(m);
}

// A turn about one box axis on a disc across it, with no wait for the
// pointer's motion.
void SoGestureDragger::rotateInitAboutAxis(int axis, const SbVec3f &centre)
{
    rotateInit(axis, centre, TRUE);
    rotationAxis = axis;
    rotateAsDisc = TRUE;
}

void SoGestureDragger::beginBoxDrag()
{
    startBoxToWorld = getBoxToWorldMatrix();
    startPoint = lastWorldPoint = getWorldStartingPoint();
}

SbVec3f SoGestureDragger::startBoxPoint(const SbVec3f &world) const
{
    SbVec3f b;
    startBoxToWorld.inverse().multVecMatrix(world, b);
    return b;
}

SbVec3f SoGestureDragger::startWorldPoint(const SbVec3f &box) const
{
    SbVec3f w;
    startBoxToWorld.multVecMatrix(box, w);
    return w;
}

SbVec3f SoGestureDragger::startBoxAxis(int axis) const
{
    SbVec3f d(0, 0, 0), w;
    d[axis] = 1;
    startBoxToWorld.multDirMatrix(d, w);
    w.normalize();
    return w;
}

// On the plane through the grabbed point across the box axis; along the
// axis itself when asked.
void SoGestureDragger::translateInit(int normalAxis)
{
    SbVec3f n = startBoxAxis(normalAxis);
    planeProj.setPlane(SbPlane(n, startPoint));
    lineProj.setLine(SbLine(startPoint, startPoint + n));
}

void SoGestureDragger::translateDrag(int normalAxis, SbBool alongNormal)
{
    planeProj.setViewVolume(getViewVolume());
    planeProj.setWorkingSpace(SbMatrix::identity());
    lineProj.setViewVolume(getViewVolume());
    lineProj.setWorkingSpace(SbMatrix::identity());
    SbVec3f p;
    if (alongNormal) {
        p = lineProj.project(getNormalizedLocaterPosition());
        planeProj.setPlane(SbPlane(planeProj.getPlane().getNormal(), p));
    } else {
        p = planeProj.project(getNormalizedLocaterPosition());
    }
    lastWorldPoint = p;
    SbVec3f m = p - startPoint;
    if (constrained && !alongNormal) {
        if (constrainedAxis < 0) {
            if (!isAdequateConstraintMotion())
                return;
            constrainedAxis = getMouseGestureDirection(normalAxis != 0, normalAxis != 1,
                                                       normalAxis != 2);
        }
        SbVec3f axis = startBoxAxis(constrainedAxis);
        m = axis * m.dot(axis);
    }
    SbVec3f local;
    getWorldToLocalMatrix().multDirMatrix(m, local);
    setMotionMatrix(appendTranslation(getStartMotionMatrix(), local));
}

// Along the line from the box's centre through the grabbed point.
void SoGestureDragger::scaleInit()
{
    lineProj.setLine(SbLine(startWorldPoint(SbVec3f(0, 0, 0)), startPoint));
}

void SoGestureDragger::scaleDrag(const SbVec3f &fixed, SbBool xAllowed, SbBool yAllowed,
                                 SbBool zAllowed)
{
    if (constrained && constrainedAxis < 0) {
        if (!isAdequateConstraintMotion())
            return;
        constrainedAxis = getMouseGestureDirection(xAllowed, yAllowed, zAllowed);
    }
    SbVec3f s = startBoxPoint(startPoint), f = fixed;
    if (constrainedAxis >= 0) {
        SbVec3f onAxis = s;
        onAxis[constrainedAxis] = f[constrainedAxis];
        f = onAxis;
    }
    lineProj.setLine(SbLine(startWorldPoint(f), startPoint));
    lineProj.setViewVolume(getViewVolume());
    lineProj.setWorkingSpace(SbMatrix::identity());
    lastWorldPoint = lineProj.project(getNormalizedLocaterPosition());
    appendBoxScale(f, s, startBoxPoint(lastWorldPoint));
}
