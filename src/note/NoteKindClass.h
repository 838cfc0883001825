#ifndef GLOSSPIN_NOTE_NOTEKINDCLASS_H
#define GLOSSPIN_NOTE_NOTEKINDCLASS_H

#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnNote.h>

// Registers a note kind: the note base first, then the kind, then the
// whole library, so that registering any kind registers every class.
#define GSP_NOTE_KIND_INIT_CLASS(className)                                   \
    do {                                                                      \
        if (getClassTypeId() != SoType::badType())                            \
            break;                                                            \
        if (ZnNote::getClassTypeId() == SoType::badType())                    \
            ZnNote::initClass();                                              \
        SO__NODE_INIT_CLASS(className, #className, ZnNote);                   \
        ZnInit::initClasses();                                                \
    } while (0)

#endif
