// A first Glosspin program: opens a scene in an examiner viewer; in pick
// mode (Esc toggles it) a click on an object places an arrow marker there
// with a text note, and "s" saves the scene as annotated-out.iv.
#include <Glosspin/Glosspin.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoSeparator.h>
#include <stdio.h>
#include <string.h>

static SoSeparator *document;  // what is read and saved
static SoXtExaminerViewer *viewer;

// An arrow on the picked point, its tip on the surface, pointing in along
// the surface's normal, following the object if it moves.
static void placeMarker(const SoPickedPoint *point)
{
    ZnArrowMarker *arrow = new ZnArrowMarker;
    SoTransform *place = arrow->getDraggerTransform();
    place->translation = point->getPoint();
    place->rotation = SbRotation(SbVec3f(0, 1, 0), point->getNormal());
    place->scaleFactor = SbVec3f(0.25f, 0.25f, 0.25f);
    arrow->setPathToObject(point->getPath());
    arrow->setLabel("Marker");

    ZnTextNote *note = new ZnTextNote;
    note->author = "annotated-viewer";
    note->setFieldFromString("Placed with the annotated viewer example.");
    ((ZnNoteList *)arrow->getPart("notes", TRUE))->addChild(note);
    document->addChild(arrow);
}

static bool onMarker(const SoPath *path)
{
    for (int i = 0; i < path->getLength(); i++)
        if (path->getNode(i)->isOfType(ZnMarker::getClassTypeId()))
            return true;
    return false;
}

static void save()
{
    SoOutput out;
    if (!out.openFile("annotated-out.iv")) {
        fprintf(stderr, "annotated-viewer: cannot write annotated-out.iv\n");
        return;
    }
    SoWriteAction(&out).apply(document);
    out.closeFile();
    printf("saved annotated-out.iv\n");
}

static void eventCB(void *, SoEventCallback *cb)
{
    const SoEvent *event = cb->getEvent();
    if (SO_KEY_PRESS_EVENT(event, S)) {
        save();
        cb->setHandled();
        return;
    }
    if (!SO_MOUSE_PRESS_EVENT(event, BUTTON1) || viewer->isViewing())
        return;
    SoRayPickAction pick(viewer->getViewportRegion());
    pick.setPoint(event->getPosition());
    pick.apply(document);
    const SoPickedPoint *point = pick.getPickedPoint();
    // Markers and their notes are not objects to mark.
    if (point && !onMarker(point->getPath())) {
        placeMarker(point);
        cb->setHandled();
    }
}

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(argc == 2 && !strcmp(argv[1], "--help") ? stdout : stderr,
                "usage: annotated-viewer scene.iv\n");
        return argc == 2 && !strcmp(argv[1], "--help") ? 0 : 2;
    }
    Widget top = SoXt::init(argv[0]);
    if (!top)
        return 1;
    ZnInit::initClasses();
    SoInput in;
    if (!in.openFile(argv[1]))
        return 1;
    document = SoDB::readAll(&in);
    if (!document)
        return 1;
    SoSeparator *scene = new SoSeparator;
    scene->ref();
    SoEventCallback *events = new SoEventCallback;
    events->addEventCallback(SoEvent::getClassTypeId(), eventCB, NULL);
    scene->addChild(events);
    scene->addChild(document);

    viewer = new SoXtExaminerViewer(top);
    viewer->setSceneGraph(scene);
    viewer->setTitle("Annotated viewer: Esc to pick, click to mark, s to save");
    viewer->show();
    SoXt::show(top);
    SoXt::mainLoop();
    return 0;
}
