#ifndef GLOSSPIN_PUBLISH_PNGIMAGE_H
#define GLOSSPIN_PUBLISH_PNGIMAGE_H

#include <string>

// A PNG file in memory of pixels the toolkit's way: components bytes a
// pixel (1 to 4), the bottom row first. Empty when it cannot be made.
std::string gspPngOfBottomUp(const unsigned char *pixels, int width, int height, int components);

#endif
