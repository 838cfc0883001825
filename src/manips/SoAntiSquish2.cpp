#include <Glosspin/SoAntiSquish2.h>

#include <math.h>

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoPickAction.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include "init/ToolkitMacros.h"

SO_NODE_SOURCE(SoAntiSquish2);

namespace {
// Scale components below this count as this, so that a flattened object
// still gives an invertible matrix.
const float MIN_SCALE = 1e-5f;
}

void SoAntiSquish2::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO__NODE_INIT_CLASS(SoAntiSquish2, "AntiSquish2", SoTransformation);
}

SoAntiSquish2::SoAntiSquish2() : recalcPending(FALSE)
{
    SO_NODE_CONSTRUCTOR(SoAntiSquish2);
    SO_NODE_ADD_FIELD(sizingAxis, (X));
    SO_NODE_ADD_FIELD(antiSquish2ToFollow, (NULL));
    SO_NODE_ADD_FIELD(recalcAlways, (TRUE));
    SO_NODE_ADD_FIELD(trigger, ());

    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, X);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, Y);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, Z);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, BIGGER_OF_X_Y);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, BIGGER_OF_X_Z);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, BIGGER_OF_Y_Z);
    SO_NODE_DEFINE_ENUM_VALUE(SizingAxis, AVERAGE_DIMENSION);
    GSP_NODE_SET_SF_ENUM_TYPE(sizingAxis, SizingAxis);

    lastMatrix.makeIdentity();
    lastInverse.makeIdentity();

    triggerSensor = new SoFieldSensor(&SoAntiSquish2::fieldSensorCB, this);
    triggerSensor->setPriority(0);
    triggerSensor->attach(&trigger);
}

SoAntiSquish2::~SoAntiSquish2()
{
    delete triggerSensor;
}

void SoAntiSquish2::fieldSensorCB(void *data, SoSensor *)
{
    ((SoAntiSquish2 *)data)->recalcPending = TRUE;
}

SbMatrix SoAntiSquish2::calcMyUnsquishingMatrix(SbMatrix model, SbBool getInverse,
                                                SbMatrix &inverse) const
{
    SbMatrix scaleOrientation, rotation, projection, result;
    SbVec3f s, t;
    if (!model.factor(scaleOrientation, s, rotation, t, projection)) {
        result.makeIdentity();
        if (getInverse)
            inverse.makeIdentity();
        return result;
    }
    // A mirror comes out of factor() as negative scale components: the
    // sizes are their magnitudes, and the uniform scale keeps the mirror
    // (a point reflection), so a mirrored knob keeps its shape.
    float sign = s[0] < 0 ? -1.0f : 1.0f;
    for (int i = 0; i < 3; i++) {
        s[i] = fabsf(s[i]);
        if (s[i] < MIN_SCALE)
            s[i] = MIN_SCALE;
    }

    float k;
    switch (sizingAxis.getValue()) {
    case Y: k = s[1]; break;
    case Z: k = s[2]; break;
    case BIGGER_OF_X_Y: k = s[0] > s[1] ? s[0] : s[1]; break;
    case BIGGER_OF_X_Z: k = s[0] > s[2] ? s[0] : s[2]; break;
    case BIGGER_OF_Y_Z: k = s[1] > s[2] ? s[1] : s[2]; break;
    case AVERAGE_DIMENSION: k = (s[0] + s[1] + s[2]) / 3.0f; break;
    default: k = s[0]; break;
    }

    // Points are row vectors: N scales, then rotates, then translates.
    SbMatrix n, step;
    n.setScale(SbVec3f(sign * k, sign * k, sign * k));
    n.multRight(rotation);
    step.setTranslate(t);
    n.multRight(step);
    result = n;
    result.multRight(model.inverse());
    if (getInverse)
        inverse = result.inverse();
    return result;
}

SbMatrix SoAntiSquish2::getUnsquishingMatrix(SbMatrix model, SbBool getInverse,
                                             SbMatrix &inverse)
{
    SoNode *follow = antiSquish2ToFollow.getValue();
    if (follow && follow->isOfType(SoAntiSquish2::getClassTypeId()))
        ((SoAntiSquish2 *)follow)->getLastMatricesUsed(lastMatrix, lastInverse);
    else
        lastMatrix = calcMyUnsquishingMatrix(model, TRUE, lastInverse);
    if (getInverse)
        inverse = lastInverse;
    return lastMatrix;
}

void SoAntiSquish2::getLastMatricesUsed(SbMatrix &matrix, SbMatrix &inverse) const
{
    matrix = lastMatrix;
    inverse = lastInverse;
}

const SbMatrix &SoAntiSquish2::currentMatrix(const SbMatrix &model, SbMatrix *inverse)
{
    if (recalcAlways.getValue() || recalcPending) {
        SbMatrix ignored;
        getUnsquishingMatrix(model, TRUE, ignored);
        recalcPending = FALSE;
    }
    if (inverse)
        *inverse = lastInverse;
    return lastMatrix;
}

void SoAntiSquish2::doAction(SoAction *action)
{
    SoState *state = action->getState();
    const SbMatrix &m = currentMatrix(SoModelMatrixElement::get(state), NULL);
    SoModelMatrixElement::mult(state, this, m);
}

void SoAntiSquish2::callback(SoCallbackAction *action)
{
    doAction(action);
}

void SoAntiSquish2::GLRender(SoGLRenderAction *action)
{
    doAction(action);
}

void SoAntiSquish2::pick(SoPickAction *action)
{
    doAction(action);
}

void SoAntiSquish2::getBoundingBox(SoGetBoundingBoxAction *action)
{
    // A frozen node waiting for its recalculation is not yet part of a
    // box that is reset after this path.
    if (!recalcAlways.getValue() && recalcPending && action->isResetPath() &&
        !action->isResetBefore() && action->getCurPath()->containsPath(action->getResetPath()))
        return;
    doAction(action);
}

void SoAntiSquish2::getMatrix(SoGetMatrixAction *action)
{
    SbMatrix inverse;
    SbMatrix m = currentMatrix(action->getMatrix(), &inverse);
    action->getMatrix().multLeft(m);
    action->getInverse().multRight(inverse);
}
