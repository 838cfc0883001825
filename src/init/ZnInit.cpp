#include <Glosspin/ZnInit.h>

#include <Glosspin/SoBitmapText.h>
#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnArrow.h>
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

#include "platform/HardwareProbe.h"

int ZnInit::initialized = 0;

void ZnInit::initClasses()
{
    if (initialized)
        return;
    // Set first: the chaining initClass() functions call back here.
    initialized = 1;

    // Markers are interaction kits.
    SoInteraction::init();

    // In registration order; each later class joins this list.
    if (ZnMarker::getClassTypeId() == SoType::badType())
        ZnMarker::initClass();
    if (ZnArrow::getClassTypeId() == SoType::badType())
        ZnArrow::initClass();
    // Notes hold a delayed-read field.
    if (SoSFDelayedData::getClassTypeId() == SoType::badType())
        SoSFDelayedData::initClass();
    if (ZnNote::getClassTypeId() == SoType::badType())
        ZnNote::initClass();
    if (ZnTextNote::getClassTypeId() == SoType::badType())
        ZnTextNote::initClass();
    if (ZnURLNote::getClassTypeId() == SoType::badType())
        ZnURLNote::initClass();
    if (ZnViewNote::getClassTypeId() == SoType::badType())
        ZnViewNote::initClass();
    if (ZnMovieNote::getClassTypeId() == SoType::badType())
        ZnMovieNote::initClass();
    if (ZnSoundNote::getClassTypeId() == SoType::badType())
        ZnSoundNote::initClass();
    if (ZnImageNote::getClassTypeId() == SoType::badType())
        ZnImageNote::initClass();
    if (ZnSystemNote::getClassTypeId() == SoType::badType())
        ZnSystemNote::initClass();
    if (ZnInventorNote::getClassTypeId() == SoType::badType())
        ZnInventorNote::initClass();
    if (ZnNoteList::getClassTypeId() == SoType::badType())
        ZnNoteList::initClass();
    // The library's own screen-aligned text (never written to files).
    SoBitmapText::initClass();

    GspHardwareProbe::probeAll();
    ZnMovieNote::hasVideoHW = GspHardwareProbe::hasVideoHW;
    ZnSoundNote::hasAudioHW = GspHardwareProbe::hasAudioHW;
}
