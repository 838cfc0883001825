#include <Glosspin/ZnArrowDetail.h>

ZnArrowDetail::~ZnArrowDetail()
{
}

SoDetail *ZnArrowDetail::copy() const
{
    return new ZnArrowDetail(part);
}
