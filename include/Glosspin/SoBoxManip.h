#ifndef GLOSSPIN_SOBOXMANIP_H
#define GLOSSPIN_SOBOXMANIP_H

#include <Glosspin/SoHideableTransformManip.h>

/// A transform manipulator whose dragger is a box dragger sized to the
/// objects the transform moves; a hide-manipulators node before it makes
/// it a plain transform.
class SoBoxManip : public SoHideableTransformManip {
    SO_NODE_HEADER(SoBoxManip);
    typedef SoHideableTransformManip inherited;

  public:
    /// A new SoBoxManip, its fields at their defaults.
    SoBoxManip();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// These go to the dragger while it is a box dragger.
    void unsquishKnobs();
    /// Whether the dragger's parts light up under the pointer.
    ///@{
    SbBool isLocateHighlighting();
    void setLocateHighlighting(SbBool onOff);
    ///@}

  protected:
    virtual ~SoBoxManip();
};

#endif
