#include "support/Scenes.h"

#include <stdlib.h>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>

namespace GspTest {

SoOrthographicCamera *addFrontCamera(SoGroup *root)
{
    SoOrthographicCamera *camera = new SoOrthographicCamera;
    camera->position = SbVec3f(0, 0, 10);
    camera->height = 10;
    camera->nearDistance = 1;
    camera->farDistance = 20;
    root->addChild(camera);
    return camera;
}

std::string writeToBuffer(SoNode *root, bool binary)
{
    SoOutput out;
    out.setBinary(binary);
    out.setBuffer(malloc(1024), 1024, realloc);
    SoWriteAction wa(&out);
    wa.apply(root);
    void *buf;
    size_t size;
    out.getBuffer(buf, size);
    std::string bytes((const char *)buf, size);
    free(buf);
    return bytes;
}

SoSeparator *readFromBuffer(const std::string &bytes)
{
    SoInput in;
    in.setBuffer((void *)bytes.data(), bytes.size());
    return SoDB::readAll(&in);
}

}
