#ifndef GLOSSPIN_PLATFORM_FONTMANAGER_H
#define GLOSSPIN_PLATFORM_FONTMANAGER_H

#include <string>

// Glyph bitmaps for screen-aligned text: a font context, font handles for
// a name and a 2 x 2 size matrix, and per-character bitmaps in the form
// glBitmap draws. Font names are looked up first as files in the
// toolkit's font directory (which links the toolkit's font names, such as
// "Utopia-Regular", to installed Type 1 files), then through fontconfig.
namespace GspFont {

struct Context;
struct Font;

// One character's bitmap: 1 bit a pixel, most significant bit first,
// rows from the bottom up, each row padded to a whole byte.
struct Glyph {
    int width, height;        // in pixels
    float xorig, yorig;       // bitmap origin relative to the pen position
    float xmove, ymove;       // pen advance
    unsigned char *bitmap;    // height rows of (width + 7) / 8 bytes
};

Context *createContext();
// Closes the context and every font still open in it.
void destroyContext(Context *context);

// A font of the given name, sized by matrix (x scale, shear; shear, y
// scale, in pixels; only the scales are used). NULL when no font of that
// name exists. In one context the same name and size give the same handle
// while it is open; destroyFont closes it for every holder.
Font *createFont(Context *context, const char *name, const float matrix[2][2]);
void destroyFont(Font *font);

// Font-wide metrics in pixels.
float ascent(const Font *font);
float descent(const Font *font);

// The bitmap of a character, or NULL when the font has no glyph for it.
// Free it with freeBitmap.
Glyph *getBitmap(Font *font, unsigned int character);
void freeBitmap(Glyph *glyph);

// The file a font name resolves to, or an empty string.
std::string findFontFile(const char *name);

}

#endif
