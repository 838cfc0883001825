#include <Glosspin/ZnBulletMarker.h>

#include <string.h>

#include <Glosspin/SoScreenCompoundDragger.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>

#include "init/ToolkitMacros.h"
#include "markers/DraggerFieldDefaults.h"
#include "markers/MarkerTransforms.h"

SO_KIT_SOURCE(ZnBulletMarker);

SbColor ZnBulletMarker::defaultColor(0, 1, 1);
SoScreenCompoundDragger *ZnBulletMarker::bulletDragger = NULL;
SoSeparator *ZnBulletMarker::bulletGeom = NULL;

// The unit octahedron: vertices at +-1 on each axis, eight faces.
const char ZnBulletMarker::geomBuffer[] =
    "Separator {\n"
    "  Coordinate3 { point [\n"
    "    0 0 1, 1 0 0, 0 1 0,  -1 0 0, 0 0 1, 0 1 0,\n"
    "    1 0 0, 0 0 1, 0 -1 0,  0 0 1, -1 0 0, 0 -1 0,\n"
    "    1 0 0, 0 0 -1, 0 1 0,  0 0 -1, -1 0 0, 0 1 0,\n"
    "    0 0 -1, 1 0 0, 0 -1 0,  -1 0 0, 0 0 -1, 0 -1 0 ] }\n"
    "  FaceSet { numVertices [ 3, 3, 3, 3, 3, 3, 3, 3 ] }\n"
    "}\n";

void ZnBulletMarker::initClass()
{
    if (ZnMarker::getClassTypeId() == SoType::badType())
        ZnMarker::initClass();
    // The catalog names the dragger.
    if (SoScreenCompoundDragger::getClassTypeId() == SoType::badType())
        SoScreenCompoundDragger::initClass();
    SO__KIT_INIT_CLASS(ZnBulletMarker, "ZnBulletMarker", ZnMarker);
}

ZnBulletMarker::ZnBulletMarker()
{
    GSP_KIT_CONSTRUCTOR(ZnBulletMarker);
    SO_KIT_ADD_CATALOG_ENTRY(localTransform, SoTransform, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(dragger, SoScreenCompoundDragger, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(draggerTransform, SoTransform, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(bullet, SoSeparator, TRUE, geomSeparator, , TRUE);
    SO_KIT_INIT_INSTANCE();

    if (!bulletGeom) {
        SoInput in;
        in.setBuffer((void *)geomBuffer, strlen(geomBuffer));
        bulletGeom = SoDB::readAll(&in);
        if (bulletGeom)
            bulletGeom->ref();
    }
    setPartAsDefault("bullet", bulletGeom, TRUE);
    SoMaterial *m = (SoMaterial *)getPart("material", TRUE);
    m->diffuseColor = defaultColor * 0.6f;
    m->ambientColor = defaultColor * 0.5f;
    setDefaultNoteAnchor();
}

ZnBulletMarker::~ZnBulletMarker() {}

SoTransform *ZnBulletMarker::getDraggerTransform()
{
    return (SoTransform *)getPart("draggerTransform", TRUE);
}

// The icons start just outside the octahedron, to the screen's right.
void ZnBulletMarker::setDefaultNoteAnchor()
{
    ((ZnNoteList *)getPart("notes", TRUE))->setAnchor(SbVec3f(0, 0, 0), 0.0f, 1.2f);
}

SbColor *ZnBulletMarker::getDefaultColor() { return &defaultColor; }

int ZnBulletMarker::getUndoWeight() { return inherited::getUndoWeight() + 808; }

SoDragger *ZnBulletMarker::getDragger()
{
    if (!bulletDragger) {
        bulletDragger = new SoScreenCompoundDragger;
        bulletDragger->ref();
    }
    return bulletDragger;
}

// Translation and scale are connected both ways: the drag moves the
// bullet, and setting its placement moves the dragger.
void ZnBulletMarker::attachDragger()
{
    SoScreenCompoundDragger *d = (SoScreenCompoundDragger *)getDragger();
    setPart("dragger", d);
    SoTransform *dt = getDraggerTransform();
    draggedFields->remember({&dt->translation, &dt->scaleFactor});
    d->translation = dt->translation.getValue();
    d->scaleFactor = dt->scaleFactor.getValue();
    dt->translation.connectFrom(&d->translation);
    dt->scaleFactor.connectFrom(&d->scaleFactor);
    d->translation.connectFrom(&dt->translation);
    d->scaleFactor.connectFrom(&dt->scaleFactor);
}

// Undoes only this marker's connections: the dragger may already serve
// another bullet marker.
void ZnBulletMarker::detachDragger()
{
    SoTransform *dt = getDraggerTransform();
    SoScreenCompoundDragger *d = bulletDragger;
    if (d) {
        SoField *from = NULL;
        if (d->translation.getConnectedField(from) && from == &dt->translation)
            d->translation.disconnect();
        if (d->scaleFactor.getConnectedField(from) && from == &dt->scaleFactor)
            d->scaleFactor.disconnect();
    }
    dt->translation.disconnect();
    dt->scaleFactor.disconnect();
    draggedFields->restore();
    if (d && getPart("dragger", FALSE) == d)
        setPart("dragger", NULL);
}

// Transforms that change nothing stay out of files.
void ZnBulletMarker::setDefaultOnNonWritingFields()
{
    gspSkipIdentityPart(localTransform);
    gspSkipIdentityPart(draggerTransform);
    inherited::setDefaultOnNonWritingFields();
}

SbBool ZnBulletMarker::readInstance(SoInput *in, unsigned short flags)
{
    SbBool ok = inherited::readInstance(in, flags);
    if (ok)
        gspFoldTransformPart(this, "localTransform", "draggerTransform");
    return ok;
}
