#include <Glosspin/ZnCommon.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <Inventor/SoPath.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoNode.h>
#include <X11/Xlib.h>

#include "field/ReadLeftovers.h"
#include "init/MessageText.h"
#include "init/ResourceFile.h"

SoMFString ZnCommon::filesToCleanUp;
int ZnCommon::editMode = 1;
int ZnCommon::controlForAlt = 0;
int ZnCommon::instanceExists = 0;
pid_t ZnCommon::originalProcessId = 0;
SoPath *ZnCommon::cameraPath = NULL;

namespace {

// The application's display, or NULL before SoXt::init() or in a
// command-line tool.
Display *appDisplay()
{
    return SoXt::getTopLevelWidget() ? SoXt::getDisplay() : NULL;
}

}

std::string gspFillMessage(const char *format, const char *arg)
{
    std::string s(format);
    size_t at = s.find("%s");
    if (at != std::string::npos)
        s.replace(at, 2, arg ? arg : "");
    return s;
}

ZnCommon::ZnCommon()
{
    if (!instanceExists) {
        instanceExists = 1;
        originalProcessId = getpid();
    }
}

ZnCommon::~ZnCommon()
{
    // Processes forked from the application share its list but must
    // not remove the application's files.
    if (getpid() == originalProcessId) {
        GspReadLeftovers::sweep();
        cleanUpAllFiles();
    }
    if (cameraPath) {
        cameraPath->unref();
        cameraPath = NULL;
    }
}

const char *ZnCommon::getResource(const char *key, const char *defaultText)
{
    if (!key)
        return defaultText;
    const char *text;
    Display *display = appDisplay();
    if (display) {
        GspResourceFile::mergeInto(display);
        text = XGetDefault(display, "Glosspin", key);
    } else {
        text = GspResourceFile::lookupWithoutDisplay(key);
    }
    return text ? text : defaultText;
}

void ZnCommon::displayError(const char *key, const char *detailKey,
                            const char *arg, const char *detailArg)
{
    std::string message, detail;
    int hasMessage = 0, hasDetail = 0;
    if (key) {
        message = gspFillMessage(getResource(key, "Unknown error occurred"), arg);
        hasMessage = 1;
    }
    if (detailKey) {
        const char *text = getResource(detailKey);
        if (text) {
            detail = gspFillMessage(text, detailArg);
            hasDetail = 1;
        }
    }
    std::string title = getResource("title_display_error", "Glosspin : Error Dialog");

    if (!appDisplay()) {
        fprintf(stderr, "%s\n", title.c_str());
        if (hasMessage)
            fprintf(stderr, "%s\n", message.c_str());
        if (hasDetail)
            fprintf(stderr, "%s\n", detail.c_str());
        return;
    }
    SoXt::createSimpleErrorDialog(SoXt::getTopLevelWidget(),
                                  const_cast<char *>(title.c_str()),
                                  const_cast<char *>(message.c_str()),
                                  hasDetail ? const_cast<char *>(detail.c_str()) : NULL);
}

// Replaces cameraPath by the last two nodes of found: the camera's
// parent and the camera (or the camera alone when it is the root).
static void keepCameraAndParent(SoPath *found)
{
    int len = found->getLength();
    SoPath *kept = len >= 2 ? found->copy(len - 2, 2) : found->copy();
    kept->ref();
    if (ZnCommon::cameraPath)
        ZnCommon::cameraPath->unref();
    ZnCommon::cameraPath = kept;
}

int ZnCommon::updateCameraPath(SoNode *root)
{
    SoSearchAction search;
    search.setType(SoCamera::getClassTypeId(), TRUE);
    search.setInterest(SoSearchAction::FIRST);

    if (root) {
        search.apply(root);
        SoPath *found = search.getPath();
        if (!found) {
            displayError("cannotRestoreMsg", "cameraMissingMsg");
            return 0;
        }
        keepCameraAndParent(found);
        return 1;
    }

    if (!cameraPath || cameraPath->getLength() != 1) {
        displayError("cannotRestoreMsg", "cameraMissingMsg");
        return 0;
    }
    search.apply(cameraPath->getHead());
    SoPath *found = search.getPath();
    if (!found) {
        displayError("cannotRestoreMsg", "cameraMissingMsg");
        return 0;
    }
    if (found->getLength() == 2)
        cameraPath->append(found->getTail());
    else if (found->getLength() > 2)
        keepCameraAndParent(found);
    return 1;
}

void ZnCommon::addFile(const char *name)
{
    if (name)
        filesToCleanUp.set1Value(filesToCleanUp.getNum(), SbString(name));
}

void ZnCommon::cleanUpAllFiles()
{
    for (int i = 0; i < filesToCleanUp.getNum(); i++)
        unlink(filesToCleanUp[i].getString());
    filesToCleanUp.setNum(0);
}
