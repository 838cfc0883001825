#ifndef GLOSSPIN_INIT_CHILDLESSGROUPFORM_H
#define GLOSSPIN_INIT_CHILDLESSGROUPFORM_H

#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>

// The binary file form of the library's nodes without children: the
// header marks the node a group and a zero word follows its fields, so
// that a reader without the class reads the zero as its child count. The
// write expands inside a node's write(), which alone may call the
// toolkit's header and reference functions.
#define GSP_WRITE_AS_CHILDLESS_GROUP(action)                                  \
    do {                                                                      \
        SoOutput *out_ = (action)->getOutput();                               \
        if (out_->getStage() == SoOutput::COUNT_REFS) {                       \
            addWriteReference(out_, FALSE);                                   \
            break;                                                            \
        }                                                                     \
        if (writeHeader(out_, TRUE, FALSE))                                   \
            break; /* a reference to an instance written before */           \
        getFieldData()->write(out_, this);                                    \
        if (out_->isBinary())                                                 \
            out_->write((int)0);                                              \
        writeFooter(out_);                                                    \
    } while (0)

// Reads the zero word after the fields of a binary file.
inline SbBool gspReadChildlessGroupZero(SoInput *in)
{
    int zero;
    return !in->isBinary() || in->read(zero);
}

#endif
