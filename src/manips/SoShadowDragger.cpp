#include <Glosspin/SoShadowDragger.h>

#include <math.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/SoShadow.h>

#include "init/ToolkitMacros.h"
#include "field/PathSlot.h"
#include "markers/HeadRelease.h"
#include "markers/ReadPath.h"
#include "manips/DraggerMotion.h"
#include "manips/ModifierKeys.h"

// The compiled-in copy of shadowDragger.iv, in binary form.
extern const unsigned char gspShadowDraggerGeometry[];
extern const int gspShadowDraggerGeometry_size;

SO_KIT_SOURCE(SoShadowDragger);

namespace {
SoMaterial *namedMaterial(const char *name)
{
    SoNode *n = SoNode::getByName(name);
    return n && n->isOfType(SoMaterial::getClassTypeId()) ? (SoMaterial *)n : NULL;
}
}

void SoShadowDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SoLocateHighlightGroup::initClass();
    SoShadow::initClass();
    SO__KIT_INIT_CLASS(SoShadowDragger, "ShadowDragger", SoDragger);
}

SoShadowDragger::SoShadowDragger()
    : objectPath(NULL), transformPath(NULL), pendingObjectPath(NULL), pendingTransformPath(NULL),
      headRelease(new GspHeadRelease(this, headGoneCB)),
      shiftDown(FALSE), constrainedAxis(-1)
{
    GSP_KIT_CONSTRUCTOR(SoShadowDragger);

    SO_KIT_ADD_CATALOG_ENTRY(activeOverrideMaterialSwitch, SoSwitch, TRUE, topSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(activeOverrideMaterial, SoMaterial, TRUE,
                             activeOverrideMaterialSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowLocateGroup, SoLocateHighlightGroup, TRUE, topSeparator, ,
                             FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(shadow, SoShadow, TRUE, shadowLocateGroup, , TRUE);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("shadowDragger.iv", gspShadowDraggerGeometry,
                         gspShadowDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(lightDir, (0, -1, 0));
    SO_KIT_ADD_FIELD(projectionPlane, (SbPlane(SbVec3f(0, 1, 0), 0)));
    SO_KIT_ADD_FIELD(renderAsBox, (TRUE));
    SO_KIT_ADD_FIELD(pathToObjectField, (NULL));
    SO_KIT_ADD_FIELD(pathToTransformField, (NULL));
    SO_KIT_INIT_INSTANCE();

    // The shadow's material is changed by the shadow itself: a copy each.
    if (SoMaterial *m = namedMaterial("shadowDragMaterial")) {
        SoMaterial *own = (SoMaterial *)m->copy();
        own->setOverride(TRUE);
        setAnyPart("shadow.material", own);
    }
    if (SoMaterial *m = namedMaterial("shadowDragLocateMaterial")) {
        SoLocateHighlightGroup *g =
            SO_GET_ANY_PART(this, "shadowLocateGroup", SoLocateHighlightGroup);
        g->emissiveColor = m->emissiveColor[0];
        g->diffuseColor = m->diffuseColor[0];
    }
    if (SoMaterial *m = namedMaterial("shadowDragActiveMaterial")) {
        m->setOverride(TRUE);
        setAnyPart("activeOverrideMaterial", m);
    }
    setSwitchValue(activeOverrideMaterialSwitch.getValue(), SO_SWITCH_NONE);

    addStartCallback(&SoShadowDragger::startCB);
    addMotionCallback(&SoShadowDragger::motionCB);
    addFinishCallback(&SoShadowDragger::finishCB);
    addOtherEventCallback(&SoShadowDragger::metaKeyChangeCB);
    addValueChangedCallback(&SoShadowDragger::valueChangedCB);

    fieldSensor = new SoFieldSensor(&SoShadowDragger::fieldSensorCB, this);
    fieldSensor->setPriority(0);
    for (int i = 0; i < NUM_SHADOW_FIELDS; i++) {
        shadowFieldSensors[i] = new SoFieldSensor(&SoShadowDragger::shadowFieldCB, this);
        shadowFieldSensors[i]->setPriority(0);
    }
    setUpConnections(TRUE, TRUE);
}

SoShadowDragger::~SoShadowDragger()
{
    delete fieldSensor;
    for (int i = 0; i < NUM_SHADOW_FIELDS; i++)
        delete shadowFieldSensors[i];
    setSlot(objectPath, NULL);
    setSlot(transformPath, NULL);
    setPendingSlot(pendingObjectPath, NULL);
    setPendingSlot(pendingTransformPath, NULL);
    delete headRelease;
}

// The paths' heads are not held (see GspHeadRelease); the shadow part
// takes copies of its own. The dragger's slots enter nothing of reading's
// clean-up.
void SoShadowDragger::setSlot(SoPath *&slot, SoPath *path)
{
    headRelease->replace(slot, path, false);
}

// A path read before its scene was complete: the dragger's own for
// reading's clean-up, as it has no copy in the shadow part yet.
void SoShadowDragger::setPendingSlot(SoPath *&slot, SoPath *path)
{
    headRelease->replace(slot, path);
}

void SoShadowDragger::headGoneCB(SoFieldContainer *dragger)
{
    SoShadowDragger *d = (SoShadowDragger *)dragger;
    d->setSlot(d->objectPath, NULL);
    d->setSlot(d->transformPath, NULL);
    d->setPendingSlot(d->pendingObjectPath, NULL);
    d->setPendingSlot(d->pendingTransformPath, NULL);
}

void SoShadowDragger::setPaths(SoPath *newObjectPath, SoPath *newTransformPath)
{
    setPendingSlot(pendingObjectPath, NULL);
    setPendingSlot(pendingTransformPath, NULL);
    setSlot(objectPath, newObjectPath ? newObjectPath->copy() : NULL);
    setSlot(transformPath, newTransformPath ? newTransformPath->copy() : NULL);
    if (connectionsSetUp)
        SO_GET_ANY_PART(this, "shadow", SoShadow)->setPaths(objectPath, transformPath);
}

void SoShadowDragger::resolvePendingPaths()
{
    if (!pendingObjectPath && !pendingTransformPath)
        return;
    SoPath *o = pendingObjectPath
                    ? gspResolvePending(this, &SoShadowDragger::setPendingSlot, pendingObjectPath)
                    : objectPath;
    SoPath *t = pendingTransformPath ? gspResolvePending(this, &SoShadowDragger::setPendingSlot,
                                                         pendingTransformPath)
                                     : transformPath;
    if (o)
        o->ref();
    if (t)
        t->ref();
    setPaths(o, t);
    if (o)
        o->unref();
    if (t)
        t->unref();
}

void SoShadowDragger::GLRender(SoGLRenderAction *action)
{
    resolvePendingPaths();
    inherited::GLRender(action);
}

void SoShadowDragger::getBoundingBox(SoGetBoundingBoxAction *action)
{
    resolvePendingPaths();
    inherited::getBoundingBox(action);
}

void SoShadowDragger::rayPick(SoRayPickAction *action)
{
    resolvePendingPaths();
    inherited::rayPick(action);
}

void SoShadowDragger::updateShadowBoxSize()
{
    SO_GET_ANY_PART(this, "shadow", SoShadow)->updateShadowBoxSize();
}

SbBool SoShadowDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    SoShadow *s = SO_GET_ANY_PART(this, "shadow", SoShadow);
    if (onOff) {
        inherited::setUpConnections(onOff, doItAlways);
        s->pickable = TRUE;
        connectShadowFields(TRUE);
        s->setPaths(objectPath, transformPath);
        fieldSensorCB(this, NULL);
        if (fieldSensor->getAttachedField() != &translation)
            fieldSensor->attach(&translation);
    } else {
        connectShadowFields(FALSE);
        s->setPaths(NULL, NULL);
        if (fieldSensor->getAttachedField())
            fieldSensor->detach();
        inherited::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

// The shadow follows the dragger's fields by value: connected fields
// would make the toolkit write the whole part into files.
void SoShadowDragger::connectShadowFields(SbBool onOff)
{
    SoField *fields[NUM_SHADOW_FIELDS] = {&lightDir, &projectionPlane, &renderAsBox};
    for (int i = 0; i < NUM_SHADOW_FIELDS; i++) {
        if (shadowFieldSensors[i]->getAttachedField())
            shadowFieldSensors[i]->detach();
        if (onOff)
            shadowFieldSensors[i]->attach(fields[i]);
    }
    if (onOff)
        shadowFieldCB(this, NULL);
}

void SoShadowDragger::shadowFieldCB(void *data, SoSensor *)
{
    SoShadowDragger *self = (SoShadowDragger *)data;
    SoShadow *s = SO_GET_ANY_PART(self, "shadow", SoShadow);
    if (s->lightDir.getValue() != self->lightDir.getValue())
        s->lightDir = self->lightDir.getValue();
    if (!(s->projectionPlane.getValue() == self->projectionPlane.getValue()))
        s->projectionPlane = self->projectionPlane.getValue();
    if (s->renderAsBox.getValue() != self->renderAsBox.getValue())
        s->renderAsBox = self->renderAsBox.getValue();
}

// Drag state and what the connections make stay out of files.
void SoShadowDragger::setDefaultOnNonWritingFields()
{
    inherited::setDefaultOnNonWritingFields();
    activeOverrideMaterialSwitch.setDefault(TRUE);
    activeOverrideMaterial.setDefault(TRUE);
    shadowLocateGroup.setDefault(TRUE);
    shadow.setDefault(TRUE);
    // The toolkit writes a kit part that has fields to write.
    SoShadow *s = SO_GET_ANY_PART(this, "shadow", SoShadow);
    SoField *fields[] = {&s->renderAsBox, &s->lightDir, &s->pickable, &s->projectionPlane};
    for (SoField *f : fields)
        f->setDefault(TRUE);
}

// A press on the shadow takes the grab at once, before the toolkit's own
// handling looks for this dragger in the pick path.
void SoShadowDragger::handleEvent(SoHandleEventAction *action)
{
    resolvePendingPaths();
    const SoEvent *e = action->getEvent();
    if (!action->isHandled() && SO_MOUSE_PRESS_EVENT(e, BUTTON1)) {
        const SoPickedPoint *pp = action->getPickedPoint();
        if (pp && pp->getPath()->containsPath(action->getCurPath())) {
            setHandleEventAction(action);  // what taking the grab reads
            setTempPathToThis(action->getCurPath());
            action->setGrabber(this);
        }
    }
    inherited::handleEvent(action);
}

void SoShadowDragger::startCB(void *, SoDragger *d)
{
    ((SoShadowDragger *)d)->dragStart();
}

void SoShadowDragger::motionCB(void *, SoDragger *d)
{
    ((SoShadowDragger *)d)->drag();
}

void SoShadowDragger::finishCB(void *, SoDragger *d)
{
    ((SoShadowDragger *)d)->dragFinish();
}

// The shadow lies in world space whatever transform is above the
// dragger, so the drag works there: on the plane parallel to
// projectionPlane through the grabbed point.
void SoShadowDragger::dragStart()
{
    setSwitchValue(activeOverrideMaterialSwitch.getValue(), 0);
    setLocateHighlighting(FALSE);  // it would cover the active colour
    constrainedAxis = -1;
    shiftDown = getEvent()->wasShiftDown();
    const SbVec3f &normal = projectionPlane.getValue().getNormal();
    planeProj.setPlane(SbPlane(normal, getWorldStartingPoint()));
    lastPoint = getWorldStartingPoint();
    SbRotation toNormal(SbVec3f(0, 1, 0), normal);
    toNormal.multVec(SbVec3f(1, 0, 0), axes[0]);
    toNormal.multVec(SbVec3f(0, 0, 1), axes[1]);
}

void SoShadowDragger::drag()
{
    planeProj.setViewVolume(getViewVolume());
    planeProj.setWorkingSpace(SbMatrix::identity());
    SbVec3f p = planeProj.project(getNormalizedLocaterPosition());
    SbVec3f m = p - lastPoint;
    if (shiftDown && constrainedAxis < 0) {
        if (!isAdequateConstraintMotion())
            return;
        // The axis the whole motion since the press follows best.
        SbVec3f sofar = p - getWorldStartingPoint();
        constrainedAxis = fabsf(sofar.dot(axes[0])) >= fabsf(sofar.dot(axes[1])) ? 0 : 1;
    }
    if (shiftDown)
        m = axes[constrainedAxis] * m.dot(axes[constrainedAxis]);
    moveTransform(m);
    lastPoint = p;
}

// Adds a world motion to the translation of the object's transform,
// brought into the space that translation is in.
void SoShadowDragger::moveTransform(const SbVec3f &world)
{
    SoNode *tail = transformPath ? ((SoFullPath *)transformPath)->getTail() : NULL;
    if (!tail || !tail->isOfType(SoTransform::getClassTypeId()))
        return;
    SbVec3f inside, parent;
    SoGetMatrixAction action(getViewportRegion());
    action.apply(transformPath);
    action.getInverse().multDirMatrix(world, inside);
    action.apply(tail);
    action.getMatrix().multDirMatrix(inside, parent);
    SoTransform *xf = (SoTransform *)tail;
    xf->translation = xf->translation.getValue() + parent;
}

void SoShadowDragger::dragFinish()
{
    setSwitchValue(activeOverrideMaterialSwitch.getValue(), SO_SWITCH_NONE);
    setLocateHighlighting(TRUE);
}

void SoShadowDragger::setLocateHighlighting(SbBool on)
{
    SoLocateHighlightGroup *g = SO_GET_ANY_PART(this, "shadowLocateGroup", SoLocateHighlightGroup);
    if (g->onOff.getValue() != on)
        g->onOff = on;
}

void SoShadowDragger::metaKeyChangeCB(void *, SoDragger *d)
{
    gspRestartDragOnModifierChange(d, ((SoShadowDragger *)d)->lastPoint);
}

void SoShadowDragger::valueChangedCB(void *, SoDragger *d)
{
    SoShadowDragger *self = (SoShadowDragger *)d;
    gspMotionToTranslation(self, self->translation, self->fieldSensor);
}

void SoShadowDragger::fieldSensorCB(void *data, SoSensor *)
{
    SoShadowDragger *self = (SoShadowDragger *)data;
    SbMatrix motion = self->getMotionMatrix();
    self->workFieldsIntoTransform(motion);
    self->setMotionMatrix(motion);
}

// File form: the two paths travel in their fields, set for the write only.
void SoShadowDragger::write(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    resolvePendingPaths();
    if (out->getStage() == SoOutput::COUNT_REFS) {
        if (objectPath)
            pathToObjectField.setValue(objectPath);
        if (transformPath)
            pathToTransformField.setValue(transformPath);
    }
    inherited::write(action);
    if (out->getStage() == SoOutput::WRITE) {
        gspClearPathField(pathToObjectField);
        gspClearPathField(pathToTransformField);
    }

}

SbBool SoShadowDragger::readInstance(SoInput *in, unsigned short flags)
{
    if (!inherited::readInstance(in, flags))
        return FALSE;
    SoPath *pendingObject = NULL, *pendingTransform = NULL;
    SoPath *o = gspTakeReadPath(pathToObjectField.getValue(), pendingObject);
    SoPath *t = gspTakeReadPath(pathToTransformField.getValue(), pendingTransform);
    setPaths(o, t);
    setPendingSlot(pendingObjectPath, pendingObject);
    setPendingSlot(pendingTransformPath, pendingTransform);
    if (pendingObject)
        pendingObject->unref();
    if (pendingTransform)
        pendingTransform->unref();
    gspClearPathField(pathToObjectField);
    gspClearPathField(pathToTransformField);
    return TRUE;
}
