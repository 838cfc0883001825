#include <Glosspin/ZnArrowDragger.h>

#include <initializer_list>

#include <Inventor/SoInteraction.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/draggers/SoRotateSphericalDragger.h>
#include <Inventor/draggers/SoTranslate1Dragger.h>
#include <Inventor/events/SoEvent.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoRotation.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowDetail.h>

#include "init/FullPath.h"
#include "init/ToolkitMacros.h"
#include "manips/ModifierKeys.h"

// The compiled-in copy of znArrowDragger.iv, in binary form.
extern const unsigned char gspArrowDraggerGeometry[];
extern const int gspArrowDraggerGeometry_size;

SO_KIT_SOURCE(ZnArrowDragger);

namespace {

const char *const PREFIXES[] = {"arrow", "lineArrow", "pushpin"};

SbString partName(int type, const char *suffix)
{
    SbString s(PREFIXES[type]);
    s += suffix;
    return s;
}

// "child.part", a child dragger's part.
SbName childPart(const char *child, const char *part)
{
    SbString s(child);
    s += ".";
    s += part;
    return SbName(s);
}

// Every node of the given name below root.
SoPathList *findAll(SoNode *root, const char *name)
{
    SoSearchAction sa;
    sa.setName(name);
    sa.setInterest(SoSearchAction::ALL);
    sa.setSearchingAll(TRUE);
    sa.apply(root);
    return new SoPathList(sa.getPaths());
}

void connectTranslations(SoNode *root, const char *name, SoTranslation *from)
{
    SoPathList *paths = findAll(root, name);
    for (int i = 0; i < paths->getLength(); i++) {
        SoNode *n = (*paths)[i]->getTail();
        if (n->isOfType(SoTranslation::getClassTypeId()))
            ((SoTranslation *)n)->translation.connectFrom(&from->translation);
    }
    delete paths;
}

void connectScales(SoNode *root, const char *name, SoSFVec3f *from)
{
    SoPathList *paths = findAll(root, name);
    for (int i = 0; i < paths->getLength(); i++) {
        SoNode *n = (*paths)[i]->getTail();
        if (n->isOfType(SoScale::getClassTypeId()))
            ((SoScale *)n)->scaleFactor.connectFrom(from);
    }
    delete paths;
}

}

void ZnArrowDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();  // the dragger base
    ZnArrow::initClass();
    SoLocateHighlightGroup::initClass();
    SO__KIT_INIT_CLASS(ZnArrowDragger, "ZnArrowDragger", SoDragger);
}

ZnArrowDragger::ZnArrowDragger()
    : pickAction(NULL), attachedPath(NULL), translating(FALSE), stretching(FALSE),
      startLength(0), startScale(1)
{
    GSP_KIT_CONSTRUCTOR(ZnArrowDragger);

    SO_KIT_ADD_CATALOG_ENTRY(stretcherSep, SoSeparator, FALSE, topSeparator, geomSeparator, FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(stretcherRotFromRot, SoRotation, TRUE, stretcherSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(stretcherRotAxis, SoRotation, TRUE, stretcherSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(stretcher, SoTranslate1Dragger, TRUE, stretcherSep, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(rotatorSep, SoSeparator, FALSE, topSeparator, geomSeparator, FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(rotatorTrans, SoTranslation, TRUE, rotatorSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(rotator, SoRotateSphericalDragger, TRUE, rotatorSep, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorSep, SoSeparator, FALSE, topSeparator, geomSeparator,
                             FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorRot, SoRotation, TRUE, translatorSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorSwitch, SoSwitch, FALSE, translatorSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translator, SoSeparator, TRUE, translatorSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorActive, SoSeparator, TRUE, translatorSwitch, , TRUE);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("znArrowDragger.iv", gspArrowDraggerGeometry,
                         gspArrowDraggerGeometry_size);

    SO_KIT_ADD_FIELD(arrowLength, (4.0f));
    SO_KIT_ADD_FIELD(rotation, (SbRotation::identity()));
    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(scaleFactor, (1, 1, 1));
    SO_KIT_ADD_FIELD(arrowType, (ZnArrow::ARROW));
    // Without names the toolkit can write no value but 0.
    SO_KIT_DEFINE_ENUM_VALUE(ArrowType, ARROW);
    SO_KIT_DEFINE_ENUM_VALUE(ArrowType, LINE_ARROW);
    SO_KIT_DEFINE_ENUM_VALUE(ArrowType, PUSHPIN);
    GSP_NODE_SET_SF_ENUM_TYPE(arrowType, ArrowType);
    SO_KIT_INIT_INSTANCE();

    SO_GET_ANY_PART(this, "rotator", SoRotateSphericalDragger);
    SO_GET_ANY_PART(this, "stretcher", SoTranslate1Dragger);
    SoRotation *axis = new SoRotation;
    axis->rotation = SbRotation(SbVec3f(0, 0, 1), 1.570796f);
    setAnyPart("stretcherRotAxis", axis);
    SoRotation *fromRot = new SoRotation, *headRot = new SoRotation;
    fromRot->rotation.connectFrom(&rotation);
    headRot->rotation.connectFrom(&rotation);
    setAnyPart("stretcherRotFromRot", fromRot);
    setAnyPart("translatorRot", headRot);
    SO_GET_ANY_PART(this, "translator", SoSeparator);
    setSwitchValue(SO_GET_ANY_PART(this, "translatorSwitch", SoSwitch), 0);

    lengthTranslation = new SoTranslation;
    lengthTranslation->ref();
    lengthTranslation->translation = SbVec3f(arrowLength.getValue(), 0, 0);
    minusDraggerTranslation = new SoTranslation;
    minusDraggerTranslation->ref();
    for (SoNode *&g : geometry)
        g = NULL;
    targetRoot = new SoSeparator;
    targetRoot->ref();
    targetRoot->addChild(new SoPerspectiveCamera);

    addStartCallback(&ZnArrowDragger::startCB);
    addMotionCallback(&ZnArrowDragger::motionCB);
    addFinishCallback(&ZnArrowDragger::finishCB);
    addOtherEventCallback(&ZnArrowDragger::metaKeyChangeCB);

    rotSensor = new SoFieldSensor(&ZnArrowDragger::rotFieldCB, this);
    lengthSensor = new SoFieldSensor(&ZnArrowDragger::lengthFieldCB, this);
    translSensor = new SoFieldSensor(&ZnArrowDragger::translFieldCB, this);
    rotSensor->setPriority(0);
    lengthSensor->setPriority(0);
    translSensor->setPriority(0);
    setUpConnections(TRUE, TRUE);
}

ZnArrowDragger::~ZnArrowDragger()
{
    for (SoNode *g : geometry)
        if (g)
            g->unref();
    lengthTranslation->unref();
    minusDraggerTranslation->unref();
    targetRoot->unref();
    delete pickAction;
    if (attachedPath)
        attachedPath->unref();
    delete rotSensor;
    delete lengthSensor;
    delete translSensor;
}

void ZnArrowDragger::setArrowType(int type)
{
    if (type < ZnArrow::ARROW || type > ZnArrow::PUSHPIN)
        type = ZnArrow::ARROW;
    if (type == arrowType.getValue())
        return;
    setUpConnections(FALSE, TRUE);
    arrowType = type;
    setUpConnections(TRUE, TRUE);
}

void ZnArrowDragger::setAttachedPath(SoPath *path)
{
    if (attachedPath)
        attachedPath->unref();
    attachedPath = path ? path->copy() : NULL;
    if (attachedPath)
        attachedPath->ref();
}

void ZnArrowDragger::addTargetNode(SoNode *node)
{
    if (node)
        targetRoot->addChild(node);
}

void ZnArrowDragger::clearTargetNodes()
{
    while (targetRoot->getNumChildren() > 1)
        targetRoot->removeChild(1);
}

// A referenced copy of a named knob part, its driven nodes connected to
// the arrow length, the scale factor and the stretch offset; NULL when
// the geometry has no part of that name.
SoNode *ZnArrowDragger::knobCopy(const SbString &name, int slot)
{
    SoNode *original = SoNode::getByName(name.getString());
    if (!original)
        return NULL;
    SoNode *copy = original->copy();
    copy->ref();
    connectTranslations(copy, "STRETCHER_TRANSLATE_MINUS_DRAGGER", minusDraggerTranslation);
    connectTranslations(copy, "STRETCHER_TRANSLATE_ARROW_LENGTH", lengthTranslation);
    connectTranslations(copy, "ROTATOR_TRANSLATE_ARROW_LENGTH", lengthTranslation);
    for (const char *scale : {"STRETCHER_SCALE", "ROTATOR_SCALE", "TRANSLATOR_SCALE"})
        connectScales(copy, scale, &scaleFactor);
    geometry[slot] = copy;
    return copy;
}

void ZnArrowDragger::connectKnobs()
{
    int type = arrowType.getValue();
    if (type < ZnArrow::ARROW || type > ZnArrow::PUSHPIN)
        type = ZnArrow::ARROW;
    struct Knob {
        int slot;
        const char *part, *suffix;
    };
    const Knob knobs[] = {
        {0, "stretcher.translator", "Stretcher"},
        {1, "stretcher.translatorActive", "StretcherActive"},
        {2, "rotator.rotator", "Rotator"},
        {3, "rotator.rotatorActive", "RotatorActive"},
        {4, "translator", "Translator"},
        {5, "translatorActive", "TranslatorActive"},
    };
    for (const Knob &k : knobs)
        if (SoNode *copy = knobCopy(partName(type, k.suffix), k.slot))
            setAnyPartAsDefault(k.part, copy, TRUE, FALSE);
    // Feedback parts only where the geometry names them.
    const char *const feedback[][3] = {
        {"stretcher", "feedback", "StretcherFeedback"},
        {"stretcher", "feedbackActive", "StretcherFeedbackActive"},
        {"rotator", "feedback", "RotatorFeedback"},
        {"rotator", "feedbackActive", "RotatorFeedbackActive"},
    };
    for (const auto &f : feedback) {
        SbString name = partName(type, f[2]);
        if (SoNode::getByName(name.getString()))
            setAnyPartAsDefault(childPart(f[0], f[1]), SbName(name));
    }
}

void ZnArrowDragger::disconnectKnobs()
{
    for (SoNode *&g : geometry)
        if (g) {
            g->unref();
            g = NULL;
        }
}

SbBool ZnArrowDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    SoDragger *s = (SoDragger *)getAnyPart("stretcher", FALSE);
    SoDragger *r = (SoDragger *)getAnyPart("rotator", FALSE);
    if (onOff) {
        SoDragger::setUpConnections(onOff, doItAlways);
        connectKnobs();
        if (s) {
            registerChildDraggerMovingIndependently(s);
            s->addStartCallback(&ZnArrowDragger::stretcherStartCB, this);
            s->addFinishCallback(&ZnArrowDragger::stretcherFinishCB, this);
            s->addValueChangedCallback(&ZnArrowDragger::stretcherChangedCB, this);
        }
        if (r) {
            registerChildDraggerMovingIndependently(r);
            r->addValueChangedCallback(&ZnArrowDragger::rotatorChangedCB, this);
        }
        rotFieldCB(this, NULL);
        lengthFieldCB(this, NULL);
        translFieldCB(this, NULL);
        rotSensor->attach(&rotation);
        lengthSensor->attach(&arrowLength);
        translSensor->attach(&translation);
    } else {
        disconnectKnobs();
        if (s) {
            unregisterChildDraggerMovingIndependently(s);
            s->removeStartCallback(&ZnArrowDragger::stretcherStartCB, this);
            s->removeFinishCallback(&ZnArrowDragger::stretcherFinishCB, this);
            s->removeValueChangedCallback(&ZnArrowDragger::stretcherChangedCB, this);
        }
        if (r) {
            unregisterChildDraggerMovingIndependently(r);
            r->removeValueChangedCallback(&ZnArrowDragger::rotatorChangedCB, this);
        }
        if (rotSensor->getAttachedField())
            rotSensor->detach();
        if (lengthSensor->getAttachedField())
            lengthSensor->detach();
        if (translSensor->getAttachedField())
            translSensor->detach();
        SoDragger::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

void ZnArrowDragger::setDefaultOnNonWritingFields()
{
    SoDragger::setDefaultOnNonWritingFields();
}

// Field sensors.

void ZnArrowDragger::rotFieldCB(void *data, SoSensor *)
{
    ZnArrowDragger *self = (ZnArrowDragger *)data;
    SoRotateSphericalDragger *r = (SoRotateSphericalDragger *)self->getAnyPart("rotator", FALSE);
    if (r && !(r->rotation.getValue() == self->rotation.getValue()))
        r->rotation = self->rotation.getValue();
}

void ZnArrowDragger::lengthFieldCB(void *data, SoSensor *)
{
    ZnArrowDragger *self = (ZnArrowDragger *)data;
    self->lengthTranslation->translation = SbVec3f(self->arrowLength.getValue(), 0, 0);
}

void ZnArrowDragger::translFieldCB(void *data, SoSensor *)
{
    ZnArrowDragger *self = (ZnArrowDragger *)data;
    SbMatrix m;
    m.setTranslate(self->translation.getValue());
    if (!(m == self->getMotionMatrix()))
        self->setMotionMatrix(m);
}

// The rotator.

void ZnArrowDragger::rotatorChangedCB(void *data, SoDragger *)
{
    ((ZnArrowDragger *)data)->rotatorDrag();
}

void ZnArrowDragger::rotatorDrag()
{
    SoRotateSphericalDragger *r = (SoRotateSphericalDragger *)getAnyPart("rotator", FALSE);
    if (!r)
        return;
    rotSensor->detach();
    if (!(rotation.getValue() == r->rotation.getValue()))
        rotation = r->rotation.getValue();
    rotSensor->attach(&rotation);
}

// The stretcher.

void ZnArrowDragger::stretcherStartCB(void *data, SoDragger *)
{
    ((ZnArrowDragger *)data)->stretcherDragStart();
}

void ZnArrowDragger::stretcherChangedCB(void *data, SoDragger *)
{
    ((ZnArrowDragger *)data)->stretcherDrag();
}

void ZnArrowDragger::stretcherFinishCB(void *data, SoDragger *)
{
    ((ZnArrowDragger *)data)->stretcherDragFinish();
}

void ZnArrowDragger::stretcherDragStart()
{
    if (translating)
        return;
    stretching = TRUE;
    SoDragger *s = (SoDragger *)getAnyPart("stretcher", FALSE);
    const SbName &surrogate = s->getSurrogatePartPickedName();
    const SoPath *path = s->getPickPath();
    // The arrow may be a part inside a node kit: the full path ends at it.
    if ((surrogate == "translator" || surrogate == "translatorActive") && path &&
        gspFullTail(path)->isOfType(ZnArrow::getClassTypeId())) {
        SoHandleEventAction *ha = s->getHandleEventAction();
        const SoPickedPoint *pp = ha ? ha->getPickedPoint() : NULL;
        const ZnArrowDetail *d = pp ? (const ZnArrowDetail *)pp->getDetail() : NULL;
        if (!pp || (d && d->getPart() != ZnArrow::SHAFT))
            stretching = FALSE;
    }
    if (stretching) {
        startScale = scaleFactor.getValue()[0];
        startLength = arrowLength.getValue();
    }
}

void ZnArrowDragger::stretcherDrag()
{
    if (!stretching)
        return;
    SoTranslate1Dragger *s = (SoTranslate1Dragger *)getAnyPart("stretcher", FALSE);
    float t = s->translation.getValue()[0];
    if (t == 0)
        return;
    const SoEvent *e = s->getEvent();
    if (e && e->wasShiftDown()) {
        float len = arrowLength.getValue();
        float k = (t + len * startScale) / len;
        if (k >= 0.001f)
            scaleFactor = SbVec3f(k, k, k);
    } else {
        float sc = scaleFactor.getValue()[0];
        if (sc == 0)
            sc = 1;
        float len = t / sc + startLength;
        if (len >= 2.2f)
            arrowLength = len;
    }
    minusDraggerTranslation->translation = SbVec3f(-t, 0, 0);
    // The child's own value-changed report came before the new length:
    // report again, so that what hangs at the tail follows it.
    valueChanged();
}

void ZnArrowDragger::stretcherDragFinish()
{
    SoTranslate1Dragger *s = (SoTranslate1Dragger *)getAnyPart("stretcher", FALSE);
    s->translation = SbVec3f(0, 0, 0);
    minusDraggerTranslation->translation = SbVec3f(0, 0, 0);
    stretching = FALSE;
}

// The head.

void ZnArrowDragger::startCB(void *, SoDragger *d)
{
    ((ZnArrowDragger *)d)->dragStart();
}

void ZnArrowDragger::motionCB(void *, SoDragger *d)
{
    ((ZnArrowDragger *)d)->drag();
}

void ZnArrowDragger::finishCB(void *, SoDragger *d)
{
    ((ZnArrowDragger *)d)->dragFinish();
}

void ZnArrowDragger::restartProjectors()
{
    SbVec2f locater = getNormalizedLocaterPosition();
    lineProj.setViewVolume(getViewVolume());
    planeProj.setViewVolume(getViewVolume());
    lineStart = lineProj.project(locater);
    planeStart = planeProj.project(locater);
}

// The line along the axis and the plane across it, through a world point.
void ZnArrowDragger::placeProjectors(const SbVec3f &p)
{
    lineProj.setLine(SbLine(p, p + worldAxis));
    planeProj.setPlane(SbPlane(worldAxis, p));
    lineProj.setWorkingSpace(SbMatrix::identity());
    planeProj.setWorkingSpace(SbMatrix::identity());
    restartProjectors();
}

// Shift or Alt pressed or released during a head drag: the drag goes on
// from the head's present place in the new mode.
void ZnArrowDragger::metaKeyChangeCB(void *, SoDragger *d)
{
    ZnArrowDragger *self = (ZnArrowDragger *)d;
    SoHandleEventAction *ha = self->getHandleEventAction();
    if (!ha || ha->getGrabber() != self || !self->translating)
        return;
    if (!gspIsShiftOrAltChange(self->getEvent()))
        return;
    SbVec3f moved;
    self->getLocalToWorldMatrix().multDirMatrix(
        self->translation.getValue() - self->startTranslation, moved);
    self->placeProjectors(self->pickPoint + moved);
    ha->setHandled();
}

void ZnArrowDragger::dragStart()
{
    translating = FALSE;
    SoHandleEventAction *ha = getHandleEventAction();
    const SoPickedPoint *pp = ha ? ha->getPickedPoint() : NULL;
    if (!pp)
        return;
    const SoPath *path = pp->getPath();
    SoNode *sw = getAnyPart("translatorSwitch", FALSE);
    if (sw && path->containsNode(sw)) {
        translating = TRUE;
    } else if (gspFullTail(path)->isOfType(ZnArrow::getClassTypeId())) {
        const ZnArrowDetail *d = (const ZnArrowDetail *)pp->getDetail();
        translating = d && d->getPart() == ZnArrow::HEAD;
    }
    if (!translating)
        return;

    SoSearchAction sa;
    sa.setType(SoCamera::getClassTypeId());
    sa.setInterest(SoSearchAction::LAST);
    sa.apply((SoPath *)path);
    SoCamera *camera = sa.getPath() ? (SoCamera *)sa.getPath()->getTail() : NULL;

    SbVec3f axis;
    rotation.getValue().multVec(SbVec3f(0, 1, 0), axis);
    getLocalToWorldMatrix().multDirMatrix(axis, worldAxis);
    worldAxis.normalize();
    pickPoint = pp->getPoint();
    startTranslation = translation.getValue();
    placeProjectors(pickPoint);

    if (!pickAction)
        pickAction = new SoRayPickAction(getViewportRegion());
    else
        pickAction->setViewportRegion(getViewportRegion());
    if (camera)
        targetRoot->replaceChild(0, camera);
    setSwitchValue(sw, 1);
}

void ZnArrowDragger::setTranslation(const SbVec3f &t)
{
    SbMatrix m;
    m.setTranslate(t);
    setMotionMatrix(m);
    translSensor->detach();
    translation = t;
    translSensor->attach(&translation);
}

void ZnArrowDragger::drag()
{
    if (!translating)
        return;
    const SoEvent *e = getEvent();
    SbVec2f locater = getNormalizedLocaterPosition();
    SbMatrix worldToLocal = getWorldToLocalMatrix();
    if (gspAltDown(e) || e->wasShiftDown()) {
        SbVec3f d = gspAltDown(e) ? lineProj.project(locater) - lineStart
                                    : planeProj.project(locater) - planeStart;
        SbVec3f local;
        worldToLocal.multDirMatrix(d, local);
        setTranslation(translation.getValue() + local);
    } else {
        snapToSurface();
    }
    restartProjectors();
    valueChanged();
}

// Moves the tip onto the target surface under the cursor and stands the
// arrow on it, facing the viewer.
void ZnArrowDragger::snapToSurface()
{
    if (targetRoot->getNumChildren() < 2)
        return;
    pickAction->setNormalizedPoint(getNormalizedLocaterPosition());
    pickAction->apply(targetRoot);
    const SoPickedPoint *pp = pickAction->getPickedPoint();
    if (!pp)
        return;
    SbMatrix worldToLocal = getWorldToLocalMatrix();
    SbVec3f p, n = pp->getNormal(), e, local;
    worldToLocal.multVecMatrix(pp->getPoint(), p);
    setTranslation(p + translation.getValue());

    const SbViewVolume &vv = getViewVolume();
    e = vv.getProjectionType() == SbViewVolume::PERSPECTIVE
            ? vv.getProjectionPoint() - pp->getPoint()
            : -vv.getProjectionDirection();
    e.normalize();
    float en = e.dot(n);
    SbVec3f dir = n;
    if (en < 0 || (en == 0 && (-vv.getProjectionDirection()).dot(n) < 0))
        dir = -n;
    worldToLocal.multDirMatrix(dir, local);
    local.normalize();
    SoRotateSphericalDragger *r = (SoRotateSphericalDragger *)getAnyPart("rotator", FALSE);
    unregisterChildDraggerMovingIndependently(r);
    r->rotation = SbRotation(SbVec3f(0, 1, 0), local);
    registerChildDraggerMovingIndependently(r);
    rotatorDrag();

    SoPath *hit = pp->getPath()->copy(2);
    hit->ref();
    setAttachedPath(hit);
    hit->unref();
}

void ZnArrowDragger::dragFinish()
{
    translating = FALSE;
    setSwitchValue(getAnyPart("translatorSwitch", FALSE), 0);
}
