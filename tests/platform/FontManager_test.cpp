// The font layer: name look-up (toolkit directory first, then fontconfig,
// aliases but no substitutes), glyph bitmaps in glBitmap's layout.
#include "support/Test.h"

#include "platform/FontManager.h"

namespace {

struct Fonts : ::testing::Test {
    void SetUp() override { ctx = GspFont::createContext(); ASSERT_TRUE(ctx); }
    void TearDown() override { GspFont::destroyContext(ctx); }

    GspFont::Font *font(const char *name, float px)
    {
        const float m[2][2] = {{px, 0}, {0, px}};
        return GspFont::createFont(ctx, name, m);
    }

    // Number of set pixels in row r (bottom up) of a glyph.
    static int rowInk(const GspFont::Glyph *g, int r)
    {
        int n = 0, bytes = (g->width + 7) / 8;
        for (int x = 0; x < g->width; x++)
            n += (g->bitmap[r * bytes + x / 8] >> (7 - x % 8)) & 1;
        return n;
    }

    GspFont::Context *ctx = NULL;
};

}

TEST_F(Fonts, NamesResolveThroughTheToolkitDirectoryThenFontconfig)
{
    std::string utopia = GspFont::findFontFile("Utopia-Regular");
    EXPECT_EQ(0u, utopia.find("/usr/share/inventor/fonts/")) << utopia;
    EXPECT_FALSE(GspFont::findFontFile("Nimbus Sans-Bold").empty());
    // A family the machine has under another name, as fontconfig aliases
    // it: the note list's Helvetica is the metric-compatible sans.
    EXPECT_FALSE(GspFont::findFontFile("Helvetica").empty());
    EXPECT_EQ(GspFont::findFontFile("Nimbus Sans"), GspFont::findFontFile("Helvetica"));
    // No stand-in for a family that does not exist, and no paths.
    EXPECT_EQ("", GspFont::findFontFile("NoSuchFamily-Regular"));
    EXPECT_EQ("", GspFont::findFontFile("../fonts/Courier-Bold"));
    EXPECT_EQ(NULL, font("NoSuchFamily-Regular", 20));
    EXPECT_EQ(NULL, font("Courier-Regular", 0));  // a zero size is no font
}

TEST_F(Fonts, GlyphBitmapsStandOnTheBaselineBottomRowFirst)
{
    GspFont::Font *f = font("Utopia-Regular", 40);
    ASSERT_TRUE(f);
    GspFont::Glyph *l = GspFont::getBitmap(f, 'l');
    GspFont::Glyph *p = GspFont::getBitmap(f, 'p');
    GspFont::Glyph *space = GspFont::getBitmap(f, ' ');
    ASSERT_TRUE(l && p && space);

    // 'l' sits on the baseline; 'p' hangs below it.
    EXPECT_NEAR(0, l->yorig, 1);
    EXPECT_GT(p->yorig, 5);
    EXPECT_GT(l->height, 20);
    EXPECT_LT(l->height, 40);
    EXPECT_GT(rowInk(l, 0), 0);  // the bottom row of 'l' is inked
    EXPECT_GT(l->xmove, 0);

    int spaceInk = 0;
    for (int r = 0; r < space->height; r++)
        spaceInk += rowInk(space, r);
    EXPECT_EQ(0, spaceInk);
    EXPECT_GT(space->xmove, 5);
    EXPECT_GT(GspFont::ascent(f), 20);
    EXPECT_GT(GspFont::descent(f), 0);

    for (GspFont::Glyph *g : {l, p, space})
        GspFont::freeBitmap(g);
    GspFont::destroyFont(f);
}
