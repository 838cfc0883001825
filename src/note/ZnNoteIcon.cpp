// A note on screen: its icon drawn as pixels at the note's offset, the
// selection frame, the icon rectangle rebuilt in object space for picking
// and bounding boxes, and clicks on the icon.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/SoPrimitiveVertex.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/details/SoFaceDetail.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoViewVolumeElement.h>
#include <Inventor/elements/SoViewportRegionElement.h>
#include <Inventor/events/SoMouseButtonEvent.h>

#include <GL/gl.h>
#include <math.h>

// Two clicks closer than this many milliseconds make a double click.
static const unsigned int DOUBLE_CLICK_MS = 301;

namespace {

// The current object-to-clip matrix, its inverse and the window size:
// where the icon's pixels lie in object space.
struct IconProjection {
    SbMatrix m, inverse;
    SbVec2s window;

    explicit IconProjection(SoState *state)
    {
        SbMatrix affine, proj;
        SoViewVolumeElement::get(state).getMatrices(affine, proj);
        m = SoModelMatrixElement::get(state) * affine * proj;
        inverse = m.inverse();
        window = SoViewportRegionElement::get(state).getWindowSize();
    }
    SbVec3f toScreen(const SbVec3f &p) const
    {
        SbVec3f n;
        m.multVecMatrix(p, n);
        return SbVec3f((n[0] + 1) * window[0] / 2, (n[1] + 1) * window[1] / 2, n[2]);
    }
    SbVec3f toObject(float x, float y, float z) const
    {
        SbVec3f p;
        inverse.multVecMatrix(SbVec3f(2 * x / window[0] - 1, 2 * y / window[1] - 1, z), p);
        return p;
    }
};

bool rasterValid()
{
    GLboolean valid;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    return valid != 0;
}

}

void ZnNote::setOffset(SbVec3f o) { offset = o; }

void ZnNote::setIconData(int width, int height, char *bits)
{
    iconWidth = (short)width;
    iconHeight = (short)height;
    currentIconData = iconData = bits;
}

void ZnNote::setActiveIconData(char *bits) { activeIconData = bits; }

// The icon's corners in object space: lower left (the offset), lower
// right, upper right, upper left.
void ZnNote::iconCorners(SoState *state, SbVec3f corners[4], SbVec3f &screen) const
{
    IconProjection proj(state);
    screen = proj.toScreen(offset);
    corners[0] = offset;
    corners[1] = proj.toObject(screen[0] + iconWidth, screen[1], screen[2]);
    corners[2] = proj.toObject(screen[0] + iconWidth, screen[1] + iconHeight, screen[2]);
    corners[3] = proj.toObject(screen[0], screen[1] + iconHeight, screen[2]);
}

void ZnNote::GLRender(SoGLRenderAction *action)
{
    if (!shouldGLRender(action))
        return;
    SoState *state = action->getState();
    // Where the pixels go depends on the view: no render cache may keep
    // them.
    SoCacheElement::invalidate(state);
    if (currentIconData && iconWidth > 0 && iconHeight > 0)
        drawIcon(state);
    if (selected)
        drawSelectionFrame(state);
}

void ZnNote::drawIcon(SoState *state)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos3fv(offset.getValue());
    if (rasterValid()) {
        glDrawPixels(iconWidth, iconHeight, GL_RGB, GL_UNSIGNED_BYTE, currentIconData);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        return;
    }
    // The lower-left corner is outside the view: find the first visible
    // row and column from the upper-right corner, then draw row by row.
    // Probes go a quarter pixel into the pixels an unclipped icon would
    // cover (raster positions are rounded), so that the visible part lands
    // exactly there.
    IconProjection proj(state);
    SbVec3f s = proj.toScreen(offset);
    float bx = floorf(s[0] + 0.5f) + 0.25f, by = floorf(s[1] + 0.5f) + 0.25f;
    auto rasterAt = [&](int column, int row) {
        glRasterPos3fv(proj.toObject(bx + column, by + row, s[2]).getValue());
        return rasterValid();
    };
    int top = iconHeight - 1, right = iconWidth - 1;
    if (rasterAt(right, top)) {
        int row = top;
        while (row > 0 && rasterAt(right, row - 1))
            row--;
        int column = right;
        while (column > 0 && rasterAt(column - 1, row))
            column--;
        for (int r = row; r <= top; r++) {
            rasterAt(column, r);
            glDrawPixels(iconWidth - column, 1, GL_RGB, GL_UNSIGNED_BYTE,
                         currentIconData + 3 * (r * iconWidth + column));
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void ZnNote::drawSelectionFrame(SoState *state)
{
    SbVec3f c[4], s;
    iconCorners(state, c, s);
    glPushAttrib(GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 0);
    glLineWidth(2);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; i++)
        glVertex3fv(c[i].getValue());
    glEnd();
    glPopAttrib();
}

// Picking hits the screen rectangle of the icon.
void ZnNote::generatePrimitives(SoAction *action)
{
    SoState *state = action->getState();
    SoCacheElement::invalidate(state);
    SbVec3f c[4], s;
    iconCorners(state, c, s);
    SbVec3f normal = (c[1] - c[0]).cross(c[3] - c[0]);
    normal.normalize();
    SoPrimitiveVertex pv;
    SoFaceDetail detail;
    pv.setNormal(normal);
    pv.setTextureCoords(SbVec4f(0, 0, 0, 0));
    bool picking = action->isOfType(SoRayPickAction::getClassTypeId());
    if (picking)
        pv.setDetail(&detail);
    beginShape(action, TRIANGLE_STRIP, picking ? &detail : NULL);
    const int order[4] = {3, 0, 2, 1};  // UL, LL, UR, LR
    for (int i : order) {
        pv.setPoint(c[i]);
        shapeVertex(&pv);
    }
    endShape();
}

void ZnNote::computeBBox(SoAction *action, SbBox3f &box, SbVec3f &center)
{
    SoState *state = action->getState();
    SoCacheElement::invalidate(state);
    center.setValue(0, 0, 0);
    if (iconWidth <= 0 || iconHeight <= 0)
        return;
    SbVec3f c[4], s;
    iconCorners(state, c, s);
    for (int i = 0; i < 4; i++)
        box.extendBy(c[i]);
}

void ZnNote::handleEvent(SoHandleEventAction *action)
{
    const SoEvent *event = action->getEvent();
    bool press = SO_MOUSE_PRESS_EVENT(event, BUTTON1) != 0;
    bool release = SO_MOUSE_RELEASE_EVENT(event, BUTTON1) != 0;
    if (!press && !release)
        return;
    if (ZnCommon::editMode == 2 && !release)
        return;
    const SoPickedPoint *pp = action->getPickedPoint();
    if (!pp || !pp->getPath()->containsPath(action->getCurPath()))
        return;
    if (press) {
        action->setHandled();
        return;
    }
    time_t sec;
    long usec;
    event->getTime().getValue(sec, usec);
    unsigned int t = (unsigned int)((unsigned long)sec * 1000UL + (unsigned long)usec / 1000UL);
    if (t - lastClickTime < DOUBLE_CLICK_MS) {
        if (ZnCommon::editMode == 2)
            play(0);
        action->setHandled();
    } else if (ZnCommon::editMode == 1) {
        if (isPlaying())
            killPlayer();
        else
            play(0);
        action->setHandled();
    }
    lastClickTime = t;
}
