#ifndef GLOSSPIN_INIT_TOOLKITMACROS_H
#define GLOSSPIN_INIT_TOOLKITMACROS_H

#include <Inventor/fields/SoSFEnum.h>

// The toolkit's enum-field macro passes string literals as char *; this
// wrapper keeps the library's builds free of that warning.
#define GSP_NODE_SET_SF_ENUM_TYPE(fieldName, enumType)                        \
    {                                                                         \
        _Pragma("GCC diagnostic push")                                        \
        _Pragma("GCC diagnostic ignored \"-Wwrite-strings\"")                 \
        SO_NODE_SET_SF_ENUM_TYPE(fieldName, enumType);                        \
        _Pragma("GCC diagnostic pop")                                         \
    }

// The toolkit's kit constructor macro ends in an if without braces that
// clang reads as a dangling else; the wrapper keeps clang builds quiet.
#define GSP_KIT_CONSTRUCTOR(className)                                        \
    _Pragma("GCC diagnostic push")                                            \
    _Pragma("GCC diagnostic ignored \"-Wpragmas\"")                           \
    _Pragma("GCC diagnostic ignored \"-Wdangling-else\"")                     \
    SO_KIT_CONSTRUCTOR(className);                                            \
    _Pragma("GCC diagnostic pop")

#endif
