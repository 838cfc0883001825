#ifndef GLOSSPIN_MODEL_MODELTEXTURE_H
#define GLOSSPIN_MODEL_MODELTEXTURE_H

#include <string>

struct aiScene;
class SoTexture2;

// A texture node holding the image a material names: embedded in the
// model ("*0", or a file name the model carries), or a file found from
// the model's directory. The image lies in the node's image field, its
// bottom row first as the toolkit has it, so that a written scene stands
// alone. NULL with the reason in why when it cannot be decoded.
SoTexture2 *gspModelTexture(const aiScene *scene, const char *name, const std::string &directory,
                            std::string &why);

#endif
