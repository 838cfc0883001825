#ifndef GLOSSPIN_SOANTISQUISH2_H
#define GLOSSPIN_SOANTISQUISH2_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Inventor/fields/SoSFBool.h>
#include <Inventor/fields/SoSFEnum.h>
#include <Inventor/fields/SoSFNode.h>
#include <Inventor/fields/SoSFTrigger.h>
#include <Inventor/nodes/SoSubNode.h>
#include <Inventor/nodes/SoTransformation.h>

class SoFieldSensor;
class SoSensor;

/// A transformation that takes the non-uniform scaling out of the current
/// transformation, so that dragger knobs and feedback keep their shape
/// when the object they sit on is stretched. The remaining scale is
/// uniform, chosen from the scale components by sizingAxis; rotation and
/// translation stay. A mirror stays too: under a mirroring transformation
/// the uniform scale is negative, so the knob is mirrored whole, not
/// flattened.
class SoAntiSquish2 : public SoTransformation {
    SO_NODE_HEADER(SoAntiSquish2);

  public:
    /// Which of the object's scales the knob takes in every direction.
    enum SizingAxis {
        X, Y, Z,
        BIGGER_OF_X_Y, BIGGER_OF_X_Z, BIGGER_OF_Y_Z,
        AVERAGE_DIMENSION
    };

    SoSFEnum sizingAxis;  ///< a SizingAxis
    SoSFNode antiSquish2ToFollow;   ///< use that node's last matrices instead
    SoBounded<SoSFBool> recalcAlways;  ///< FALSE: frozen until trigger is touched
    SoSFTrigger trigger;  ///< touched: recompute once

    /// A new SoAntiSquish2, its fields at their defaults.
    SoAntiSquish2();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// The matrix that, multiplied onto modelMatrix, leaves a uniform scale,
    /// the rotation and the translation; also stored as the last matrices.
    SbMatrix getUnsquishingMatrix(SbMatrix modelMatrix, SbBool getInverse,
                                  SbMatrix &inverse);

    /// The same, computed from this node's own sizing axis.
    SbMatrix calcMyUnsquishingMatrix(SbMatrix modelMatrix, SbBool getInverse,
                                     SbMatrix &inverse) const;

    /// The matrices of the last traversal.
    void getLastMatricesUsed(SbMatrix &matrix, SbMatrix &inverse) const;

  SoEXTENDER public:
    virtual void doAction(SoAction *action);
    virtual void callback(SoCallbackAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void getMatrix(SoGetMatrixAction *action);
    virtual void pick(SoPickAction *action);

  protected:
    virtual ~SoAntiSquish2();
    static void fieldSensorCB(void *data, SoSensor *sensor);

  private:
    SbMatrix lastMatrix;
    SbMatrix lastInverse;
    SbBool recalcPending;
    SoFieldSensor *triggerSensor;

    /// The matrix to apply for the given model matrix: stored or computed.
    const SbMatrix &currentMatrix(const SbMatrix &model, SbMatrix *inverse);
};

#endif
