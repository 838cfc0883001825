#ifndef GLOSSPIN_SOGRAPHPAPER_H
#define GLOSSPIN_SOGRAPHPAPER_H

#include <Glosspin/SoBounded.h>
#include <Inventor/nodekits/SoBaseKit.h>
#include <Inventor/nodekits/SoSubKit.h>

class SoFieldSensor;
class SoSensor;

/// A grid of lines in the XZ plane between left/right (x) and near/far
/// (z), a line at every multiple of gridSpacing inside those bounds,
/// optionally on a solid sheet of paper below it. The grid follows every
/// field change at once.
class SoGraphPaper : public SoBaseKit {
    SO_KIT_HEADER(SoGraphPaper);
    typedef SoBaseKit inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(paperSeparator);
    SO_KIT_CATALOG_ENTRY_HEADER(paperHeightPlacer);
    SO_KIT_CATALOG_ENTRY_HEADER(paperAppearance);
    SO_KIT_CATALOG_ENTRY_HEADER(paperCoordinate3);
    SO_KIT_CATALOG_ENTRY_HEADER(paperFaceSet);
    SO_KIT_CATALOG_ENTRY_HEADER(lineSeparator);
    SO_KIT_CATALOG_ENTRY_HEADER(lineHeightPlacer);
    SO_KIT_CATALOG_ENTRY_HEADER(lineAppearance);
    SO_KIT_CATALOG_ENTRY_HEADER(lineNormalBinding);
    SO_KIT_CATALOG_ENTRY_HEADER(lineNormal);
    SO_KIT_CATALOG_ENTRY_HEADER(lineCoordinate3);
    SO_KIT_CATALOG_ENTRY_HEADER(lineLineSet);

  public:
    SoBounded<SoSFFloat> left;   ///< the paper's smallest x
    SoBounded<SoSFFloat> right;  ///< its largest x
    SoBounded<SoSFFloat> near;   ///< its largest z
    SoBounded<SoSFFloat> far;    ///< its smallest z
    SoBounded<SoSFFloat> paperHeight;  ///< y of the paper
    SoBounded<SoSFFloat> lineHeight;   ///< y of the lines
    SoBounded<SoSFFloat> gridSpacing;  ///< no lines unless positive

    /// A new SoGraphPaper, its fields at their defaults.
    SoGraphPaper();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Whether the paper is drawn under the lines.
    ///@{
    void showPaper(SbBool show);
    SbBool isPaperShown() const { return paperShown; }
    ///@}

    /// Connects the parts to the fields (the node kits' way).
    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);

  protected:
    static void fieldSensorCB(void *data, SoSensor *);
    void rebuild();
    virtual void setDefaultOnNonWritingFields();
    virtual ~SoGraphPaper();

  private:
    enum { NUM_FIELDS = 7 };
    SoFieldSensor *sensors[NUM_FIELDS];
    SbBool paperShown;
};

#endif
