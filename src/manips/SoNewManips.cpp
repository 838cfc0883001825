#include <Glosspin/SoNewManips.h>

#include <Inventor/SoInteraction.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoBoxDragger.h>
#include <Glosspin/SoBoxManip.h>
#include <Glosspin/SoGestureDragger.h>
#include <Glosspin/SoGraphPaper.h>
#include <Glosspin/SoHideManip.h>
#include <Glosspin/SoHideableTransformManip.h>
#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/SoRefPlaneDragger.h>
#include <Glosspin/SoRotateJackDragger.h>
#include <Glosspin/SoScreenCompoundDragger.h>
#include <Glosspin/SoScreenPlaneDragger.h>
#include <Glosspin/SoShadow.h>
#include <Glosspin/SoShadowDragger.h>

SbBool SoNewManips::initialized = FALSE;

void SoNewManips::init()
{
    if (initialized)
        return;
    SoInteraction::init();
    SoAntiSquish2::initClass();
    SoHideManip::initClass();
    SoLocateHighlightGroup::initClass();
    SoGraphPaper::initClass();
    SoShadow::initClass();
    SoGestureDragger::initClass();
    SoShadowDragger::initClass();
    SoRefPlaneDragger::initClass();
    SoScreenPlaneDragger::initClass();
    SoScreenCompoundDragger::initClass();
    SoRotateJackDragger::initClass();
    SoBoxDragger::initClass();
    SoHideableTransformManip::initClass();
    SoBoxManip::initClass();
    initialized = TRUE;
}
