#ifndef GLOSSPIN_SOHIDEMANIPELEMENT_H
#define GLOSSPIN_SOHIDEMANIPELEMENT_H

#include <Inventor/elements/SoInt32Element.h>

/// Non-zero once a hide-manipulators node has been traversed in the
/// current state: hideable manipulators then act as plain transforms.
class SoHideManipElement : public SoInt32Element {
    SO_ELEMENT_HEADER(SoHideManipElement);

  public:
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// Starts a traversal with manipulators shown.
    virtual void init(SoState *state);

    /// Whether manipulators are hidden (non-zero) in the traversal state.
    ///@{
    static void set(SoState *state, int32_t value)
    {
        SoInt32Element::set(classStackIndex, state, value);
    }
    static int32_t get(SoState *state) { return SoInt32Element::get(classStackIndex, state); }
    ///@}

  protected:
    virtual ~SoHideManipElement();
};

#endif
