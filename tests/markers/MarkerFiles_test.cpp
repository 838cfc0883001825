// Arrow and bullet markers in files: round trips in both forms, the
// transforms of older files folded in, the shared octahedron left out,
// and the binary header's group flag wherever the file is written.
#include "support/Test.h"

namespace {

// An object (a separator holding a cube), an arrow marker pointing at it
// and a bullet marker.
SoSeparator *markedScene()
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    SoSeparator *obj = new SoSeparator;
    obj->addChild(new SoCube);
    root->addChild(obj);
    ZnArrowMarker *arrow = new ZnArrowMarker;
    arrow->getDraggerTransform()->translation.setValue(0, 1, 0);
    SoPath *p = new SoPath(root);
    p->ref();
    p->append(0);
    p->append(0);
    arrow->setPathToObject(p);
    p->unref();
    root->addChild(arrow);
    root->addChild(new ZnBulletMarker);
    return root;
}

SbBox3f boxOf(SoNode *n)
{
    SoGetBoundingBoxAction bb(SbViewportRegion(200, 200));
    bb.apply(n);
    return bb.getBoundingBox();
}

}

TEST(MarkerFiles, RoundTripsInBothForms)
{
    GspTest::topLevel();
    for (bool binary : {false, true}) {
        SoSeparator *root = markedScene();
        ZnArrowMarker *arrow = (ZnArrowMarker *)root->getChild(1);
        std::string first = GspTest::writeToBuffer(root, binary);
        EXPECT_EQ(NULL, arrow->objectPathField.getValue()) << "left set after writing";
        if (!binary) {
            EXPECT_EQ(std::string::npos, first.find("Coordinate3")) << "the shared octahedron";
        }
        SoSeparator *read = GspTest::readFromBuffer(first);
        ASSERT_TRUE(read) << binary;
        read->ref();
        ZnArrowMarker *a = (ZnArrowMarker *)read->getChild(1);
        ASSERT_TRUE(a->getPathToObject()) << binary;
        EXPECT_EQ(read->getChild(0)->getChildren()->get(0), a->getPathToObject()->getTail());
        EXPECT_EQ(NULL, a->objectPathField.getValue());
        // The bullet's geometry is the shared octahedron again.
        SbBox3f box = boxOf(read->getChild(2));
        EXPECT_EQ(SbVec3f(-1, -1, -1), box.getMin()) << binary;
        EXPECT_EQ(SbVec3f(1, 1, 1), box.getMax()) << binary;
        // Written again it reads to the same scene: a second round trip
        // changes no byte. (A read kit also writes its caching fields.)
        std::string second = GspTest::writeToBuffer(read, binary);
        SoSeparator *again = GspTest::readFromBuffer(second);
        ASSERT_TRUE(again);
        again->ref();
        EXPECT_EQ(second, GspTest::writeToBuffer(again, binary)) << binary;
        again->unref();
        read->unref();
        root->unref();
    }
}

TEST(MarkerFiles, TransformsOfOlderFilesFoldIntoThePlacement)
{
    GspTest::topLevel();
    // The arrow's turn and scale commute, so the fold keeps the drawing.
    SoSeparator *read = GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\nSeparator {"
        " ZnArrowMarker { localTransform Transform { rotation 0 0 1 1.5707963 }"
        "   antiScale Transform { scaleFactor 2 2 2 } }"
        " ZnBulletMarker { localTransform Transform { translation 3 0 0 } } }");
    ASSERT_TRUE(read);
    read->ref();
    SoSeparator *reference = GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\nSeparator { Transform { rotation 0 0 1 1.5707963 }"
        " Transform { scaleFactor 2 2 2 } ZnArrow {} }");
    reference->ref();
    SbBox3f folded = boxOf(read->getChild(0)), expected = boxOf(reference);
    EXPECT_LT((folded.getMin() - expected.getMin()).length(), 1e-4f);
    EXPECT_LT((folded.getMax() - expected.getMax()).length(), 1e-4f);
    EXPECT_LT((boxOf(read->getChild(1)).getCenter() - SbVec3f(3, 0, 0)).length(), 1e-5f);
    std::string written = GspTest::writeToBuffer(read);
    EXPECT_EQ(std::string::npos, written.find("localTransform"));
    EXPECT_EQ(std::string::npos, written.find("antiScale"));
    reference->unref();
    read->unref();
}

// The flags word after the marker's type name marks a group, in memory
// and in a file (which the library opens for writing only).
TEST(MarkerFiles, BinaryHeadersMarkTheMarkerAGroup)
{
    GspTest::topLevel();
    SoSeparator *root = markedScene();
    TempDir dir;
    std::string path = dir.file("scene.iv");
    SoOutput out;
    out.setBinary(TRUE);
    ASSERT_TRUE(out.openFile(path.c_str()));
    SoWriteAction(&out).apply(root);
    out.closeFile();
    for (const std::string &bytes : {GspTest::writeToBuffer(root, true), TempDir::readFile(path)})
        for (const char *type : {"ZnArrowMarker", "ZnBulletMarker"}) {
            size_t at = bytes.find(type);
            ASSERT_NE(std::string::npos, at) << type;
            size_t flags = at + ((strlen(type) + 3) & ~3u);
            ASSERT_LT(flags + 4, bytes.size());
            EXPECT_EQ(2, bytes[flags + 3] & 2) << type;
        }
    root->unref();
}
