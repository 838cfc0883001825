#ifndef GLOSSPIN_TESTS_MONITORREQUESTFUZZ_H
#define GLOSSPIN_TESTS_MONITORREQUESTFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Feeds fuzzer bytes to the monitor service's request reading as one
// client's stream of framed messages. Aborts when a request it takes
// breaks the limits the service relies on, or does not parse back to
// itself once formatted as the client formats it.
int fuzzMonitorRequests(const uint8_t *data, size_t size);

#endif
