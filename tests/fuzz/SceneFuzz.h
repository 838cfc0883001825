#ifndef GLOSSPIN_TESTS_SCENEFUZZ_H
#define GLOSSPIN_TESTS_SCENEFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Reads a whole scene file from fuzzer bytes with every library class
// registered. The first byte's low bit turns delayed reading on; the rest
// is the file, ASCII or binary as its header says. A scene that reads is
// written in both encodings and read back to the same node and field
// counts; once it is released (or the read failed and the read has
// returned) no descriptor, cache file, note data file or descriptor-table
// entry of it is left. Aborts when one of these breaks.
int fuzzScene(const uint8_t *data, size_t size);

#endif
