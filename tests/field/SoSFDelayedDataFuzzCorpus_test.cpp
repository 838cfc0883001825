// Replays the fuzzer's kept inputs: seeds and every crash it ever found.
#include "support/Test.h"

#include "fuzz/Fuzzers.h"

TEST(DelayedFieldFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_FUZZ_CORPUS, &fuzzDelayedField);
}
