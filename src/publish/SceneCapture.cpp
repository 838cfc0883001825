#include "publish/SceneCapture.h"

#include <string.h>

#include <map>
#include <unordered_map>

#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/nodes/SoShape.h>

#include "publish/PngImage.h"

namespace {

// One vertex as it is compared for sharing.
struct Vertex {
    float v[12];  // position, normal, uv, colour
    bool operator==(const Vertex &o) const { return memcmp(v, o.v, sizeof v) == 0; }
};

struct VertexHash {
    size_t operator()(const Vertex &x) const
    {
        size_t h = 1469598103934665603ull;
        const unsigned char *p = (const unsigned char *)x.v;
        for (size_t i = 0; i < sizeof x.v; i++)
            h = (h ^ p[i]) * 1099511628211ull;
        return h;
    }
};

// The state of one capture: the shape being drawn and what it reuses.
struct Capturing {
    GspSceneCapture *out;
    std::map<const ZnMarker *, int> markerOf;
    std::map<const unsigned char *, int> textureOf;
    GspCapturedShape *shape = nullptr;
    std::unordered_map<Vertex, uint32_t, VertexHash> shared;
    SbMatrix model, normalMatrix;

    int ownerMarker(const SoPath *path);
    void beginShape(SoCallbackAction *action, const SoNode *node);
    void endShape();
    void add(SoCallbackAction *action, const SoPrimitiveVertex *v, const SbVec3f &faceNormal,
             bool lit);
    void addVertex(const float *values);
    void addArrowLines(SoCallbackAction *action, const ZnArrow *arrow);
};

int Capturing::ownerMarker(const SoPath *path)
{
    const SoFullPath *full = (const SoFullPath *)path;
    for (int i = full->getLength() - 1; i >= 0; i--) {
        SoNode *node = full->getNode(i);
        if (node->isOfType(ZnMarker::getClassTypeId())) {
            auto it = markerOf.find((ZnMarker *)node);
            return it == markerOf.end() ? -1 : it->second;
        }
    }
    return -1;
}

void Capturing::beginShape(SoCallbackAction *action, const SoNode *node)
{
    endShape();
    out->shapes.emplace_back();
    shape = &out->shapes.back();
    shape->marker = ownerMarker(action->getCurPath());
    shape->name = node->getName().getString();
    model = action->getModelMatrix();
    normalMatrix = model.inverse().transpose();
    shape->unlit = action->getLightModel() == SoLightModel::BASE_COLOR;
    SbColor ambient, diffuse, specular, emission;
    float shininess, transparency;
    action->getMaterial(ambient, diffuse, specular, emission, shininess, transparency, 0);
    for (int i = 0; i < 3; i++) {
        shape->specular[i] = specular[i];
        shape->emissive[i] = emission[i];
    }
    shape->shininess = shininess;

    SbVec2s size;
    int components = 0;
    const unsigned char *image = action->getTextureImage(size, components);
    if (image && size[0] > 0 && size[1] > 0) {
        auto it = textureOf.find(image);
        if (it != textureOf.end()) {
            shape->texture = it->second;
        } else {
            std::string png = gspPngOfBottomUp(image, size[0], size[1], components);
            if (!png.empty()) {
                shape->texture = (int)out->textures.size();
                out->textures.push_back(std::move(png));
                textureOf[image] = shape->texture;
            }
        }
    }
}

// A shape that drew nothing leaves nothing.
void Capturing::endShape()
{
    if (shape && shape->indices.empty())
        out->shapes.pop_back();
    shape = nullptr;
    shared.clear();
}

void Capturing::add(SoCallbackAction *action, const SoPrimitiveVertex *pv,
                    const SbVec3f &faceNormal, bool lit)
{
    SbVec3f p;
    model.multVecMatrix(pv->getPoint(), p);
    SbVec3f n(0, 0, 0);
    if (lit) {
        n = pv->getNormal();
        if (n.length() < 1e-12f)
            n = faceNormal;
        normalMatrix.multDirMatrix(n, n);
        if (n.length() > 0)
            n.normalize();
    }
    const SbVec4f &t = pv->getTextureCoords();
    SbColor ambient, diffuse, specular, emission;
    float shininess, transparency;
    action->getMaterial(ambient, diffuse, specular, emission, shininess, transparency,
                        pv->getMaterialIndex());
    const float values[12] = {p[0], p[1], p[2], n[0], n[1], n[2], t[0], 1 - t[1],
                              diffuse[0], diffuse[1], diffuse[2], 1 - transparency};
    addVertex(values);
}

void Capturing::addVertex(const float *values)
{
    Vertex x;
    memcpy(x.v, values, sizeof x.v);
    auto found = shared.find(x);
    if (found != shared.end()) {
        shape->indices.push_back(found->second);
        return;
    }
    uint32_t index = (uint32_t)(shape->positions.size() / 3);
    shared.emplace(x, index);
    shape->positions.insert(shape->positions.end(), x.v, x.v + 3);
    shape->normals.insert(shape->normals.end(), x.v + 3, x.v + 6);
    shape->uvs.insert(shape->uvs.end(), x.v + 6, x.v + 8);
    shape->colors.insert(shape->colors.end(), x.v + 8, x.v + 12);
    shape->indices.push_back(index);
}

// An arrow's line parts are drawn, not generated as primitives: they
// come in as a shape of their own, unlit in the colour the arrow draws
// them in.
void Capturing::addArrowLines(SoCallbackAction *action, const ZnArrow *arrow)
{
    SbVec3f ends[ZnArrow::MAX_LINE_ENDS];
    int n = arrow->getLineSegments(ends);
    if (n == 0)
        return;
    beginShape(action, arrow);
    shape->mode = GspCapturedShape::LINES;
    shape->unlit = true;
    SbColor ambient, diffuse, specular, emission;
    float shininess, transparency;
    action->getMaterial(ambient, diffuse, specular, emission, shininess, transparency, 0);
    SbColor c = diffuse + emission;
    for (int i = 0; i < n; i++) {
        SbVec3f p;
        model.multVecMatrix(ends[i], p);
        const float values[12] = {p[0], p[1], p[2], 0, 0, 0, 0, 0, c[0] > 1 ? 1 : c[0],
                                  c[1] > 1 ? 1 : c[1], c[2] > 1 ? 1 : c[2], 1};
        addVertex(values);
    }
    endShape();
}

SoCallbackAction::Response pruneCB(void *, SoCallbackAction *, const SoNode *)
{
    return SoCallbackAction::PRUNE;
}

SoCallbackAction::Response markerCB(void *data, SoCallbackAction *, const SoNode *node)
{
    Capturing *c = (Capturing *)data;
    const ZnMarker *m = (const ZnMarker *)node;
    if (!c->markerOf.count(m)) {
        c->markerOf[m] = (int)c->out->markers.size();
        c->out->markers.emplace_back();
        c->out->markers.back().marker = (ZnMarker *)m;
    }
    return SoCallbackAction::CONTINUE;
}

// Icons and label are the page's: only where they hang from is taken.
SoCallbackAction::Response noteListCB(void *data, SoCallbackAction *action, const SoNode *node)
{
    Capturing *c = (Capturing *)data;
    int i = c->ownerMarker(action->getCurPath());
    if (i >= 0) {
        c->out->markers[(size_t)i].notes = (ZnNoteList *)node;
        c->out->markers[(size_t)i].notesMatrix = action->getModelMatrix();
    }
    return SoCallbackAction::PRUNE;
}

SoCallbackAction::Response shapeCB(void *data, SoCallbackAction *action, const SoNode *node)
{
    ((Capturing *)data)->beginShape(action, node);
    return SoCallbackAction::CONTINUE;
}

SoCallbackAction::Response shapeDoneCB(void *data, SoCallbackAction *action, const SoNode *node)
{
    Capturing *c = (Capturing *)data;
    c->endShape();
    if (node->isOfType(ZnArrow::getClassTypeId()))
        c->addArrowLines(action, (const ZnArrow *)node);
    return SoCallbackAction::CONTINUE;
}

void triangleCB(void *data, SoCallbackAction *action, const SoPrimitiveVertex *a,
                const SoPrimitiveVertex *b, const SoPrimitiveVertex *c)
{
    Capturing *cap = (Capturing *)data;
    if (!cap->shape || cap->shape->mode != GspCapturedShape::TRIANGLES)
        return;
    SbVec3f face = (b->getPoint() - a->getPoint()).cross(c->getPoint() - a->getPoint());
    if (face.length() > 0)
        face.normalize();
    cap->add(action, a, face, true);
    cap->add(action, b, face, true);
    cap->add(action, c, face, true);
}

// A shape gives one kind of primitive; the first one met sets the mode.
void setMode(Capturing *cap, int mode)
{
    if (cap->shape && cap->shape->indices.empty())
        cap->shape->mode = mode;
}

void triangleFirstCB(void *data, SoCallbackAction *action, const SoPrimitiveVertex *a,
                     const SoPrimitiveVertex *b, const SoPrimitiveVertex *c)
{
    setMode((Capturing *)data, GspCapturedShape::TRIANGLES);
    triangleCB(data, action, a, b, c);
}

void lineCB(void *data, SoCallbackAction *action, const SoPrimitiveVertex *a,
            const SoPrimitiveVertex *b)
{
    Capturing *cap = (Capturing *)data;
    setMode(cap, GspCapturedShape::LINES);
    if (!cap->shape || cap->shape->mode != GspCapturedShape::LINES)
        return;
    SbVec3f none(0, 0, 0);
    cap->add(action, a, none, false);
    cap->add(action, b, none, false);
}

void pointCB(void *data, SoCallbackAction *action, const SoPrimitiveVertex *v)
{
    Capturing *cap = (Capturing *)data;
    setMode(cap, GspCapturedShape::POINTS);
    if (!cap->shape || cap->shape->mode != GspCapturedShape::POINTS)
        return;
    cap->add(action, v, SbVec3f(0, 0, 0), false);
}

}

void GspSceneCapture::capture(SoNode *root)
{
    Capturing c;
    c.out = this;
    SoCallbackAction action;
    action.addPreCallback(SoDragger::getClassTypeId(), pruneCB, &c);
    action.addPreCallback(ZnMarkerSequencer::getClassTypeId(), pruneCB, &c);
    action.addPreCallback(ZnMarker::getClassTypeId(), markerCB, &c);
    action.addPreCallback(ZnNoteList::getClassTypeId(), noteListCB, &c);
    action.addPreCallback(SoShape::getClassTypeId(), shapeCB, &c);
    action.addPostCallback(SoShape::getClassTypeId(), shapeDoneCB, &c);
    action.addTriangleCallback(SoShape::getClassTypeId(), triangleFirstCB, &c);
    action.addLineSegmentCallback(SoShape::getClassTypeId(), lineCB, &c);
    action.addPointCallback(SoShape::getClassTypeId(), pointCB, &c);
    action.apply(root);
    c.endShape();
    indexOf = c.markerOf;
}

int GspSceneCapture::markerIndex(const ZnMarker *m) const
{
    auto it = indexOf.find(m);
    return it == indexOf.end() ? -1 : it->second;
}
