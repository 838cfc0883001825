#include <Glosspin/SoHideableTransformManip.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoPickAction.h>

#include <Glosspin/SoHideManip.h>
#include <Glosspin/SoHideManipElement.h>

SO_NODE_SOURCE(SoHideableTransformManip);

void SoHideableTransformManip::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SoHideManip::initClass();  // enables the element for the actions used here
    SO__NODE_INIT_CLASS(SoHideableTransformManip, "HideableTransformManip", SoTransformManip);
}

SoHideableTransformManip::SoHideableTransformManip()
{
    SO_NODE_CONSTRUCTOR(SoHideableTransformManip);
}

SoHideableTransformManip::~SoHideableTransformManip()
{
}

SbBool SoHideableTransformManip::isHidden(SoAction *action)
{
    return SoHideManipElement::get(action->getState()) != 0;
}

void SoHideableTransformManip::callback(SoCallbackAction *action)
{
    if (isHidden(action))
        SoTransform::callback(action);
    else
        inherited::callback(action);
}

void SoHideableTransformManip::GLRender(SoGLRenderAction *action)
{
    if (isHidden(action))
        SoTransform::GLRender(action);
    else
        inherited::GLRender(action);
}

void SoHideableTransformManip::getBoundingBox(SoGetBoundingBoxAction *action)
{
    if (isHidden(action))
        SoTransform::getBoundingBox(action);
    else
        inherited::getBoundingBox(action);
}

// A hidden manipulator takes no events, as a plain transform.
void SoHideableTransformManip::handleEvent(SoHandleEventAction *action)
{
    if (!isHidden(action))
        inherited::handleEvent(action);
}

void SoHideableTransformManip::pick(SoPickAction *action)
{
    if (isHidden(action))
        SoTransform::pick(action);
    else
        inherited::pick(action);
}
