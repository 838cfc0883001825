#include <Glosspin/SoShadow.h>

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoDrawStyle.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoResetTransform.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/sensors/SoFieldSensor.h>
#include <Inventor/sensors/SoPathSensor.h>

#include <unordered_map>
#include <utility>
#include <vector>

#include "init/ToolkitMacros.h"
#include "field/PathSlot.h"
#include "markers/HeadRelease.h"
#include "markers/ReadPath.h"

SO_KIT_SOURCE(SoShadow);

namespace {
// Below this the light grazes the plane (about 5 degrees) or comes from
// beneath it: no shadow.
const float MIN_LIGHT_ELEVATION = 0.087f;
const float PICKABLE_THICKNESS = 0.01f, THIN_THICKNESS = 0.001f;

// Shared by every shadow: no lighting, no texturing.
SoLightModel *sharedLightModel;
SoComplexity *sharedComplexity;

// The shared actions, or a fresh one while the shared one is busy (an
// object's subgraph may hold another shadow).
template <class Action> class SharedAction {
  public:
    explicit SharedAction(Action *&shared) : shared(shared), own(NULL)
    {
        if (!shared)
            shared = new Action(SbViewportRegion());
        if (busy(shared))
            own = new Action(SbViewportRegion());
        else
            busy(shared) = true;
    }
    ~SharedAction()
    {
        if (own)
            delete own;
        else
            busy(shared) = false;
    }
    Action *operator->() { return own ? own : shared; }

  private:
    static bool &busy(Action *)
    {
        static bool flag;
        return flag;
    }
    Action *&shared;
    Action *own;
};
SoGetMatrixAction *sharedMatrixAction;
SoGetBoundingBoxAction *sharedBoxAction;

// Walks the children before stopAt (all when -1), last first, for a node
// of type whose effect reaches past node: groups that keep their state to
// themselves are not entered.
SoPath *lastAffecting(SoNode *node, const SoType &type, int stopAt)
{
    SoChildList *children = node->getChildren();
    if (!children)
        return NULL;
    for (int i = (stopAt < 0 ? children->getLength() : stopAt) - 1; i >= 0; i--) {
        SoNode *child = (*children)[i];
        if (child->isOfType(type)) {
            SoPath *p = new SoPath(node);
            p->append(i);
            return p;
        }
        bool leaks = child->isOfType(SoGroup::getClassTypeId()) &&
                     !child->isOfType(SoSeparator::getClassTypeId()) &&
                     !child->isOfType(SoSwitch::getClassTypeId());
        SoPath *inside = leaks ? lastAffecting(child, type, -1) : NULL;
        if (inside) {
            SoPath *p = new SoPath(node);
            p->append(i);
            SoFullPath *f = (SoFullPath *)inside;
            for (int k = 1; k < f->getLength(); k++)
                p->append(f->getIndex(k));
            inside->ref();
            inside->unref();
            return p;
        }
    }
    return NULL;
}
}

void SoShadow::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO__KIT_INIT_CLASS(SoShadow, "Shadow", SoBaseKit);
}

SoShadow::SoShadow()
    : objectPath(NULL), transformPath(NULL), resetPath(NULL), resetBefore(TRUE),
      pendingObjectPath(NULL), pendingTransformPath(NULL), enabled(FALSE),
      objectXformValid(FALSE), shadowXformValid(FALSE), thickness(THIN_THICKNESS),
      headRelease(new GspHeadRelease(this, headGoneCB))
{
    GSP_KIT_CONSTRUCTOR(SoShadow);

    SO_KIT_ADD_CATALOG_ENTRY(topSeparator, SoSeparator, FALSE, this, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowSwitch, SoSwitch, FALSE, topSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(pickStyle, SoPickStyle, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(lightModel, SoLightModel, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(complexity, SoComplexity, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(resetTransform, SoResetTransform, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowXform, SoMatrixTransform, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(objectXform, SoMatrixTransform, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(material, SoMaterial, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(texture2, SoTexture2, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowedObjectSep, SoSeparator, FALSE, shadowSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowedObjectCoords, SoCoordinate3, TRUE, shadowedObjectSep, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(shadowedObjectXf, SoTransform, TRUE, shadowedObjectSep, , TRUE);
    SO_KIT_ADD_CATALOG_ABSTRACT_ENTRY(shadowedObject, SoNode, SoCube, TRUE, shadowedObjectSep, ,
                                      TRUE);

    SO_KIT_ADD_FIELD(renderAsBox, (TRUE));
    SO_KIT_ADD_FIELD(lightDir, (0, -1, 0));
    SO_KIT_ADD_FIELD(pickable, (FALSE));
    SO_KIT_ADD_FIELD(projectionPlane, (SbPlane(SbVec3f(0, 1, 0), 0)));
    SO_KIT_ADD_FIELD(pathToObjectField, (NULL));
    SO_KIT_ADD_FIELD(pathToTransformField, (NULL));
    SO_KIT_INIT_INSTANCE();

    if (!sharedLightModel) {
        sharedLightModel = new SoLightModel;
        sharedLightModel->ref();
        sharedLightModel->model = SoLightModel::BASE_COLOR;
        sharedLightModel->setOverride(TRUE);
        sharedComplexity = new SoComplexity;
        sharedComplexity->ref();
        sharedComplexity->textureQuality = 0;
        sharedComplexity->value.setIgnored(TRUE);
    }
    setAnyPart("lightModel", sharedLightModel);
    setAnyPart("complexity", sharedComplexity);
    SoMaterial *m = new SoMaterial;
    m->diffuseColor.setValue(0.1f, 0.1f, 0.1f);
    m->transparency = 0.5f;
    m->setOverride(TRUE);
    setAnyPart("material", m);
    SoTexture2 *t = new SoTexture2;
    t->setOverride(TRUE);
    setAnyPart("texture2", t);

    pathSensor = new SoPathSensor(&SoShadow::pathCB, this);
    lightDirSensor = new SoFieldSensor(&SoShadow::lightDirCB, this);
    pickableSensor = new SoFieldSensor(&SoShadow::pickableCB, this);
    planeSensor = new SoFieldSensor(&SoShadow::projectionPlaneCB, this);
    renderAsBoxSensor = new SoFieldSensor(&SoShadow::renderAsBoxCB, this);
    SoFieldSensor *fieldSensors[] = {lightDirSensor, pickableSensor, planeSensor,
                                     renderAsBoxSensor};
    for (SoFieldSensor *s : fieldSensors)
        s->setPriority(0);
    setUpConnections(TRUE, TRUE);
}

SoShadow::~SoShadow()
{
    delete pathSensor;
    delete lightDirSensor;
    delete pickableSensor;
    delete planeSensor;
    delete renderAsBoxSensor;
    setSlot(objectPath, NULL);
    setSlot(transformPath, NULL);
    setSlot(resetPath, NULL);
    setSlot(pendingObjectPath, NULL);
    setSlot(pendingTransformPath, NULL);
    delete headRelease;
}

// The paths do not keep their heads alive (see GspHeadRelease): a scene
// released goes with the shadows in it.
void SoShadow::setSlot(SoPath *&slot, SoPath *path)
{
    headRelease->replace(slot, path);
}

// The head went first: the shadow follows nothing.
void SoShadow::headGoneCB(SoFieldContainer *shadow)
{
    SoShadow *s = (SoShadow *)shadow;
    for (SoPath **slot : {&s->pendingObjectPath, &s->pendingTransformPath, &s->resetPath})
        s->setSlot(*slot, NULL);
    s->setPaths(NULL, NULL);
}

// Whether the shadow can draw root: root must not hold the shadow (the
// shadow's parts would make a cycle), nor a cycle of its own (a damaged
// file can make one), which every traversal would follow without end. A
// depth-first walk through children and node kits' parts, each node once.
static bool drawable(SoNode *root, SoNode *shadow)
{
    enum { ON_STACK = 1, DONE = 2 };
    std::unordered_map<SoNode *, int> state;
    std::vector<std::pair<SoNode *, int>> stack(1, {root, 0});
    state[root] = ON_STACK;
    while (!stack.empty()) {
        SoNode *n = stack.back().first;
        SoChildList *children = n->getChildren();
        int i = stack.back().second++;
        if (!children || i >= children->getLength()) {
            state[n] = DONE;
            stack.pop_back();
            continue;
        }
        SoNode *child = (*children)[i];
        int &s = state[child];
        if (child == shadow || s == ON_STACK)
            return false;
        if (s == 0) {
            s = ON_STACK;
            stack.push_back({child, 0});
        }
    }
    return root != shadow;
}

// An object the shadow cannot draw is taken as none.
void SoShadow::setPaths(SoPath *newObjectPath, SoPath *newTransformPath)
{
    if (newObjectPath && !drawable(((SoFullPath *)newObjectPath)->getTail(), this))
        newObjectPath = NULL;
    setSlot(pendingObjectPath, NULL);
    setSlot(pendingTransformPath, NULL);
    // Copies of its own: the head of a path the caller shares is not the
    // shadow's to give back.
    setSlot(objectPath, newObjectPath ? newObjectPath->copy() : NULL);
    setSlot(transformPath, newTransformPath ? newTransformPath->copy() : NULL);
    if (pathSensor->getAttachedPath())
        pathSensor->detach();
    if (objectPath && enabled)
        pathSensor->attach(objectPath);

    // The box is measured from the placing transform on: before it when
    // the object path passes through it, after it when it is a node to
    // the object's left.
    setSlot(resetPath, NULL);
    resetBefore = TRUE;
    if (objectPath && transformPath) {
        const SoFullPath *o = (const SoFullPath *)objectPath;
        SoNode *xf = ((SoFullPath *)transformPath)->getTail();
        for (int i = 0; i < o->getLength() - 1 && !resetPath; i++)
            if (o->getNode(i) == xf)
                setSlot(resetPath, objectPath->copy(0, i + 1));
        if (!resetPath) {
            setSlot(resetPath, transformPath->copy());
            resetBefore = FALSE;
        }
    }
    pathCB(this, NULL);
    renderAsBoxCB(this, NULL);
}

void SoShadow::resolvePendingPaths()
{
    if (!pendingObjectPath && !pendingTransformPath)
        return;
    SoPath *o = pendingObjectPath ? gspResolvePending(this, &SoShadow::setSlot, pendingObjectPath)
                                  : objectPath;
    SoPath *t = pendingTransformPath
                    ? gspResolvePending(this, &SoShadow::setSlot, pendingTransformPath)
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

void SoShadow::attachSensors(SbBool attach)
{
    struct {
        SoFieldSensor *sensor;
        SoField *field;
    } fields[] = {{lightDirSensor, &lightDir},
                  {planeSensor, &projectionPlane},
                  {renderAsBoxSensor, &renderAsBox}};
    for (auto &f : fields) {
        if (f.sensor->getAttachedField())
            f.sensor->detach();
        if (attach)
            f.sensor->attach(f.field);
    }
    if (pathSensor->getAttachedPath())
        pathSensor->detach();
    if (attach && objectPath)
        pathSensor->attach(objectPath);
}

void SoShadow::enable()
{
    enabled = TRUE;
    objectXformValid = shadowXformValid = FALSE;
    lightDirCB(this, NULL);
    projectionPlaneCB(this, NULL);
    pathCB(this, NULL);
    renderAsBoxCB(this, NULL);
    attachSensors(TRUE);
    updateXformNodes();
}

void SoShadow::disable()
{
    enabled = FALSE;
    attachSensors(FALSE);
}

SbBool SoShadow::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    if (onOff) {
        inherited::setUpConnections(onOff, doItAlways);
        pickableCB(this, NULL);
        if (pickableSensor->getAttachedField() != &pickable)
            pickableSensor->attach(&pickable);
        enable();
    } else {
        disable();
        if (pickableSensor->getAttachedField())
            pickableSensor->detach();
        inherited::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

void SoShadow::lightDirCB(void *data, SoSensor *)
{
    ((SoShadow *)data)->shadowXformValid = FALSE;
}

void SoShadow::projectionPlaneCB(void *data, SoSensor *)
{
    ((SoShadow *)data)->shadowXformValid = FALSE;
}

void SoShadow::pickableCB(void *data, SoSensor *)
{
    SoShadow *self = (SoShadow *)data;
    SbBool pickable = self->pickable.getValue();
    SO_GET_ANY_PART(self, "pickStyle", SoPickStyle)->style =
        pickable ? SoPickStyle::SHAPE : SoPickStyle::UNPICKABLE;
    SoSeparator::CacheEnabled caching = pickable ? SoSeparator::OFF : SoSeparator::AUTO;
    SO_GET_ANY_PART(self, "topSeparator", SoSeparator)->boundingBoxCaching = caching;
    SO_GET_ANY_PART(self, "shadowedObjectSep", SoSeparator)->boundingBoxCaching = caching;
    self->thickness = pickable ? PICKABLE_THICKNESS : THIN_THICKNESS;
    self->shadowXformValid = FALSE;
}

void SoShadow::renderAsBoxCB(void *data, SoSensor *)
{
    SoShadow *self = (SoShadow *)data;
    self->objectXformValid = FALSE;
    self->updateShadowedObjectSubgraph();
}

void SoShadow::pathCB(void *data, SoSensor *)
{
    SoShadow *self = (SoShadow *)data;
    self->objectXformValid = FALSE;
    if (self->renderAsBox.getValue())
        self->computeObjectBboxXform();
}

void SoShadow::updateShadowBoxSize()
{
    computeObjectBboxXform();
}

void SoShadow::setShapeRenderCaching(SoSeparator::CacheEnabled caching)
{
    SO_GET_ANY_PART(this, "shadowedObjectSep", SoSeparator)->renderCaching = caching;
}

SoSeparator::CacheEnabled SoShadow::getShapeRenderCaching()
{
    SoSeparator *sep = SO_GET_ANY_PART(this, "shadowedObjectSep", SoSeparator);
    return (SoSeparator::CacheEnabled)sep->renderCaching.getValue();
}

// Squashes everything onto the plane along the light: rotate the plane
// to y = d, move it to y = 0, project along the light keeping only a
// thin slab of height, move and rotate back.
void SoShadow::computeShadowXform()
{
    shadowXformValid = TRUE;
    const SbPlane &plane = projectionPlane.getValue();
    const SbVec3f up(0, 1, 0);
    SbRotation toUp(plane.getNormal(), up), fromUp(up, plane.getNormal());
    SbVec3f light;
    toUp.multVec(lightDir.getValue(), light);
    SbVec3f v = -light;
    float g = v.dot(up);
    SoSwitch *sw = SO_GET_ANY_PART(this, "shadowSwitch", SoSwitch);
    if (!(g >= MIN_LIGHT_ELEVATION)) {
        if (sw->whichChild.getValue() != SO_SWITCH_NONE)
            sw->whichChild = SO_SWITCH_NONE;
        return;
    }
    if (sw->whichChild.getValue() != SO_SWITCH_ALL)
        sw->whichChild = SO_SWITCH_ALL;

    SbMatrix project = SbMatrix::identity();
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            project[i][j] = -v[j] * up[i] + (i == j ? g : 0);
            if (i == j && project[i][j] < thickness)
                project[i][j] = thickness;
        }
        project[3][i] = project[i][3] = 0;
    }
    project[3][3] = g;

    SbMatrix m, step;
    toUp.getValue(m);
    step.setTranslate(SbVec3f(0, -plane.getDistanceFromOrigin(), 0));
    m.multRight(step);
    m.multRight(project);
    step.setTranslate(SbVec3f(0, plane.getDistanceFromOrigin(), 0));
    m.multRight(step);
    fromUp.getValue(step);
    m.multRight(step);
    SO_GET_ANY_PART(this, "shadowXform", SoMatrixTransform)->matrix = m;
}

// Where the object stands: the path to its transform when a box is
// drawn, else the path to the object without the object's own node,
// which is drawn again here.
void SoShadow::computeObjectXform()
{
    objectXformValid = TRUE;
    SbBool box = renderAsBox.getValue();
    SoPath *path = box ? transformPath : objectPath;
    SbMatrix m = SbMatrix::identity();
    if (path) {
        SharedAction<SoGetMatrixAction> action(sharedMatrixAction);
        action->apply(path);
        m = action->getMatrix();
        if (!box) {
            action->apply(((SoFullPath *)path)->getTail());
            m.multLeft(action->getInverse());
        }
    }
    SoMatrixTransform *xf = SO_GET_ANY_PART(this, "objectXform", SoMatrixTransform);
    if (xf->matrix.getValue() != m)
        xf->matrix = m;
}

// The unit cube (-1...1) scaled and moved onto the object's box.
void SoShadow::computeObjectBboxXform()
{
    SoTransform *xf = SO_GET_ANY_PART(this, "shadowedObjectXf", SoTransform);
    SbVec3f t(0, 0, 0), s(1, 1, 1);
    if (objectPath) {
        SharedAction<SoGetBoundingBoxAction> action(sharedBoxAction);
        action->setResetPath(resetPath, resetBefore, SoGetBoundingBoxAction::ALL);
        action->apply(objectPath);
        SbBox3f b = action->getBoundingBox();
        action->setResetPath(NULL);
        if (!b.isEmpty()) {
            t = (b.getMin() + b.getMax()) / 2;
            s = (b.getMax() - b.getMin()) / 2;
        }
    }
    if (xf->translation.getValue() != t)
        xf->translation = t;
    if (xf->scaleFactor.getValue() != s)
        xf->scaleFactor = s;
}

void SoShadow::updateShadowedObjectSubgraph()
{
    SoMaterial *m = SO_GET_ANY_PART(this, "material", SoMaterial);
    if (renderAsBox.getValue()) {
        computeObjectBboxXform();
        m->setOverride(FALSE);  // the outline keeps its own material
        SoSeparator *box = new SoSeparator;
        SoDrawStyle *filled = new SoDrawStyle;
        filled->style = SoDrawStyle::FILLED;
        box->addChild(filled);
        box->addChild(new SoCube);
        SoDrawStyle *lines = new SoDrawStyle;
        lines->style = SoDrawStyle::LINES;
        lines->lineWidth = 2;
        box->addChild(lines);
        SoMaterial *outline = new SoMaterial;
        outline->diffuseColor.setValue(0.1f, 0.1f, 0.1f);
        outline->transparency = 0;
        box->addChild(outline);
        box->addChild(new SoCube);
        setAnyPart("shadowedObjectCoords", NULL);
        setAnyPart("shadowedObject", box);
        return;
    }
    m->setOverride(TRUE);
    setAnyPart("shadowedObjectXf", NULL);
    SoNode *coords = objectPath ? getAffectingCoordsIfOutsideTail((SoFullPath *)objectPath) : NULL;
    setAnyPart("shadowedObjectCoords", coords);
    setAnyPart("shadowedObject", objectPath ? ((SoFullPath *)objectPath)->getTail() : NULL);
}

void SoShadow::updateXformNodes()
{
    resolvePendingPaths();
    if (objectXformValid && shadowXformValid)
        return;
    SbBool notify = enableNotify(FALSE);
    if (!shadowXformValid)
        computeShadowXform();
    if (!objectXformValid)
        computeObjectXform();
    enableNotify(notify);
}

SoPath *SoShadow::getPathToAffectingNode(const SoPath *path, const SoType &type)
{
    const SoFullPath *full = (const SoFullPath *)path;
    // The deepest level first: the node nearest the tail wins.
    for (int level = full->getLength() - 2; level >= 0; level--) {
        SoPath *below = lastAffecting(full->getNode(level), type, full->getIndex(level + 1));
        if (!below)
            continue;
        SoPath *p = path->copy(0, level + 1);
        SoFullPath *b = (SoFullPath *)below;
        for (int k = 1; k < b->getLength(); k++)
            p->append(b->getIndex(k));
        below->ref();
        below->unref();
        return p;
    }
    return NULL;
}

// The node is the scene's; the path to it is not kept.
SoNode *SoShadow::getAffectingCoordsIfOutsideTail(SoFullPath *path)
{
    SoPath *p = getPathToAffectingNode(path, SoCoordinate3::getClassTypeId());
    if (!p)
        return NULL;
    p->ref();
    SoNode *coords = ((SoFullPath *)p)->getTail();
    p->unref();
    return coords;
}

void SoShadow::callback(SoCallbackAction *action)
{
    updateXformNodes();
    inherited::callback(action);
}

void SoShadow::GLRender(SoGLRenderAction *action)
{
    updateXformNodes();
    inherited::GLRender(action);
}

// The parts start from a reset transform, so their box is in world
// space; separators above keep boxes in their own space (and cull picks
// with them), so the box is handed up in the space of this node.
void SoShadow::getBoundingBox(SoGetBoundingBoxAction *action)
{
    updateXformNodes();
    SoGetBoundingBoxAction world(action->getViewportRegion());
    world.apply(SO_GET_ANY_PART(this, "topSeparator", SoSeparator));
    SbBox3f box = world.getBoundingBox();
    if (box.isEmpty())
        return;
    SbXfBox3f local(box);
    local.transform(SoModelMatrixElement::get(action->getState()).inverse());
    action->extendBy(local);
}

void SoShadow::getMatrix(SoGetMatrixAction *action)
{
    updateXformNodes();
    inherited::getMatrix(action);
}

void SoShadow::handleEvent(SoHandleEventAction *action)
{
    updateXformNodes();
    inherited::handleEvent(action);
}

void SoShadow::rayPick(SoRayPickAction *action)
{
    updateXformNodes();
    inherited::rayPick(action);
}

void SoShadow::search(SoSearchAction *action)
{
    updateXformNodes();
    inherited::search(action);
}

// File form: the two paths travel in their fields, set for the write only.
void SoShadow::write(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    resolvePendingPaths();
    SbBool shared = !renderAsBox.getValue();
    SbBool notify = enableNotify(FALSE);
    if (out->getStage() == SoOutput::COUNT_REFS) {
        if (objectPath)
            pathToObjectField.setValue(objectPath);
        if (transformPath)
            pathToTransformField.setValue(transformPath);
        // The toolkit writes a part that holds a node of the scene; the
        // path says it already.
        if (shared) {
            setAnyPart("shadowedObjectCoords", NULL);
            setAnyPart("shadowedObject", NULL);
        }
    }
    inherited::write(action);
    if (out->getStage() == SoOutput::WRITE) {
        gspClearPathField(pathToObjectField);
        gspClearPathField(pathToTransformField);
        if (shared)
            updateShadowedObjectSubgraph();
    }
    enableNotify(notify);
}

SbBool SoShadow::readInstance(SoInput *in, unsigned short flags)
{
    if (!inherited::readInstance(in, flags))
        return FALSE;
    SoPath *pendingObject = NULL, *pendingTransform = NULL;
    SoPath *o = gspTakeReadPath(pathToObjectField.getValue(), pendingObject);
    SoPath *t = gspTakeReadPath(pathToTransformField.getValue(), pendingTransform);
    setPaths(o, t);
    setSlot(pendingObjectPath, pendingObject);
    setSlot(pendingTransformPath, pendingTransform);
    if (pendingObject)
        pendingObject->unref();
    if (pendingTransform)
        pendingTransform->unref();
    gspClearPathField(pathToObjectField);
    gspClearPathField(pathToTransformField);
    return TRUE;
}

// Every part is made from the fields and the paths.
void SoShadow::setDefaultOnNonWritingFields()
{
    inherited::setDefaultOnNonWritingFields();
    SoSFNode *parts[] = {&topSeparator, &shadowSwitch, &pickStyle, &lightModel, &complexity,
                         &resetTransform, &shadowXform, &objectXform, &material, &texture2,
                         &shadowedObjectSep, &shadowedObjectCoords, &shadowedObjectXf,
                         &shadowedObject};
    for (SoSFNode *part : parts)
        part->setDefault(TRUE);
}
