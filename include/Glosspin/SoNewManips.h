#ifndef GLOSSPIN_SONEWMANIPS_H
#define GLOSSPIN_SONEWMANIPS_H

#include <Inventor/SbBasic.h>

/// Registers the whole manipulator toolkit (its draggers, manipulators
/// and helper nodes) with the toolkit's type system. Call it once after
/// the toolkit's own initialisation; later calls do nothing.
class SoNewManips {
  public:
    /// Registers every dragger and manipulator class of the library once.
    ///@{
    static void init();
    static SbBool isInitialized() { return initialized; }
    ///@}

  private:
    static SbBool initialized;
};

#endif
