// Build tool: reads a default-geometry file in the toolkit's ASCII form
// and writes a C++ source holding it in the toolkit's binary form, as the
// array the draggers hand to readDefaultParts when no geometry directory
// is set.
//
//   gsp_iv_embed INPUT.iv OUTPUT.cpp SYMBOL
//
// defines  extern const unsigned char SYMBOL[];  extern const int SYMBOL_size;
#include <stdio.h>
#include <stdlib.h>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoLocateHighlightGroup.h>

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s INPUT.iv OUTPUT.cpp SYMBOL\n", argv[0]);
        return 2;
    }
    SoDB::init();
    SoInteraction::init();
    SoAntiSquish2::initClass();
    SoLocateHighlightGroup::initClass();

    SoInput in;
    if (!in.openFile(argv[1])) {
        fprintf(stderr, "%s: cannot open %s\n", argv[0], argv[1]);
        return 1;
    }
    SoSeparator *root = SoDB::readAll(&in);
    if (!root) {
        fprintf(stderr, "%s: %s is not a valid scene file\n", argv[0], argv[1]);
        return 1;
    }
    root->ref();

    SoOutput out;
    out.setBinary(TRUE);
    out.setBuffer(malloc(1024), 1024, realloc);
    SoWriteAction wa(&out);
    // Each top-level node on its own, so that the binary copy holds the
    // same named nodes as the file, not one extra separator around them.
    for (int i = 0; i < root->getNumChildren(); i++)
        wa.apply(root->getChild(i));
    void *buffer;
    size_t size;
    out.getBuffer(buffer, size);

    FILE *f = fopen(argv[2], "w");
    if (!f) {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    fprintf(f, "// Generated from %s by gsp_iv_embed; do not edit.\n", argv[1]);
    fprintf(f, "extern const unsigned char %s[];\nextern const int %s_size;\n", argv[3], argv[3]);
    fprintf(f, "const unsigned char %s[] = {", argv[3]);
    const unsigned char *b = (const unsigned char *)buffer;
    for (size_t i = 0; i < size; i++)
        fprintf(f, "%s0x%02x,", i % 16 ? " " : "\n    ", b[i]);
    fprintf(f, "\n};\nconst int %s_size = %zu;\n", argv[3], size);
    if (fclose(f) != 0) {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        remove(argv[2]);
        return 1;
    }
    root->unref();
    return 0;
}
