#ifndef GLOSSPIN_TESTS_MODELFILES_H
#define GLOSSPIN_TESTS_MODELFILES_H

#include <stdint.h>

#include <string>

// Small models in other formats, written into a directory for the
// importer's tests. Each returns the model's file name there.
namespace GspModels {

// box.obj with box.mtl: a red quad "Box" (specular 0.5, Ns 64), a
// half-transparent blue quad, a line.
std::string obj(const std::string &dir);
// tri.stl: one triangle (0 0 0) (2 0 0) (0 3 0), ASCII.
std::string asciiStl(const std::string &dir);
// two.stl: two triangles spanning (0 0 0) to (1 1 0), binary.
std::string binaryStl(const std::string &dir);
// coloured.ply: one triangle with a red, a green and a blue corner.
std::string ply(const std::string &dir);
// A glTF hierarchy: "Parent" moved by (10, 0, 0), its "Child" scaled by
// 2, holding the unit quad "Quad" (0..1 in X and Y) with texture
// coordinates and the 2 x 2 texture below. As tree.gltf with tree.bin
// and checker.png beside it, or as one tree.glb with everything inside.
std::string gltf(const std::string &dir, bool binary);
// The texture's pixels, top row first: red, green / blue, white.
extern const unsigned char CHECKER[2 * 2 * 3];
// A binary glTF holding json and its one buffer bin.
inline std::string glb(std::string json, const std::string &bin)
{
    while (json.size() % 4)
        json += ' ';
    uint32_t header[5] = {0x46546c67, 2, (uint32_t)(12 + 8 + json.size() + 8 + bin.size()),
                          (uint32_t)json.size(), 0x4e4f534a};  // "glTF", "JSON"
    uint32_t chunk[2] = {(uint32_t)bin.size(), 0x004e4942};  // "BIN\0"
    return std::string((const char *)header, sizeof header) + json +
           std::string((const char *)chunk, sizeof chunk) + bin;
}
// pole.dae: a Z-up Collada triangle in centimetres, 300 cm tall.
std::string zUp(const std::string &dir);

}

#endif
