#include <Glosspin/SoHideManipElement.h>

SO_ELEMENT_SOURCE(SoHideManipElement);

void SoHideManipElement::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO_ELEMENT_INIT_CLASS(SoHideManipElement, SoInt32Element);
}

SoHideManipElement::~SoHideManipElement()
{
}

void SoHideManipElement::init(SoState *)
{
    data = 0;
}
