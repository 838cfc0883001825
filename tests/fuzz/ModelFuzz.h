#ifndef GLOSSPIN_TESTS_MODELFUZZ_H
#define GLOSSPIN_TESTS_MODELFUZZ_H

#include <stddef.h>
#include <stdint.h>

// Imports fuzzer bytes as a model: the first byte chooses the format
// (glb, gltf, obj, stl, ply, fbx, dae, 3ds), the rest is the file. What
// comes in is measured and written as a scene, as the tools do with it.
int fuzzModel(const uint8_t *data, size_t size);

#endif
