// libFuzzer's entry point, calling the fuzz function GSP_FUZZ_TARGET.
#include "fuzz/Fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return GSP_FUZZ_TARGET(data, size);
}
