#ifndef GLOSSPIN_BENCH_SCENEBYTES_H
#define GLOSSPIN_BENCH_SCENEBYTES_H

#include <stdlib.h>

#include <string>

#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>

namespace GspBench {

// A scene written into memory, ASCII or binary, as a reading benchmark's
// input or a writing benchmark's subject.
inline std::string written(SoNode *root, bool binary = false)
{
    SoOutput out;
    size_t size = 1 << 20;
    out.setBuffer(malloc(size), size, realloc);
    out.setBinary(binary);
    SoWriteAction(&out).apply(root);
    void *buf;
    out.getBuffer(buf, size);
    std::string text((const char *)buf, size);
    free(buf);
    return text;
}

}

#endif
