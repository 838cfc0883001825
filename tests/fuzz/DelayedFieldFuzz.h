#ifndef GLOSSPIN_TESTS_DELAYEDFIELDFUZZ_H
#define GLOSSPIN_TESTS_DELAYEDFIELDFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Reads one delayed-read field value from fuzzer bytes and checks what
// must hold after any read: no cache file left when the read failed, no
// descriptor-table entry left after the field is gone. The first byte
// chooses binary or ASCII, delayed or cached, file or memory input; the
// rest is the value. Aborts when an invariant breaks.
int fuzzDelayedField(const uint8_t *data, size_t size);

#endif
