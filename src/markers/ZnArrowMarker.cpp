// The arrow marker: following the object through its path, the shared
// arrow dragger put in and taken out, and the file form that carries the
// object path.
#include <Glosspin/ZnArrowMarker.h>

#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowDragger.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoTransform.h>

#include "field/PathSlot.h"
#include "init/ToolkitMacros.h"
#include "markers/DraggerFieldDefaults.h"
#include "markers/HeadRelease.h"
#include "markers/MarkerTransforms.h"
#include "markers/PathMatrix.h"
#include "markers/PathWatcher.h"
#include "markers/ReadPath.h"

SO_KIT_SOURCE(ZnArrowMarker);

ZnArrowDragger *ZnArrowMarker::arrowDragger = NULL;
SbColor ZnArrowMarker::defaultColor(1, 0, 0);

void ZnArrowMarker::initClass()
{
    if (ZnMarker::getClassTypeId() == SoType::badType())
        ZnMarker::initClass();
    // The catalog names the arrow and its dragger.
    if (ZnArrowDragger::getClassTypeId() == SoType::badType())
        ZnArrowDragger::initClass();
    SO__KIT_INIT_CLASS(ZnArrowMarker, "ZnArrowMarker", ZnMarker);
    // Object paths may lead to nodes later in the file.
    GspReadPath::install();
}

ZnArrowMarker::ZnArrowMarker()
    : objectPath(NULL), matrixAction(NULL), pendingPath(NULL),
      headRelease(new GspHeadRelease(this, headGoneCB))
{
    GSP_KIT_CONSTRUCTOR(ZnArrowMarker);
    SO_KIT_ADD_CATALOG_ENTRY(localTransform, SoTransform, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(antiScale, SoTransform, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(objectTransform, SoTransform, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(dragger, ZnArrowDragger, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(draggerTransform, SoTransform, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(arrow, ZnArrow, FALSE, geomSeparator, , TRUE);
    SO_KIT_ADD_FIELD(objectPathField, (NULL));
    SO_KIT_INIT_INSTANCE();

    objectPathField.enableNotify(FALSE);
    ((SoMaterial *)getPart("material", TRUE))->diffuseColor = defaultColor;
    setDefaultNoteAnchor();
}

ZnArrowMarker::~ZnArrowMarker()
{
    // The shared dragger outlives this marker: it must not call back.
    if (arrowDragger) {
        arrowDragger->removeValueChangedCallback(draggerChangedCB, this);
        arrowDragger->removeFinishCallback(draggerFinishCB, this);
    }
    GspPathWatcher::unwatch(this);
    setPath(objectPath, NULL);
    setPath(pendingPath, NULL);
    delete headRelease;
    delete matrixAction;
}

ZnArrow *ZnArrowMarker::arrowPart() { return (ZnArrow *)getPart("arrow", TRUE); }

SoTransform *ZnArrowMarker::getObjectTransform()
{
    return (SoTransform *)getPart("objectTransform", TRUE);
}

SoTransform *ZnArrowMarker::getDraggerTransform()
{
    return (SoTransform *)getPart("draggerTransform", TRUE);
}

SbColor *ZnArrowMarker::getDefaultColor() { return &defaultColor; }

int ZnArrowMarker::getUndoWeight() { return inherited::getUndoWeight() + 1540; }

// The notes hang at the tail: the tip is at the origin, the arrow runs
// along +Y.
void ZnArrowMarker::setDefaultNoteAnchor()
{
    ((ZnNoteList *)getPart("notes", TRUE))
        ->setAnchor(SbVec3f(0, arrowPart()->length.getValue(), 0), 0.3f, 0.0f);
}

void ZnArrowMarker::setArrowType(int type)
{
    arrowPart()->setType(type);
    ((ZnArrowDragger *)getDragger())->setArrowType(type);
}

int ZnArrowMarker::getArrowType() { return arrowPart()->getType(); }

// Following the object. objectTransform holds the object's motion since
// the last save, draggerTransform the user's placement of the arrow. The
// path is watched by one shared sensor on its head node (immediate, as a
// path sensor of priority 0) rather than a path sensor of its own: with
// hundreds of markers, each change in the scene would otherwise make
// every marker's sensor search the head's children. For the same reason
// the object's matrix is found by gspPathMatrix, which skips the matrix
// action's visit of every earlier sibling along the path, and the path
// is a plain one (GspPathWatcher), repaired where it is used.

void ZnArrowMarker::saveCurrentObjectXformInverse()
{
    if (!matrixAction)
        matrixAction = new SoGetMatrixAction(SbViewportRegion());
    if (!currentPath()) {
        objectXformInverse.makeIdentity();
        return;
    }
    SbMatrix matrix;
    gspPathMatrix(matrixAction, objectPath, matrix, objectXformInverse);
}

void ZnArrowMarker::pathChanged()
{
    if (!currentPath())
        return;
    SbMatrix matrix, inverse;
    gspPathMatrix(matrixAction, objectPath, matrix, inverse);
    SbMatrix motion = objectXformInverse;
    motion.multRight(matrix);
    // One notification, and none when the object did not move: setting
    // the five fields one by one would send five, each of which reaches
    // the sensor of every marker on the same head node.
    SoTransform *t = (SoTransform *)getPart("objectTransform", FALSE);
    if (!t && motion.equals(SbMatrix::identity(), 1e-6f))
        return;
    if (!t)
        t = getObjectTransform();
    SbVec3f translation = t->translation.getValue(), scale = t->scaleFactor.getValue();
    SbRotation rotation = t->rotation.getValue(), orientation = t->scaleOrientation.getValue();
    SbVec3f center = t->center.getValue();
    t->enableNotify(FALSE);
    t->setMatrix(motion);
    t->enableNotify(TRUE);
    if (translation != t->translation.getValue() || scale != t->scaleFactor.getValue() ||
        rotation != t->rotation.getValue() || orientation != t->scaleOrientation.getValue() ||
        center != t->center.getValue())
        t->touch();
}

// Combining an identity changes nothing but would round the placement's
// values through a matrix, so it is skipped.
void ZnArrowMarker::resetObjectTransform()
{
    SoTransform *object = getObjectTransform();
    if (!gspTransformIsDefault(object)) {
        getDraggerTransform()->combineRight(object);
        object->setToDefaults();
    }
    saveCurrentObjectXformInverse();
}

void ZnArrowMarker::setPathToObject(SoPath *path)
{
    if (path != pendingPath)
        setPath(pendingPath, NULL);
    GspPathWatcher::unwatch(this);
    // Copied before the old path goes, which may be the same path.
    setPath(objectPath, path ? GspPathWatcher::plainCopy(path) : NULL);
    if (!matrixAction)
        matrixAction = new SoGetMatrixAction(SbViewportRegion());
    gspFoldTransformPart(this, "objectTransform", "draggerTransform");
    if (objectPath) {
        GspPathWatcher::watch(objectPath, pathSensorCB, NULL, this);
        saveCurrentObjectXformInverse();
    }
}

// The paths do not keep their heads alive (see GspHeadRelease): a scene
// released goes with the markers that point into it. A head that went
// first leaves the marker detached.
void ZnArrowMarker::headGoneCB(SoFieldContainer *marker)
{
    ZnArrowMarker *m = (ZnArrowMarker *)marker;
    GspPathWatcher::unwatch(m);
    m->setPath(m->objectPath, NULL);
    m->setPath(m->pendingPath, NULL);
}

SoPath *ZnArrowMarker::getPathToObject()
{
    resolvePendingPath();
    return currentPath();
}

SoPath *ZnArrowMarker::currentPath()
{
    if (objectPath)
        GspPathWatcher::repair(objectPath);
    return objectPath;
}

// A path that still leads nowhere once the scene is complete leaves the
// marker detached.
void ZnArrowMarker::resolvePendingPath()
{
    if (!pendingPath)
        return;
    SoPath *path = gspResolvePending(this, &ZnArrowMarker::setPath, pendingPath);
    if (path)
        path->ref();
    setPathToObject(path);
    if (path)
        path->unref();
}

int ZnArrowMarker::isAttachedToNode(SoNode *node)
{
    resolvePendingPath();
    return currentPath() && objectPath->containsNode(node);
}

void ZnArrowMarker::appendObjectPath(SoNode *node)
{
    SoPath *path = currentPath() ? objectPath->copy() : new SoPath(node);
    path->ref();
    if (objectPath)
        path->append(node);
    setPathToObject(path);
    path->unref();
}

// The refs a marker's paths hold are its own, but for their heads'.
void ZnArrowMarker::setPath(SoPath *&slot, SoPath *path)
{
    headRelease->replace(slot, path);
}

void ZnArrowMarker::pathSensorCB(void *marker, SoSensor *)
{
    ((ZnArrowMarker *)marker)->pathChanged();
}

// The shared dragger. Translation is connected both ways, so that setting
// the placement moves the dragger; rotation, scale and length follow the
// dragger.

SoDragger *ZnArrowMarker::getDragger()
{
    if (!arrowDragger) {
        arrowDragger = new ZnArrowDragger;
        arrowDragger->ref();
    }
    return arrowDragger;
}

void ZnArrowMarker::attachDragger()
{
    resolvePendingPath();
    ZnArrowDragger *d = (ZnArrowDragger *)getDragger();
    setPart("dragger", d);
    // Selected again while attached: the callbacks are there once all the
    // same, for detaching removes one of each.
    d->removeValueChangedCallback(draggerChangedCB, this);
    d->removeFinishCallback(draggerFinishCB, this);
    d->addValueChangedCallback(draggerChangedCB, this);
    d->setAttachedPath(currentPath());
    d->addFinishCallback(draggerFinishCB, this);

    SbBool markerNotify = enableNotify(FALSE), draggerNotify = d->enableNotify(FALSE);
    if (d->getArrowType() != getArrowType())
        d->setArrowType(getArrowType());
    resetObjectTransform();
    SoTransform *dt = getDraggerTransform();
    ZnArrow *a = arrowPart();
    draggedFields->remember({&dt->translation, &dt->scaleFactor, &dt->rotation, &a->length});
    d->translation = dt->translation.getValue();
    dt->translation.connectFrom(&d->translation);
    d->scaleFactor = dt->scaleFactor.getValue();
    dt->scaleFactor.connectFrom(&d->scaleFactor);
    d->rotation = dt->rotation.getValue();
    dt->rotation.connectFrom(&d->rotation);
    d->arrowLength = a->length.getValue();
    a->length.connectFrom(&d->arrowLength);
    d->translation.connectFrom(&dt->translation);
    d->enableNotify(draggerNotify);
    d->startNotify();
    enableNotify(markerNotify);
    startNotify();
}

// Undoes only this marker's connections: the dragger may already serve
// another arrow marker.
void ZnArrowMarker::detachDragger()
{
    SbBool markerNotify = enableNotify(FALSE);
    SoTransform *dt = getDraggerTransform();
    ZnArrowDragger *d = arrowDragger;
    SoField *from = NULL;
    if (d && d->translation.getConnectedField(from) && from == &dt->translation)
        d->translation.disconnect();
    dt->translation.disconnect();
    dt->scaleFactor.disconnect();
    dt->rotation.disconnect();
    arrowPart()->length.disconnect();
    draggedFields->restore();
    if (d && getPart("dragger", FALSE) == d) {
        setPart("dragger", NULL);
        d->setAttachedPath(NULL);
    }
    if (d) {
        d->removeValueChangedCallback(draggerChangedCB, this);
        d->removeFinishCallback(draggerFinishCB, this);
    }
    resetObjectTransform();
    enableNotify(markerNotify);
    startNotify();
}

void ZnArrowMarker::draggerChangedCB(void *marker, SoDragger *)
{
    ((ZnArrowMarker *)marker)->setDefaultNoteAnchor();
}

// A drag that ends on a different object attaches the marker to it.
void ZnArrowMarker::draggerFinishCB(void *data, SoDragger *dragger)
{
    ZnArrowMarker *marker = (ZnArrowMarker *)data;
    SoPath *dropped = ((ZnArrowDragger *)dragger)->getAttachedPath();
    if (dropped && !(marker->currentPath() && *dropped == *marker->objectPath))
        marker->setPathToObject(dropped);
}

// File form: the object path travels as objectPathField, set for the
// write only.

void ZnArrowMarker::GLRender(SoGLRenderAction *action)
{
    resolvePendingPath();
    inherited::GLRender(action);
}

// Set for each pass alone: a path field audits the path's head, the
// scene's root, and thousands of them at once would make each removal
// from the root's auditors cost as much as all of them.
void ZnArrowMarker::write(SoWriteAction *action)
{
    resolvePendingPath();
    if (currentPath())
        objectPathField.setValue(objectPath);
    inherited::write(action);
    if (objectPath) {
        objectPathField.setValue(NULL);
        objectPathField.setDefault(TRUE);
    }
}

// Transforms that change nothing stay out of files.
void ZnArrowMarker::setDefaultOnNonWritingFields()
{
    gspSkipIdentityPart(localTransform);
    gspSkipIdentityPart(antiScale);
    gspSkipIdentityPart(objectTransform);
    gspSkipIdentityPart(draggerTransform);
    inherited::setDefaultOnNonWritingFields();
}

SbBool ZnArrowMarker::readInstance(SoInput *in, unsigned short flags)
{
    if (!inherited::readInstance(in, flags))
        return FALSE;
    gspFoldTransformPart(this, "antiScale", "draggerTransform");
    gspFoldTransformPart(this, "localTransform", "draggerTransform");
    SoPath *read = objectPathField.getValue(), *partial = NULL;
    SoPath *whole = gspTakeReadPath(read, partial);
    if (partial) {
        setPathToObject(NULL);
        setPath(pendingPath, partial);
        partial->unref();
    } else if (whole) {
        setPathToObject(whole);
    }
    if (read) {
        objectPathField.setValue(NULL);
        objectPathField.setDefault(TRUE);
    }
    return TRUE;
}
