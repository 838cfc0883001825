#ifndef GLOSSPIN_ZNVIEWNOTE_H
#define GLOSSPIN_ZNVIEWNOTE_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Inventor/SbTime.h>
#include <Inventor/fields/SoSFRotation.h>
#include <Inventor/fields/SoSFVec3f.h>

#include <Glosspin/ZnNote.h>

class SoCamera;
class SoSensor;
class SoTimerSensor;

/// A note that carries a camera view. Playing it flies the scene's camera
/// there in two seconds, the eye swinging on an eased arc about the
/// midpoint of the two looked-at points; editing takes the scene camera's
/// view once the user has set it up and pressed OK in a small dialog
/// (shared place for all view notes: first right of the main window,
/// then where the user left it). It has no media data of its own.
class ZnViewNote : public ZnNote {
    SO_NODE_HEADER(ZnViewNote);

  public:
    SoBounded<SoSFVec3f> position;        ///< the camera's place
    SoBounded<SoSFRotation> orientation;  ///< its turn
    SoBounded<SoSFFloat> focalDistance;   ///< how far ahead it looks
    SoBounded<SoSFFloat> height;  ///< height angle of a perspective camera, else height
    SoBounded<SoSFBool> isPerspectiveCamera;  ///< the view is a perspective camera's

    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnViewNote, its fields at their defaults.
    ZnViewNote();

    void edit() override;
    void play(int autoPlay) override;
    int isPlaying() const override;
    int isEditing() const override;
    void killPlayer() override;
    void killEditor() override;
    int gatherPendingData(int accept) override;
    const char *getDurationMsg() override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;
    /// The view change takes duration seconds.
    void findMediaLength() override;

    /// The flight: started (1) or stopped (0), the camera at t (0 to 1)
    /// of the way, and the timer that moves it.
    ///@{
    void setInterpMode(int mode);
    void interpolateNewView(float t);
    static void ViewSensorCB(void *note, SoSensor *sensor);
    ///@}
    /// The dialog that takes the camera's view, and its buttons.
    ///@{
    static void createDialog(const char *message, ZnViewNote *note);
    static void createDialogCB(Widget w, void *note, void *callData);
    ///@}

    /// Where the confirmation dialog stands; x below 0 before its first use.
    static SbVec2s dialogLocation;

  SoEXTENDER public:
    void GLRender(SoGLRenderAction *action) override;

  protected:
    ~ZnViewNote() override;

    SbVec3f startPosition;
    float startFocalDistance;
    SbMatrix startOrientation;
    float startHeight;
    SbTime startTime;
    float duration;
    int interpMode;
    SoTimerSensor *timer;
    int alreadyThere;

  private:
    static SoCamera *camera();
    float targetHeight(const SoCamera *camera) const;
};

#endif
