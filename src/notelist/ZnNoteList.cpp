// The note list: grid layout of the notes' icons beside an anchor,
// the label under the grid, automatic playback note after note, the
// pending note, reordering and the file form without the label sub-graph.
#include <Glosspin/ZnNoteList.h>

#include <algorithm>

#include <Glosspin/SoBitmapText.h>
#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnNote.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoViewVolumeElement.h>
#include <Inventor/elements/SoViewportRegionElement.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoAlarmSensor.h>

#include <assert.h>

SO_NODE_SOURCE(ZnNoteList);

// Pixels between the grid's cells, across and up.
static const int ICON_GAP = 4;

void ZnNoteList::initClass()
{
    // The label is drawn by the library's bitmap text.
    if (SoBitmapText::getClassTypeId() == SoType::badType())
        SoBitmapText::initClass();
    SO__NODE_INIT_CLASS(ZnNoteList, "ZnNoteList", SoGroup);
}

ZnNoteList::ZnNoteList()
    : finishCallback(NULL), finishCallbackData(NULL), visible(FALSE), currentNote(NULL),
      currentIndex(0), lastAutoPlayIndex(-1), pendingNote(NULL), anchor(0, 0, 0),
      towardViewerOffset(0), rightOffset(0), offsetsValid(FALSE), lastChildCount(-1),
      maxIconWidth(0), maxIconHeight(0)
{
    SO_NODE_CONSTRUCTOR(ZnNoteList);
    SO_NODE_ADD_FIELD(iconsPerRow, (0));
    SO_NODE_ADD_FIELD(label, (""));

    firstChild = new SoSeparator;
    firstChild->ref();
    SoSeparator *labelSep = new SoSeparator;
    SoPickStyle *unpickable = new SoPickStyle;
    unpickable->style = SoPickStyle::UNPICKABLE;
    labelTranslation = new SoTranslation;
    labelFont = new SoFont;
    labelFont->name = "Helvetica";
    labelFont->size = 20;
    labelText = new SoBitmapText;
    labelSep->addChild(unpickable);
    labelSep->addChild(labelTranslation);
    labelSep->addChild(labelFont);
    labelSep->addChild(new SoMaterial);
    labelSep->addChild(labelText);
    firstChild->addChild(labelSep);
    insertChild(firstChild, 0);

    timer = new SoAlarmSensor(&ZnNoteList::timeForNextNoteCB, this);
}

ZnNoteList::~ZnNoteList()
{
    if (firstChild) {
        firstChild->unref();
        int i = findChild(firstChild);
        if (i >= 0)
            removeChild(i);
    }
    if (timer->isScheduled())
        timer->unschedule();
    delete timer;
    if (pendingNote)
        setPendingNote(NULL);
}

// Visibility and label.

void ZnNoteList::setVisible(int flag)
{
    if ((flag != 0) == (visible != 0))
        return;
    visible = flag;
    if (visible)
        offsetsValid = FALSE;
    touch();
}

void ZnNoteList::setLabel(const char *text)
{
    label = text ? text : "";
    labelText->string = label.getValue();
}

void ZnNoteList::setLabel(const SbString &text)
{
    label = text.getLength() > 0 ? text : SbString("");
    labelText->string = label.getValue();
}

void ZnNoteList::setAnchor(const SbVec3f &a, float towardViewer, float right)
{
    anchor = a;
    towardViewerOffset = towardViewer;
    rightOffset = right;
}

void ZnNoteList::getAnchor(SbVec3f &a, float &towardViewer, float &right) const
{
    a = anchor;
    towardViewer = towardViewerOffset;
    right = rightOffset;
}

float ZnNoteList::getLabelSize() const { return labelFont->size.getValue(); }

// Layout.

// The pixel the icons and label start from, moved so that they stay in
// the window: down from its top edge, and from its right edge over to the
// marker's other side when they fit there (never over the marker).
SbVec3f ZnNoteList::keepInView(const SbVec3f &anchorPixel, SbVec3f start, int perRow, int rows,
                               float labelHeight, const SbViewportRegion &viewport)
{
    SbVec2s size = viewport.getViewportSizePixels();
    int columns = std::min(perRow, getNumNotes());
    float width = columns * (maxIconWidth + ICON_GAP) - ICON_GAP;
    if (labelHeight > 0)  // a label's width, at about 0.6 of its height a character
        width = std::max(width, 0.6f * labelHeight * label.getValue().getLength());
    float top = start[1] + labelHeight + rows * (maxIconHeight + ICON_GAP) - ICON_GAP;
    if (top > size[1])
        start[1] -= top - size[1];
    if (start[0] + width > size[0]) {
        float mirrored = 2 * anchorPixel[0] - start[0] - width - ICON_GAP;
        if (mirrored >= 0)
            start[0] = mirrored;
    }
    return start;
}

void ZnNoteList::computeOffsets(SoState *state)
{
    const SbMatrix &model = SoModelMatrixElement::get(state);
    SbMatrix objToScreen = SoBitmapText::objectToScreen(state);
    SbMatrix screenToObj = objToScreen.inverse();
    const SbViewportRegion &viewport = SoViewportRegionElement::get(state);
    auto project = [&](const SbVec3f &p) {
        return SoBitmapText::objectToPixel(p, objToScreen, viewport);
    };
    auto backProject = [&](const SbVec3f &pixel) {
        return SoBitmapText::pixelToObject(pixel, screenToObj, viewport);
    };

    SbMatrix modelInverse = model.inverse();
    const SbViewVolume &vv = SoViewVolumeElement::get(state);
    SbVec3f right, towardViewer;
    modelInverse.multDirMatrix(vv.lrf - vv.llf, right);
    modelInverse.multDirMatrix(-vv.getProjectionDirection(), towardViewer);
    right.normalize();
    towardViewer.normalize();
    SbVec3f base = anchor + towardViewer * towardViewerOffset + right * rightOffset;

    maxIconWidth = maxIconHeight = 0;
    int n = getNumChildren();
    for (int i = 1; i < n; i++) {
        SoNode *child = getChild(i);
        if (!child->isOfType(ZnNote::getClassTypeId()))
            continue;
        ZnNote *note = (ZnNote *)child;
        if (note->getIconWidth() > maxIconWidth)
            maxIconWidth = note->getIconWidth();
        if (note->getIconHeight() > maxIconHeight)
            maxIconHeight = note->getIconHeight();
    }

    int perRow, rows;
    if (iconsPerRow.getValue() <= 0) {
        rows = 1;
        perRow = getNumNotes();
    } else {
        perRow = iconsPerRow.getValue();
        rows = getNumNotes() / perRow + (getNumNotes() % perRow ? 1 : 0);
    }
    int hasLabel = label.getValue().getLength() > 0;
    float fontSize = labelFont->size.getValue();

    SbVec3f origin = keepInView(project(anchor), project(base), perRow > 0 ? perRow : 1, rows,
                                hasLabel ? fontSize : 0, viewport);
    int rowsDone = 0;
    SbVec3f s = origin;
    s[1] += (rows - 1) * (maxIconHeight + ICON_GAP);
    if (hasLabel)
        s[1] += fontSize;
    for (int i = 1; i < n; i++) {
        SoNode *child = getChild(i);
        if (!child->isOfType(ZnNote::getClassTypeId()))
            continue;
        ZnNote *note = (ZnNote *)child;
        int dx = (maxIconWidth - note->getIconWidth()) / 2;
        int dy = (maxIconHeight - note->getIconHeight()) / 2;
        note->setOffset(backProject(SbVec3f(s[0] + dx, s[1] + dy, s[2])));
        if (perRow > 0 && findNote(note) % perRow == perRow - 1) {
            rowsDone++;
            s = origin;
            s[1] += (rows - rowsDone - 1) * (maxIconHeight + ICON_GAP);
            if (hasLabel)
                s[1] += fontSize;
        } else {
            s[0] += maxIconWidth + ICON_GAP;
        }
    }
    if (hasLabel)
        labelTranslation->translation = backProject(origin);
}

// Traversals.

void ZnNoteList::GLRender(SoGLRenderAction *action)
{
    const SoPath *cam = ZnCommon::cameraPath;
    if (!cam || cam->getLength() != 2)
        ZnCommon::updateCameraPath(action->getCurPath()->getHead());
    if (!visible)
        return;
    SoState *state = action->getState();
    if (!offsetsValid || getNumChildren() != lastChildCount)
        computeOffsets(state);
    offsetsValid = FALSE;
    lastChildCount = getNumChildren();
    // The icons' places follow the camera: no cache may keep them.
    SoCacheElement::invalidate(state);
    SoGroup::GLRender(action);
}

void ZnNoteList::getBoundingBox(SoGetBoundingBoxAction *action)
{
    computeOffsets(action->getState());
    offsetsValid = TRUE;
    SoGroup::getBoundingBox(action);
}

void ZnNoteList::doAction(SoAction *action)
{
    if (visible)
        SoGroup::doAction(action);
}

void ZnNoteList::handleEvent(SoHandleEventAction *action)
{
    if (visible)
        SoGroup::handleEvent(action);
}

void ZnNoteList::rayPick(SoRayPickAction *action)
{
    if (visible)
        SoNode::rayPick(action);
}

// Automatic playback.

void ZnNoteList::autoPlay()
{
    if (getNumChildren() < 2) {
        if (finishCallback)
            (*finishCallback)(finishCallbackData, NULL);
        return;
    }
    lastAutoPlayIndex = -1;
    for (int i = 1; i < getNumChildren(); i++) {
        SoNode *child = getChild(i);
        if (child->isOfType(ZnNote::getClassTypeId()) &&
            ((ZnNote *)child)->autoPlayable.getValue())
            lastAutoPlayIndex = i;
    }
    currentIndex = 0;
    autoPlayNext();
}

void ZnNoteList::autoPlayNext()
{
    for (int i = currentIndex; i < getNumChildren(); i++) {
        SoNode *child = getChild(i);
        if (!child->isOfType(ZnNote::getClassTypeId()) ||
            !((ZnNote *)child)->autoPlayable.getValue())
            continue;
        ZnNote *note = (ZnNote *)child;
        int next = note->startNextNote.getValue();
        if (next == 1) {
            note->playerFinishedCallback = &ZnNoteList::noteFinishedCB;
            note->playerFinishedCallbackData = this;
        }
        currentNote = note;
        currentIndex = i;
        note->play(TRUE);
        if (next == 1)
            return;
        if (next == 2) {
            timer->setTimeFromNow(SbTime(note->nextNoteDelay.getValue()));
            timer->schedule();
            return;
        }
    }
}

void ZnNoteList::timeForNextNoteCB(void *data, SoSensor *)
{
    ((ZnNoteList *)data)->startNextNote();
}

void ZnNoteList::noteFinishedCB(void *data, int)
{
    timeForNextNoteCB(data, NULL);
}

void ZnNoteList::startNextNote()
{
    if (!isAutoPlaying())
        return;
    if (currentIndex < lastAutoPlayIndex) {
        currentIndex++;
        autoPlayNext();
    } else if (finishCallback) {
        (*finishCallback)(finishCallbackData, NULL);
    }
}

void ZnNoteList::killAllPlayers()
{
    for (int i = 1; i < getNumChildren(); i++) {
        SoNode *child = getChild(i);
        if (!child->isOfType(ZnNote::getClassTypeId()))
            continue;
        ZnNote *note = (ZnNote *)child;
        note->playerFinishedCallback = NULL;
        note->playerFinishedCallbackData = NULL;
        if (note->isPlaying())
            note->killPlayer();
    }
    if (pendingNote)
        pendingNote->killPlayer();
}

void ZnNoteList::pause()
{
    if (timer->isScheduled())
        timer->unschedule();
    killAllPlayers();
}

void ZnNoteList::stop()
{
    pause();
    currentIndex = 0;
    currentNote = NULL;
}

// Pending note.

void ZnNoteList::setPendingNote(ZnNote *note)
{
    if (note) {
        note->isPendingNote = TRUE;
        note->ref();
        pendingNote = note;
        return;
    }
    if (!pendingNote)
        return;
    pendingNote->isPendingNote = FALSE;
    pendingNote->pendingReadyCallback = NULL;
    pendingNote->pendingFinishedCallback = NULL;
    pendingNote->unref();
    pendingNote = NULL;
}

void ZnNoteList::resolvePendingNote(int accept)
{
    ZnNote *note = pendingNote;
    if (!note)
        return;
    if (!accept) {
        if (note->gatherPendingData(FALSE) && note->pendingReadyCallback)
            (*note->pendingReadyCallback)(note, 0);
        return;
    }
    if (note->gatherPendingData(TRUE)) {
        addChild(note);
        note->killPlayer();
    }
    if (note->pendingFinishedCallback)
        (*note->pendingFinishedCallback)(note, 0);
}

// The notes.

int ZnNoteList::findNote(ZnNote *note)
{
    int i = findChild(note);
    return i > 0 ? i - 1 : -1;
}

int ZnNoteList::getNumNotes()
{
    int n = getNumChildren();
    return n > 0 ? n - 1 : 0;
}

int ZnNoteList::getUndoWeight()
{
    int weight = 1500;
    for (int i = 1; i < getNumChildren(); i++) {
        SoNode *child = getChild(i);
        if (child->isOfType(ZnNote::getClassTypeId()))
            weight += ((ZnNote *)child)->getUndoWeight();
    }
    return weight;
}

void ZnNoteList::fullExternalNoteNames(const char *dirName)
{
    for (int i = 1; i < getNumChildren(); i++) {
        SoNode *child = getChild(i);
        if (!child->isOfType(ZnNote::getClassTypeId()))
            continue;
        ZnNote *note = (ZnNote *)child;
        if (note->isDataFileTemp() || !note->getDataFilename())
            continue;
        SbString fullName;
        note->makeNameFullPath(fullName, dirName);
        note->setDataFilename(fullName.getString(), TRUE);
    }
}

void ZnNoteList::shift(ZnNote *note, SoFullPath *path, int by)
{
    if (!note)
        return;
    note->ref();
    int k = findNote(note);
    int movable = by < 0 ? k > 0 : (k >= 0 && k < getNumNotes() - 1);
    if (movable) {
        removeChild(k + 1);
        insertChild(note, k + 1 + by);
        if (path) {
            SoPath *p = path;  // the toolkit's SoFullPath is a view of an SoPath
            p->append(note);
        }
    }
    note->unref();
    offsetsValid = FALSE;
}

void ZnNoteList::shiftLeft(ZnNote *note, SoFullPath *path) { shift(note, path, -1); }

void ZnNoteList::shiftRight(ZnNote *note, SoFullPath *path) { shift(note, path, 1); }

// File form: the label sub-graph is the list's own and never written.

void ZnNoteList::write(SoWriteAction *action)
{
    assert(firstChild != NULL);
    // Taking the label out and back is no change to the scene.
    SbBool notify = enableNotify(FALSE);
    firstChild->ref();
    removeChild(firstChild);
    SoGroup::write(action);
    insertChild(firstChild, 0);
    firstChild->unref();
    enableNotify(notify);
}

SbBool ZnNoteList::readInstance(SoInput *in, unsigned short flags)
{
    SbBool ok = SoGroup::readInstance(in, flags);
    if (ok)
        labelText->string = label.getValue();
    return ok;
}

// A copy has its own label sub-graph, not a copy of the original's.
void ZnNoteList::copyContents(const SoFieldContainer *from, SbBool copyConnections)
{
    SoGroup::copyContents(from, copyConnections);
    int own = findChild(firstChild);
    if (own < 0)
        replaceChild(0, firstChild);
    else if (getNumChildren() > 1)
        removeChild(own == 0 ? 1 : 0);
    labelText->string = label.getValue();
}
