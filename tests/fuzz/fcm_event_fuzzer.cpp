// libFuzzer entry point for the monitor client's event reading.
#include "fuzz/FcmEventFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzFcmEvents(data, size);
}
