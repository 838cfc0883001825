#ifndef GLOSSPIN_TESTS_FUZZERS_H
#define GLOSSPIN_TESTS_FUZZERS_H

#include <stddef.h>
#include <stdint.h>

// The fuzz functions: each takes one input of its fuzzer (libFuzzer's
// entry point calls it, and the suite replays the kept inputs through
// it), returns 0, and aborts when an invariant breaks.

// Reads one delayed-read field value from fuzzer bytes and checks what
// must hold after any read: no cache file left when the read failed, no
// descriptor-table entry left after the field is gone. The first byte
// chooses binary or ASCII, delayed or cached, file or memory input; the
// rest is the value. Aborts when an invariant breaks.
int fuzzDelayedField(const uint8_t *data, size_t size);

// Feeds fuzzer bytes to the monitor client as everything a service sends
// before it closes the connection, and reads events until the client
// gives up. Aborts when an event's name is not terminated inside its
// buffer, a result is out of range, or the reading never ends.
int fuzzFcmEvents(const uint8_t *data, size_t size);

// Measures fuzzer bytes as a movie and as a sound, in memory as a block
// of a scene file is measured. Aborts when a length is not a number, or
// below what the probes may answer (-1 for a movie, 0 for a sound).
int fuzzMediaLength(const uint8_t *data, size_t size);

// Imports fuzzer bytes as a model: the first byte chooses the format
// (glb, gltf, obj, stl, ply, fbx, dae, 3ds), the rest is the file. What
// comes in is measured and written as a scene, as the tools do with it.
int fuzzModel(const uint8_t *data, size_t size);

// Feeds fuzzer bytes to the monitor service's request reading as one
// client's stream of framed messages. Aborts when a request it takes
// breaks the limits the service relies on, or does not parse back to
// itself once formatted as the client formats it.
int fuzzMonitorRequests(const uint8_t *data, size_t size);

// Reads a whole scene file from fuzzer bytes with every library class
// registered. The first byte's low bit turns delayed reading on; the rest
// is the file, ASCII or binary as its header says. A scene that reads is
// written in both encodings and read back to the same node and field
// counts; once it is released (or the read failed and the read has
// returned) no descriptor, cache file, note data file or descriptor-table
// entry of it is left. Aborts when one of these breaks.
int fuzzScene(const uint8_t *data, size_t size);

// Runs fuzz on every file of a fuzzer's kept inputs (seeds and past
// crashes) as a test: the folder must not be empty and every input must
// return 0 (a fuzz function aborts when an invariant breaks).
void replayCorpus(const char *dir, int (*fuzz)(const uint8_t *data, size_t size));

#endif
