#ifndef GLOSSPIN_PUBLISH_GLBWRITER_H
#define GLOSSPIN_PUBLISH_GLBWRITER_H

#include <string>

struct GspSceneCapture;

// The captured shapes as one glTF 2.0 binary file: a mesh and a material
// a shape, each marker's shapes under a node named "glosspin-marker-N"
// (N its index in the capture), textures as embedded PNG images.
std::string gspGlbOf(const GspSceneCapture &capture);

#endif
