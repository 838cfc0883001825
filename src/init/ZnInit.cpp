#include <Glosspin/ZnInit.h>

#include <Glosspin/SoBitmapText.h>
#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnNote.h>

#include "platform/HardwareProbe.h"

int ZnInit::initialized = 0;

void ZnInit::initClasses()
{
    if (initialized)
        return;
    // Set first: the chaining initClass() functions call back here.
    initialized = 1;

    // In registration order; each later class joins this list.
    if (ZnArrow::getClassTypeId() == SoType::badType())
        ZnArrow::initClass();
    if (ZnNote::getClassTypeId() == SoType::badType())
        ZnNote::initClass();
    if (SoSFDelayedData::getClassTypeId() == SoType::badType())
        SoSFDelayedData::initClass();
    // The library's own screen-aligned text (never written to files).
    SoBitmapText::initClass();

    GspHardwareProbe::probeAll();
}
