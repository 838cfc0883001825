#ifndef GLOSSPIN_SOBITMAPTEXT_H
#define GLOSSPIN_SOBITMAPTEXT_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Glosspin/SoMFBoundedString.h>
#include <Inventor/fields/SoSFEnum.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/nodes/SoShape.h>
#include <Inventor/nodes/SoSubNode.h>

class SoBitmapFontCache;
class SoGLRenderCache;
class SbViewportRegion;

/// Screen-aligned text drawn as raster bitmaps at a 3-D point, always the
/// same size on the screen, from glyphs cached per font, size and
/// viewport. The fields and behaviour are those of the toolkit's SoText2.
class SoBitmapText : public SoShape {
    SO_NODE_HEADER(SoBitmapText);

  public:
    /// Where each line stands against the text's origin.
    enum Justification { LEFT = 1, RIGHT = 2, CENTER = 3 };

    SoMFBoundedString string;  ///< one value a line
    SoBounded<SoSFFloat> spacing;  ///< line spacing factor
    SoSFEnum justification;  ///< a Justification

    /// A new SoBitmapText, its fields at their defaults.
    SoBitmapText();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void rayPick(SoRayPickAction *action);

    /// Between object space and window pixels (x, y from the viewport's
    /// lower left, z the depth in normalized device coordinates), for
    /// nodes that lay things out in pixels.
    static SbVec3f objectToPixel(const SbVec3f &p, const SbMatrix &objToScreen,
                                 const SbViewportRegion &vp);
    static SbVec3f pixelToObject(const SbVec3f &p, const SbMatrix &screenToObj,
                                 const SbViewportRegion &vp);
    /// Model, viewing and projection matrix of the state, in one.
    static SbMatrix objectToScreen(SoState *state);

  protected:
    virtual ~SoBitmapText();
    virtual void computeBBox(SoAction *action, SbBox3f &box, SbVec3f &center);
    virtual void generatePrimitives(SoAction *action);

  private:
    SoGLRenderCache *fontCache;  ///< the glyph cache in use, referenced
    SoBitmapFontCache *glyphs() const;

    /// Offset in pixels of a line's start from the text's origin.
    SbVec3f getPixelStringOffset(int line);
    /// A valid cache for the state, or NULL.
    SoBitmapFontCache *validCache(SoState *state, SbBool forRender);
    /// The line's pixel box, its start at p.
    SbBox3f linePixelBox(int line, const SbVec3f &screenOrigin, SbBool onlyInked);
};

#endif
