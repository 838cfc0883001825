// libFuzzer entry point for model files of every format the importer reads.
#include "fuzz/ModelFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzModel(data, size);
}
