#include <Glosspin/SoGestureDragger.h>

#include <math.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/nodekits/SoNodekitCatalog.h>

#include "init/ToolkitMacros.h"

SO_KIT_SOURCE(SoGestureDragger);

namespace {
// Screen images shorter than this many pixels per box unit are seen end-on.
const float DEGENERATE_PIXELS = 1e-3f;
// Directions closer than this to one line (|sin| of their angle) are colinear.
const float COLINEAR_SINE = 0.05f;
}

void SoGestureDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SO__KIT_INIT_CLASS(SoGestureDragger, "GestureDragger", SoDragger);
}

SoGestureDragger::SoGestureDragger()
{
    GSP_KIT_CONSTRUCTOR(SoGestureDragger);
    SO_KIT_INIT_INSTANCE();
}

SoGestureDragger::~SoGestureDragger()
{
}

// Part-to-local of surroundScale (identity without one), then local-to-world.
SbMatrix SoGestureDragger::getBoxToWorldMatrix()
{
    SbMatrix boxToLocal = SbMatrix::identity(), localToBox = SbMatrix::identity();
    if (getNodekitCatalog()->getPartNumber("surroundScale") != SO_CATALOG_NAME_NOT_FOUND)
        getPartToLocalMatrix("surroundScale", boxToLocal, localToBox);
    SbMatrix m = boxToLocal;
    m.multRight(getLocalToWorldMatrix());
    return m;
}

SbVec3f SoGestureDragger::getBoxPointInWorldSpace(const SbVec3f &p)
{
    SbVec3f w;
    getBoxToWorldMatrix().multVecMatrix(p, w);
    return w;
}

SbVec3f SoGestureDragger::getBoxDirInWorldSpace(const SbVec3f &d)
{
    SbVec3f w;
    getBoxToWorldMatrix().multDirMatrix(d, w);
    return w;
}

SbVec3f SoGestureDragger::getWorldPointInBoxSpace(const SbVec3f &p)
{
    SbVec3f b;
    getBoxToWorldMatrix().inverse().multVecMatrix(p, b);
    return b;
}

SbVec3f SoGestureDragger::getWorldPointInPixelSpace(const SbVec3f &p)
{
    SbVec3f n;
    getViewVolume().projectToScreen(p, n);
    const SbViewportRegion &vp = getViewportRegion();
    SbVec2s origin = vp.getViewportOriginPixels(), size = vp.getViewportSizePixels();
    return SbVec3f(origin[0] + n[0] * size[0], origin[1] + n[1] * size[1], n[2]);
}

SbBool SoGestureDragger::isColinear(const SbVec2f &a, const SbVec2f &b)
{
    return fabsf(a[0] * b[1] - a[1] * b[0]) < COLINEAR_SINE;
}

void SoGestureDragger::makeMinorAxisPerpendicularIfColinear(const SbVec2f &major, SbVec2f &minor)
{
    if (!isColinear(major, minor))
        return;
    SbVec2f perpendicular(-major[1], major[0]);
    minor = perpendicular.dot(minor) < 0 ? -perpendicular : perpendicular;
    if (minor.dot(minor) == 0)
        minor = perpendicular;
}

// The allowed axis with the shortest screen image, when that image is
// degenerate (the axis points at the eye); -1 when none is.
int SoGestureDragger::getIgnoreAxis(const SbVec2f axes[3], const SbBool allowed[3])
{
    int shortest = -1;
    for (int i = 0; i < 3; i++)
        if (allowed[i] && axes[i].length() < DEGENERATE_PIXELS &&
            (shortest < 0 || axes[i].length() < axes[shortest].length()))
            shortest = i;
    return shortest;
}

int SoGestureDragger::getMouseGestureDirection(SbBool xAllowed, SbBool yAllowed, SbBool zAllowed)
{
    const SbBool allowed[3] = {xAllowed, yAllowed, zAllowed};
    SbVec3f start = getWorldStartingPoint();
    SbVec3f startPixel = getWorldPointInPixelSpace(start);
    // Screen images of the box axes, in pixels per box unit.
    SbVec2f axes[3];
    float length[3];
    for (int i = 0; i < 3; i++) {
        SbVec3f dir(0, 0, 0);
        dir[i] = 1;
        SbVec3f end = getWorldPointInPixelSpace(start + getBoxDirInWorldSpace(dir));
        axes[i].setValue(end[0] - startPixel[0], end[1] - startPixel[1]);
        length[i] = axes[i].length();
    }
    int ignore = getIgnoreAxis(axes, allowed);
    // Longer images are the major ones; the shorter of a colinear pair turns.
    int order[3] = {0, 1, 2};
    for (int i = 0; i < 3; i++)
        for (int j = i + 1; j < 3; j++)
            if (length[order[j]] > length[order[i]]) {
                int t = order[i];
                order[i] = order[j];
                order[j] = t;
            }
    for (int i = 0; i < 3; i++)
        if (length[i] > 0)
            axes[i].normalize();
    for (int i = 0; i < 3; i++)
        for (int j = i + 1; j < 3; j++)
            if (allowed[order[i]] && allowed[order[j]] && order[i] != ignore && order[j] != ignore)
                makeMinorAxisPerpendicularIfColinear(axes[order[i]], axes[order[j]]);

    SbVec2s locater = getLocaterPosition();
    SbVec2f gesture(locater[0] - startPixel[0], locater[1] - startPixel[1]);
    if (gesture.length() > 0)
        gesture.normalize();
    int best = -1;
    float bestDot = -1;
    for (int i = 0; i < 3; i++) {
        if (!allowed[i] || i == ignore)
            continue;
        float d = fabsf(axes[i].dot(gesture));
        if (d > bestDot) {
            best = i;
            bestDot = d;
        }
    }
    if (best < 0)  // only end-on axes allowed
        for (int i = 0; i < 3 && best < 0; i++)
            if (allowed[i])
                best = i;
    return best < 0 ? 0 : best;
}
