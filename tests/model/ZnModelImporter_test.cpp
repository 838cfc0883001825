// Models of other formats come in as the toolkit's nodes, as a user of
// the scene sees them: each format's geometry where it belongs, named,
// coloured and textured; and a file that cannot be read refused.
#include "support/Test.h"

#include "fuzz/Fuzzers.h"

#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoTexture2.h>

#include "support/ModelFiles.h"
#include "support/RenderWindow.h"

using namespace GspTest;

namespace {

std::vector<SoNode *> all(SoNode *root, SoType type)
{
    SoSearchAction sa;
    sa.setType(type);
    sa.setInterest(SoSearchAction::ALL);
    sa.apply(root);
    std::vector<SoNode *> found;
    for (int i = 0; i < sa.getPaths().getLength(); i++)
        found.push_back(sa.getPaths()[i]->getTail());
    return found;
}

bool hasNamed(SoNode *root, const char *name)
{
    SoSearchAction sa;
    sa.setName(name);
    sa.apply(root);
    return sa.getPath() != NULL;
}

struct Import {
    ZnModelImporter importer;
    Held<SoSeparator> root;
    explicit Import(const std::string &file) : root(importer.readFile(file.c_str())) {}
};

class ModelImporterTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        topLevel();
        GspModels::copy(dir.path(), "");
    }
    TempDir dir;
};

}

// Names are legal for DEF and unique however the source named its parts.
TEST_F(ModelImporterTest, EachFormatComesInNamedAndInPlace)
{
    TempDir::writeFile(dir.file("parts.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                              "o 2wheels+axle\nf 1 2 3\no 2wheels+axle\nf 1 2 3\n");
    struct Row {
        std::string file;
        long triangles;
        std::vector<const char *> names;
        SbVec3f min, max;
    } rows[] = {
        {"box.obj", 4, {"Box"}, {0, 0, 0}, {1, 1, 1}},
        {"tri.stl", 1, {}, {0, 0, 0}, {2, 3, 0}},
        {"two.stl", 2, {}, {0, 0, 0}, {1, 1, 0}},
        {"coloured.ply", 1, {}, {0, 0, 0}, {1, 1, 0}},
        {"tree.gltf", 2, {"Parent", "Child", "Quad"}, {10, 0, 0}, {12, 2, 0}},
        {"tree.glb", 2, {"Parent", "Child", "Quad"}, {10, 0, 0}, {12, 2, 0}},
        // Z up and centimetres: 3 m up the toolkit's Y.
        {"pole.dae", 1, {"Pole"}, {0, 0, 0}, {1, 3, 0}},
        {"parts.obj", 2, {"_2wheels_axle", "_2wheels_axle_2"}, {0, 0, 0}, {1, 1, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        Import in(dir.file(row.file));
        ASSERT_TRUE(in.root) << in.importer.getErrorMessage().getString();
        EXPECT_EQ(row.triangles, in.importer.getNumTriangles());
        for (const char *name : row.names)
            EXPECT_TRUE(hasNamed(in.root, name)) << name;
        SbBox3f box = boxOf(in.root);
        EXPECT_TRUE(box.getMin().equals(row.min, 1e-4f) && box.getMax().equals(row.max, 1e-4f))
            << box.getMin()[0] << " " << box.getMin()[1] << " " << box.getMin()[2] << " .. "
            << box.getMax()[0] << " " << box.getMax()[1] << " " << box.getMax()[2];
    }
}

TEST_F(ModelImporterTest, MaterialsAndVertexColoursKeepTheirColours)
{
    Import obj(dir.file("box.obj"));
    ASSERT_TRUE(obj.root);
    bool red = false, blue = false;
    for (SoNode *n : all(obj.root, SoMaterial::getClassTypeId())) {
        SoMaterial *m = (SoMaterial *)n;
        red = red || (m->diffuseColor[0] == SbColor(1, 0, 0) && m->shininess[0] == 0.5f &&
                      m->specularColor[0] == SbColor(0.5f, 0.5f, 0.5f));
        blue = blue || (m->diffuseColor[0] == SbColor(0, 0, 1) && m->transparency[0] == 0.5f);
    }
    EXPECT_TRUE(red && blue);
    Import ply(dir.file("coloured.ply"));
    ASSERT_TRUE(ply.root);
    std::vector<SoNode *> materials = all(ply.root, SoMaterial::getClassTypeId());
    ASSERT_EQ(1u, materials.size());
    SoMFColor &corners = ((SoMaterial *)materials[0])->diffuseColor;
    ASSERT_EQ(3, corners.getNum());
    EXPECT_TRUE(corners[0] == SbColor(1, 0, 0) && corners[1] == SbColor(0, 1, 0) &&
                corners[2] == SbColor(0, 0, 1));
    std::vector<SoNode *> bindings = all(ply.root, SoMaterialBinding::getClassTypeId());
    ASSERT_EQ(1u, bindings.size());
    EXPECT_EQ(SoMaterialBinding::PER_VERTEX_INDEXED, ((SoMaterialBinding *)bindings[0])->value.getValue());
}

// The texture's image lies in the scene, bottom row first, and shows the
// right way up on the quad, from a file beside the model or from inside
// it; a texture that cannot be read leaves the model untextured.
TEST_F(ModelImporterTest, TexturesComeInsideTheSceneTheRightWayUp)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "glb" : "gltf");
        Import in(dir.file(binary ? "tree.glb" : "tree.gltf"));
        ASSERT_TRUE(in.root);
        EXPECT_EQ(1, in.importer.getNumTextures());
        std::vector<SoNode *> textures = all(in.root, SoTexture2::getClassTypeId());
        ASSERT_EQ(1u, textures.size());
        SbVec2s size;
        int nc;
        const unsigned char *image = ((SoTexture2 *)textures[0])->image.getValue(size, nc);
        ASSERT_TRUE(size == SbVec2s(2, 2) && nc == 3);
        EXPECT_EQ(0, memcmp(image, GspModels::CHECKER + 6, 6));
        EXPECT_EQ(0, memcmp(image + 6, GspModels::CHECKER, 6));

        Held<SoSeparator> scene(new SoSeparator);
        addFrontCamera(scene);
        addFlatColour(scene);
        SoTranslation *centre = new SoTranslation;
        centre->translation.setValue(-11, -1, 0);
        scene->addChild(centre);
        scene->addChild(in.root);
        RenderWindow window(scene);
        window.draw();
        // The quad covers pixels 80..120; each quarter shows its texel.
        const struct {
            int x, y;
            SbVec3f colour;
        } quarters[] = {{90, 110, {1, 0, 0}}, {110, 110, {0, 1, 0}},
                        {90, 90, {0, 0, 1}}, {110, 90, {1, 1, 1}}};
        for (const auto &q : quarters)
            EXPECT_TRUE(window.pixel(q.x, q.y).equals(q.colour, 0.1f)) << q.x << "," << q.y;
    }
    ASSERT_EQ(0, unlink(dir.file("checker.png").c_str()));
    Import missing(dir.file("tree.gltf"));
    ASSERT_TRUE(missing.root);
    EXPECT_TRUE(all(missing.root, SoTexture2::getClassTypeId()).empty());
    ASSERT_EQ(1, missing.importer.getNumWarnings());
    EXPECT_NE(nullptr, strstr(missing.importer.getWarning(0).getString(), "checker.png"));
}

TEST_F(ModelImporterTest, WhatCannotBeReadIsRefusedWithTheReason)
{
    const struct {
        const char *name, *bytes;
    } rows[] = {{"junk.glb", "glTF not really"}, {"empty.stl", ""},
                {"cut.ply", "ply\nformat ascii 1.0\nelement vertex 3\n"},
                {"text.obj", "this is not a model\n"}, {"nothing.gltf", "{}"},
                {"empty.gltf", "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,"
                               "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"name\":\"a\"}]}"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir::writeFile(dir.file(row.name), row.bytes);
        Import in(dir.file(row.name));
        EXPECT_FALSE(in.root);
        EXPECT_NE(0, in.importer.getErrorMessage().getLength());
    }
    Import none(dir.file("absent.obj"));
    EXPECT_FALSE(none.root);
    EXPECT_NE(0, none.importer.getErrorMessage().getLength());
    EXPECT_TRUE(ZnModelImporter::isModelFile("a/b.GLB") && ZnModelImporter::isModelFile("x.stl"));
    EXPECT_FALSE(ZnModelImporter::isModelFile("scene.iv") || ZnModelImporter::isModelFile("notes.txt"));
}

// Every input the model fuzzer kept (seeds and past findings).
TEST(ModelFuzzCorpus, EveryKeptInputImportsSafely)
{
    replayCorpus(GLOSSPIN_MODEL_FUZZ_CORPUS, &fuzzModel);
}
