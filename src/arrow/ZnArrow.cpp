#include <Glosspin/ZnArrow.h>

#include <math.h>

#include <initializer_list>

#include <GL/gl.h>
#include <Inventor/SbBox.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/bundles/SoMaterialBundle.h>
#include <Inventor/elements/SoComplexityElement.h>
#include <Inventor/elements/SoComplexityTypeElement.h>
#include <Inventor/elements/SoGLLazyElement.h>
#include <Inventor/elements/SoLazyElement.h>
#include <Inventor/elements/SoMaterialBindingElement.h>
#include <Inventor/fields/SoFieldData.h>

#include <Glosspin/ZnArrowDetail.h>
#include <Glosspin/ZnInit.h>

#include "init/ChildlessGroupForm.h"

SO_NODE_SOURCE(ZnArrow);

SbVec2f *ZnArrow::ringCoordsArray = NULL;
int ZnArrow::maxRingCoords = 0;
SbVec3f *ZnArrow::headNormsArray = NULL;
int ZnArrow::maxHeadNorms = 0;

// Two hand-drawn strokes that meet at the tip: points 0-8 and 9-14.
const float ZnArrow::lineHeadCoords[15][2] = {
    {-0.002851f, -0.010312f}, {0.005008f, 0.182017f}, {0.022237f, 0.320533f},
    {0.053011f, 0.439797f},   {0.082998f, 0.531261f}, {0.127772f, 0.624089f},
    {0.195677f, 0.721824f},   {0.266090f, 0.794555f}, {0.343599f, 0.840086f},
    {-0.000586f, 0.005845f},  {-0.042810f, 0.290890f}, {-0.084252f, 0.522881f},
    {-0.122566f, 0.678436f},  {-0.174369f, 0.832639f}, {-0.247062f, 0.991816f},
};

// Receives the triangle strips and fans of the solid parts, for GL
// rendering or for primitive generation.
class ArrowGeometrySink {
  public:
    virtual ~ArrowGeometrySink() {}
    virtual void begin(bool fan) = 0;
    virtual void vertex(const SbVec3f &point, const SbVec3f &normal) = 0;
    virtual void end() = 0;
};

namespace {

class GLSink : public ArrowGeometrySink {
  public:
    explicit GLSink(bool sendNormals) : sendNormals(sendNormals) {}
    void begin(bool fan) override { glBegin(fan ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP); }
    void vertex(const SbVec3f &p, const SbVec3f &n) override
    {
        if (sendNormals)
            glNormal3fv(n.getValue());
        glVertex3fv(p.getValue());
    }
    void end() override { glEnd(); }

  private:
    bool sendNormals;
};

}

// Hands the triangles to the shape's primitive callbacks.
class ArrowPrimitiveSink : public ArrowGeometrySink {
  public:
    ArrowPrimitiveSink(ZnArrow *arrow, SoAction *action) : arrow(arrow), action(action)
    {
        pv.setTextureCoords(SbVec4f(0, 0, 0, 0));
    }
    void begin(bool fan) override
    {
        arrow->beginShape(action, fan ? SoShape::TRIANGLE_FAN : SoShape::TRIANGLE_STRIP);
    }
    void vertex(const SbVec3f &p, const SbVec3f &n) override
    {
        pv.setPoint(p);
        pv.setNormal(n);
        arrow->shapeVertex(&pv);
    }
    void end() override { arrow->endShape(); }

  private:
    ZnArrow *arrow;
    SoAction *action;
    SoPrimitiveVertex pv;
};

void ZnArrow::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SO_NODE_INIT_CLASS(ZnArrow, SoShape, "Shape");
    ZnInit::initClasses();
    SO_ENABLE(SoGLRenderAction, SoGLLazyElement);
    SO_ENABLE(SoGLRenderAction, SoComplexityElement);
    SO_ENABLE(SoGLRenderAction, SoComplexityTypeElement);
}

ZnArrow::ZnArrow()
{
    SO_NODE_CONSTRUCTOR(ZnArrow);
    SO_NODE_ADD_FIELD(parts, (HEAD | SHAFT | TAIL));
    SO_NODE_ADD_FIELD(type, (ARROW));
    SO_NODE_ADD_FIELD(length, (4.0f));
    // Not at its default, so that files always say which parts are drawn.
    parts = HEAD | SHAFT;

    headLength = 1.0f;
    headRadius = 0.4f;
    shaftLength = 3.0f;
    shaftRadius = 0.13f;
    tailDiameter = 0.0f;
}

ZnArrow::~ZnArrow()
{
}

SbBool ZnArrow::hasPart(Part p) const
{
    if (parts.isIgnored())
        return TRUE;
    return (parts.getValue() & p) != 0;
}

SbBool ZnArrow::setType(int newType)
{
    if (!updateLocalFields(newType))
        return FALSE;
    type = (short)newType;
    return TRUE;
}

SbBool ZnArrow::updateLocalFields(int t)
{
    switch (t) {
    case ARROW:
        parts = HEAD | SHAFT;
        headLength = 1.0f;
        headRadius = 0.4f;
        shaftLength = length.getValue() - headLength.getValue();
        shaftRadius = 0.13f;
        tailDiameter = 0.0f;
        return TRUE;
    case LINE_ARROW:
        parts = HEAD | SHAFT;
        headLength = 0.0f;
        headRadius = 0.8f;
        tailDiameter = 0.0f;
        return TRUE;
    case PUSHPIN:
        parts = SHAFT | TAIL;
        headLength = 0.0f;
        tailDiameter = 0.4f;
        shaftLength = length.getValue() - tailDiameter.getValue();
        return TRUE;
    default:
        return FALSE;
    }
}

// The larger pixel extent of box on the screen.
int ZnArrow::screenExtent(SoState *state, const SbBox3f &box)
{
    SbVec2s size;
    getScreenSize(state, box, size);
    return size[0] > size[1] ? size[0] : size[1];
}

void ZnArrow::computeRing(SoAction *action, int *numSections, int *numSides, SbVec2f *&ring)
{
    SoState *state = action->getState();
    float q = SoComplexityElement::get(state);
    if (SoComplexityTypeElement::get(state) == SoComplexityTypeElement::OBJECT_SPACE) {
        if (q <= 0.5f) {
            *numSections = 1;
            *numSides = (int)(14.0f * q + 3.0f);
        } else {
            *numSections = (int)(6.0f * q - 2.0f);
            *numSides = (int)(44.0f * q - 12.0f);
        }
    } else {
        float r = shaftRadius.getValue(), half = length.getValue() / 2.0f;
        int m = screenExtent(state, SbBox3f(-r, -half, -r, r, half, r));
        *numSections = 1 + (int)(0.2f * q * m);
        *numSides = 3 + (int)(0.25f * q * m);
    }
    if (*numSides > maxRingCoords) {
        delete[] ringCoordsArray;
        ringCoordsArray = new SbVec2f[*numSides];
        maxRingCoords = *numSides;
    }
    ring = ringCoordsArray;
    float theta = 0.0f, step = (float)(2.0 * M_PI / *numSides);
    for (int i = 0; i < *numSides; i++) {
        ring[i].setValue(sinf(theta), -cosf(theta));
        theta += step;
    }
}

void ZnArrow::computeHeadNorms(int numSides, SbVec3f *&norms)
{
    if (numSides > maxHeadNorms) {
        delete[] headNormsArray;
        headNormsArray = new SbVec3f[numSides];
        maxHeadNorms = numSides;
    }
    norms = headNormsArray;
    float r = headRadius.getValue(), l = headLength.getValue();
    float s = sqrtf(r * r + l * l);
    if (s == 0.0f)
        s = 1.0f;
    const SbVec2f *ring = ringCoordsArray;
    for (int i = 0; i < numSides; i++)
        norms[i].setValue((l / s) * ring[i][0], -r / s, (l / s) * ring[i][1]);
}

int ZnArrow::computeDepth(SoAction *action)
{
    SoState *state = action->getState();
    float q = SoComplexityElement::get(state);
    if (SoComplexityTypeElement::get(state) == SoComplexityTypeElement::SCREEN_SPACE) {
        float h = tailDiameter.getValue() / 2.0f;
        return 1 + (int)(0.1f * q * screenExtent(state, SbBox3f(-h, -h, -h, h, h, h)));
    }
    if (q <= 0.5f)
        return 1 + (int)(4.0f * q);
    return (int)(18.0f * q) - 6;
}

void ZnArrow::emitConeHead(ArrowGeometrySink &sink, int numSections, int numSides,
                           const SbVec2f *ring)
{
    SbVec3f *norms;
    computeHeadNorms(numSides, norms);
    float l = headLength.getValue(), r = headRadius.getValue();
    for (int k = 0; k < numSections; k++) {
        float y0 = k * l / numSections, r0 = k * r / numSections;
        float y1 = (k + 1) * l / numSections, r1 = (k + 1) * r / numSections;
        sink.begin(false);
        for (int j = 0; j <= numSides; j++) {
            int i = j % numSides;
            sink.vertex(SbVec3f(r0 * ring[i][0], y0, r0 * ring[i][1]), norms[i]);
            sink.vertex(SbVec3f(r1 * ring[i][0], y1, r1 * ring[i][1]), norms[i]);
        }
        sink.end();
    }
    SbVec3f up(0, 1, 0);
    sink.begin(true);
    sink.vertex(SbVec3f(0, l, 0), up);
    for (int i = numSides - 1; i >= 0; i--)
        sink.vertex(SbVec3f(r * ring[i][0], l, r * ring[i][1]), up);
    sink.vertex(SbVec3f(r * ring[numSides - 1][0], l, r * ring[numSides - 1][1]), up);
    sink.end();
}

void ZnArrow::emitCylShaft(ArrowGeometrySink &sink, int numSections, int numSides,
                           const SbVec2f *ring)
{
    float r = shaftRadius.getValue(), top = length.getValue();
    float step = (top - headLength.getValue()) / numSections;
    for (int k = 0; k < numSections; k++) {
        float yFar = top - k * step, yNear = top - (k + 1) * step;
        sink.begin(false);
        for (int j = 0; j <= numSides; j++) {
            int i = j % numSides;
            SbVec3f n(r * ring[i][0], 0, r * ring[i][1]);
            sink.vertex(SbVec3f(n[0], yNear, n[2]), n);
            sink.vertex(SbVec3f(n[0], yFar, n[2]), n);
        }
        sink.end();
    }
    SbVec3f up(0, 1, 0);
    sink.begin(true);
    sink.vertex(SbVec3f(0, top, 0), up);
    for (int i = numSides - 1; i >= 0; i--)
        sink.vertex(SbVec3f(r * ring[i][0], top, r * ring[i][1]), up);
    sink.vertex(SbVec3f(r * ring[numSides - 1][0], top, r * ring[numSides - 1][1]), up);
    sink.end();
}

void ZnArrow::emitSphereTail(ArrowGeometrySink &sink, int d)
{
    float r = tailDiameter.getValue() / 2.0f;
    SbVec3f centre(0, length.getValue() - r, 0);
    for (int o = 0; o < 8; o++) {
        float sx = (o & 1) ? -1.0f : 1.0f, sy = (o & 2) ? -1.0f : 1.0f,
              sz = (o & 4) ? -1.0f : 1.0f;
        bool flip = sx * sy * sz > 0;
        // A point of the octant's triangular grid, as a unit vector.
        auto emit = [&](int k, int n, float t, float a) {
            float u = a * k / n;
            SbVec3f p(sx * u, sy * t, sz * (a - u));
            p.normalize();
            sink.vertex(centre + r * p, p);
        };
        for (int j = 0; j <= d - 2; j++) {
            float t0 = (float)j / d, t1 = (float)(j + 1) / d;
            float a0 = 1 - t0, a1 = 1 - t1;
            int n = d - j;
            sink.begin(false);
            for (int k = 0; k < n; k++) {
                emit(flip ? n - k : k, n, t0, a0);
                emit(flip ? n - k - 1 : k, n - 1, t1, a1);
            }
            emit(flip ? 0 : n, n, t0, a0);
            sink.end();
        }
        float t = (float)(d - 1) / d, a = 1 - t;
        SbVec3f p1(sx * a, sy * t, 0), p2(0, sy * t, sz * a), pole(0, sy, 0);
        p1.normalize();
        p2.normalize();
        sink.begin(false);
        sink.vertex(centre + r * (flip ? p2 : p1), flip ? p2 : p1);
        sink.vertex(centre + r * (flip ? p1 : p2), flip ? p1 : p2);
        sink.vertex(centre + r * pole, pole);
        sink.end();
    }
}

void ZnArrow::setLocalGLState(SoGLRenderAction *action)
{
    GLboolean rgba = GL_TRUE;
    glGetBooleanv(GL_RGBA_MODE, &rgba);
    if (!rgba) {
        glPushAttrib(GL_LINE_BIT);
        return;
    }
    SoState *state = action->getState();
    SbColor c = SoLazyElement::getDiffuse(state, 0) + SoLazyElement::getEmissive(state);
    for (int i = 0; i < 3; i++)
        if (c[i] > 1.0f)
            c[i] = 1.0f;
    glPushAttrib(GL_LIGHTING_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glColor3fv(c.getValue());
}

void ZnArrow::resetLocalGLState()
{
    glPopAttrib();
}

int ZnArrow::getLineSegments(SbVec3f *ends) const
{
    int t = type.getValue(), n = 0;
    if ((t == LINE_ARROW || t == PUSHPIN) && hasPart(SHAFT)) {
        float tail = tailDiameter.getValue() / 2.0f;
        ends[n++].setValue(0, 0, 0);
        ends[n++].setValue(0, length.getValue() - tail + tail / 10.0f, 0);
    }
    if (t == LINE_ARROW && hasPart(HEAD)) {
        for (int i = 0; i < 14; i++) {
            if (i == 8)
                continue;
            ends[n++].setValue(lineHeadCoords[i][0], lineHeadCoords[i][1], 0);
            ends[n++].setValue(lineHeadCoords[i + 1][0], lineHeadCoords[i + 1][1], 0);
        }
    }
    return n;
}

void ZnArrow::renderLines(SoGLRenderAction *action)
{
    SbVec3f ends[MAX_LINE_ENDS];
    int n = getLineSegments(ends);
    if (n == 0)
        return;
    setLocalGLState(action);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    for (int i = 0; i < n; i++)
        glVertex3fv(ends[i].getValue());
    glEnd();
    resetLocalGLState();
}

void ZnArrow::GLRender(SoGLRenderAction *action)
{
    if (!shouldGLRender(action))
        return;
    SoState *state = action->getState();
    SoMaterialBundle mb(action);
    beginSolidShape(action);
    mb.sendFirst();
    GLSink sink(SoLazyElement::getLightModel(state) != SoLazyElement::BASE_COLOR);
    emitSolidParts(sink, action);
    renderLines(action);
    endSolidShape(action);
}

// The triangles of the parts that have them; line parts have none.
void ZnArrow::emitSolidParts(ArrowGeometrySink &sink, SoAction *action)
{
    int sections, sides;
    SbVec2f *ring;
    switch (type.getValue()) {
    case ARROW:
        computeRing(action, &sections, &sides, ring);
        if (hasPart(HEAD))
            emitConeHead(sink, sections, sides, ring);
        if (hasPart(SHAFT))
            emitCylShaft(sink, sections, sides, ring);
        break;
    case PUSHPIN:
        if (hasPart(TAIL))
            emitSphereTail(sink, computeDepth(action));
        break;
    default:
        break;
    }
}

void ZnArrow::generatePrimitives(SoAction *action)
{
    ArrowPrimitiveSink sink(this, action);
    emitSolidParts(sink, action);
}

void ZnArrow::computeBBox(SoAction *, SbBox3f &box, SbVec3f &center)
{
    int t = type.getValue();
    float w = (t == ARROW || t == LINE_ARROW) ? headRadius.getValue()
                                              : tailDiameter.getValue() / 2.0f;
    float l = length.getValue();
    box.setBounds(-w, 0, -w, w, l, w);
    center.setValue(0, l / 2.0f, 0);
}

SoPickedPoint *ZnArrow::addHit(SoRayPickAction *action, const SbVec3f &point,
                               const SbVec3f &normal, int part)
{
    if (!action->isBetweenPlanes(point))
        return NULL;
    SoPickedPoint *pp = action->addIntersection(point);
    if (!pp)
        return NULL;
    pp->setObjectNormal(normal);
    pp->setDetail(new ZnArrowDetail(part), this);
    return pp;
}

// The cylinder shaft is the solid arrow's second part: its own material
// when materials are bound per part.
static void setCylinderShaftMaterial(SoRayPickAction *action, SoPickedPoint *pp)
{
    int binding = SoMaterialBindingElement::get(action->getState());
    if (pp && (binding == SoMaterialBindingElement::PER_PART ||
               binding == SoMaterialBindingElement::PER_PART_INDEXED))
        pp->setMaterialIndex(1);
}

SbBool ZnArrow::intersectInfiniteCone(const SbLine &line, SbVec3f &enter,
                                      SbVec3f &exit) const
{
    float r = headRadius.getValue(), l = headLength.getValue();
    if (r == 0.0f || l == 0.0f)
        return FALSE;
    const SbVec3f &pos = line.getPosition(), &dir = line.getDirection();
    SbVec3f p(pos[0] / r, pos[1] / l, pos[2] / r), d(dir[0] / r, dir[1] / l, dir[2] / r);
    double a = (double)d[0] * d[0] - (double)d[1] * d[1] + (double)d[2] * d[2];
    double b = 2.0 * ((double)p[0] * d[0] - (double)p[1] * d[1] + (double)p[2] * d[2]);
    double e = (double)p[0] * p[0] - (double)p[1] * p[1] + (double)p[2] * p[2];
    double disc = b * b - 4.0 * a * e;
    if (disc < 0.0)
        return FALSE;
    double s = sqrt(disc), tEnter, tExit;
    if (b > 0.0) {
        tEnter = -2.0 * e / (s + b);
        tExit = -(s + b) / (2.0 * a);
    } else {
        tEnter = 2.0 * e / (s - b);
        tExit = (s - b) / (2.0 * a);
    }
    enter = pos + (float)tEnter * dir;
    exit = pos + (float)tExit * dir;
    return TRUE;
}

void ZnArrow::rayPickConeHead(SoRayPickAction *action)
{
    const SbLine &line = action->getLine();
    float l = headLength.getValue(), r = headRadius.getValue();
    int sideHits = 0;
    SbVec3f enter, exit;
    if (intersectInfiniteCone(line, enter, exit)) {
        for (int which = 0; which < 2; which++) {
            const SbVec3f &p = which ? exit : enter;
            if (!std::isfinite(p[1]) || p[1] < 0.0f || p[1] > l)
                continue;
            sideHits++;
            SbVec3f n(p[0] * p[1], -(p[0] * p[0] + p[2] * p[2]), p[1] * p[2]);
            if (which)
                n.negate();
            n.normalize();
            addHit(action, p, n, HEAD);
        }
    }
    if (sideHits < 2)
        pickCapDisc(action, l, r, HEAD);
}

// The flat end facing +Y at height y: a disc of the given radius.
SoPickedPoint *ZnArrow::pickCapDisc(SoRayPickAction *action, float y, float radius, int part)
{
    SbVec3f p;
    if (SbPlane(SbVec3f(0, 1, 0), y).intersect(action->getLine(), p) &&
        p[0] * p[0] + p[2] * p[2] <= radius * radius)
        return addHit(action, p, SbVec3f(0, 1, 0), part);
    return NULL;
}

void ZnArrow::rayPickCylShaft(SoRayPickAction *action)
{
    const SbLine &line = action->getLine();
    float r = shaftRadius.getValue(), top = length.getValue(), bottom = headLength.getValue();
    int sideHits = 0;
    SbVec3f enter, exit;
    SbCylinder cylinder(SbLine(SbVec3f(0, 0, 0), SbVec3f(0, 1, 0)), r);
    if (cylinder.intersect(line, enter, exit)) {
        for (const SbVec3f &p : {enter, exit}) {
            if (p[1] < bottom || p[1] > top)
                continue;
            sideHits++;
            SbVec3f n(p[0], 0, p[2]);
            n.normalize();
            setCylinderShaftMaterial(action, addHit(action, p, n, SHAFT));
        }
    }
    if (sideHits < 2)
        setCylinderShaftMaterial(action, pickCapDisc(action, top, r, SHAFT));
}

void ZnArrow::rayPickSphereTail(SoRayPickAction *action)
{
    float r = tailDiameter.getValue() / 2.0f;
    SbVec3f centre(0, length.getValue() - r, 0);
    SbVec3f enter, exit;
    if (!SbSphere(centre, r).intersect(action->getLine(), enter, exit))
        return;
    for (const SbVec3f &p : {enter, exit}) {
        SbVec3f n = p - centre;
        n.normalize();
        addHit(action, p, n, TAIL);
    }
}

void ZnArrow::rayPickLineShaft(SoRayPickAction *action)
{
    SbVec3f end(0, length.getValue() - tailDiameter.getValue() - headLength.getValue(), 0);
    SbVec3f p;
    if (action->intersect(SbVec3f(0, 0, 0), end, p))
        addHit(action, p, SbVec3f(0, 0, 1), SHAFT);
}

void ZnArrow::rayPickLineHead(SoRayPickAction *action)
{
    for (int i = 0; i < 14; i++) {
        if (i == 8)
            continue;
        SbVec3f a(lineHeadCoords[i][0], lineHeadCoords[i][1], 0);
        SbVec3f b(lineHeadCoords[i + 1][0], lineHeadCoords[i + 1][1], 0);
        SbVec3f p;
        if (action->intersect(a, b, p) && addHit(action, p, SbVec3f(0, 0, 1), HEAD))
            return;
    }
}

void ZnArrow::rayPick(SoRayPickAction *action)
{
    if (!shouldRayPick(action))
        return;
    computeObjectSpaceRay(action);
    switch (type.getValue()) {
    case ARROW:
        if (hasPart(HEAD))
            rayPickConeHead(action);
        if (hasPart(SHAFT))
            rayPickCylShaft(action);
        break;
    case LINE_ARROW:
        if (hasPart(HEAD))
            rayPickLineHead(action);
        if (hasPart(SHAFT))
            rayPickLineShaft(action);
        break;
    case PUSHPIN:
        if (hasPart(TAIL))
            rayPickSphereTail(action);
        if (hasPart(SHAFT))
            rayPickLineShaft(action);
        break;
    default:
        break;
    }
}

void ZnArrow::write(SoWriteAction *action) { GSP_WRITE_AS_CHILDLESS_GROUP(action); }

SbBool ZnArrow::readInstance(SoInput *in, unsigned short flags)
{
    if (!SoShape::readInstance(in, flags) || !gspReadChildlessGroupZero(in))
        return FALSE;
    updateLocalFields(type.getValue());
    return TRUE;
}
