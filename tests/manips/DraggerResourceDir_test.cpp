// A directory named by SO_DRAGGER_DIR overrides the compiled-in default
// geometry (read once, when the first dragger of the class is built; so
// this runs in its own process, without a display).
#include "support/Test.h"

#include <Inventor/SoInteraction.h>

TEST(DraggerResourceDir, OwnDirectoryOverridesTheCompiledInCopies)
{
    ASSERT_EQ(0, setenv("SO_DRAGGER_DIR", GLOSSPIN_TEST_DRAGGER_DIR, 1));
    SoDB::init();
    SoInteraction::init();
    SoScreenPlaneDragger::initClass();
    GspTest::Held<SoScreenPlaneDragger> d(new SoScreenPlaneDragger);
    SoSeparator *t = (SoSeparator *)d->getPart("translator", FALSE);
    ASSERT_TRUE(t);
    ASSERT_EQ(1, t->getNumChildren());
    ASSERT_TRUE(t->getChild(0)->isOfType(SoSphere::getClassTypeId()));
    EXPECT_FLOAT_EQ(7, ((SoSphere *)t->getChild(0))->radius.getValue());

    // The arrow dragger's head knob is a copy of the directory's part.
    ZnArrowDragger::initClass();
    GspTest::Held<ZnArrowDragger> a(new ZnArrowDragger);
    SoSeparator *head = (SoSeparator *)a->getPart("translator", FALSE);
    ASSERT_TRUE(head);
    ASSERT_EQ(1, head->getNumChildren());
    EXPECT_TRUE(head->getChild(0)->isOfType(SoSphere::getClassTypeId()));

    // The shadow dragger's active colour comes from the directory's file.
    SoShadowDragger::initClass();
    GspTest::Held<SoShadowDragger> s(new SoShadowDragger);
    SoMaterial *active = (SoMaterial *)s->getPart("activeOverrideMaterial", FALSE);
    ASSERT_TRUE(active);
    EXPECT_EQ(SbColor(0, 0, 1), active->diffuseColor[0]);
}
