#ifndef GLOSSPIN_SOSFDELAYEDDATA_H
#define GLOSSPIN_SOSFDELAYEDDATA_H

#include <stdint.h>
#include <stdio.h>
#include <Inventor/SbString.h>
#include <Inventor/fields/SoSubField.h>

class SoOutput;

/// A single-value field that carries a large block of bytes (a note's
/// movie, sound, image or scene) in a scene file without reading it into
/// memory. Reading records where the block lies and skips it, or copies
/// it into a private cache file; the owner's write callback copies the
/// block to the output with the conversion routines below. Its file form
/// is a valid multiple-value unsigned-long field, and the type is
/// registered as "MFULong" so that readers without this library can
/// still parse the scene.
class SoSFDelayedData : public SoSField {
    SO_SFIELD_HEADER(SoSFDelayedData, long, const long &);

  public:
    /// Writes the field's block to out: the owner's copy, in the output's form.
    typedef void WriteCB(const SoSFDelayedData *field, SoOutput *out);

    /// Maximum number of source files kept open at once.
    enum { MAX_OPEN_FDS = 100 };

    /// A source file kept open for the fields that read from it.
    struct OpenFD {
        int fd;        ///< its descriptor
        int inode;     ///< its inode, to recognise it again
        int refCount;  ///< fields that use it
    };

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// The callback that writes the block when the field is written.
    void setWriteCB(WriteCB *cb) { writeCallback = cb; }
    /// The value of a field that carries no block.
    static void writeEmptyValue(SoOutput *out);

    /// Points the field at a block of raw bytes in a file.
    void setFileInfo(const SbString &name, int offset, int size);

    /// Where the block is: its file, offset and size in bytes, whether
    /// the file is binary, and whether it is the field's own cache file.
    ///@{
    const SbString &getFileName() const { return fileName; }
    int getFileOffset() const { return fileOffset; }
    int getDataSize() const { return dataSize; }
    int isBinary() const { return isBinarySource; }
    int isCachedInTempFile() const { return cachedInTempFile; }
    ///@}

    /// Hands a cache file made while reading over to the caller, who then
    /// owns it; the field forgets its file information. Returns the name,
    /// or an empty string when the block was not cached.
    SbString takeCachedFile();

    /// An ASCII block is skipped unread when it is delayed; its words are
    /// checked where they are first used. Set once a full pass found them
    /// sound, so that later copies need not check again.
    ///@{
    SbBool isBodyChecked() const { return bodyChecked; }
    void setBodyChecked(SbBool checked) const { bodyChecked = checked; }
    ///@}

    /// Kept-open descriptor of the block's file, or -1; its inode, or 0.
    ///@{
    int getFD() const;
    int getInode() const;
    ///@}

    /// Releases the kept-open descriptor slot.
    void clearFileIndex();

    /// Conversion routines used by write callbacks. Each returns 1 on
    /// success and 0 on failure. Binary output goes to out when it is
    /// not NULL and to the raw descriptor fd otherwise.
    ///@{
    int writeAsciiToAscii(const char *text, SoOutput *out, long size) const;
    int writeAsciiToBinary(const char *text, SoOutput *out, int fd,
                           long size, short padCount) const;
    int writeBinaryToAscii(const char *data, SoOutput *out, long size) const;
    int writeBinaryToBinary(const char *data, SoOutput *out, int fd,
                            long size) const;
    int writeLongStripPadding(int fd, uint32_t word, short padCount) const;
    int writeArrayInChunks(SoOutput *out, const uint32_t *words,
                           long count) const;
    ///@}

    /// When non-zero, blocks are skipped while reading and fetched later
    /// through a kept-open descriptor; when 0 they are cached.
    static int supportDelayedReading;

    static OpenFD openFDs[MAX_OPEN_FDS];  ///< the kept-open source files
    static int numOpenFDs;                ///< how many of openFDs are in use

  SoINTERNAL public:
    virtual void write(SoOutput *out, const SbName &name) const;

    /// Reads the value alone, without the toolkit's field framing (what
    /// readValue does for the reader).
    SbBool readBlock(SoInput *in);

  private:
    int isBinarySource;
    int cachedInTempFile;
    WriteCB *writeCallback;
    SbString fileName;
    int fileIndex;
    int fileOffset;
    int dataSize;
    mutable SbBool bodyChecked;

    void writeOwnBlock(SoOutput *out) const;
    int takeFileSlot(SoInput *in, int fd, int inode);
    int readHeader(SoInput *in, int canDelay);
    int skipBlock(SoInput *in);
    int cacheBlock(SoInput *in);
    int copyBinaryBlock(SoInput *in, FILE *fp, int out);
    int decodeAsciiBlock(SoInput *in, FILE *fp, int out);
    int finishAsciiScan(SoInput *in, int result);
    void releaseSlot();
    static void releaseReadData(void *field);
};

#endif
