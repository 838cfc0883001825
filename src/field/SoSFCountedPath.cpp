#include <Glosspin/SoSFCountedPath.h>

#include <unordered_map>
#include <vector>

#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodekits/SoBaseKit.h>
#include <Inventor/nodes/SoGroup.h>

namespace {

// The toolkit's write state, which only its subclasses may see.
struct WriteState : SoBase {
    static uint32_t counter() { return getCurrentWriteCounter(); }
    static SbBool header(const SoBase *b, SoOutput *out)
    {
        return (b->*(&WriteState::writeHeader))(out, FALSE, FALSE);
    }
    static void footer(const SoBase *b, SoOutput *out) { (b->*(&WriteState::writeFooter))(out); }
};

// For each parent met in this write, how many of its children before
// each index are written. Valid for one write counter: every write
// action takes a new one, and children do not change during a write.
struct WrittenChildren {
    uint32_t counter = 0;
    std::unordered_map<const SoNode *, std::vector<int>> before;

    int placeOf(SoGroup *parent, int index)
    {
        if (counter != WriteState::counter()) {
            before.clear();
            counter = WriteState::counter();
        }
        std::vector<int> &counts = before[parent];
        if ((int)counts.size() != parent->getNumChildren() + 1) {
            counts.assign(1, 0);
            for (int i = 0; i < parent->getNumChildren(); i++)
                counts.push_back(counts.back() + (parent->getChild(i)->shouldWrite() ? 1 : 0));
        }
        return index >= 0 && index < (int)counts.size() ? counts[(size_t)index] : index;
    }
};

WrittenChildren written;

// Plain groups all the way: no node kit whose hidden children the path
// could run through.
bool throughGroupsOnly(const SoPath *path)
{
    for (int i = 0; i < path->getLength(); i++) {
        SoNode *n = path->getNode(i);
        if (n->isOfType(SoBaseKit::getClassTypeId()) ||
            (i + 1 < path->getLength() && !n->isOfType(SoGroup::getClassTypeId())))
            return false;
    }
    return true;
}

void writeNumber(SoOutput *out, int n)
{
    out->indent();
    out->write(n);
    if (!out->isBinary())
        out->write('\n');
}

}

void SoSFCountedPath::writeValue(SoOutput *out) const
{
    SoPath *path = getValue();
    if (!path || !throughGroupsOnly(path)) {
        // As the toolkit writes the field.
        if (!path) {
            out->write("NULL");
        } else {
            SoWriteAction wa(out);
            wa.continueToApply(path);
        }
        return;
    }
    if (WriteState::header(path, out))
        return;
    SoWriteAction wa(out);
    wa.continueToApply(path->getHead());
    writeNumber(out, path->getLength() - 1);
    for (int i = 1; i < path->getLength(); i++)
        writeNumber(out, written.placeOf((SoGroup *)path->getNode(i - 1), path->getIndex(i)));
    WriteState::footer(path, out);
}
