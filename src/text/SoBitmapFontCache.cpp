#include "text/SoBitmapFontCache.h"

#include <string.h>

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

// A list holds its bitmap as unpacked when it was compiled, so a string of
// listed glyphs is drawn without touching the unpack alignment.
void SoBitmapFontCache::drawString(const SbString &s)
{
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
    const GspFont::Glyph *g = getBitmap(ch);
    if (!g)
        return;
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
