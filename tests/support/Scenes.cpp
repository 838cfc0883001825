#include "support/Test.h"

#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/sensors/SoSensorManager.h>

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

void addFlatColour(SoGroup *root, const SbColor *c)
{
    SoLightModel *model = new SoLightModel;
    model->model = SoLightModel::BASE_COLOR;
    root->addChild(model);
    if (c) {
        SoMaterial *material = new SoMaterial;
        material->diffuseColor = *c;
        root->addChild(material);
    }
}

void settle()
{
    SoDB::getSensorManager()->processDelayQueue(FALSE);
}

bool click(SoNode *root, const SbViewportRegion &vp, short x, short y, const SbTime &t)
{
    SoMouseButtonEvent e;
    e.setButton(SoMouseButtonEvent::BUTTON1);
    e.setPosition(SbVec2s(x, y));
    e.setTime(t);
    bool handled = false;
    for (SoButtonEvent::State s : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
        e.setState(s);
        SoHandleEventAction ha(vp);
        ha.setEvent(&e);
        ha.apply(root);
        handled = ha.isHandled();
    }
    return handled;
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

SoSeparator *readText(const std::string &body)
{
    return readFromBuffer("#Inventor V2.1 ascii\n\n" + body);
}

SoNode *addText(SoGroup *to, const std::string &body)
{
    // Node by node: a whole read would hand back a lone separator itself.
    std::string bytes = "#Inventor V2.1 ascii\n\n" + body;
    SoInput in;
    in.setBuffer((void *)bytes.data(), bytes.size());
    SoNode *first = NULL, *node = NULL;
    SbBool read;
    while ((read = SoDB::read(&in, node)) && node) {
        to->addChild(node);
        first = first ? first : node;
    }
    EXPECT_TRUE(read && first) << body;
    return first;
}

}
