#include "markers/PathMatrix.h"

#include <Inventor/SbLinear.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransformSeparator.h>
#include <Inventor/nodes/SoTransformation.h>

#include "markers/PathWatcher.h"

namespace {

// Groups that traverse every child in order and have no matrix of their
// own: the ones the walk below can follow.
bool isPlainGroup(SoNode *node)
{
    SoType t = node->getTypeId();
    return t == SoGroup::getClassTypeId() || t == SoTransformSeparator::getClassTypeId() ||
           t.isDerivedFrom(SoSeparator::getClassTypeId());
}

// Multiplies in what node adds to the matrix of later siblings; false
// when only a traversal of the whole path can tell (a group that affects
// the state: the action applied to a group alone does not enter it).
bool add(SoGetMatrixAction *action, SoNode *node, SbMatrix &matrix, SbMatrix &inverse)
{
    if (node->getChildren())
        return !node->affectsState();
    if (node->isOfType(SoTransformation::getClassTypeId())) {
        action->apply(node);
        matrix.multLeft(action->getMatrix());
        inverse.multRight(action->getInverse());
    }
    return true;
}

bool walk(SoGetMatrixAction *action, SoFullPath *path, SbMatrix &matrix, SbMatrix &inverse)
{
    matrix.makeIdentity();
    inverse.makeIdentity();
    for (int d = 1; d < path->getLength(); d++) {
        SoNode *group = path->getNode(d - 1);
        if (!isPlainGroup(group))
            return false;
        const SoChildList &children = *group->getChildren();
        // A watched head knows which of its children matter: a scene's root
        // with thousands of markers need not be looked through.
        const std::vector<int> *some = d == 1 ? GspPathWatcher::matrixChildren(group) : NULL;
        if (some) {
            for (int i : *some)
                if (i < path->getIndex(d) && !add(action, children[i], matrix, inverse))
                    return false;
            continue;
        }
        for (int i = 0; i < path->getIndex(d); i++)
            if (!add(action, children[i], matrix, inverse))
                return false;
    }
    // A group at the tail adds nothing of its own.
    SoNode *tail = path->getTail();
    return tail->getChildren() || add(action, tail, matrix, inverse);
}

}

void gspPathMatrix(SoGetMatrixAction *action, SoPath *path, SbMatrix &matrix, SbMatrix &inverse)
{
    if (walk(action, (SoFullPath *)path, matrix, inverse))
        return;
    action->apply(path);
    matrix = action->getMatrix();
    inverse = action->getInverse();
}
