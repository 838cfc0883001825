#include <Glosspin/SoHideManip.h>

#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoPickAction.h>

#include <Glosspin/SoHideManipElement.h>

SO_NODE_SOURCE(SoHideManip);

void SoHideManip::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SO__NODE_INIT_CLASS(SoHideManip, "HideManip", SoNode);
    SoHideManipElement::initClass();
    SO_ENABLE(SoCallbackAction, SoHideManipElement);
    SO_ENABLE(SoGLRenderAction, SoHideManipElement);
    SO_ENABLE(SoGetBoundingBoxAction, SoHideManipElement);
    SO_ENABLE(SoHandleEventAction, SoHideManipElement);
    SO_ENABLE(SoPickAction, SoHideManipElement);
}

SoHideManip::SoHideManip()
{
    SO_NODE_CONSTRUCTOR(SoHideManip);
}

SoHideManip::~SoHideManip()
{
}

void SoHideManip::doAction(SoAction *action)
{
    SoHideManipElement::set(action->getState(), 1);
}

void SoHideManip::callback(SoCallbackAction *action)
{
    doAction(action);
}

void SoHideManip::GLRender(SoGLRenderAction *action)
{
    doAction(action);
}

void SoHideManip::getBoundingBox(SoGetBoundingBoxAction *action)
{
    doAction(action);
}

void SoHideManip::handleEvent(SoHandleEventAction *action)
{
    doAction(action);
}

void SoHideManip::pick(SoPickAction *action)
{
    doAction(action);
}
