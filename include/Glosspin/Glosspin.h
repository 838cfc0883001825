#ifndef GLOSSPIN_GLOSSPIN_H
#define GLOSSPIN_GLOSSPIN_H

// Every public class of the library, for programs that use many of them.

#include <Glosspin/Fcm.h>
#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoBitmapText.h>
#include <Glosspin/SoBoxDragger.h>
#include <Glosspin/SoBoxManip.h>
#include <Glosspin/SoGestureDragger.h>
#include <Glosspin/SoGraphPaper.h>
#include <Glosspin/SoHideManip.h>
#include <Glosspin/SoHideManipElement.h>
#include <Glosspin/SoHideableTransformManip.h>
#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/SoNewManips.h>
#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/SoSFTimestamp.h>
#include <Glosspin/SoMFBoundedString.h>
#include <Glosspin/SoMFGrowingNode.h>
#include <Glosspin/SoBounded.h>
#include <Glosspin/SoSFCountedPath.h>
#include <Glosspin/SoRefPlaneDragger.h>
#include <Glosspin/SoRotateJackDragger.h>
#include <Glosspin/SoScreenCompoundDragger.h>
#include <Glosspin/SoScreenPlaneDragger.h>
#include <Glosspin/SoShadow.h>
#include <Glosspin/SoShadowDragger.h>
#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowDetail.h>
#include <Glosspin/ZnArrowDragger.h>
#include <Glosspin/ZnArrowMarker.h>
#include <Glosspin/ZnBulletMarker.h>
#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnInventorNote.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnModelImporter.h>
#include <Glosspin/ZnWebPublisher.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Glosspin/ZnSoundNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnViewNote.h>

#endif
