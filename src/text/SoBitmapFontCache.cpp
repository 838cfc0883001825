#include "text/SoBitmapFontCache.h"

#include <math.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include <GL/gl.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoFontNameElement.h>
#include <Inventor/elements/SoFontSizeElement.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/elements/SoViewportRegionElement.h>
#include <Inventor/misc/SoState.h>

#include "platform/FontManager.h"

SbPList *SoBitmapFontCache::fonts = NULL;
GspFont::Context *SoBitmapFontCache::fntContext = NULL;
SbBool SoBitmapFontCache::contextFailed = FALSE;

namespace {
const char FALLBACK_FONT[] = "Utopia-Regular";
}

int SoBitmapFontCache::getNumCaches()
{
    return fonts ? fonts->getLength() : 0;
}

SoBitmapFontCache *SoBitmapFontCache::getFont(SoState *state)
{
    if (!fonts) {
        fonts = new SbPList;
        fntContext = GspFont::createContext();
        contextFailed = fntContext == NULL;
    }
    if (contextFailed)
        return NULL;
    for (int i = 0; i < fonts->getLength(); i++) {
        SoBitmapFontCache *c = (SoBitmapFontCache *)(*fonts)[i];
        if (c->isValid(state)) {
            c->ref();
            return c;
        }
    }
    SoBitmapFontCache *c = new SoBitmapFontCache(state);
    if (c->numChars == 0) {
        c->unref(state);
        return NULL;
    }
    return c;
}

SoBitmapFontCache::SoBitmapFontCache(SoState *state)
    : SoGLRenderCache(state), numChars(0), listBase(0), bitmaps(NULL), context(-1),
      otherOpen(FALSE), fontNumber(NULL), lists(NULL), pixelSize(0)
{
    ref();
    memset(listFlags, 0, sizeof listFlags);

    SbName name = SoFontNameElement::get(state);
    addElement(state->getConstElement(SoFontNameElement::getClassStackIndex()));
    if (name == SoFontNameElement::getDefault())
        name = FALLBACK_FONT;
    addElement(state->getConstElement(SoViewportRegionElement::getClassStackIndex()));
    addElement(state->getConstElement(SoFontSizeElement::getClassStackIndex()));
    pixelSize = pixelSizeFor(state);
    const float size = pixelSize;
    const float matrix[2][2] = {{size, 0}, {0, size}};

    fontNumber = GspFont::createFont(fntContext, name.getString(), matrix);
    if (!fontNumber && name != FALLBACK_FONT)
        fontNumber = GspFont::createFont(fntContext, FALLBACK_FONT, matrix);
    if (!fontNumber)
        return;
    numChars = 256;
    bitmaps = new const GspFont::Glyph *[numChars];
    memset(bitmaps, 0, sizeof(bitmaps[0]) * numChars);
    fonts->append(this);
}

SoBitmapFontCache::~SoBitmapFontCache()
{
    forgetStrings();
    if (fontNumber) {
        for (int i = 0; i < numChars; i++)
            GspFont::freeBitmap(const_cast<GspFont::Glyph *>(bitmaps[i]));
        int index = fonts->find(this);
        if (index >= 0)
            fonts->remove(index);
        bool shared = false;
        for (int i = 0; i < fonts->getLength(); i++)
            shared |= ((SoBitmapFontCache *)(*fonts)[i])->fontNumber == fontNumber;
        if (!shared)
            GspFont::destroyFont(fontNumber);
    }
    delete[] bitmaps;
}

void SoBitmapFontCache::destroy(SoState *)
{
    // The lists belong to their GL context; they are freed there when it
    // is next current.
    if (lists) {
        lists->unref(NULL);
        lists = NULL;
        listBase = 0;
    }
    SoGLRenderCache::destroy(NULL);
}

float SoBitmapFontCache::pixelSizeFor(SoState *state)
{
    return SoFontSizeElement::get(state) *
           SoViewportRegionElement::get(state).getPixelsPerInch() / 72.0f;
}

// The toolkit's viewport comparison ignores the resolution, which sets
// the glyphs' pixel size; so the size is compared here as well.
SbBool SoBitmapFontCache::isValid(const SoState *state) const
{
    return SoCache::isValid(state) && pixelSizeFor(const_cast<SoState *>(state)) == pixelSize;
}

SbBool SoBitmapFontCache::isRenderValid(SoState *state) const
{
    if (context == -1)
        return isValid(state);
    return SoGLCacheContextElement::get(state) == context && isValid(state);
}

void SoBitmapFontCache::setupToRender(SoState *state)
{
    if (context == -1)
        context = SoGLCacheContextElement::get(state);
    if (!lists) {
        lists = new SoGLDisplayList(state, SoGLDisplayList::DISPLAY_LIST, numChars);
        lists->ref();
        listBase = lists->getFirstIndex();
    }
    otherOpen = SoCacheElement::anyOpen(state);
    glListBase(listBase);
    SoCacheElement::addCacheDependency(state, this);
}

SbBool SoBitmapFontCache::hasDisplayList(unsigned char ch)
{
    if (listFlags[ch])
        return TRUE;
    if (otherOpen)
        return FALSE;
    glNewList(listBase + ch, GL_COMPILE);
    drawCharacter(ch);
    glEndList();
    listFlags[ch] = 1;
    return TRUE;
}

void SoBitmapFontCache::forgetStrings()
{
    for (auto &entry : strings)
        GspFont::freeBitmap(entry.second);
    strings.clear();
    stringBytes = 0;
}

// The string's glyphs ORed into one bitmap at their pen positions, when
// every origin and advance is a whole pixel: then glBitmap puts each bit
// where the glyph's own would have gone.
const GspFont::Glyph *SoBitmapFontCache::composed(const SbString &s)
{
    auto found = strings.find(s.getString());
    if (found != strings.end())
        return found->second;
    if (strings.size() >= MAX_STRINGS || stringBytes > MAX_STRING_BYTES)
        forgetStrings();
    const unsigned char *p = (const unsigned char *)s.getString();
    struct Placed {
        const GspFont::Glyph *glyph;
        int x, y;  // lower left
    };
    std::vector<Placed> placed;
    int penX = 0, penY = 0, minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool whole = true;
    for (int i = 0; i < s.getLength() && whole; i++) {
        const GspFont::Glyph *g = getBitmap(p[i]);
        if (!g)
            continue;
        whole = g->xorig == floorf(g->xorig) && g->yorig == floorf(g->yorig) &&
                g->xmove == floorf(g->xmove) && g->ymove == floorf(g->ymove);
        int x = penX - (int)g->xorig, y = penY - (int)g->yorig;
        if (g->width > 0 && g->height > 0) {
            if (placed.empty() || minX > x)
                minX = x;
            if (placed.empty() || minY > y)
                minY = y;
            maxX = placed.empty() ? x + g->width : std::max(maxX, x + g->width);
            maxY = placed.empty() ? y + g->height : std::max(maxY, y + g->height);
            placed.push_back({g, x, y});
        }
        penX += (int)g->xmove;
        penY += (int)g->ymove;
    }
    GspFont::Glyph *out = NULL;
    if (whole && maxX - minX < 32768 && maxY - minY < 32768) {
        out = new GspFont::Glyph;
        out->width = placed.empty() ? 0 : maxX - minX;
        out->height = placed.empty() ? 0 : maxY - minY;
        out->xorig = (float)-minX;
        out->yorig = (float)-minY;
        out->xmove = (float)penX;
        out->ymove = (float)penY;
        int rowBytes = (out->width + 7) / 8;
        out->bitmap = new unsigned char[(size_t)(rowBytes * out->height) + 1]();
        stringBytes += (size_t)(rowBytes * out->height);
        for (const Placed &g : placed) {
            int gx = g.x - minX, gy = g.y - minY, gRow = (g.glyph->width + 7) / 8;
            for (int row = 0; row < g.glyph->height; row++)
                for (int col = 0; col < g.glyph->width; col++)
                    if (g.glyph->bitmap[row * gRow + col / 8] & (0x80 >> (col % 8))) {
                        int x = gx + col;
                        out->bitmap[(gy + row) * rowBytes + x / 8] |= (unsigned char)(0x80 >> (x % 8));
                    }
        }
    }
    strings[s.getString()] = out;
    return out;
}

// A composed string is one bitmap. Otherwise: a list holds its bitmap as
// unpacked when it was compiled, so a string of listed glyphs is drawn
// without touching the unpack alignment. Where glyphs overlap, a composed
// string sets each pixel once, where per-glyph bitmaps blend it twice.
void SoBitmapFontCache::drawString(const SbString &s)
{
    if (const GspFont::Glyph *whole = composed(s)) {
        drawBitmap(whole);
        return;
    }
    const unsigned char *p = (const unsigned char *)s.getString();
    int n = s.getLength();
    bool all = true;
    for (int i = 0; i < n && all; i++)
        all = hasDisplayList(p[i]);
    if (all) {
        glCallLists(n, GL_UNSIGNED_BYTE, p);
        return;
    }
    for (int i = 0; i < n; i++) {
        if (hasDisplayList(p[i]))
            glCallList(listBase + p[i]);
        else
            drawCharacter(p[i]);
    }
}

// Glyph rows are byte-aligned; the application's alignment is put back.
void SoBitmapFontCache::drawCharacter(unsigned char ch)
{
    if (const GspFont::Glyph *g = getBitmap(ch))
        drawBitmap(g);
}

void SoBitmapFontCache::drawBitmap(const GspFont::Glyph *g)
{
    GLint alignment;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBitmap(g->width, g->height, g->xorig, g->yorig, g->xmove, g->ymove, g->bitmap);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

const GspFont::Glyph *SoBitmapFontCache::getBitmap(unsigned char ch)
{
    if (!bitmaps)
        return NULL;
    if (!bitmaps[ch])
        bitmaps[ch] = GspFont::getBitmap(fontNumber, ch);
    return bitmaps[ch];
}

SbVec3f SoBitmapFontCache::getCharOffset(unsigned char ch)
{
    const GspFont::Glyph *g = getBitmap(ch);
    return g ? SbVec3f(g->xmove, g->ymove, 0) : SbVec3f(0, 0, 0);
}

void SoBitmapFontCache::getCharBbox(unsigned char ch, SbBox3f &box)
{
    box.makeEmpty();
    const GspFont::Glyph *g = getBitmap(ch);
    if (!g)
        return;
    box.extendBy(SbVec3f(-g->xorig, -g->yorig, 0));
    box.extendBy(SbVec3f(g->width - g->xorig, g->height - g->yorig, 0));
}

float SoBitmapFontCache::getWidth(const SbString &s)
{
    float w = 0;
    const unsigned char *p = (const unsigned char *)s.getString();
    for (int i = 0; i < s.getLength(); i++)
        if (const GspFont::Glyph *g = getBitmap(p[i]))
            w += g->xmove;
    return w;
}

float SoBitmapFontCache::getHeight()
{
    const GspFont::Glyph *g = getBitmap('M');
    return g ? g->height - g->yorig : 0.0f;
}
