#include "markers/ReadPath.h"

#include <Inventor/SoInput.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/misc/SoChildList.h>

#include "field/ReadLeftovers.h"
#include "field/ReadNumber.h"

void GspReadPath::install()
{
    static bool installed = false;
    if (!installed)
        SoType::overrideType(SoPath::getClassTypeId(), &GspReadPath::createInstance);
    installed = true;
}

void *GspReadPath::createInstance() { return new GspReadPath; }

// A path whose read failed is dropped by the toolkit without being freed,
// still holding the nodes read before it: the clean-up after a failed
// read must know it for what it is.
GspReadPath::GspReadPath()
{
    GspReadLeftovers::addPath(NULL, this);
}

GspReadPath::~GspReadPath()
{
    GspReadLeftovers::removePath(this);
}

// Children of node, or -1 for a node that has none.
static int childCount(SoNode *node)
{
    SoChildList *children = node->getChildren();
    return children ? children->getLength() : -1;
}

// The file form: the head node, the number of indices, the indices.
SbBool GspReadPath::readInstance(SoInput *in, unsigned short)
{
    SoBase *head = NULL;
    if (!SoBase::read(in, head, SoNode::getClassTypeId()))
        return FALSE;
    // The toolkit cannot free or write a path without a head; nothing
    // writes one, so a file holding one is damaged.
    if (!head) {
        SoReadError::post(in, "Path without a head node");
        return FALSE;
    }
    setHead((SoNode *)head);
    int count;
    if (!gspReadNumber(in, count) || count < 0) {
        SoReadError::post(in, "Couldn't read number of indices in path");
        return FALSE;
    }
    bool following = true;
    for (int i = 0; i < count; i++) {
        int index;
        if (!gspReadNumber(in, index)) {
            SoReadError::post(in, "Couldn't read indices of path");
            return FALSE;
        }
        givenIndices.push_back(index);
        following = following && index >= 0 && index < childCount(getTail());
        if (following)
            append(index);
    }
    return TRUE;
}

SoPath *GspReadPath::resolve() const
{
    if (getLength() == 0)
        return NULL;
    SoPath *path = new SoPath(getHead());
    for (int index : givenIndices) {
        if (index < 0 || index >= childCount(path->getTail())) {
            path->ref();
            path->unref();
            return NULL;
        }
        path->append(index);
    }
    return path;
}

SoPath *gspTakeReadPath(SoPath *read, SoPath *&pending)
{
    GspReadPath *partial = dynamic_cast<GspReadPath *>(read);
    if (!partial || (size_t)partial->getLength() == partial->fileIndices().size() + 1)
        return read;
    pending = partial;
    pending->ref();
    return NULL;
}
