// The growing node list holds, references and lets go of its nodes as the
// toolkit's own list does through every way of changing it.
#include "support/Test.h"

#include <Inventor/nodes/SoCube.h>

namespace {

// After each change: the list's nodes (by number, "-" for none) and every
// node's reference count.
template <class Field> std::vector<std::string> history(const std::vector<SoNode *> &nodes)
{
    std::vector<std::string> out;
    Field *f = new Field;
    auto note = [&] {
        std::string s;
        for (int i = 0; f && i < f->getNum(); i++) {
            auto at = std::find(nodes.begin(), nodes.end(), (*f)[i]);
            s += at == nodes.end() ? "-" : std::to_string(at - nodes.begin()) + " ";
        }
        for (SoNode *n : nodes)
            s += "/" + std::to_string(n->getRefCount());
        out.push_back(s);
    };
    for (int i = 0; i < 40; i++)
        f->set1Value(i, nodes[(size_t)i % nodes.size()]), note();
    f->insertSpace(3, 4), note();
    f->set1Value(4, nodes[9]), note();
    f->deleteValues(10, 20), note();
    f->setNum(70), note();
    f->set1Value(69, nodes[1]), note();
    f->setValues(60, 3, (const SoNode **)nodes.data()), note();
    f->setNum(5), note();
    f->set1Value(6, nodes[2]), note();
    SoMFNode copy;
    copy = *f;
    note();
    f->deleteValues(0), note();
    delete f;
    f = NULL;
    note();
    return out;
}

}

TEST(GrowingNodeList, ChangesAsTheToolkitsListDoes)
{
    SoDB::init();
    std::vector<SoNode *> nodes;
    for (int i = 0; i < 12; i++)
        nodes.push_back(new SoCube), nodes.back()->ref();
    std::vector<std::string> want = history<SoMFNode>(nodes);
    std::vector<std::string> got = history<SoMFGrowingNode>(nodes);
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); i++)
        EXPECT_EQ(want[i], got[i]) << "after change " << i;
    for (SoNode *n : nodes)
        EXPECT_EQ(1, n->getRefCount()), n->unref();
}
