#include "support/Test.h"

#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/sensors/SoNodeSensor.h>
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

SbBox3f boxOf(SoNode *n)
{
    SoGetBoundingBoxAction ba(SbViewportRegion(200, 200));
    ba.apply(n);
    return ba.getBoundingBox();
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

std::string writeToBuffer(SoNode *root, bool binary, const SoPathList *list)
{
    SoOutput out;
    out.setBinary(binary);
    out.setBuffer(malloc(1024), 1024, realloc);
    SoWriteAction wa(&out);
    list ? wa.apply(*list) : wa.apply(root);
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

// Below the dragger a selected marker shows: one dragger serves every
// marker of its class, in any scene.
static bool sharedDragger(SoFullPath *p)
{
    for (int i = 0; i + 1 < p->getLength(); i++)
        if (p->getNode(i)->isOfType(ZnMarker::getClassTypeId()))
            for (int j = i + 1; j < p->getLength(); j++)
                if (p->getNode(j) == ((ZnMarker *)p->getNode(i))->getPart("dragger", FALSE))
                    return true;
    return false;
}

LibraryNodeWatch::LibraryNodeWatch(SoNode *root)
{
    if (!root)
        return;
    SoBaseKit::setSearchingChildren(TRUE);
    SoSearchAction sa;
    sa.setType(SoNode::getClassTypeId());
    sa.setInterest(SoSearchAction::ALL);
    sa.setSearchingAll(TRUE);
    sa.apply(root);
    SoBaseKit::setSearchingChildren(FALSE);
    const SoPathList &all = sa.getPaths();
    for (int i = 0; i < all.getLength(); i++) {
        SoFullPath *p = (SoFullPath *)all[i];
        SoNode *n = p->getTail();
        if (sharedDragger(p))
            continue;
        bool ours = false;
        for (SoType t : {ZnNote::getClassTypeId(), ZnNoteList::getClassTypeId(),
                         ZnMarker::getClassTypeId(), ZnMarkerSequencer::getClassTypeId(),
                         ZnArrow::getClassTypeId(), SoShadow::getClassTypeId(),
                         SoGraphPaper::getClassTypeId(), SoDragger::getClassTypeId()})
            ours = ours || n->isOfType(t);
        if (!ours)
            continue;
        sensors.push_back(new SoNodeSensor);
        sensors.back()->attach(n);
    }
}

// A sensor lets go of a node that dies.
int LibraryNodeWatch::alive() const
{
    return (int)std::count_if(sensors.begin(), sensors.end(),
                              [](SoNodeSensor *s) { return s->getAttachedNode(); });
}

std::string LibraryNodeWatch::survivors() const
{
    std::string names;
    for (SoNodeSensor *s : sensors)
        if (SoNode *n = s->getAttachedNode())
            names += std::string(names.empty() ? "" : " ") + n->getTypeId().getName().getString();
    return names;
}

LibraryNodeWatch::~LibraryNodeWatch()
{
    for (SoNodeSensor *w : sensors)
        delete w;
}

}
