// Replays the whole-scene fuzzer's kept inputs: seeds and past findings.
#include "support/Test.h"

#include "fuzz/CorpusReplay.h"
#include "fuzz/SceneFuzz.h"

TEST(SceneFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_SCENE_FUZZ_CORPUS, &fuzzScene);
}
