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

#endif
