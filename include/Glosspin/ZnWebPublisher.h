#ifndef GLOSSPIN_ZNWEBPUBLISHER_H
#define GLOSSPIN_ZNWEBPUBLISHER_H

#include <Inventor/SbString.h>

class SoCamera;
class SoNode;

/// Turns an annotated scene into a folder that any browser opens from
/// disk, with no server and no network: "index.html", the scene's
/// geometry as glTF 2.0 binary (embedded in a script, so that nothing is
/// fetched), three.js copied beside it, the note icons, and each note's
/// media converted to what browsers play (PNG, WebM, Ogg). The page shows
/// the markers where the toolkit draws them with their labels and note
/// icons, plays the notes as the library does (view notes fly the same
/// path in the same time; shell commands are shown, never run; web links
/// other than http, https and mailto are shown, not opened), runs the
/// sequencer's tour, and with "?selftest" plays and clicks everything and
/// reports what it did in the element "glosspin-selftest".
///
/// The folder is written under a fresh name beside its target and renamed
/// into place once whole; a failure leaves nothing behind. An existing
/// target is replaced only when it is empty or an earlier published page.
/// Note data files named relative to the current directory are found
/// there, as when the scene was read.
class ZnWebPublisher {
  public:
    /// A new ZnWebPublisher, its fields at their defaults.
    ZnWebPublisher();
    ~ZnWebPublisher();

    /// Publishes scene into the folder dir; title names the page. FALSE,
    /// with getErrorMessage() saying why, when it could not be written.
    SbBool publish(SoNode *scene, const char *dir, const char *title);

    /// The view the page opens with; NULL (the default) for the scene's
    /// first camera, or a view of everything when it has none.
    void setCamera(SoCamera *camera) { startCamera = camera; }
    /// Media are converted with ffmpeg and ImageMagick; off, media notes
    /// are left out of the page (a warning each).
    void setConvertMedia(SbBool on) { convertMedia = on; }
    /// Where three.js is taken from: GLOSSPIN_THREE_DIR in the environment,
    /// else Debian's "/usr/share/javascript/three".
    static SbString getThreeDirectory();

    /// Why the last publish failed.
    const SbString &getErrorMessage() const { return error; }
    /// What the page leaves out, one line each.
    ///@{
    int getNumWarnings() const;
    const SbString &getWarning(int i) const;
    ///@}

  private:
    struct Publishing;
    Publishing *publishing;
    SbString error;
    SbBool convertMedia;
    SoCamera *startCamera;

    ZnWebPublisher(const ZnWebPublisher &);
    ZnWebPublisher &operator=(const ZnWebPublisher &);
};

#endif
