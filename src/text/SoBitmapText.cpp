#include <Glosspin/SoBitmapText.h>

#include <GL/gl.h>
#include <Inventor/SbBox.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/bundles/SoMaterialBundle.h>
#include <Inventor/details/SoTextDetail.h>
#include <Inventor/elements/SoFontNameElement.h>
#include <Inventor/elements/SoFontSizeElement.h>
#include <Inventor/elements/SoGLTextureEnabledElement.h>
#include <Inventor/elements/SoLazyElement.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoProjectionMatrixElement.h>
#include <Inventor/elements/SoViewingMatrixElement.h>
#include <Inventor/elements/SoViewportRegionElement.h>
#include <Inventor/misc/SoState.h>

#include "text/SoBitmapFontCache.h"

#include "init/ToolkitMacros.h"

SO_NODE_SOURCE(SoBitmapText);

void SoBitmapText::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SO__NODE_INIT_CLASS(SoBitmapText, "BitmapText", SoShape);
    SO_ENABLE(SoGLRenderAction, SoFontNameElement);
    SO_ENABLE(SoGLRenderAction, SoFontSizeElement);
    SO_ENABLE(SoGetBoundingBoxAction, SoFontNameElement);
    SO_ENABLE(SoGetBoundingBoxAction, SoFontSizeElement);
    SO_ENABLE(SoGetBoundingBoxAction, SoViewportRegionElement);
    SO_ENABLE(SoRayPickAction, SoFontNameElement);
    SO_ENABLE(SoRayPickAction, SoFontSizeElement);
}

SoBitmapText::SoBitmapText() : fontCache(NULL)
{
    SO_NODE_CONSTRUCTOR(SoBitmapText);
    SO_NODE_ADD_FIELD(string, (""));
    SO_NODE_ADD_FIELD(spacing, (1.0f));
    SO_NODE_ADD_FIELD(justification, (LEFT));
    SO_NODE_DEFINE_ENUM_VALUE(Justification, LEFT);
    SO_NODE_DEFINE_ENUM_VALUE(Justification, RIGHT);
    SO_NODE_DEFINE_ENUM_VALUE(Justification, CENTER);
    GSP_NODE_SET_SF_ENUM_TYPE(justification, Justification);
}

SoBitmapText::~SoBitmapText()
{
    if (fontCache)
        fontCache->unref();
}

SoBitmapFontCache *SoBitmapText::glyphs() const
{
    return static_cast<SoBitmapFontCache *>(fontCache);
}

SbVec3f SoBitmapText::getPixelStringOffset(int line)
{
    SbVec3f r(0, 0, 0);
    float w = glyphs()->getWidth(string[line]);
    if (justification.getValue() == RIGHT)
        r[0] = -w;
    else if (justification.getValue() == CENTER)
        r[0] = -w / 2.0f;
    r[1] = -line * spacing.getValue() * glyphs()->getHeight() * 2.0f;
    return r;
}

SbVec3f SoBitmapText::objectToPixel(const SbVec3f &p, const SbMatrix &objToScreen,
                                    const SbViewportRegion &vp)
{
    SbVec3f s;
    objToScreen.multVecMatrix(p, s);
    const SbVec2s &size = vp.getViewportSizePixels();
    return SbVec3f((s[0] + 1.0f) * size[0] / 2.0f, (s[1] + 1.0f) * size[1] / 2.0f, s[2]);
}

SbVec3f SoBitmapText::pixelToObject(const SbVec3f &p, const SbMatrix &screenToObj,
                                    const SbViewportRegion &vp)
{
    const SbVec2s &size = vp.getViewportSizePixels();
    SbVec3f s(2.0f * p[0] / size[0] - 1.0f, 2.0f * p[1] / size[1] - 1.0f, p[2]), o;
    screenToObj.multVecMatrix(s, o);
    return o;
}

SbMatrix SoBitmapText::objectToScreen(SoState *state)
{
    SbMatrix m = SoProjectionMatrixElement::get(state);
    m.multLeft(SoViewingMatrixElement::get(state));
    m.multLeft(SoModelMatrixElement::get(state));
    return m;
}

SoBitmapFontCache *SoBitmapText::validCache(SoState *state, SbBool forRender)
{
    if (fontCache && !(forRender ? glyphs()->isRenderValid(state) : glyphs()->isValid(state))) {
        fontCache->unref(forRender ? state : NULL);
        fontCache = NULL;
    }
    if (!fontCache)
        fontCache = SoBitmapFontCache::getFont(state);
    return glyphs();
}

void SoBitmapText::GLRender(SoGLRenderAction *action)
{
    if (!shouldGLRender(action))
        return;
    SoState *state = action->getState();
    state->push();
    if (!validCache(state, TRUE)) {
        state->pop();
        return;
    }
    SoLazyElement::setLightModel(state, SoLazyElement::BASE_COLOR);
    SoGLTextureEnabledElement::set(state, this, FALSE);
    glyphs()->setupToRender(state);
    SoMaterialBundle mb(action);
    mb.send(0, FALSE);

    if (string.getNum() == 1 && justification.getValue() == LEFT) {
        glRasterPos3f(0, 0, 0);
        glyphs()->drawString(string[0]);
    } else {
        SbMatrix objToScreen = objectToScreen(state), screenToObj = objToScreen.inverse();
        const SbViewportRegion &vp = SoViewportRegionElement::get(state);
        SbVec3f origin = objectToPixel(SbVec3f(0, 0, 0), objToScreen, vp);
        for (int i = 0; i < string.getNum(); i++) {
            SbVec3f p = pixelToObject(getPixelStringOffset(i) + origin, screenToObj, vp);
            glRasterPos3fv(p.getValue());
            glyphs()->drawString(string[i]);
        }
    }
    state->pop();
}

SbBox3f SoBitmapText::linePixelBox(int line, const SbVec3f &origin, SbBool onlyInked)
{
    SbBox3f box, ch;
    SbVec3f p = getPixelStringOffset(line) + origin;
    const unsigned char *s = (const unsigned char *)string[line].getString();
    for (int k = 0; k < string[line].getLength(); k++) {
        glyphs()->getCharBbox(s[k], ch);
        if (!ch.isEmpty()) {
            box.extendBy(ch.getMin() + p);
            box.extendBy(ch.getMax() + p);
        }
        if (!onlyInked || !ch.isEmpty())
            p += glyphs()->getCharOffset(s[k]);
    }
    return box;
}

void SoBitmapText::computeBBox(SoAction *action, SbBox3f &box, SbVec3f &center)
{
    SoState *state = action->getState();
    state->push();
    if (!validCache(state, FALSE)) {
        state->pop();
        return;
    }
    SbMatrix objToScreen = objectToScreen(state), screenToObj = objToScreen.inverse();
    const SbViewportRegion &vp = SoViewportRegionElement::get(state);
    SbVec3f origin = objectToPixel(SbVec3f(0, 0, 0), objToScreen, vp);
    SbBox3f pixels;
    for (int i = 0; i < string.getNum(); i++) {
        SbBox3f line = linePixelBox(i, origin, FALSE);
        if (!line.isEmpty()) {
            pixels.extendBy(line.getMin());
            pixels.extendBy(line.getMax());
        }
    }
    if (!pixels.isEmpty()) {
        const SbVec3f &lo = pixels.getMin(), &hi = pixels.getMax();
        float z = origin[2];
        box.extendBy(pixelToObject(SbVec3f(lo[0], lo[1], z), screenToObj, vp));
        box.extendBy(pixelToObject(SbVec3f(hi[0], hi[1], z), screenToObj, vp));
        box.extendBy(pixelToObject(SbVec3f(lo[0], hi[1], z), screenToObj, vp));
        box.extendBy(pixelToObject(SbVec3f(hi[0], lo[1], z), screenToObj, vp));
        center.setValue(0, 0, 0);
    }
    state->pop();
}

void SoBitmapText::rayPick(SoRayPickAction *action)
{
    if (!shouldRayPick(action))
        return;
    SoState *state = action->getState();
    state->push();
    if (!validCache(state, FALSE)) {
        state->pop();
        return;
    }
    action->setObjectSpace();
    SbMatrix objToScreen = objectToScreen(state), screenToObj = objToScreen.inverse();
    const SbViewportRegion &vp = SoViewportRegionElement::get(state);
    SbVec3f origin = objectToPixel(SbVec3f(0, 0, 0), objToScreen, vp);
    float z = origin[2];
    for (int i = 0; i < string.getNum(); i++) {
        SbBox3f line = linePixelBox(i, origin, TRUE);
        if (line.isEmpty())
            continue;
        const SbVec3f &lo = line.getMin(), &hi = line.getMax();
        SbVec3f p0 = pixelToObject(SbVec3f(lo[0], lo[1], z), screenToObj, vp);
        SbVec3f p1 = pixelToObject(SbVec3f(hi[0], lo[1], z), screenToObj, vp);
        SbVec3f p2 = pixelToObject(SbVec3f(lo[0], hi[1], z), screenToObj, vp);
        SbVec3f p3 = pixelToObject(SbVec3f(hi[0], hi[1], z), screenToObj, vp);
        SbVec3f hit, bary;
        SbBool front;
        if (!action->intersect(p0, p1, p2, hit, bary, front) &&
            !action->intersect(p2, p1, p3, hit, bary, front))
            continue;
        SoPickedPoint *pp = action->addIntersection(hit);
        if (!pp)
            continue;
        SoTextDetail *detail = new SoTextDetail;
        detail->setStringIndex(i);
        float x = objectToPixel(pp->getObjectPoint(), objToScreen, vp)[0];
        SbVec3f p = getPixelStringOffset(i) + origin;
        const unsigned char *s = (const unsigned char *)string[i].getString();
        int n = string[i].getLength(), k = 0;
        for (; k < n; k++) {
            p += glyphs()->getCharOffset(s[k]);
            if (x <= p[0])
                break;
        }
        detail->setCharacterIndex(k);
        pp->setDetail(detail, this);
        pp->setMaterialIndex(0);
        pp->setObjectNormal(SbVec3f(0, 0, 1));
        pp->setObjectTextureCoords(SbVec4f(0, 0, 0, 0));
    }
    state->pop();
}

void SoBitmapText::generatePrimitives(SoAction *)
{
    // Raster text has no triangles.
}
