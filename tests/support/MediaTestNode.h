#ifndef GLOSSPIN_TESTS_MEDIATESTNODE_H
#define GLOSSPIN_TESTS_MEDIATESTNODE_H

#include <string>

#include <Glosspin/SoSFDelayedData.h>
#include <Inventor/fields/SoSFShort.h>
#include <Inventor/nodes/SoSubNode.h>

// A minimal owner of a delayed-read block, as a note is: it keeps the
// fill-byte count and writes the block from wherever it lies (its own
// scene file, a cache file or a raw file) in the output's encoding.
class GspMediaTestNode : public SoNode {
    SO_NODE_HEADER(GspMediaTestNode);

  public:
    SoSFShort padByteCount;
    SoSFDelayedData mediaData;

    static void initClass();
    GspMediaTestNode();

    // Makes the raw file path the block's source.
    void setRawSource(const std::string &path);

    // The block's bytes, decoded from whatever source it has.
    std::string mediaBytes() const;

    // True when the block's source is a raw file of exactly its length
    // (set by setRawSource or by adopting a cache file after reading).
    bool hasRawSource() const { return rawSource; }

  protected:
    virtual ~GspMediaTestNode();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);

  private:
    bool rawSource;
    std::string ownedFile;

    long sourceLength() const;
    static void writeCB(const SoSFDelayedData *field, SoOutput *out);
};

#endif
