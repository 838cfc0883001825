#include "fuzz/Fuzzers.h"

#include <Glosspin/ZnModelImporter.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include <stdio.h>
#include <stdlib.h>

int fuzzModel(const uint8_t *data, size_t size)
{
    static const char *const formats[] = {"glb", "gltf", "obj", "stl", "ply", "fbx", "dae", "3ds"};
    if (size < 1)
        return 0;
    SoDB::init();
    ZnModelImporter importer;
    SoSeparator *root = importer.readMemory(data + 1, size - 1, formats[data[0] % 8]);
    if (!root) {
        if (importer.getErrorMessage().getLength() == 0)
            abort();  // a refusal says why
        return 0;
    }
    root->ref();
    SoGetBoundingBoxAction ba(SbViewportRegion(100, 100));
    ba.apply(root);
    static FILE *nowhere = fopen("/dev/null", "w");
    SoOutput out;
    out.setFilePointer(nowhere);
    SoWriteAction wa(&out);
    wa.apply(root);
    root->unref();
    return 0;
}
