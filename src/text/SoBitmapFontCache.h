#ifndef GLOSSPIN_TEXT_SOBITMAPFONTCACHE_H
#define GLOSSPIN_TEXT_SOBITMAPFONTCACHE_H

#include <Inventor/SbBox.h>
#include <Inventor/SbLinear.h>
#include <Inventor/SbPList.h>
#include <Inventor/SbString.h>
#include <Inventor/caches/SoGLRenderCache.h>

#include <string>
#include <unordered_map>

class SoGLDisplayList;
class SoState;

namespace GspFont {
struct Context;
struct Font;
struct Glyph;
}

// Glyph bitmaps of one font at one size for one viewport, shared by every
// bitmap text node through a class-wide list. Each character is fetched
// once; a string whose glyphs sit on whole pixels is drawn as one bitmap
// composed once from them (one glBitmap instead of one per glyph, the
// same pixels), any other string from per-character display lists.
//
// The toolkit's own text node has a private class of the same name, which
// its SoText2 calls through the dynamic linker; this one is therefore
// never exported, so that neither takes the other's place.
class __attribute__((visibility("hidden"))) SoBitmapFontCache : public SoGLRenderCache {
  public:
    // A valid cache for the state's font name, size and viewport (taken
    // from the list or built), referenced; NULL when no font can be had.
    static SoBitmapFontCache *getFont(SoState *state);

    virtual SbBool isValid(const SoState *state) const;
    // Valid and made for the state's GL context.
    SbBool isRenderValid(SoState *state) const;

    void setupToRender(SoState *state);
    SbBool hasDisplayList(unsigned char ch);
    void drawString(const SbString &s);
    void drawCharacter(unsigned char ch);

    const GspFont::Glyph *getBitmap(unsigned char ch);
    SbVec3f getCharOffset(unsigned char ch);
    void getCharBbox(unsigned char ch, SbBox3f &box);
    float getWidth(const SbString &s);
    float getHeight();

    GspFont::Font *getFontHandle() const { return fontNumber; }
    // Caches alive now (exported for the tests; the toolkit has no
    // function of this name).
    __attribute__((visibility("default"))) static int getNumCaches();

  protected:
    virtual void destroy(SoState *state);
    virtual ~SoBitmapFontCache();

  private:
    explicit SoBitmapFontCache(SoState *state);

    int numChars;
    GLuint listBase;
    int listFlags[256];
    const GspFont::Glyph **bitmaps;
    int context;
    SbBool otherOpen;
    GspFont::Font *fontNumber;
    SoGLDisplayList *lists;
    float pixelSize;  // font size in pixels: points x pixels per inch / 72
    // Composed strings (NULL: not on whole pixels), forgotten all at once
    // past MAX_STRINGS of them or MAX_STRING_BYTES of bitmaps.
    std::unordered_map<std::string, GspFont::Glyph *> strings;
    size_t stringBytes = 0;
    static const size_t MAX_STRINGS = 4096, MAX_STRING_BYTES = 8 << 20;

    const GspFont::Glyph *composed(const SbString &s);
    static void drawBitmap(const GspFont::Glyph *g);
    void forgetStrings();

    static float pixelSizeFor(SoState *state);

    static SbPList *fonts;
    static GspFont::Context *fntContext;
    static SbBool contextFailed;
};

#endif
