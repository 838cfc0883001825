#ifndef GLOSSPIN_ZNCOMMON_H
#define GLOSSPIN_ZNCOMMON_H

#include <sys/types.h>
#include <Inventor/fields/SoMFString.h>

class SoNode;
class SoPath;

/// Services shared by the whole library: message texts looked up as X
/// resources of class "Glosspin", the error dialog, the interaction mode,
/// the path to the scene's camera and the files to remove at exit.
/// The application constructs one instance at start-up and destroys it
/// at exit; everything else is static.
class ZnCommon {
  public:
    /// The application's one instance; its end removes the files given
    /// to addFile.
    ZnCommon();
    ~ZnCommon();

    /// Error dialog built from a message key, an optional detail key and
    /// the texts that fill a "%s" in each. Without an X display the same
    /// texts go to standard error.
    static void displayError(const char *key, const char *detailKey = NULL,
                             const char *arg = NULL,
                             const char *detailArg = NULL);

    /// Finds the scene's camera under root (or under the remembered
    /// parent when root is NULL) and remembers the camera's parent and
    /// the camera in cameraPath. Returns 1 on success, 0 after an error
    /// dialog.
    static int updateCameraPath(SoNode *root);

    /// Files removed by cleanUpAllFiles(), that is when the application's
    /// ZnCommon is destroyed.
    ///@{
    static void addFile(const char *name);
    static void cleanUpAllFiles();
    ///@}

    /// The text of a resource key, or defaultText when the resource is
    /// missing (NULL for error keys, which have no built-in text).
    static const char *getResource(const char *key,
                                   const char *defaultText = NULL);

    static SoMFString filesToCleanUp;  ///< the files addFile was given
    static int editMode;            ///< 1 = viewing, 2 = authoring
    /// Non-zero: the draggers take Ctrl as Alt too, for viewers that keep
    /// the Alt key for their own use. 0 at load time.
    static int controlForAlt;
    static int instanceExists;        ///< the ZnCommon instance exists
    static pid_t originalProcessId;   ///< the process that loaded the library
    static SoPath *cameraPath;        ///< see updateCameraPath
};

#endif
