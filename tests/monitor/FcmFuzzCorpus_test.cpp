// Replays the event fuzzer's kept inputs: seeds and every crash it found.
#include "support/Test.h"

#include "fuzz/CorpusReplay.h"
#include "fuzz/FcmEventFuzz.h"

TEST(FcmEventFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_FCM_FUZZ_CORPUS, &fuzzFcmEvents);
}
