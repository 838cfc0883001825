// The anti-squish node: uniform scale from each sizing axis, following
// another node, the frozen matrix, and flattened objects.
#include "support/Test.h"

#include <Inventor/elements/SoModelMatrixElement.h>

namespace {

// A transform with scale s, a fixed rotation and translation, then the
// anti-squish node and a cube.
struct Scene {
    GspTest::Held<SoSeparator> root;
    SoTransform *xf;
    SoAntiSquish2 *squish;
    SoCube *cube;

    explicit Scene(const SbVec3f &s)
    {
        SoDB::init();
        SoAntiSquish2::initClass();
        root = new SoSeparator;
        xf = new SoTransform;
        xf->scaleFactor = s;
        xf->rotation = SbRotation(SbVec3f(0, 0, 1), 0.5f);
        xf->translation = SbVec3f(3, -1, 2);
        squish = new SoAntiSquish2;
        cube = new SoCube;
        root->addChild(xf);
        root->addChild(squish);
        root->addChild(cube);
    }

    // What the cube is drawn with, through the model matrix element.
    SbMatrix cubeMatrix()
    {
        SbMatrix m;
        SoCallbackAction ca;
        ca.addPreCallback(SoCube::getClassTypeId(),
                          [](void *d, SoCallbackAction *a, const SoNode *) {
                              *(SbMatrix *)d = a->getModelMatrix();
                              return SoCallbackAction::CONTINUE;
                          },
                          &m);
        ca.apply(root);
        return m;
    }

    // The same through the matrix action on the path to the cube, which
    // takes in the siblings before it.
    SbMatrix pathMatrix()
    {
        SoPath *p = new SoPath(root);
        p->ref();
        p->append(cube);
        SoGetMatrixAction ma(SbViewportRegion(100, 100));
        ma.apply(p);
        SbMatrix m = ma.getMatrix();
        SbMatrix product = m * ma.getInverse();
        EXPECT_TRUE(product.equals(SbMatrix::identity(), 1e-4f));
        p->unref();
        return m;
    }

    // Uniform scale k with the transform's rotation and translation.
    SbMatrix expected(float k) const
    {
        SbMatrix m, r, t;
        m.setScale(SbVec3f(k, k, k));
        r.setRotate(xf->rotation.getValue());
        t.setTranslate(xf->translation.getValue());
        m.multRight(r);
        m.multRight(t);
        return m;
    }
};

}

TEST(AntiSquish2, EachSizingAxisGivesItsUniformScale)
{
    Scene scene(SbVec3f(1, 2, 4));
    struct { SoAntiSquish2::SizingAxis axis; float k; } cases[] = {
        {SoAntiSquish2::X, 1}, {SoAntiSquish2::Y, 2}, {SoAntiSquish2::Z, 4},
        {SoAntiSquish2::BIGGER_OF_X_Y, 2}, {SoAntiSquish2::BIGGER_OF_X_Z, 4},
        {SoAntiSquish2::BIGGER_OF_Y_Z, 4}, {SoAntiSquish2::AVERAGE_DIMENSION, 7.0f / 3.0f},
    };
    for (const auto &c : cases) {
        scene.squish->sizingAxis = c.axis;
        EXPECT_TRUE(scene.cubeMatrix().equals(scene.expected(c.k), 1e-4f)) << c.axis;
        EXPECT_TRUE(scene.pathMatrix().equals(scene.expected(c.k), 1e-4f)) << c.axis;
    }
}

TEST(AntiSquish2, FlattenedObjectStillGivesAFiniteMatrix)
{
    Scene scene(SbVec3f(0, 2, 4));
    SbMatrix m = scene.cubeMatrix();
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_TRUE(std::isfinite(m[i][j]));
    SbMatrix last, inverse;
    scene.squish->getLastMatricesUsed(last, inverse);
    EXPECT_TRUE((last * inverse).equals(SbMatrix::identity(), 1e-2f));
}

// Mirrored and stretched: mirrored whole at the uniform size, not flat.
TEST(AntiSquish2, MirroredObjectKeepsItsShape)
{
    Scene scene(SbVec3f(-2, 3, 4));
    scene.squish->sizingAxis = SoAntiSquish2::X;
    SbMatrix m = scene.cubeMatrix();
    EXPECT_NEAR(-8, m.det3(), 1e-3);
    SbVec3f x(m[0][0], m[0][1], m[0][2]), y(m[1][0], m[1][1], m[1][2]);
    EXPECT_NEAR(2, x.length(), 1e-4);
    EXPECT_NEAR(2, y.length(), 1e-4);
    EXPECT_NEAR(0, x.dot(y), 1e-4);
}

TEST(AntiSquish2, FrozenMatrixWaitsForTheTrigger)
{
    Scene scene(SbVec3f(1, 2, 4));
    scene.squish->recalcAlways = FALSE;
    // Nothing computed yet: the transform passes unchanged.
    SbMatrix plain;
    plain.setTransform(scene.xf->translation.getValue(), scene.xf->rotation.getValue(),
                       scene.xf->scaleFactor.getValue());
    EXPECT_TRUE(scene.cubeMatrix().equals(plain, 1e-4f));

    scene.squish->trigger.touch();
    EXPECT_TRUE(scene.cubeMatrix().equals(scene.expected(1), 1e-4f));

    // Stretch the object: the frozen unsquishing stays as it was.
    SbMatrix before, ignored;
    scene.squish->getLastMatricesUsed(before, ignored);
    scene.xf->scaleFactor = SbVec3f(3, 2, 4);
    scene.cubeMatrix();
    SbMatrix after;
    scene.squish->getLastMatricesUsed(after, ignored);
    EXPECT_TRUE(after.equals(before, 1e-6f));
}

TEST(AntiSquish2, FollowerUsesTheOtherNodesMatrices)
{
    Scene scene(SbVec3f(1, 2, 4));
    scene.squish->sizingAxis = SoAntiSquish2::Z;
    scene.cubeMatrix();
    SoAntiSquish2 *follower = new SoAntiSquish2;
    follower->ref();
    follower->antiSquish2ToFollow = scene.squish;
    SbMatrix inverse;
    SbMatrix m = follower->getUnsquishingMatrix(SbMatrix::identity(), TRUE, inverse);
    SbMatrix leader, leaderInverse;
    scene.squish->getLastMatricesUsed(leader, leaderInverse);
    EXPECT_TRUE(m.equals(leader, 1e-6f));
    EXPECT_TRUE(inverse.equals(leaderInverse, 1e-6f));
    follower->unref();
}
