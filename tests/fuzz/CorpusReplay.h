#ifndef GLOSSPIN_TESTS_CORPUSREPLAY_H
#define GLOSSPIN_TESTS_CORPUSREPLAY_H

#include <stddef.h>
#include <stdint.h>

// Runs fuzz on every file of a fuzzer's kept inputs (seeds and past
// crashes) as a test: the folder must not be empty and every input must
// return 0 (a fuzz function aborts when an invariant breaks).
void replayCorpus(const char *dir, int (*fuzz)(const uint8_t *data, size_t size));

#endif
