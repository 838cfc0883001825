#include <Glosspin/SoBoxManip.h>

#include <Inventor/nodes/SoSurroundScale.h>

#include <Glosspin/SoBoxDragger.h>

SO_NODE_SOURCE(SoBoxManip);

namespace {
SoBoxDragger *boxDragger(SoTransformManip *m)
{
    SoDragger *d = m->getDragger();
    return d && d->isOfType(SoBoxDragger::getClassTypeId()) ? (SoBoxDragger *)d : NULL;
}
}

void SoBoxManip::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoHideableTransformManip::initClass();
    SoBoxDragger::initClass();
    SO__NODE_INIT_CLASS(SoBoxManip, "BoxManip", SoHideableTransformManip);
}

// The box surrounds what follows the manipulator in its parent: the
// container is four nodes up the dragger's path (dragger, manipulator,
// parent), the reset three.
SoBoxManip::SoBoxManip()
{
    SO_NODE_CONSTRUCTOR(SoBoxManip);
    SoBoxDragger *d = new SoBoxDragger;
    setDragger(d);
    SoSurroundScale *ss = (SoSurroundScale *)d->getPart("surroundScale", TRUE);
    ss->numNodesUpToContainer = 4;
    ss->numNodesUpToReset = 3;
}

SoBoxManip::~SoBoxManip()
{
}

void SoBoxManip::unsquishKnobs()
{
    if (SoBoxDragger *d = boxDragger(this))
        d->unsquishKnobs();
}

SbBool SoBoxManip::isLocateHighlighting()
{
    SoBoxDragger *d = boxDragger(this);
    return d && d->isLocateHighlighting();
}

void SoBoxManip::setLocateHighlighting(SbBool onOff)
{
    if (SoBoxDragger *d = boxDragger(this))
        d->setLocateHighlighting(onOff);
}
