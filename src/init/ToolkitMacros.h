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

// The catalog entries of a knob declared with SO_GESTURE_KNOB_HEADER: its
// switch under parent, the locate-highlight group and the knob in the
// switch's first child, the active knob in its second.
#define GSP_KIT_ADD_KNOB(name, parent)                                        \
    SO_KIT_ADD_CATALOG_ENTRY(name##Switch, SoSwitch, TRUE, parent, , FALSE);  \
    SO_KIT_ADD_CATALOG_ENTRY(name##LocateGroup, SoLocateHighlightGroup, TRUE, \
                             name##Switch, , FALSE);                          \
    SO_KIT_ADD_CATALOG_ENTRY(name, SoSeparator, TRUE, name##LocateGroup, , TRUE); \
    SO_KIT_ADD_CATALOG_ENTRY(name##Active, SoSeparator, TRUE, name##Switch, , TRUE)

// The catalog parts SO_GESTURE_AXIS_FEEDBACK_HEADER and
// SO_GESTURE_CIRCLE_FEEDBACK_HEADER declare, under parent.
#define GSP_KIT_ADD_AXIS_FEEDBACK(axis, parent)                                              \
    SO_KIT_ADD_CATALOG_ENTRY(axis##AxisFeedbackSwitch, SoSwitch, TRUE, parent, , FALSE);     \
    SO_KIT_ADD_CATALOG_ENTRY(axis##AxisFeedback, SoSeparator, TRUE, axis##AxisFeedbackSwitch, \
                             , TRUE);                                                        \
    SO_KIT_ADD_CATALOG_ENTRY(axis##AxisFeedbackActive, SoSeparator, TRUE,                    \
                             axis##AxisFeedbackSwitch, , TRUE);                              \
    SO_KIT_ADD_CATALOG_ENTRY(axis##AxisFeedbackSelect, SoSeparator, TRUE,                    \
                             axis##AxisFeedbackSwitch, , TRUE)
#define GSP_KIT_ADD_CIRCLE_FEEDBACK(axis, parent)                                            \
    SO_KIT_ADD_CATALOG_ENTRY(axis##CircleFeedbackSwitch, SoSwitch, TRUE, parent, , FALSE);   \
    SO_KIT_ADD_CATALOG_ENTRY(axis##CircleFeedback, SoSeparator, TRUE,                        \
                             axis##CircleFeedbackSwitch, , TRUE)

#endif
