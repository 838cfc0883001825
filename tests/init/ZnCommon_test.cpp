// Common services with the Xt layer up: the error dialog's texts, the
// camera path and the files removed at exit.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Xm/MessageB.h>

#include "support/TempDir.h"
#include "support/XtTestEnv.h"

namespace {

struct Dialog {
    std::string title, message;
    bool found = false;
};

// The error dialog now open over the top-level widget.
Dialog openErrorDialog()
{
    Dialog d;
    Widget box = NULL;
    GspTest::pumpUntil([&] {
        box = GspTest::findWidgetOfClass(GspTest::topLevel(), xmMessageBoxWidgetClass);
        return box != NULL;
    });
    if (!box)
        return d;
    d.found = true;
    d.message = GspTest::compoundText(box, XmNmessageString);
    char *title = NULL;
    XtVaGetValues(XtParent(box), XmNtitle, &title, NULL);
    d.title = title ? title : "";
    return d;
}

}

class CommonTest : public XtTest {};

TEST_F(CommonTest, ErrorDialogFillsTheDetailWithTheFileName)
{
    GspTest::setResource("cannotOpenNoteMsg", "Cannot open the note.");
    GspTest::setResource("fileNotReadableMsg", "The file %s cannot be read.");
    ZnCommon::displayError("cannotOpenNoteMsg", "fileNotReadableMsg", NULL, "/data/clip.mov");
    Dialog d = openErrorDialog();
    ASSERT_TRUE(d.found);
    EXPECT_EQ("Glosspin : Error Dialog", d.title);
    EXPECT_NE(std::string::npos, d.message.find("Cannot open the note.")) << d.message;
    EXPECT_NE(std::string::npos, d.message.find("The file /data/clip.mov cannot be read."))
        << d.message;
}

TEST_F(CommonTest, ErrorDialogWithoutResourcesSaysUnknownError)
{
    ZnCommon::displayError("neverDefinedMsg", "neverDefinedDetailMsg", "x", "y");
    Dialog d = openErrorDialog();
    ASSERT_TRUE(d.found);
    EXPECT_EQ("Unknown error occurred", d.message.substr(0, d.message.find_last_not_of("\n ") + 1));
}

TEST_F(CommonTest, ApplicationSettingsOverrideTheShippedTexts)
{
    std::string shipped = ZnCommon::getResource("cameraMissingMsg", "");
    EXPECT_FALSE(shipped.empty());
    GspTest::setResource("cameraMissingMsg", "No camera here.");
    EXPECT_STREQ("No camera here.", ZnCommon::getResource("cameraMissingMsg"));
    GspTest::setResource("cameraMissingMsg", shipped.c_str());
}

TEST_F(CommonTest, CameraPathFromARootHoldsTheCameraAndItsParent)
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    SoPerspectiveCamera *camera = new SoPerspectiveCamera;
    root->addChild(camera);
    ASSERT_EQ(1, ZnCommon::updateCameraPath(root));
    ASSERT_EQ(2, ZnCommon::cameraPath->getLength());
    EXPECT_EQ(root, ZnCommon::cameraPath->getHead());
    EXPECT_EQ(camera, ZnCommon::cameraPath->getTail());

    // Deeper down, the path keeps only the last two nodes.
    SoSeparator *deep = new SoSeparator;
    SoGroup *middle = new SoGroup;
    SoGroup *parent = new SoGroup;
    SoPerspectiveCamera *deepCamera = new SoPerspectiveCamera;
    deep->ref();
    deep->addChild(middle);
    middle->addChild(parent);
    parent->addChild(deepCamera);
    ASSERT_EQ(1, ZnCommon::updateCameraPath(deep));
    ASSERT_EQ(2, ZnCommon::cameraPath->getLength());
    EXPECT_EQ(parent, ZnCommon::cameraPath->getHead());
    EXPECT_EQ(deepCamera, ZnCommon::cameraPath->getTail());
    deep->unref();
    root->unref();
}

TEST_F(CommonTest, CameraPathWithoutRootSearchesTheRememberedParent)
{
    SoSeparator *parent = new SoSeparator;
    parent->ref();
    SoPerspectiveCamera *camera = new SoPerspectiveCamera;
    parent->addChild(camera);

    // Nothing remembered: an error and 0.
    if (ZnCommon::cameraPath)
        ZnCommon::cameraPath->unref();
    ZnCommon::cameraPath = NULL;
    EXPECT_EQ(0, ZnCommon::updateCameraPath(NULL));
    EXPECT_TRUE(openErrorDialog().found);
    GspTest::destroyPopups();

    // The parent alone: the camera, a direct child, is appended.
    ZnCommon::cameraPath = new SoPath(parent);
    ZnCommon::cameraPath->ref();
    ASSERT_EQ(1, ZnCommon::updateCameraPath(NULL));
    ASSERT_EQ(2, ZnCommon::cameraPath->getLength());
    EXPECT_EQ(camera, ZnCommon::cameraPath->getTail());

    // A path of two nodes is not a parent to search under.
    EXPECT_EQ(0, ZnCommon::updateCameraPath(NULL));
    GspTest::destroyPopups();

    // A camera deeper below the parent replaces the path.
    SoSeparator *top = new SoSeparator;
    top->ref();
    SoGroup *holder = new SoGroup;
    SoPerspectiveCamera *inner = new SoPerspectiveCamera;
    top->addChild(holder);
    holder->addChild(inner);
    ZnCommon::cameraPath->unref();
    ZnCommon::cameraPath = new SoPath(top);
    ZnCommon::cameraPath->ref();
    ASSERT_EQ(1, ZnCommon::updateCameraPath(NULL));
    EXPECT_EQ(holder, ZnCommon::cameraPath->getHead());
    EXPECT_EQ(inner, ZnCommon::cameraPath->getTail());

    // No camera under the remembered parent.
    SoSeparator *empty = new SoSeparator;
    ZnCommon::cameraPath->unref();
    ZnCommon::cameraPath = new SoPath(empty);
    ZnCommon::cameraPath->ref();
    EXPECT_EQ(0, ZnCommon::updateCameraPath(NULL));
    Dialog d = openErrorDialog();
    EXPECT_NE(std::string::npos, d.message.find(ZnCommon::getResource("cameraMissingMsg")));
    top->unref();
    parent->unref();
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
