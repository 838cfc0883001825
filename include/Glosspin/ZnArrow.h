#ifndef GLOSSPIN_ZNARROW_H
#define GLOSSPIN_ZNARROW_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFShort.h>
#include <Inventor/fields/SoSFUShort.h>
#include <Inventor/nodes/SoShape.h>
#include <Inventor/nodes/SoSubNode.h>

class SoState;
class ArrowGeometrySink;

/// The pointer of an arrow marker: a solid arrow (cone head on a cylinder
/// shaft), a hand-drawn line arrow, or a pushpin (a ball on a line). The
/// tip lies at the origin and the arrow extends along +Y to y = length.
class ZnArrow : public SoShape {
    SO_NODE_HEADER(ZnArrow);

  public:
    /// A solid arrow, a line drawing of one, or a pin with a ball head.
    enum Type { ARROW = 0, LINE_ARROW = 1, PUSHPIN = 2 };
    /// The parts, as bits of the parts field.
    enum Part { HEAD = 1, SHAFT = 2, TAIL = 4 };

    SoBounded<SoSFUShort> parts;  ///< Part bits drawn and picked
    SoBounded<SoSFShort> type;    ///< a Type
    SoBounded<SoSFFloat> length;  ///< from the tip to the tail

    /// A new ZnArrow, its fields at their defaults.
    ZnArrow();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Switches to a known type (with its parts and dimensions); FALSE and
    /// no change for any other value.
    SbBool setType(int type);
    /// The Type.
    int getType() const { return type.getValue(); }

    /// Turns a part on or off, and tells whether it is on.
    ///@{
    void addPart(Part p) { parts = (unsigned short)(parts.getValue() | p); }
    void removePart(Part p) { parts = (unsigned short)(parts.getValue() & ~p); }
    SbBool hasPart(Part p) const;
    ///@}
    /// The parts drawn as lines (a line arrow's shaft and head, a
    /// pushpin's shaft), as pairs of ends into ends; returns the number of
    /// ends, at most MAX_LINE_ENDS. They are drawn 2 pixels wide, unlit.
    ///@{
    enum { MAX_LINE_ENDS = 28 };
    int getLineSegments(SbVec3f *ends) const;
    ///@}

    /// Dimensions derived from the type; never read or written.
    ///@{
    SoBounded<SoSFFloat> headLength;
    SoBounded<SoSFFloat> headRadius;
    SoBounded<SoSFFloat> shaftLength;
    SoBounded<SoSFFloat> shaftRadius;
    SoBounded<SoSFFloat> tailDiameter;
    ///@}

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void rayPick(SoRayPickAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnArrow();
    virtual void generatePrimitives(SoAction *action);
    virtual void computeBBox(SoAction *action, SbBox3f &box, SbVec3f &center);
    virtual SbBool readInstance(SoInput *in, unsigned short flags);

  private:
    friend class ArrowPrimitiveSink;

    static SbVec2f *ringCoordsArray;
    static int maxRingCoords;
    static SbVec3f *headNormsArray;
    static int maxHeadNorms;
    static const float lineHeadCoords[15][2];

    SbBool updateLocalFields(int type);
    void computeRing(SoAction *action, int *numSections, int *numSides, SbVec2f *&ring);
    void computeHeadNorms(int numSides, SbVec3f *&norms);
    int computeDepth(SoAction *action);
    int screenExtent(SoState *state, const SbBox3f &box);

    /// Geometry shared by rendering and primitive generation.
    void emitSolidParts(ArrowGeometrySink &sink, SoAction *action);
    void emitConeHead(ArrowGeometrySink &sink, int numSections, int numSides,
                      const SbVec2f *ring);
    void emitCylShaft(ArrowGeometrySink &sink, int numSections, int numSides,
                      const SbVec2f *ring);
    void emitSphereTail(ArrowGeometrySink &sink, int depth);

    void renderLines(SoGLRenderAction *action);
    void setLocalGLState(SoGLRenderAction *action);
    void resetLocalGLState();

    void rayPickConeHead(SoRayPickAction *action);
    void rayPickCylShaft(SoRayPickAction *action);
    void rayPickLineHead(SoRayPickAction *action);
    void rayPickLineShaft(SoRayPickAction *action);
    void rayPickSphereTail(SoRayPickAction *action);
    SoPickedPoint *pickCapDisc(SoRayPickAction *action, float y, float radius, int part);
    SbBool intersectInfiniteCone(const SbLine &line, SbVec3f &enter, SbVec3f &exit) const;
    /// The hit as a picked point, or NULL outside the pick's planes.
    SoPickedPoint *addHit(SoRayPickAction *action, const SbVec3f &point, const SbVec3f &normal,
                          int part);
};

#endif
