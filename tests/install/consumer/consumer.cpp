// Registers the library and reports whether its field type is known and
// its installed resource file is found.
#include <stdio.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoDB.h>

int main()
{
    SoDB::init();
    ZnInit::initClasses();
    if (SoType::fromName("MFULong") != SoSFDelayedData::getClassTypeId())
        return 1;
    const char *text = ZnCommon::getResource("cameraMissingMsg");
    if (!text)
        return 2;
    printf("%s\n", text);
    return 0;
}
