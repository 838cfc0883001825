// libFuzzer entry point for the delayed-read field reader.
#include "fuzz/DelayedFieldFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzDelayedField(data, size);
}
