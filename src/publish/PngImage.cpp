#include "publish/PngImage.h"

#include <stb/stb_image_write.h>

namespace {

void append(void *context, void *data, int size)
{
    ((std::string *)context)->append((const char *)data, (size_t)size);
}

}

std::string gspPngOfBottomUp(const unsigned char *pixels, int width, int height, int components)
{
    std::string png;
    if (!pixels || width <= 0 || height <= 0 || components < 1 || components > 4)
        return png;
    // A negative stride walks the rows from the last (the top) down.
    int stride = width * components;
    const unsigned char *top = pixels + (size_t)stride * (size_t)(height - 1);
    if (!stbi_write_png_to_func(append, &png, width, height, components, top, -stride))
        png.clear();
    return png;
}
