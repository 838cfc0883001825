// Scenes the library writes open in a program linked with the toolkit
// alone, in both file forms; binary files from before the header carried
// the group flag still read.
#include "support/Test.h"

#include <Inventor/sensors/SoNodeSensor.h>

#include "field/FieldTestUtil.h"

using namespace FieldTest;

namespace {

const char *const kNoteKinds[] = {"ZnImageNote", "ZnSoundNote",  "ZnMovieNote", "ZnInventorNote",
                                  "ZnTextNote",  "ZnURLNote",    "ZnSystemNote", "ZnViewNote"};

// A marker holding a note of every kind (media inline), an arrow, the
// marker again as a reference, a cube and, unless asked for the scene of
// older files, an arrow marker pointing at the cube, a bullet marker and
// a sequencer touring those two.
SoSeparator *annotatedScene(const TempDir &tmp, bool older = false)
{
    TempDir::writeFile(tmp.file("media.raw"), "0123456789abcdefXYZ");
    ZnMarker *marker = new ZnMarker;
    ZnNoteList *list = (ZnNoteList *)marker->getPart("notes", TRUE);
    for (const char *kind : kNoteKinds) {
        ZnNote *note = (ZnNote *)SoType::fromName(kind).createInstance();
        if (note->usingMediaData())
            note->setDataFilename(tmp.file("media.raw").c_str(), 0);
        list->addChild(note);
    }
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(marker);
    root->addChild(new ZnArrow);
    root->addChild(marker);
    root->addChild(new SoCube);
    if (older)
        return root;
    ZnArrowMarker *arrowMarker = new ZnArrowMarker;
    Held<SoPath> toCube(new SoPath(root));
    toCube->append(3);
    arrowMarker->setPathToObject(toCube);
    root->addChild(arrowMarker);
    ZnBulletMarker *bullet = new ZnBulletMarker;
    root->addChild(bullet);
    ZnMarkerSequencer *tour = new ZnMarkerSequencer;
    tour->appendMarker(arrowMarker);
    tour->appendMarker(bullet);
    root->addChild(tour);
    SoShadow *shadow = new SoShadow;
    shadow->setPaths(toCube, NULL);
    root->addChild(shadow);
    root->addChild(new SoGraphPaper);
    root->addChild(new SoBoxManip);
    root->addChild(new SoRotateJackDragger);
    root->addChild(new SoRefPlaneDragger);
    return root;
}

// Runs the toolkit-only reader: its exit status and the scene as it
// writes it back.
int plainRead(const std::string &path, std::string &scene)
{
    return GspTest::run(std::string(GLOSSPIN_PLAIN_READER) + " '" + path + "' 2>/dev/null", scene);
}

int count(const std::string &text, const std::string &what)
{
    return GspTest::occurrences(text, what);
}

class PlainReaderTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        init();
        setenv("USER", "author1", 1);
    }
    TempDir tmp;
};

}

TEST_F(PlainReaderTest, BothFileFormsOpenWithTheToolkitAlone)
{
    SoSeparator *root = annotatedScene(tmp);
    int nodes[2];
    // separator, marker, list, 8 notes, arrow, marker, cube; the arrow
    // marker, its path, material, list, placement and arrow; the bullet
    // marker, its material and list; the sequencer and its two references;
    // the shadow, its path to the cube and the path's head; the graph paper;
    // the box manipulator, the rotate jack and the reference plane.
    const int kExpected = 14 + 6 + 3 + 3 + 3 + 1 + 3;
    std::string firstAscii;
    for (int form : {0, 1, 2}) {  // ASCII, binary, binary through a pipe
        bool binary = form > 0;
        std::string path = tmp.file(binary ? "scene.bin" : "scene.iv");
        if (form < 2) {
            writeScene(root, path, binary);
        } else {
            FILE *pipe = popen(("cat > '" + path + "'").c_str(), "w");
            SoOutput out;
            out.setBinary(TRUE);
            out.setFilePointer(pipe);
            SoWriteAction(&out).apply(root);
            pclose(pipe);
        }
        std::string scene;
        ASSERT_EQ(0, plainRead(path, scene)) << form;
        nodes[binary] = count(scene, " {\n") + count(scene, "USE ");
        std::vector<std::string> kinds(std::begin(kNoteKinds), std::end(kNoteKinds));
        kinds.insert(kinds.end(),
                     {"ZnMarker", "ZnArrowMarker", "ZnBulletMarker", "ZnMarkerSequencer", "Cube",
                      "Shadow", "GraphPaper", "BoxManip", "RotateJackDragger",
                      "RefPlaneDragger"});
        for (const std::string &kind : kinds)
            EXPECT_EQ(1, count(scene, kind + " {")) << kind << form;
        if (!binary)
            firstAscii = TempDir::readFile(path);
    }
    // A binary save leaves nothing behind that changes the next save.
    writeScene(root, tmp.file("again.iv"), false);
    EXPECT_EQ(firstAscii, TempDir::readFile(tmp.file("again.iv")));
    EXPECT_EQ(kExpected, nodes[0]);
    EXPECT_EQ(kExpected, nodes[1]);  // the pipe's, the last binary one
    root->unref();
}

// Releasing the root releases the whole scene, arrow markers pointing
// into it included, built, read (with delayed reading, so that media are
// cached) or pasted: every library node goes, and no descriptor and no
// file of the library's stays.
TEST_F(PlainReaderTest, AReleasedSceneReleasesEverything)
{
    SoSeparator *built = annotatedScene(tmp);
    writeScene(built, tmp.file("scene.bin"), true);
    SoSFDelayedData::supportDelayedReading = 1;
    std::vector<std::string> files = tmp.entries();
    int fds = GspTest::openDescriptors();
    SoSensorManager *sensors = SoDB::getSensorManager();
    for (int way : {1, 2, 0}) {  // the built scene last: the others are made from it
        SoSeparator *root = way == 0   ? built
                            : way == 1 ? readScene(tmp.file("scene.bin"))
                                       : GspTest::readFromBuffer(GspTest::writeToBuffer(built));
        ASSERT_TRUE(root) << way;
        if (way)
            root->ref();
        dataOf(nth<ZnImageNote>((SoGroup *)((ZnMarker *)root->getChild(0))->getPart("notes", FALSE)));
        sensors->processDelayQueue(FALSE);
        GspTest::LibraryNodeWatch watch(root);
        EXPECT_GT(watch.alive(), 20) << way;
        root->unref();
        sensors->processDelayQueue(FALSE);
        EXPECT_EQ(0, watch.alive()) << way;
        if (way) {
            EXPECT_EQ(files, tmp.entries()) << way;
            EXPECT_EQ(fds, GspTest::openDescriptors()) << way;
        }
    }
    SoSFDelayedData::supportDelayedReading = 0;
}

// data/older-binary.iv is annotatedScene() as the library wrote it
// before the header carried the group flag.
TEST_F(PlainReaderTest, OlderBinaryFilesReadAsBefore)
{
    Held<SoSeparator> old(readScene(GLOSSPIN_TOOLKIT_DATA "/older-binary.iv"));
    ASSERT_TRUE(old) << readErrors();
    SoSeparator *root = annotatedScene(tmp, true);
    std::string path = tmp.file("scene.bin");
    writeScene(root, path, true);
    Held<SoSeparator> now(readScene(path));
    ASSERT_TRUE(now) << readErrors();
    // Same scene, apart from the authoring times of the notes.
    auto ascii = [this](SoNode *scene) {
        writeScene(scene, tmp.file("scene.iv"), false);
        std::string s = TempDir::readFile(tmp.file("scene.iv"));
        for (size_t at = s.find("timestamp\t"); at != std::string::npos;
             at = s.find("timestamp\t", at + 1))
            s.erase(at + 10, s.find('\n', at) - at - 10);
        return s;
    };
    EXPECT_EQ(ascii(old), ascii(now));
    root->unref();
}
