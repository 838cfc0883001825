// Replays the whole-scene fuzzer's kept inputs: seeds and past findings.
#include "support/Test.h"

#include "fuzz/Fuzzers.h"

TEST(SceneFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_SCENE_FUZZ_CORPUS, &fuzzScene);
}
