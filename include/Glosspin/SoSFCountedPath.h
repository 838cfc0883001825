#ifndef GLOSSPIN_SOSFCOUNTEDPATH_H
#define GLOSSPIN_SOSFCOUNTEDPATH_H

#include <Inventor/fields/SoSFPath.h>

/// A path field that writes as the toolkit's own SFPath (the same name in
/// files, the same bytes, the same type for everything else) but finds
/// each index's place among the written children from one count per
/// parent and write. The toolkit counts a parent's written children
/// before the index again for every path, so thousands of paths into one
/// group made a write cost the square of the scene. Paths through node
/// kits' hidden children are written by the toolkit.
class SoSFCountedPath : public SoSFPath {
  public:
    using SoSFPath::operator=;

  private:
    virtual void writeValue(SoOutput *out) const;
};

#endif
