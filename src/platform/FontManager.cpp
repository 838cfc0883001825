#include "platform/FontManager.h"

#include <math.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <map>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace GspFont {

struct Font;

// A FreeType library and the fonts open in it by file and size: the same
// request gets the same handle, so that callers can tell when a handle is
// shared.
struct Context {
    FT_Library library;
    std::map<std::string, Font *> open;
};

struct Font {
    Context *context;
    FT_Face face;
    std::string key;
};

namespace {

// "Family-Style" as the toolkit names fonts; fontconfig wants the parts
// apart.
void splitName(const std::string &name, std::string &family, std::string &style)
{
    size_t dash = name.rfind('-');
    family = dash == std::string::npos ? name : name.substr(0, dash);
    style = dash == std::string::npos ? "" : name.substr(dash + 1);
}

// True when family is the requested one or one of its aliases: the names
// fontconfig's configuration binds strongly to it (Helvetica's metric
// twin, say), not the weak fall-backs it adds for any name.
bool isRequestedFamily(FcPattern *substituted, const FcChar8 *family)
{
    FcValue v;
    FcValueBinding binding;
    for (int i = 0;
         FcPatternGetWithBinding(substituted, FC_FAMILY, i, &v, &binding) == FcResultMatch; i++)
        if (binding != FcValueBindingWeak && v.type == FcTypeString &&
            strcasecmp((const char *)v.u.s, (const char *)family) == 0)
            return true;
    return false;
}

// Asks fontconfig for the family; its best match must be that family or
// an alias of it, not the substitute fontconfig offers for any name.
std::string fontconfigFile(const std::string &name)
{
    if (!FcInit())
        return "";
    std::string family, style;
    splitName(name, family, style);
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)family.c_str());
    if (!style.empty())
        FcPatternAddString(pattern, FC_STYLE, (const FcChar8 *)style.c_str());
    FcConfigSubstitute(NULL, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern *match = FcFontMatch(NULL, pattern, &result);
    std::string file;
    FcChar8 *matched = NULL, *path = NULL;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch &&
        isRequestedFamily(pattern, matched) &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = (const char *)path;
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

}

std::string findFontFile(const char *name)
{
    if (!name || !*name || strchr(name, '/'))
        return "";
    std::string own = std::string(GLOSSPIN_TOOLKIT_FONT_DIR) + "/" + name;
    if (access(own.c_str(), R_OK) == 0)
        return own;
    return fontconfigFile(name);
}

Context *createContext()
{
    Context *c = new Context;
    if (FT_Init_FreeType(&c->library) != 0) {
        delete c;
        return NULL;
    }
    return c;
}

void destroyContext(Context *context)
{
    if (!context)
        return;
    for (auto &f : context->open)
        delete f.second;
    FT_Done_FreeType(context->library);
    delete context;
}

Font *createFont(Context *context, const char *name, const float matrix[2][2])
{
    if (!context)
        return NULL;
    std::string file = findFontFile(name);
    if (file.empty())
        return NULL;
    FT_UInt w = (FT_UInt)lroundf(fabsf(matrix[0][0]));
    FT_UInt h = (FT_UInt)lroundf(fabsf(matrix[1][1]));
    if (h == 0)
        return NULL;
    std::string key = file + "\n" + std::to_string(w) + "x" + std::to_string(h);
    auto known = context->open.find(key);
    if (known != context->open.end())
        return known->second;
    FT_Face face;
    if (FT_New_Face(context->library, file.c_str(), 0, &face) != 0)
        return NULL;
    if (FT_Set_Pixel_Sizes(face, w == h ? 0 : w, h) != 0) {
        FT_Done_Face(face);
        return NULL;
    }
    Font *f = new Font;
    f->context = context;
    f->face = face;
    f->key = key;
    context->open[key] = f;
    return f;
}

void destroyFont(Font *font)
{
    if (!font)
        return;
    font->context->open.erase(font->key);
    FT_Done_Face(font->face);
    delete font;
}

float ascent(const Font *font)
{
    return font->face->size->metrics.ascender / 64.0f;
}

float descent(const Font *font)
{
    return -font->face->size->metrics.descender / 64.0f;
}

Glyph *getBitmap(Font *font, unsigned int character)
{
    FT_Face face = font->face;
    FT_UInt index = FT_Get_Char_Index(face, character);
    if (index == 0 && character != ' ')
        return NULL;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0)
        return NULL;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &bm = slot->bitmap;
    Glyph *g = new Glyph;
    g->width = (int)bm.width;
    g->height = (int)bm.rows;
    g->xorig = (float)-slot->bitmap_left;
    g->yorig = (float)(g->height - slot->bitmap_top);
    g->xmove = slot->advance.x / 64.0f;
    g->ymove = slot->advance.y / 64.0f;
    int rowBytes = (g->width + 7) / 8;
    g->bitmap = new unsigned char[(size_t)(rowBytes * g->height) + 1];
    // FreeType's rows run top down; glBitmap's bottom up.
    for (int row = 0; row < g->height; row++) {
        const unsigned char *src = bm.buffer + (bm.pitch >= 0 ? row * bm.pitch
                                                              : (g->height - 1 - row) * -bm.pitch);
        memcpy(g->bitmap + (g->height - 1 - row) * rowBytes, src, (size_t)rowBytes);
    }
    return g;
}

void freeBitmap(Glyph *glyph)
{
    if (!glyph)
        return;
    delete[] glyph->bitmap;
    delete glyph;
}

}
