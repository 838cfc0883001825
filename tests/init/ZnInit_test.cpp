// Class registration: once, in one call, under the file type names.
#include <gtest/gtest.h>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoType.h>

#include "support/XtTestEnv.h"

TEST(InitClasses, DelayedDataIsTheMFULongFieldType)
{
    GspTest::topLevel();
    SoType t = SoType::fromName("MFULong");
    EXPECT_EQ(SoSFDelayedData::getClassTypeId(), t);
    EXPECT_TRUE(t.isDerivedFrom(SoSField::getClassTypeId()));
    SoField *f = (SoField *)t.createInstance();
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(t, f->getTypeId());
    delete f;
}
