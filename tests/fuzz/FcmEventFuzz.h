#ifndef GLOSSPIN_TESTS_FCMEVENTFUZZ_H
#define GLOSSPIN_TESTS_FCMEVENTFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Feeds fuzzer bytes to the monitor client as everything a service sends
// before it closes the connection, and reads events until the client
// gives up. Aborts when an event's name is not terminated inside its
// buffer, a result is out of range, or the reading never ends.
int fuzzFcmEvents(const uint8_t *data, size_t size);

#endif
