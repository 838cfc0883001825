// libFuzzer entry point for whole scene files.
#include "fuzz/SceneFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzScene(data, size);
}
