#ifndef GLOSSPIN_SOMFGROWINGNODE_H
#define GLOSSPIN_SOMFGROWINGNODE_H

#include <Inventor/fields/SoMFNode.h>

/// A node list that reads, writes and copies as the toolkit's own
/// ("MFNode" in files, the same type for everything else) but keeps spare
/// room as it grows and keeps it as it shrinks (down to a quarter). The
/// toolkit's list makes a new array the exact size and copies every value
/// on each added or removed one, so filling a list one value at a time
/// costs the square of its length; here it costs its length.
class SoMFGrowingNode : public SoMFNode {
  public:
    using SoMFNode::operator=;

  protected:
    virtual void allocValues(int newNum);
};

#endif
