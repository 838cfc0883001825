// Arrow and bullet markers in files: round trips in both forms, the
// transforms of older files folded in, the shared octahedron and draggers
// left out,
// and the binary header's group flag wherever the file is written.
#include "support/Test.h"

namespace {

// An object (a separator holding a cube), an arrow marker "Pump" with a
// note pointing at it, written twice, and a bullet marker.
SoSeparator *markedScene()
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    SoSeparator *obj = new SoSeparator;
    obj->addChild(new SoCube);
    root->addChild(obj);
    ZnArrowMarker *arrow = new ZnArrowMarker;
    arrow->getDraggerTransform()->translation.setValue(0, 1, 0);
    arrow->setLabel("Pump");
    ((ZnNoteList *)arrow->getPart("notes", TRUE))->addChild(new ZnTextNote);
    GspTest::Held<SoPath> p(new SoPath(root));
    p->append(0);
    p->append(0);
    arrow->setPathToObject(p);
    root->addChild(arrow);
    root->addChild(new ZnBulletMarker);
    root->addChild(arrow);  // written again as a reference
    root->unrefNoDelete();
    return root;
}


}

TEST(MarkerFiles, RoundTripsInBothForms)
{
    GspTest::topLevel();
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ascii");
        GspTest::Held<SoSeparator> root(markedScene());
        ZnArrowMarker *arrow = (ZnArrowMarker *)root->getChild(1);
        // Selected, they carry the shared draggers, which stay out.
        arrow->select();
        ((ZnMarker *)root->getChild(2))->select();
        std::string first = GspTest::writeToBuffer(root, binary);
        arrow->deselect();
        ((ZnMarker *)root->getChild(2))->deselect();
        EXPECT_TRUE(binary || first.find("Dragger") == std::string::npos) << first;
        EXPECT_EQ(NULL, arrow->objectPathField.getValue()) << "left set after writing";
        EXPECT_TRUE(binary || first.find("Coordinate3") == std::string::npos)
            << "the shared octahedron";
        GspTest::Held<SoSeparator> read(GspTest::readFromBuffer(first));
        ASSERT_TRUE(read && read->getNumChildren() == 4);
        ZnArrowMarker *a = (ZnArrowMarker *)read->getChild(1);
        ASSERT_TRUE(a->getPathToObject());
        EXPECT_EQ(read->getChild(0)->getChildren()->get(0), a->getPathToObject()->getTail());
        EXPECT_EQ(NULL, a->objectPathField.getValue());
        EXPECT_EQ(a, read->getChild(3));
        EXPECT_EQ(SbString("Pump"), a->getLabel());
        EXPECT_EQ(1, ((ZnNoteList *)a->getPart("notes", FALSE))->getNumNotes());
        // The bullet's geometry is the shared octahedron again.
        SbBox3f box = GspTest::boxOf(read->getChild(2));
        EXPECT_EQ(SbVec3f(-1, -1, -1), box.getMin());
        EXPECT_EQ(SbVec3f(1, 1, 1), box.getMax());
        // Written again it reads to the same scene: a second round trip
        // changes no byte. (A read kit also writes its caching fields.)
        std::string second = GspTest::writeToBuffer(read, binary);
        GspTest::Held<SoSeparator> again(GspTest::readFromBuffer(second));
        ASSERT_TRUE(again);
        EXPECT_EQ(second, GspTest::writeToBuffer(again, binary));
    }
}

TEST(MarkerFiles, TransformsOfOlderFilesFoldIntoThePlacement)
{
    GspTest::topLevel();
    // The arrow's turn and scale commute, so the fold keeps the drawing.
    GspTest::Held<SoSeparator> read(GspTest::readText(
        "Separator {"
        " ZnArrowMarker { localTransform Transform { rotation 0 0 1 1.5707963 }"
        "   antiScale Transform { scaleFactor 2 2 2 } }"
        " ZnBulletMarker { localTransform Transform { translation 3 0 0 } } }"));
    ASSERT_TRUE(read);
    GspTest::Held<SoSeparator> reference(GspTest::readText(
        "Separator { Transform { rotation 0 0 1 1.5707963 }"
        " Transform { scaleFactor 2 2 2 } ZnArrow {} }"));
    SbBox3f folded = GspTest::boxOf(read->getChild(0)), expected = GspTest::boxOf(reference);
    EXPECT_LT((folded.getMin() - expected.getMin()).length(), 1e-4f);
    EXPECT_LT((folded.getMax() - expected.getMax()).length(), 1e-4f);
    EXPECT_LT((GspTest::boxOf(read->getChild(1)).getCenter() - SbVec3f(3, 0, 0)).length(), 1e-5f);
    std::string written = GspTest::writeToBuffer(read);
    EXPECT_EQ(std::string::npos, written.find("localTransform"));
    EXPECT_EQ(std::string::npos, written.find("antiScale"));
}

// The flags word after the marker's type name marks a group, in memory
// and in a file (which the library opens for writing only).
TEST(MarkerFiles, BinaryHeadersMarkTheMarkerAGroup)
{
    GspTest::topLevel();
    GspTest::Held<SoSeparator> root(markedScene());
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
}
