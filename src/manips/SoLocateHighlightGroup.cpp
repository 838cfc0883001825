#include <Glosspin/SoLocateHighlightGroup.h>

#include <GL/gl.h>
#include <GL/glx.h>

#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/bundles/SoMaterialBundle.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoLazyElement.h>
#include <Inventor/elements/SoOverrideElement.h>
#include <Inventor/events/SoLocation2Event.h>

#include "init/FrontBuffer.h"
#include "init/GLWindowList.h"

SO_NODE_SOURCE(SoLocateHighlightGroup);

Widget SoLocateHighlightGroup::currentWidget = NULL;
SoLocateHighlightGroup *SoLocateHighlightGroup::currentHighlight = NULL;

void SoLocateHighlightGroup::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO__NODE_INIT_CLASS(SoLocateHighlightGroup, "LocateHighlightGroup", SoGroup);
}

SoLocateHighlightGroup::SoLocateHighlightGroup()
    : windows(new GspGLWindowList(&SoLocateHighlightGroup::parentWindowEventCB,
                                  &SoLocateHighlightGroup::widgetDestroyedCB, this)),
      highlighted(FALSE), drawingHighlight(FALSE), renderAction(NULL), highlightPath(NULL),
      colorPacker(new SoColorPacker)
{
    SO_NODE_CONSTRUCTOR(SoLocateHighlightGroup);
    SO_NODE_ADD_FIELD(onOff, (TRUE));
    SO_NODE_ADD_FIELD(emissiveColor, (0.8f, 0.3f, 0.1f));
    SO_NODE_ADD_FIELD(diffuseColor, (0.8f, 0.3f, 0.1f));
}

SoLocateHighlightGroup::~SoLocateHighlightGroup()
{
    if (currentHighlight == this)
        currentHighlight = NULL;
    if (highlightPath)
        highlightPath->unref();
    delete renderAction;
    delete colorPacker;
    delete windows;
}

void SoLocateHighlightGroup::checkForWindow() { windows->noteCurrent(GspGLWindowList::TO_FRONT); }

void SoLocateHighlightGroup::GLRender(SoGLRenderAction *action)
{
    if (!onOff.getValue()) {
        SoGroup::GLRender(action);
        return;
    }
    GLboolean rgba = GL_TRUE;
    glGetBooleanv(GL_RGBA_MODE, &rgba);
    if (rgba && !drawingHighlight)
        checkForWindow();

    SbBool useHighlight = highlighted && currentWidget &&
                          glXGetCurrentDrawable() == XtWindow(currentWidget);
    SoState *state = action->getState();
    state->push();
    SoCacheElement::invalidate(state);
    GLint depthFunc;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    if (useHighlight) {
        SbColor diffuse = diffuseColor.getValue(), emissive = emissiveColor.getValue();
        SoLazyElement::setDiffuse(state, this, 1, &diffuse, colorPacker);
        SoLazyElement::setEmissive(state, &emissive);
        SoOverrideElement::setDiffuseColorOverride(state, this, TRUE);
        SoOverrideElement::setEmissiveColorOverride(state, this, TRUE);
        SoMaterialBundle mb(action);
        mb.forceSend(0);
    }
    glDepthFunc(useHighlight || drawingHighlight ? GL_LEQUAL : GL_LESS);
    SoGroup::GLRender(action);
    glDepthFunc(depthFunc);
    state->pop();
}

void SoLocateHighlightGroup::handleEvent(SoHandleEventAction *action)
{
    if (!onOff.getValue()) {
        SoGroup::handleEvent(action);
        return;
    }
    if (action->getEvent()->isOfType(SoLocation2Event::getClassTypeId()) && currentWidget) {
        const SoPickedPoint *pp = action->getPickedPoint();
        SbBool over = pp && pp->getPath()->containsPath(action->getCurPath());
        if (!highlighted && over)
            redrawHighlighted(action, TRUE);
        else if (highlighted && over)
            action->setHandled();
        else if (highlighted && !over)
            redrawHighlighted(NULL, FALSE);
    }
    if (action->getGrabber() != this)
        SoGroup::handleEvent(action);
}

void SoLocateHighlightGroup::redrawHighlighted(SoHandleEventAction *action, SbBool highlight)
{
    if (!currentWidget || windows->getLength() == 0)
        return;
    highlighted = highlight;
    if (highlight) {
        if (currentHighlight && currentHighlight != this)
            currentHighlight->redrawHighlighted(NULL, FALSE);
        if (highlightPath)
            highlightPath->unref();
        highlightPath = action->getCurPath()->copy();
        highlightPath->ref();
    }
    if (!renderAction)
        renderAction = new SoGLRenderAction(action ? action->getViewportRegion()
                                                   : SbViewportRegion(1, 1));
    else if (action)
        renderAction->setViewportRegion(action->getViewportRegion());

    int index = windows->findWidget(currentWidget);
    if (index < 0) {
        currentWidget = windows->widget(0);
        index = 0;
    }
    if (highlightPath && XtIsRealized(currentWidget))
        gspDrawIntoFrontBuffer(currentWidget, windows->context(index), renderAction,
                               highlightPath, drawingHighlight);
    if (!highlight && highlightPath) {
        highlightPath->unref();
        highlightPath = NULL;
    }
    if (highlight)
        currentHighlight = this;
    else if (currentHighlight == this)
        currentHighlight = NULL;
}

void SoLocateHighlightGroup::parentWindowEventCB(Widget parent, XtPointer clientData,
                                                 XEvent *event, Boolean *)
{
    SoLocateHighlightGroup *group = (SoLocateHighlightGroup *)clientData;
    if (event->type == EnterNotify) {
        int index = group->windows->findParent(parent);
        if (index >= 0)
            currentWidget = group->windows->widget(index);
    } else if (group->highlighted) {
        group->redrawHighlighted(NULL, FALSE);
    }
}

void SoLocateHighlightGroup::widgetDestroyedCB(Widget w, XtPointer clientData, XtPointer)
{
    SoLocateHighlightGroup *group = (SoLocateHighlightGroup *)clientData;
    if (currentWidget == w)
        currentWidget = NULL;
    group->windows->forgetWidget(w);
}
