#ifndef GLOSSPIN_TESTS_MODELFILES_H
#define GLOSSPIN_TESTS_MODELFILES_H

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
// pole.dae: a Z-up Collada triangle in centimetres, 300 cm tall.
std::string zUp(const std::string &dir);

}

#endif
