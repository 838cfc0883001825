#include "Clipboard.h"

#include <stdlib.h>

#include <Glosspin/ZnArrowMarker.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoWriteAction.h>

namespace {

void *growBuffer(void *p, size_t size) { return realloc(p, size); }

}

GspClipboard::~GspClipboard()
{
    forgetObject();
}

bool GspClipboard::write(SoNode *node, std::string &out)
{
    // The path would carry the whole scene from its head; it is taken off
    // for the write and put back, the marker standing where it stood.
    SoPath *path = NULL;
    ZnArrowMarker *arrow = node->isOfType(ZnArrowMarker::getClassTypeId())
                               ? (ZnArrowMarker *)node : NULL;
    if (arrow && (path = arrow->getPathToObject()) != NULL) {
        path = path->copy();
        path->ref();
        arrow->setPathToObject(NULL);
    }
    SoOutput output;
    output.setBuffer(malloc(4096), 4096, growBuffer);
    SoWriteAction wa(&output);
    wa.apply(node);
    void *bytes;
    size_t size;
    bool ok = output.getBuffer(bytes, size) && size > 0;
    if (ok)
        out.assign((const char *)bytes, size);
    free(bytes);
    if (path) {
        arrow->setPathToObject(path);
        path->unref();
    }
    return ok;
}

SoNode *GspClipboard::read(const std::string &in)
{
    SoInput input;
    input.setBuffer((void *)in.data(), in.size());
    SoNode *node = NULL;
    return SoDB::read(&input, node) ? node : NULL;
}

bool GspClipboard::copy(SoNode *node)
{
    std::string fresh;
    if (!write(node, fresh))
        return false;
    buffer.swap(fresh);
    marker = node->isOfType(ZnMarker::getClassTypeId());
    forgetObject();
    if (node->isOfType(ZnArrowMarker::getClassTypeId()) &&
        ((ZnArrowMarker *)node)->getPathToObject()) {
        objectPath = ((ZnArrowMarker *)node)->getPathToObject()->copy();
        objectPath->ref();
    }
    return true;
}

SoNode *GspClipboard::paste() const
{
    SoNode *node = buffer.empty() ? NULL : read(buffer);
    if (node && objectPath && node->isOfType(ZnArrowMarker::getClassTypeId()))
        ((ZnArrowMarker *)node)->setPathToObject(objectPath);
    return node;
}

SoNode *GspClipboard::duplicate(SoNode *node)
{
    std::string bytes;
    return write(node, bytes) ? read(bytes) : NULL;
}

void GspClipboard::forgetObject()
{
    if (objectPath)
        objectPath->unref();
    objectPath = NULL;
}
