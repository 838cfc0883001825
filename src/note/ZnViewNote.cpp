#include <Glosspin/ZnViewNote.h>

#include <math.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/SoPath.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/sensors/SoTimerSensor.h>
#include <Xm/MessageB.h>
#include <Xm/Protocols.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnViewNote);

SbVec2s ZnViewNote::dialogLocation(-1, -1);

namespace {

const float NEAR = 0.0001f;

float heightOf(const SoCamera *c)
{
    if (c->isOfType(SoPerspectiveCamera::getClassTypeId()))
        return ((SoPerspectiveCamera *)c)->heightAngle.getValue();
    return ((SoOrthographicCamera *)c)->height.getValue();
}

void setHeight(SoCamera *c, float h)
{
    if (c->isOfType(SoPerspectiveCamera::getClassTypeId()))
        ((SoPerspectiveCamera *)c)->heightAngle = h;
    else
        ((SoOrthographicCamera *)c)->height = h;
}

SbVec3f row(const SbMatrix &m, int i) { return SbVec3f(m[i][0], m[i][1], m[i][2]); }

}

void ZnViewNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnViewNote);
}

ZnViewNote::ZnViewNote()
    : startFocalDistance(0), startHeight(0), duration(2.0f), interpMode(0),
      timer(new SoTimerSensor(ViewSensorCB, this)), alreadyThere(0)
{
    SO_NODE_CONSTRUCTOR(ZnViewNote);
    GSP_SET_NOTE_ICONS(view);
    SO_NODE_ADD_FIELD(position, (0, 0, 0));
    SO_NODE_ADD_FIELD(orientation, (SbVec3f(0, 0, 1), 0));
    SO_NODE_ADD_FIELD(focalDistance, (0));
    SO_NODE_ADD_FIELD(height, (0));
    SO_NODE_ADD_FIELD(isPerspectiveCamera, (TRUE));
    lifetimeType = 2;
    startNextNote = 1;
    supportsExternalData = 0;
    dataExternal = 0;
    playerLocationSupported = 0;
    mediaData.setDefault(TRUE);
    timer->setInterval(SbTime(1.0 / 60.0));
    findMediaLength();
}

ZnViewNote::~ZnViewNote()
{
    if (playerWindow)
        XtDestroyWidget(XtParent(playerWindow));
    timer->unschedule();
    delete timer;
}

int ZnViewNote::gatherPendingData(int) { return 0; }

const char *ZnViewNote::getDurationMsg()
{
    static char msg[256];
    return formatDuration(msg, sizeof msg, "duration_view",
                          "for duration of view change (%s sec)");
}

// The five camera fields.
int ZnViewNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + 230;
}

int ZnViewNote::getUndoWeight() { return 1176; }

void ZnViewNote::findMediaLength() { mediaLength = duration; }

// The scene camera: the last node of the common camera path.
SoCamera *ZnViewNote::camera()
{
    SoPath *p = ZnCommon::cameraPath;
    if (!p || p->getLength() != 2)
        return NULL;
    SoNode *tail = ((SoFullPath *)p)->getTail();
    return tail->isOfType(SoCamera::getClassTypeId()) ? (SoCamera *)tail : NULL;
}

void ZnViewNote::GLRender(SoGLRenderAction *action)
{
    if (!ZnCommon::cameraPath || ZnCommon::cameraPath->getLength() != 2)
        ZnCommon::updateCameraPath(action->getCurPath()->getHead());
    ZnNote::GLRender(action);
}

// Taking the view.

void ZnViewNote::edit()
{
    ZnNote::edit();
    createDialog(
        ZnCommon::getResource("view_note_msg", "Hit OK when you have set the desired view"), this);
}

int ZnViewNote::isEditing() const { return playerWindow && XtIsManaged(playerWindow); }

void ZnViewNote::killEditor()
{
    if (!isEditing())
        return;
    currentIconData = iconData;
    touch();
    XtUnmanageChild(playerWindow);
}

void ZnViewNote::createDialog(const char *message, ZnViewNote *note)
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!note->playerWindow) {
        if (dialogLocation[0] < 0) {
            Position x = 0, y = 0;
            Dimension width = 0;
            XtVaGetValues(top, XmNx, &x, XmNy, &y, XmNwidth, &width, NULL);
            dialogLocation.setValue((short)(x + width), y);
        }
        Arg args[4];
        int n = 0;
        XtSetArg(args[n], XmNautoUnmanage, False), n++;
        XtSetArg(args[n], XmNdefaultPosition, False), n++;
        XtSetArg(args[n], XmNx, dialogLocation[0]), n++;
        XtSetArg(args[n], XmNy, dialogLocation[1]), n++;
        Widget d = XmCreateMessageDialog(top, (char *)"Confirm View Dialog", args, n);
        note->playerWindow = d;
        XtVaSetValues(XtParent(d), XmNtitle,
                      ZnCommon::getResource("title_view", "Glosspin : Confirm View Dialog"), NULL);
        for (const char *reason : {XmNokCallback, XmNcancelCallback, XmNhelpCallback})
            XtAddCallback(d, reason, (XtCallbackProc)createDialogCB, note);
        XtUnmanageChild(XmMessageBoxGetChild(d, XmDIALOG_HELP_BUTTON));
        Atom deleteWindow = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
        XmAddWMProtocolCallback(XtParent(d), deleteWindow, (XtCallbackProc)windowClosedCB, note);
        XtAddCallback(
            d, XmNdestroyCallback,
            [](Widget, XtPointer n, XtPointer) { ((ZnViewNote *)n)->playerWindow = NULL; }, note);
    } else if (dialogLocation[0] >= 0) {
        XtVaSetValues(note->playerWindow, XmNx, dialogLocation[0], XmNy, dialogLocation[1], NULL);
    }
    XmString s = XmStringCreateLocalized((char *)message);
    XtVaSetValues(note->playerWindow, XmNmessageString, s, NULL);
    XmStringFree(s);
    XtManageChild(note->playerWindow);
}

void ZnViewNote::createDialogCB(Widget w, void *data, void *callData)
{
    ZnViewNote *note = (ZnViewNote *)data;
    XmAnyCallbackStruct *cbs = (XmAnyCallbackStruct *)callData;
    Position x = 0, y = 0;
    XtVaGetValues(XtParent(w), XmNx, &x, XmNy, &y, NULL);
    dialogLocation.setValue(x, y);
    XtUnmanageChild(w);
    SoCamera *c = camera();
    if (cbs->reason == XmCR_OK && c) {
        note->position = c->position.getValue();
        note->orientation = c->orientation.getValue();
        note->focalDistance = c->focalDistance.getValue();
        note->isPerspectiveCamera = c->isOfType(SoPerspectiveCamera::getClassTypeId());
        note->height = heightOf(c);
        if (note->isPendingNote && note->pendingReadyCallback)
            (*note->pendingReadyCallback)(note, 0);
    }
    note->editDialogClosed(cbs->reason == XmCR_CANCEL);
}

// Playing: the flight to the view.

// The view's height in the terms of the scene camera's kind.
float ZnViewNote::targetHeight(const SoCamera *c) const
{
    bool perspectiveScene = c->isOfType(SoPerspectiveCamera::getClassTypeId());
    bool perspectiveView = isPerspectiveCamera.getValue();
    float h = height.getValue(), f = focalDistance.getValue();
    if (!perspectiveScene && perspectiveView)
        return 2 * f * tanf(h / 2);
    if (perspectiveScene && !perspectiveView)
        return 2 * atanf((h / 2) / f);
    return h;
}

void ZnViewNote::play(int autoPlay)
{
    if (!ZnCommon::cameraPath || ZnCommon::cameraPath->getLength() != 2)
        ZnCommon::updateCameraPath(NULL);
    SoCamera *c = camera();
    if (!c) {  // the camera path's search has said so
        cannotPlay(autoPlay);
        return;
    }
    startPosition = c->position.getValue();
    startOrientation.setRotate(c->orientation.getValue());
    startFocalDistance = c->focalDistance.getValue();
    startHeight = heightOf(c);
    float target = targetHeight(c);
    setInterpMode(1);
    ZnNote::play(autoPlay);
    alreadyThere = (startPosition - position.getValue()).length() < NEAR &&
                   c->orientation.getValue().equals(orientation.getValue(), NEAR) &&
                   fabsf(startFocalDistance - focalDistance.getValue()) < NEAR &&
                   fabsf(startHeight - target) < NEAR;
}

int ZnViewNote::isPlaying() const { return timer->isScheduled(); }

void ZnViewNote::killPlayer() { setInterpMode(0); }

void ZnViewNote::setInterpMode(int mode)
{
    interpMode = mode;
    if (mode && !timer->isScheduled()) {
        startTime = SbTime::getTimeOfDay();
        timer->schedule();
    } else if (!mode && timer->isScheduled()) {
        timer->unschedule();
        if (!isEditing()) {
            currentIconData = iconData;
            touch();
        }
        if (playingInSequence && !alreadyThere) {
            playingInSequence = 0;
            if (lifetimeType.getValue() == 2)
                callPlayerFinished();
        }
    }
}

void ZnViewNote::ViewSensorCB(void *data, SoSensor *)
{
    ZnViewNote *note = (ZnViewNote *)data;
    float t = (float)((SbTime::getTimeOfDay() - note->startTime).getValue() / note->duration);
    if (t > 1 || 1 - t < NEAR)
        t = 1;
    note->interpolateNewView(t);
    if (t == 1)
        note->setInterpMode(0);
}

void ZnViewNote::interpolateNewView(float t)
{
    SoCamera *c = camera();
    if (alreadyThere) {
        alreadyThere = 0;
        setInterpMode(0);
        return;
    }
    if (!c)
        return;
    float s = 0.5f - 0.5f * cosf(t * (float)M_PI);
    SbMatrix view;
    view.setRotate(orientation.getValue());
    SbVec3f startDir = -row(startOrientation, 2), startUp = row(startOrientation, 1);
    SbVec3f viewDir = -row(view, 2), viewUp = row(view, 1);

    SbVec3f startFocus = startPosition + startDir * startFocalDistance;
    SbVec3f viewFocus = position.getValue() + viewDir * focalDistance.getValue();
    SbVec3f pivot = startFocus + (viewFocus - startFocus) * 0.5f;
    SbVec3f focus = startFocus + (viewFocus - startFocus) * s;
    float distance = startFocalDistance + (focalDistance.getValue() - startFocalDistance) * s;

    SbVec3f a = startPosition - pivot, b = position.getValue() - pivot;
    float la = a.length(), lb = b.length();
    a.normalize();
    b.normalize();
    SbVec3f n = a.cross(b);
    if (n.length() < NEAR) {
        // Parallel arms: turn about an axis square to them.
        SbVec3f fallback = fabsf(a[1]) > 0.9999f ? SbVec3f(0, 0, 1) : SbVec3f(0, 1, 0);
        n = a.cross(a.cross(fallback));
    }
    n.normalize();
    SbVec3f d = a.cross(n);
    float phi = atan2f(b.dot(d), b.dot(a)) * s;
    SbVec3f dir = a * cosf(phi) + d * sinf(phi);
    SbVec3f eye = pivot + dir * (la + (lb - la) * s);

    SbVec3f z = eye - focus;
    z.normalize();
    SbVec3f up = startUp + (viewUp - startUp) * s;
    SbVec3f x = up.cross(z);
    x.normalize();
    SbVec3f y = z.cross(x);
    y.normalize();
    SbMatrix axes(x[0], x[1], x[2], 0, y[0], y[1], y[2], 0, z[0], z[1], z[2], 0, 0, 0, 0, 1);

    c->position = eye;
    c->orientation = SbRotation(axes);
    c->focalDistance = distance;
    setHeight(c, startHeight + (targetHeight(c) - startHeight) * s);
}
