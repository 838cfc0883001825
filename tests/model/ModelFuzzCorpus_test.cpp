// Replays the model fuzzer's kept inputs: seeds and past findings.
#include "support/Test.h"

#include "fuzz/CorpusReplay.h"
#include "fuzz/ModelFuzz.h"

TEST(ModelFuzzCorpus, EveryKeptInputImportsSafely)
{
    replayCorpus(GLOSSPIN_MODEL_FUZZ_CORPUS, &fuzzModel);
}
