// Bitmap text in a real window: where lines are drawn for each
// justification, line spacing, fallback fonts, bounding boxes against the
// drawn pixels, picks of lines and characters, and the shared glyph caches.
#include "support/Test.h"

#include <GL/gl.h>

#include <Inventor/details/SoTextDetail.h>
#include <Inventor/nodes/SoCallback.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoText2.h>

#include "platform/FontManager.h"
#include "support/SceneTest.h"

namespace {

typedef RenderWindow::Extent Extent;

class BitmapTextTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        const SbColor white(1, 1, 1);
        GspTest::addFlatColour(root, &white);
        font = new SoFont;
        font->name = "Utopia-Regular";
        font->size = 24;
        text = new SoBitmapText;
        text->string = "HHH";
        root->addChild(font);
        root->addChild(text);
        open();
    }

    Extent drawn()
    {
        window->draw();
        return window->extent();
    }

    float cx() const { return window->size()[0] / 2.0f; }
    float cy() const { return window->size()[1] / 2.0f; }

    // Of the font at 24 pixels (72 pixels an inch): the height of "M",
    // or the advance of chars.
    static float metric(const char *chars, bool height = false)
    {
        GspFont::Context *c = GspFont::createContext();
        const float m[2][2] = {{24, 0}, {0, 24}};
        GspFont::Font *f = GspFont::createFont(c, "Utopia-Regular", m);
        float sum = 0;
        for (const char *ch = height ? "M" : chars; *ch; ch++) {
            GspFont::Glyph *g = GspFont::getBitmap(f, *ch);
            sum += height ? g->height - g->yorig : g->xmove;
            GspFont::freeBitmap(g);
        }
        GspFont::destroyContext(c);  // the cache keeps its own handle open
        return sum;
    }
    static float mHeight() { return metric(NULL, true); }

    SoFont *font;
    SoBitmapText *text;
};

}

TEST_F(BitmapTextTest, JustificationPlacesTheLineAgainstTheOrigin)
{
    Extent left = drawn();
    ASSERT_FALSE(left.empty());
    // The origin's place in the line: left end, right end, middle.
    for (int j : {SoBitmapText::LEFT, SoBitmapText::RIGHT, SoBitmapText::CENTER}) {
        text->justification = j;
        Extent e = drawn();
        float at = j == SoBitmapText::LEFT    ? e.x0
                   : j == SoBitmapText::RIGHT ? e.x1 + 1
                                              : (e.x0 + e.x1 + 1) / 2.0f;
        EXPECT_NEAR(cx(), at, 3) << j;
        EXPECT_NEAR(cy(), e.y0, 1.5) << j;  // on the baseline
        EXPECT_EQ(left.x1 - left.x0, e.x1 - e.x0) << j;
    }
}

// A line shows each glyph's bits at its pen position, whatever the glyphs
// around it (kerned pairs, descenders, spaces, overlaps).
TEST_F(BitmapTextTest, EachGlyphsBitsLandAtItsPenPosition)
{
    GspFont::Context *c = GspFont::createContext();
    const float m[2][2] = {{24, 0}, {0, 24}};
    GspFont::Font *f = GspFont::createFont(c, "Utopia-Regular", m);
    for (const char *line : {"AVj", "Wy, fj!", "  _|gQ", "ffi W"}) {
        text->string = line;
        Extent e = drawn();
        ASSERT_FALSE(e.empty()) << line;
        // The expected bits, moved onto the first inked pixel.
        std::vector<std::pair<int, int>> want, got;
        int pen = 0;
        for (const char *ch = line; *ch; ch++) {
            GspFont::Glyph *g = GspFont::getBitmap(f, *ch);
            for (int row = 0; row < g->height; row++)
                for (int col = 0; col < g->width; col++)
                    if (g->bitmap[row * ((g->width + 7) / 8) + col / 8] & (0x80 >> (col % 8)))
                        want.push_back({pen - (int)g->xorig + col, row - (int)g->yorig});
            pen += (int)g->xmove;
            GspFont::freeBitmap(g);
        }
        std::sort(want.begin(), want.end());
        want.erase(std::unique(want.begin(), want.end()), want.end());
        for (int y = e.y0; y <= e.y1; y++)
            for (int x = e.x0; x <= e.x1; x++)
                if (window->pixel(x, y)[0] > 0.5f)
                    got.push_back({x, y});
        std::sort(got.begin(), got.end());
        ASSERT_FALSE(got.empty() || want.empty()) << line;
        int dx = got[0].first - want[0].first, dy = got[0].second - want[0].second;
        for (auto &w : want)
            w = {w.first + dx, w.second + dy};
        EXPECT_EQ(want, got) << line;
    }
    GspFont::destroyContext(c);
}

// The glyphs are unpacked byte by byte; the application's unpack
// alignment is what it was after the text, drawn in lists or directly.
TEST_F(BitmapTextTest, LeavesTheUnpackAlignmentAsItWas)
{
    static GLint after;
    SoCallback *before = new SoCallback, *check = new SoCallback;
    before->setCallback([](void *, SoAction *a) {
        if (a->isOfType(SoGLRenderAction::getClassTypeId()))
            glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    });
    check->setCallback([](void *, SoAction *a) {
        if (a->isOfType(SoGLRenderAction::getClassTypeId()))
            glGetIntegerv(GL_UNPACK_ALIGNMENT, &after);
    });
    root->insertChild(before, root->findChild(text));
    root->addChild(check);
    for (int pass = 0; pass < 2; pass++) {  // glyphs drawn, then from lists
        after = 0;
        EXPECT_FALSE(drawn().empty());
        EXPECT_EQ(8, after) << "pass " << pass;
    }
}

// Inside a separator that builds its own render cache no glyph lists may
// be compiled: characters new to the glyph cache are drawn directly into
// that cache, and replaying it draws the same text as drawing without
// caches.
TEST_F(BitmapTextTest, DrawsInsideAnotherRenderCache)
{
    text->string.set1Value(1, "HHH");
    root->renderCaching = SoSeparator::ON;
    drawn();
    drawn();
    // The change reopens the separator's cache with "W" not yet compiled.
    text->string.set1Value(1, "HHHWW");
    std::vector<Extent> cached;
    for (int i = 0; i < 3; i++)
        cached.push_back(drawn());
    root->renderCaching = SoSeparator::OFF;
    Extent plain = drawn();
    ASSERT_FALSE(plain.empty());
    for (const Extent &c : cached)
        EXPECT_TRUE(c.x0 == plain.x0 && c.x1 == plain.x1 && c.y0 == plain.y0 && c.y1 == plain.y1);
}

// The toolkit's own SoText2 has a private glyph cache of the same class
// name; in a program linked with the library it must still draw, beside
// this node and after it.
TEST_F(BitmapTextTest, ToolkitTextStillDrawsBesideIt)
{
    Extent ours = drawn();
    ASSERT_FALSE(ours.empty());
    SoText2 *theirs = new SoText2;
    theirs->string = "HHH";
    root->replaceChild(text, theirs);
    Extent e = drawn();
    ASSERT_FALSE(e.empty());
    EXPECT_NEAR(cx(), e.x0, 3);
    EXPECT_NEAR(ours.x1 - ours.x0, e.x1 - e.x0, 4);
}

TEST_F(BitmapTextTest, MissingAndDefaultFontsFallBackToUtopia)
{
    Extent utopia = drawn();
    for (const char *name : {"defaultFont", "NoSuchFamily-Regular"}) {
        font->name = name;
        Extent e = drawn();
        EXPECT_EQ(utopia.x1 - utopia.x0, e.x1 - e.x0) << name;
        EXPECT_EQ(utopia.y1 - utopia.y0, e.y1 - e.y0) << name;
    }
}

TEST_F(BitmapTextTest, BoundingBoxMatchesTheDrawnPixels)
{
    text->string.set1Value(1, "Hp");
    text->justification = SoBitmapText::CENTER;
    Extent e = drawn();
    SoGetBoundingBoxAction ba(window->viewport());
    ba.apply(root);
    SbBox3f box = ba.getBoundingBox();
    ASSERT_FALSE(box.isEmpty());
    float scale = window->size()[1] / 10.0f;
    EXPECT_NEAR(cx() + box.getMin()[0] * scale, e.x0, 1.5);
    EXPECT_NEAR(cx() + box.getMax()[0] * scale, e.x1 + 1, 1.5);
    EXPECT_NEAR(cy() + box.getMin()[1] * scale, e.y0, 1.5);
    EXPECT_NEAR(cy() + box.getMax()[1] * scale, e.y1 + 1, 1.5);
}

TEST_F(BitmapTextTest, PickNamesTheLineAndTheCharacter)
{
    text->string.set1Value(0, "ABCD");
    text->string.set1Value(1, "EFGH");
    window->draw();
    // The third character of the second line, which lies two font heights
    // below the first: past the advances of "EF".
    short px = (short)(cx() + metric("EF") + 4), py = (short)(cy() - 2 * mHeight() + 5);

    SoRayPickAction pa(window->viewport());
    pa.setPoint(SbVec2s(px, py));
    pa.apply(root);
    SoPickedPoint *pp = pa.getPickedPoint();
    ASSERT_TRUE(pp);
    const SoTextDetail *d = (const SoTextDetail *)pp->getDetail();
    ASSERT_TRUE(d && d->isOfType(SoTextDetail::getClassTypeId()));
    EXPECT_EQ(1, d->getStringIndex());
    EXPECT_EQ(2, d->getCharacterIndex());

    // Beside both lines nothing is hit.
    pa.setPoint(SbVec2s((short)(cx() - 20), py));
    pa.apply(root);
    EXPECT_EQ(NULL, pa.getPickedPoint());
}

// The width of a line of text in its own scene, measured for a viewport;
// the scene goes with the measurement.
static float boxWidth(int size, const SbViewportRegion &vp)
{
    SoSeparator *scene = GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\nSeparator { Font { name \"Utopia-Regular\" size " +
        std::to_string(size) + " } SoBitmapText { string \"HHH\" } }");
    scene->ref();
    SoGetBoundingBoxAction ba(vp);
    ba.apply(scene);
    float w, h, d;
    ba.getBoundingBox().getSize(w, h, d);
    float width = ba.getBoundingBox().isEmpty() ? 0.0f : w;
    scene->unref();
    return width;
}

// Glyphs scale with the font size and the pixels per inch; a glyph cache
// of another viewport, gone, leaves the window's font usable.
TEST_F(BitmapTextTest, GlyphsFollowFontSizeAndResolution)
{
    window->draw();
    const SbViewportRegion &vp = window->viewport();
    SbViewportRegion fine(vp);
    fine.setPixelsPerInch(144);
    float w24 = boxWidth(24, vp), w30 = boxWidth(30, vp), w24fine = boxWidth(24, fine);
    EXPECT_NEAR(w24 * 30.0f / 24.0f, w30, w30 * 0.1f);
    EXPECT_NEAR(2 * w24, w24fine, w24 * 0.15f);
    EXPECT_GT(boxWidth(24, SbViewportRegion(321, 123)), 0.0f);
    Extent before = drawn();
    text->string = "HHHWWW";
    Extent after = drawn();
    EXPECT_GT(after.x1 - after.x0, before.x1 - before.x0 + 20);
}
