#ifndef GLOSSPIN_ZNINIT_H
#define GLOSSPIN_ZNINIT_H

/// Registers every class of the library with the scene database in one
/// call. The application calls initClasses() once after SoXt::init();
/// further calls do nothing.
class ZnInit {
  public:
    /// Registers them all.
    static void initClasses();

    /// Non-zero once initClasses() has started.
    static int isInitialized() { return initialized; }

  private:
    static int initialized;
};

#endif
