// libFuzzer entry point for the monitor service's request reading.
#include "fuzz/MonitorRequestFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzMonitorRequests(data, size);
}
