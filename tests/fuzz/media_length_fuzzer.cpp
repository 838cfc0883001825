// libFuzzer entry point for the movie and sound length probes.
#include "fuzz/MediaLengthFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzMediaLength(data, size);
}
