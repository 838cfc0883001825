#ifndef GLOSSPIN_MODEL_MODELCONVERSION_H
#define GLOSSPIN_MODEL_MODELCONVERSION_H

#include <string>
#include <vector>

struct aiScene;
class SoSeparator;

struct GspModelCounts {
    int nodes = 0, meshes = 0, textures = 0;
    long triangles = 0;
};

// The toolkit's nodes for a model the model library has read (see
// ZnModelImporter for what becomes of what). The meshes' arrays are
// released as they are copied: scene is spent afterwards. Textures named by file are
// looked for from directory; what cannot come in is added to warnings.
// NULL with the reason in why when the model's hierarchy is deeper than
// the toolkit's traversals can go.
SoSeparator *gspConvertModel(aiScene *scene, const std::string &directory,
                             GspModelCounts &counts, std::vector<std::string> &warnings,
                             std::string &why);

#endif
