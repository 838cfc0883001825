#ifndef GLOSSPIN_TESTS_MEDIALENGTHFUZZ_H
#define GLOSSPIN_TESTS_MEDIALENGTHFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Measures fuzzer bytes as a movie and as a sound, in memory as a block
// of a scene file is measured. Aborts when a length is not a number, or
// below what the probes may answer (-1 for a movie, 0 for a sound).
int fuzzMediaLength(const uint8_t *data, size_t size);

#endif
