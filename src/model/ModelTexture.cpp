#include "model/ModelTexture.h"

#include <string.h>

#include <vector>

#include <Inventor/nodes/SoTexture2.h>
#include <assimp/scene.h>
#include <stb/stb_image.h>

namespace {

// Texture names in models are often written on another system.
std::string fileOf(const char *name, const std::string &directory)
{
    std::string file = name;
    if (file.compare(0, 7, "file://") == 0)
        file.erase(0, 7);
    for (char &c : file)
        if (c == '\\')
            c = '/';
    if (!file.empty() && file[0] != '/' && !directory.empty())
        file = directory + "/" + file;
    return file;
}

// The toolkit's image field takes at most 32767 pixels a side.
SoTexture2 *textureOf(const unsigned char *pixels, int width, int height, int components,
                      std::string &why)
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || !pixels) {
        why = "the image is " + std::to_string(width) + " x " + std::to_string(height) +
              " pixels, more than a texture can hold";
        return NULL;
    }
    size_t row = (size_t)width * (size_t)components;
    std::vector<unsigned char> bottomUp(row * (size_t)height);
    for (int y = 0; y < height; y++)
        memcpy(&bottomUp[(size_t)(height - 1 - y) * row], pixels + (size_t)y * row, row);
    SoTexture2 *texture = new SoTexture2;
    texture->image.setValue(SbVec2s((short)width, (short)height), components, bottomUp.data());
    return texture;
}

SoTexture2 *decoded(unsigned char *pixels, int width, int height, int components,
                    std::string &why)
{
    if (!pixels) {
        why = stbi_failure_reason() ? stbi_failure_reason() : "unknown image format";
        return NULL;
    }
    SoTexture2 *texture = textureOf(pixels, width, height, components, why);
    stbi_image_free(pixels);
    return texture;
}

}

SoTexture2 *gspModelTexture(const aiScene *scene, const char *name, const std::string &directory,
                            std::string &why)
{
    int width = 0, height = 0, components = 0;
    if (const aiTexture *embedded = scene->GetEmbeddedTexture(name)) {
        if (embedded->mHeight == 0) {  // a compressed image of mWidth bytes
            if (embedded->mWidth > (unsigned)INT32_MAX) {
                why = "the embedded image is too large";
                return NULL;
            }
            unsigned char *pixels =
                stbi_load_from_memory((const stbi_uc *)embedded->pcData, (int)embedded->mWidth,
                                      &width, &height, &components, 0);
            return decoded(pixels, width, height, components, why);
        }
        // Raw texels, blue, green, red, alpha.
        if (embedded->mWidth > 32767 || embedded->mHeight > 32767)
            return textureOf(NULL, (int)embedded->mWidth, (int)embedded->mHeight, 4, why);
        std::vector<unsigned char> rgba((size_t)embedded->mWidth * embedded->mHeight * 4);
        for (size_t i = 0; i < rgba.size() / 4; i++) {
            const aiTexel &t = embedded->pcData[i];
            unsigned char *p = &rgba[i * 4];
            p[0] = t.r, p[1] = t.g, p[2] = t.b, p[3] = t.a;
        }
        return textureOf(rgba.data(), (int)embedded->mWidth, (int)embedded->mHeight, 4, why);
    }
    std::string file = fileOf(name, directory);
    unsigned char *pixels = stbi_load(file.c_str(), &width, &height, &components, 0);
    SoTexture2 *texture = decoded(pixels, width, height, components, why);
    if (!texture)
        why = file + ": " + why;
    return texture;
}
