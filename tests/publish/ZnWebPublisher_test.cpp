// Published pages in the headless browser: the sample's tour and clicks
// reported by the page itself, markers where the toolkit draws them, an
// imported model's texture on screen, hostile text kept as text, and
// failures that leave nothing behind.
#include "support/Test.h"

#include "support/Browser.h"
#include "support/ModelFiles.h"
#include "support/RenderWindow.h"

namespace {

const char *kindOf(SoNode *note)
{
    static const char *const kinds[][2] = {
        {"ZnTextNote", "text"},   {"ZnURLNote", "url"},     {"ZnViewNote", "view"},
        {"ZnMovieNote", "movie"}, {"ZnSoundNote", "sound"}, {"ZnImageNote", "image"},
        {"ZnSystemNote", "system"}, {"ZnInventorNote", "scene"}};
    for (const auto &k : kinds)
        if (note->getTypeId().getName() == k[0])
            return k[1];
    return "?";
}

ZnNoteList *notesOf(ZnMarker *m) { return (ZnNoteList *)m->getPart("notes", TRUE); }

std::string quoted(const std::vector<std::string> &kinds)
{
    std::string out;
    for (const std::string &k : kinds)
        out += (out.empty() ? "\"" : ",\"") + k + "\"";
    return out;
}

// What the self-test must report: the tour's automatic notes in the
// sequencer's order, then every note of every marker as clicked.
std::string expectedReport(SoSeparator *root)
{
    std::vector<std::string> played;
    ZnMarkerSequencer *seq = GspTest::nth<ZnMarkerSequencer>(root);
    for (int i = 0; i < seq->getNumMarkers(); i++) {
        ZnNoteList *notes = notesOf(seq->getMarker(i));
        for (int k = 1; k < notes->getNumChildren(); k++)
            if (((ZnNote *)notes->getChild(k))->autoPlayable.getValue())
                played.push_back(kindOf(notes->getChild(k)));
    }
    int markers = 0, notes = 0;
    for (int i = 0; i < root->getNumChildren(); i++) {
        if (!root->getChild(i)->isOfType(ZnMarker::getClassTypeId()))
            continue;
        markers++;
        ZnNoteList *list = notesOf((ZnMarker *)root->getChild(i));
        for (int k = 1; k < list->getNumChildren(); k++, notes++)
            played.push_back(kindOf(list->getChild(k)));
    }
    return "{\"markers\":" + std::to_string(markers) + ",\"notes\":" + std::to_string(notes) +
           ",\"played\":[" + quoted(played) + "],\"errors\":[]}";
}

// The sample read from its file, as the programs read it.
SoSeparator *sample()
{
    SoInput in;
    return in.openFile(GLOSSPIN_SAMPLE_DIR "/annotated.iv") ? SoDB::readAll(&in) : NULL;
}

// Pixels of one picture, top row first, whichever way it was read.
struct Picture {
    int width, height;
    std::function<SbVec3f(int x, int y)> at;

    // Centre of the pixels that match within the columns [x0, x1).
    SbVec2f centre(const std::function<bool(const SbVec3f &)> &matches, int x0, int x1) const
    {
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < height; y++)
            for (int x = x0; x < x1; x++)
                if (matches(at(x, y))) {
                    sx += x;
                    sy += y;
                    n++;
                }
        return n ? SbVec2f((float)(sx / n), (float)(sy / n)) : SbVec2f(-1000, -1000);
    }
};

Picture ofBrowser(const std::vector<unsigned char> &rgb, int w, int h)
{
    return {w, h, [&rgb, w](int x, int y) {
                const unsigned char *p = &rgb[((size_t)y * (size_t)w + (size_t)x) * 3];
                return SbVec3f(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
            }};
}

class PublishTest : public ::testing::Test {
  protected:
    void SetUp() override { GspTest::topLevel(); }
    std::string publish(SoNode *scene, const std::string &name = "page")
    {
        ZnWebPublisher publisher;
        EXPECT_TRUE(publisher.publish(scene, dir.file(name).c_str(), "test"))
            << publisher.getErrorMessage().getString();
        return dir.file(name + "/index.html");
    }
    TempDir dir;
};

}

TEST_F(PublishTest, TheSamplesTourAndEveryClickPlayWithoutError)
{
    std::string out;
    ASSERT_EQ(0, GspTest::run("DISPLAY= '" GLOSSPIN_SCENE_TOOL "' publish '" GLOSSPIN_SAMPLE_DIR
                              "/annotated.iv' '" + dir.file("site") + "' 2>&1",
                              out))
        << out;
    GspTest::Held<SoSeparator> root(sample());
    EXPECT_EQ(expectedReport(root), GspBrowser::selfTest(dir.file("site/index.html")));
    for (const char *media : {"media/0.webm", "media/1.ogg", "media/2.png",
                              "scenes/3/index.html", "three/three.min.js"})
        EXPECT_TRUE(TempDir::exists(dir.file("site/") + media)) << media;
}

TEST_F(PublishTest, MarkersStandWhereTheToolkitDrawsThem)
{
    const int w = 480, h = 360;
    SoSeparator *scene = sample();
    GspTest::Held<SoSeparator> lit(new SoSeparator);
    lit->addChild(new SoDirectionalLight);  // the viewers' headlight
    lit->addChild(scene);
    std::vector<unsigned char> page = GspBrowser::screenshot(publish(scene), w, h);
    ASSERT_EQ((size_t)w * h * 3, page.size());
    // The planes the viewers' automatic clipping would set.
    SoSearchAction search;
    search.setType(SoPerspectiveCamera::getClassTypeId());
    search.apply(scene);
    ASSERT_TRUE(search.getPath());
    ((SoPerspectiveCamera *)search.getPath()->getTail())->farDistance = 100;
    RenderWindow window(lit, false, SbVec2s(w + 4, h + 4));  // a border of 2 pixels
    window.draw();
    Picture toolkit{w, h, [&](int x, int y) { return window.pixel(x, h - 1 - y); }};
    Picture browser = ofBrowser(page, w, h);

    auto red = [](const SbVec3f &c) { return c[0] > 0.4f && c[1] < 0.15f && c[2] < 0.15f; };
    auto teal = [](const SbVec3f &c) {
        return c[0] < 0.1f && c[1] > 0.2f && fabsf(c[1] - c[2]) < 0.08f;
    };
    const struct {
        const char *marker;
        std::function<bool(const SbVec3f &)> colour;
        int x0, x1;
    } markers[] = {{"arrow", red, 0, w / 2}, {"line arrow", red, w / 2, w}, {"bullet", teal, 0, w}};
    for (const auto &m : markers) {
        SbVec2f a = toolkit.centre(m.colour, m.x0, m.x1), b = browser.centre(m.colour, m.x0, m.x1);
        EXPECT_GE(a[0], 0) << m.marker << " is not drawn by the toolkit";
        EXPECT_LE((a - b).length(), 8.0f) << m.marker << ": toolkit (" << a[0] << ", " << a[1]
                                          << "), page (" << b[0] << ", " << b[1] << ")";
    }
}

TEST_F(PublishTest, AnImportedModelShowsItsTexture)
{
    ZnModelImporter importer;
    std::string glb = GspModels::copy(dir.path(), "tree.glb");
    GspTest::Held<SoSeparator> model(importer.readFile(glb.c_str()));
    ASSERT_TRUE(model) << importer.getErrorMessage().getString();
    const int w = 400, h = 300;
    std::vector<unsigned char> page = GspBrowser::screenshot(publish(model), w, h);
    ASSERT_EQ((size_t)w * h * 3, page.size());
    Picture shot = ofBrowser(page, w, h);
    // The checker's four texels, lit face-on by the headlight.
    const struct {
        const char *texel;
        std::function<bool(const SbVec3f &)> is;
    } texels[] = {
        {"red", [](const SbVec3f &c) { return c[0] > 0.5f && c[1] < 0.2f && c[2] < 0.2f; }},
        {"green", [](const SbVec3f &c) { return c[1] > 0.5f && c[0] < 0.2f && c[2] < 0.2f; }},
        {"blue", [](const SbVec3f &c) { return c[2] > 0.5f && c[0] < 0.2f && c[1] < 0.2f; }},
        {"white", [](const SbVec3f &c) { return c[0] > 0.5f && c[1] > 0.5f && c[2] > 0.5f; }},
    };
    SbVec2f at[4];
    for (int i = 0; i < 4; i++) {
        at[i] = shot.centre(texels[i].is, 0, w);
        EXPECT_GE(at[i][0], 0) << texels[i].texel << " is not on screen";
    }
    // The right way up: red left of green and above blue.
    EXPECT_LT(at[0][0] + 20, at[1][0]);
    EXPECT_LT(at[0][1] + 20, at[2][1]);
}

TEST_F(PublishTest, LabelsTextsAndAddressesStayText)
{
    const std::string attack = "<img src=x onerror=\"document.title='pwned'\">";
    SoSeparator *root = new SoSeparator;
    root->ref();
    SoPerspectiveCamera *camera = new SoPerspectiveCamera;
    camera->position = SbVec3f(0, 0, 6);
    root->addChild(camera);
    root->addChild(new SoCube);
    ZnBulletMarker *marker = new ZnBulletMarker;
    marker->setLabel(attack.c_str());
    ZnTextNote *text = new ZnTextNote;
    text->loadFromString(("</script><script>document.title='pwned'</script>" + attack).c_str());
    text->setFieldFromString(text->getText().getString());
    ZnURLNote *link = new ZnURLNote;
    link->url = "javascript:document.title='pwned'";
    notesOf(marker)->addChild(text);
    notesOf(marker)->addChild(link);
    root->addChild(marker);
    std::string index = publish(root);
    root->unref();

    std::string script = TempDir::readFile(dir.file("page/scene.js"));
    EXPECT_EQ(std::string::npos, script.find('<')) << "markup in the page's data";
    EXPECT_EQ("{\"markers\":1,\"notes\":2,\"played\":[\"text\",\"url\"],\"errors\":[]}",
              GspBrowser::selfTest(index));
    std::string shown = GspBrowser::dom(index, false, 2000);
    EXPECT_NE(std::string::npos, shown.find("<title>test</title>"));
    EXPECT_EQ(std::string::npos, shown.find("<img src=\"x\""));
}

TEST_F(PublishTest, FailuresLeaveNothingBehind)
{
    SoSeparator *root = GspTest::readText("Cube {}");
    root->ref();
    ASSERT_EQ(0, system(("mkdir '" + dir.file("foreign") + "' && touch '" +
                         dir.file("foreign/mine") + "' '" + dir.file("plain") + "'")
                            .c_str()));
    const struct {
        const char *target, *three, *why;
    } cases[] = {
        {"missing/page", NULL, "cannot write in"},
        {"plain", NULL, "is not a folder"},
        {"foreign", NULL, "holds something other than a published page"},
        {"page", "/nonexistent", "libjs-three"},
    };
    for (const auto &c : cases) {
        if (c.three)
            setenv("GLOSSPIN_THREE_DIR", c.three, 1);
        ZnWebPublisher publisher;
        EXPECT_FALSE(publisher.publish(root, dir.file(c.target).c_str(), "t")) << c.target;
        EXPECT_NE(std::string::npos,
                  std::string(publisher.getErrorMessage().getString()).find(c.why))
            << c.target << ": " << publisher.getErrorMessage().getString();
        unsetenv("GLOSSPIN_THREE_DIR");
        EXPECT_EQ((std::vector<std::string>{"foreign", "plain"}), dir.entries()) << c.target;
    }
    EXPECT_EQ(std::vector<std::string>{"mine"}, TempDir::entriesOf(dir.file("foreign")));
    // An earlier page is replaced whole.
    publish(root);
    TempDir::writeFile(dir.file("page/stale"), "x");
    publish(root);
    EXPECT_FALSE(TempDir::exists(dir.file("page/stale")));
    EXPECT_EQ((std::vector<std::string>{"foreign", "page", "plain"}), dir.entries());
    root->unref();
}
