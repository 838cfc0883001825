// Common services with the Xt layer up: the error dialog's texts, the
// camera path and the files removed at exit.
#include "support/Test.h"

class CommonTest : public XtTest {};

TEST_F(CommonTest, ErrorDialogsFillTheDetailOrSayUnknownError)
{
    GspTest::setResource("cannotOpenNoteMsg", "Cannot open the note.");
    GspTest::setResource("fileNotReadableMsg", "The file %s cannot be read.");
    struct {
        const char *key, *detailKey, *want;
    } cases[] = {
        {"cannotOpenNoteMsg", "fileNotReadableMsg",
         "Cannot open the note.The file /data/clip.mov cannot be read."},
        {"neverDefinedMsg", "neverDefinedDetailMsg", "Unknown error occurred"},
    };
    for (auto &c : cases) {
        ZnCommon::displayError(c.key, c.detailKey, NULL, "/data/clip.mov");
        std::string m = GspTest::awaitError();
        EXPECT_EQ(c.want, m.substr(0, m.find_last_not_of("\n ") + 1));
        GspTest::destroyPopups();
    }
    // The application's settings override the shipped texts.
    std::string shipped = ZnCommon::getResource("cameraMissingMsg", "");
    EXPECT_FALSE(shipped.empty());
    GspTest::setResource("cameraMissingMsg", "No camera here.");
    EXPECT_STREQ("No camera here.", ZnCommon::getResource("cameraMissingMsg"));
    GspTest::setResource("cameraMissingMsg", shipped.c_str());
}

// The camera path holds the camera and its parent: found from a root, or
// searched for under the remembered parent.
TEST_F(CommonTest, TheCameraPathHoldsTheCameraAndItsParent)
{
    GspTest::Held<SoSeparator> scene(GspTest::readText(
        "Separator { DEF shallow Separator { DEF near PerspectiveCamera {} } "
        "DEF deep Separator { Group { DEF parent Group { DEF far PerspectiveCamera {} } } } "
        "DEF empty Separator {} }"));
    auto node = [](const char *name) { return SoNode::getByName(name); };
    auto remember = [](SoNode *head) {
        if (ZnCommon::cameraPath)
            ZnCommon::cameraPath->unref();
        ZnCommon::cameraPath = head ? new SoPath(head) : NULL;
        if (head)
            ZnCommon::cameraPath->ref();
    };
    auto holds = [](SoNode *parent, SoNode *camera) {
        SoPath *p = ZnCommon::cameraPath;
        return p->getLength() == 2 && p->getHead() == parent && p->getTail() == camera;
    };
    ASSERT_EQ(1, ZnCommon::updateCameraPath(node("shallow")));
    EXPECT_TRUE(holds(node("shallow"), node("near")));
    ASSERT_EQ(1, ZnCommon::updateCameraPath(node("deep")));
    EXPECT_TRUE(holds(node("parent"), node("far")));
    // A path of two nodes is not a parent to search under.
    EXPECT_EQ(0, ZnCommon::updateCameraPath(NULL));
    GspTest::destroyPopups();
    for (const char *parent : {"shallow", "deep"}) {
        remember(node(parent));
        ASSERT_EQ(1, ZnCommon::updateCameraPath(NULL)) << parent;
    }
    EXPECT_TRUE(holds(node("parent"), node("far")));
    // Nothing remembered, or no camera below it: an error and 0.
    for (const char *parent : {(const char *)NULL, "empty"}) {
        remember(parent ? node(parent) : NULL);
        EXPECT_EQ(0, ZnCommon::updateCameraPath(NULL));
        EXPECT_NE(std::string::npos,
                  GspTest::awaitError().find(ZnCommon::getResource("cameraMissingMsg")));
        GspTest::destroyPopups();
    }
}

TEST_F(CommonTest, FilesAreRemovedOnlyByTheOriginalProcess)
{
    TempDir dir;
    ZnCommon *common = new ZnCommon;
    for (const char *name : {"a.tmp", "b.tmp"}) {
        TempDir::writeFile(dir.file(name), "x");
        ZnCommon::addFile(dir.file(name).c_str());
    }
    ZnCommon::addFile(dir.file("never-made").c_str());

    pid_t child = fork();
    if (child == 0) {
        // A process that shares the application's state and ends without exec.
        delete common;
        _exit(access(dir.file("a.tmp").c_str(), F_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(2u, dir.entries().size());

    delete common;
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(0, ZnCommon::filesToCleanUp.getNum());
    EXPECT_EQ(NULL, ZnCommon::cameraPath);
}
