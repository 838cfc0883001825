// The library's path field writes the bytes the toolkit's path field
// writes, in whole-scene and path-list writes (where the siblings before
// an index that are left out of the file do not count).
#include "FieldTestUtil.h"

#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoSeparator.h>

namespace {

// A node with a path in the toolkit's field or the library's; class
// names of one length, so that the two files differ only in the name.
#define PATH_HOLDER(Name, Field)                                                            \
    class Name : public SoNode {                                                            \
        SO_NODE_HEADER(Name);                                                               \
                                                                                            \
      public:                                                                               \
        Field path;                                                                         \
        static void initClass() { SO_NODE_INIT_CLASS(Name, SoNode, "Node"); }              \
        Name()                                                                              \
        {                                                                                   \
            SO_NODE_CONSTRUCTOR(Name);                                                      \
            SO_NODE_ADD_FIELD(path, (NULL));                                                \
        }                                                                                   \
    };                                                                                      \
    SO_NODE_SOURCE(Name)

PATH_HOLDER(PlainHolder, SoSFPath);
PATH_HOLDER(CountHolder, SoSFCountedPath);

}

TEST(CountedPath, WritesTheToolkitsBytes)
{
    FieldTest::init();
    PlainHolder::initClass();
    CountHolder::initClass();
    for (bool binary : {false, true})
        for (bool pathList : {false, true}) {
            std::string bytes[2];
            for (int f = 0; f < 2; f++) {
                GspTest::Held<SoSeparator> root(new SoSeparator);
                for (int i = 0; i < 6; i++) {
                    SoSeparator *s = new SoSeparator;
                    for (int k = 0; k < 3; k++)
                        s->addChild(new SoCube);
                    root->addChild(s);
                }
                SoNode *holder = f ? (SoNode *)new CountHolder : new PlainHolder;
                root->addChild(holder);
                SoPath *p = new SoPath(root);
                p->append(4);
                p->append(2);
                ((SoSFPath *)holder->getField("path"))->setValue(p);
                SoPathList list;  // the holder and one object: the siblings before it stay out
                for (int i : {6, 4}) {
                    list.append(new SoPath(root));
                    list[list.getLength() - 1]->append(i);
                }
                bytes[f] = GspTest::writeToBuffer(root, binary, pathList ? &list : NULL);
            }
            for (size_t at = 0; (at = bytes[1].find("Count", at)) != std::string::npos; at += 5)
                bytes[1].replace(at, 5, "Plain");
            EXPECT_EQ(bytes[0], bytes[1]) << (binary ? "binary" : "ASCII")
                                          << (pathList ? ", path list" : ", whole scene");
        }
}
