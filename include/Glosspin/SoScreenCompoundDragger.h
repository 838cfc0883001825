#ifndef GLOSSPIN_SOSCREENCOMPOUNDDRAGGER_H
#define GLOSSPIN_SOSCREENCOMPOUNDDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFVec3f.h>
#include <Inventor/nodekits/SoSubKit.h>

class SoFieldSensor;
class SoSensor;

/// A screen-plane dragger and a uniform scaler in one: moves its object in
/// the plane of the screen and scales it evenly, reporting both in
/// translation and scaleFactor.
class SoScreenCompoundDragger : public SoDragger {
    SO_KIT_HEADER(SoScreenCompoundDragger);

    SO_KIT_CATALOG_ENTRY_HEADER(screenPlane);
    SO_KIT_CATALOG_ENTRY_HEADER(scaler);

  public:
    SoBounded<SoSFVec3f> translation;  ///< the motion the dragger gives
    SoBounded<SoSFVec3f> scaleFactor;  ///< the scale it gives

    /// A new SoScreenCompoundDragger, its fields at their defaults.
    SoScreenCompoundDragger();
    /// Also registers the screen-plane dragger and the helper nodes of the
    /// default geometry.
    static void initClass();

  protected:
    static void valueChangedCB(void *, SoDragger *);
    static void fieldSensorCB(void *, SoSensor *);

    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual ~SoScreenCompoundDragger();

    SoFieldSensor *translFieldSensor;
    SoFieldSensor *scaleFieldSensor;

  private:
    void attachSensors(SbBool onOff);
};

#endif
