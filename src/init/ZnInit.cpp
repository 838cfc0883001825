#include <Glosspin/ZnInit.h>

#include <Glosspin/SoNewManips.h>
#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowDragger.h>
#include <Glosspin/ZnArrowMarker.h>
#include <Glosspin/ZnBulletMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInventorNote.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Glosspin/ZnSoundNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnViewNote.h>
#include <Inventor/SoInteraction.h>

int ZnInit::initialized = 0;

void ZnInit::initClasses()
{
    if (initialized)
        return;
    // Set first: the chaining initClass() functions call back here.
    initialized = 1;

    // Markers and draggers are interaction kits.
    SoInteraction::init();

    // In the library's registration order; each class registers only
    // once.
    typedef void (*InitFn)();
    struct Entry {
        SoType (*type)();
        InitFn init;
    };
    static const Entry classes[] = {
        {ZnMarker::getClassTypeId, ZnMarker::initClass},
        {ZnNote::getClassTypeId, ZnNote::initClass},
        {ZnArrowMarker::getClassTypeId, ZnArrowMarker::initClass},
        {ZnBulletMarker::getClassTypeId, ZnBulletMarker::initClass},
        {ZnMarkerSequencer::getClassTypeId, ZnMarkerSequencer::initClass},
        {ZnArrow::getClassTypeId, ZnArrow::initClass},
        {ZnImageNote::getClassTypeId, ZnImageNote::initClass},
        {ZnInventorNote::getClassTypeId, ZnInventorNote::initClass},
        {ZnMovieNote::getClassTypeId, ZnMovieNote::initClass},
        {ZnSoundNote::getClassTypeId, ZnSoundNote::initClass},
        {ZnTextNote::getClassTypeId, ZnTextNote::initClass},
        {ZnViewNote::getClassTypeId, ZnViewNote::initClass},
        {ZnSystemNote::getClassTypeId, ZnSystemNote::initClass},
        {ZnURLNote::getClassTypeId, ZnURLNote::initClass},
        {ZnNoteList::getClassTypeId, ZnNoteList::initClass},
        {SoSFDelayedData::getClassTypeId, SoSFDelayedData::initClass},
        {ZnArrowDragger::getClassTypeId, ZnArrowDragger::initClass},
    };
    for (const Entry &c : classes)
        if (c.type() == SoType::badType())
            c.init();
    // The manipulator toolkit the markers' draggers come from.
    SoNewManips::init();
}
