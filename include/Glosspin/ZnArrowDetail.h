#ifndef GLOSSPIN_ZNARROWDETAIL_H
#define GLOSSPIN_ZNARROWDETAIL_H

#include <Inventor/details/SoDetail.h>

/// Pick detail of a ZnArrow: which part of the arrow a ray hit
/// (ZnArrow::HEAD, SHAFT or TAIL).
class ZnArrowDetail : public SoDetail {
  public:
    /// A detail naming one ZnArrow::Part.
    explicit ZnArrowDetail(int part = 0) : part(part) {}
    virtual ~ZnArrowDetail();

    /// A copy, as the toolkit's details make.
    virtual SoDetail *copy() const;

    /// The detail has no type of its own in the scene database.
    virtual SoType getTypeId() const { return SoDetail::getClassTypeId(); }

    /// The picked part.
    int getPart() const { return part; }

    int part;  ///< the picked ZnArrow::Part
};

#endif
