#ifndef GLOSSPIN_MARKERS_DRAGGERFIELDDEFAULTS_H
#define GLOSSPIN_MARKERS_DRAGGERFIELDDEFAULTS_H

#include <initializer_list>
#include <vector>

#include <Inventor/SbString.h>

class SoField;

// A dragger's connections mark the marker fields they drive as set, even
// when the marker was only selected and never moved, and set fields are
// written: selecting a marker would change the file. Kept while a dragger
// is attached: which of those fields were unset and their values, so that
// detaching gives the unset flag back to those the drag left alone.
class GspDraggerFieldDefaults {
  public:
    void remember(std::initializer_list<SoField *> fields);
    void restore();

  private:
    struct Kept {
        SoField *field;
        SbString value;
    };
    std::vector<Kept> kept;
};

#endif
