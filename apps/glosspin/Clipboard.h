#ifndef GLOSSPIN_APPS_CLIPBOARD_H
#define GLOSSPIN_APPS_CLIPBOARD_H

#include <string>

class SoNode;
class SoPath;

// Markers and notes copied through memory buffers: the notes write the
// names of private copies of their media instead of the bytes, and make
// copies of their own when read back, so a pasted note keeps its media
// whatever happens to the original. An arrow marker's object stays out
// of the buffer; the paste points at the same object.
class GspClipboard {
  public:
    GspClipboard() : objectPath(nullptr) {}
    ~GspClipboard();

    // Copies a marker or a note; false when it could not be written.
    bool copy(SoNode *node);
    bool isEmpty() const { return buffer.empty(); }
    bool holdsMarker() const { return marker; }
    // A new copy of what was copied, not referenced; NULL when the buffer
    // did not read back.
    SoNode *paste() const;

    // The copied arrow marker's object belongs to a scene that goes: a
    // paste then points at nothing (the path would hold that scene).
    void forgetObject();

    // The same through a buffer that is not kept: a private copy of node.
    static SoNode *duplicate(SoNode *node);

  private:
    std::string buffer;
    bool marker = false;
    SoPath *objectPath;

    static bool write(SoNode *node, std::string &out);
    static SoNode *read(const std::string &in);
};

#endif
