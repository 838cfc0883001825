#include <Glosspin/SoGraphPaper.h>

#include <math.h>

#include <algorithm>
#include <vector>

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoFaceSet.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoLineSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include "init/ToolkitMacros.h"

SO_KIT_SOURCE(SoGraphPaper);

namespace {
// More lines than this either way is a damaged field, not a grid: none
// are drawn.
const double MAX_LINES = 100000;

// First and last multiples of s that count as grid positions between lo
// and hi: an edge on a multiple carries a line only when it lies on the
// far side of zero.
void gridRange(float lo, float hi, float s, float &first, float &last)
{
    first = lo < 0 ? lo - fmodf(lo, s) : lo - fmodf(lo, s) + s;
    last = hi > 0 ? hi - fmodf(hi, s) : hi - fmodf(hi, s) - s;
}

int lineCount(float first, float last, float s)
{
    double n = trunc((double)(last - first) / s + 1.5);
    return n < 0 || n > MAX_LINES ? (n < 0 ? 0 : -1) : (int)n;
}

void setHeight(SoTranslation *t, float y)
{
    if (t->translation.getValue() != SbVec3f(0, y, 0))
        t->translation = SbVec3f(0, y, 0);
}
}

void SoGraphPaper::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO__KIT_INIT_CLASS(SoGraphPaper, "GraphPaper", SoBaseKit);
}

SoGraphPaper::SoGraphPaper() : paperShown(TRUE)
{
    GSP_KIT_CONSTRUCTOR(SoGraphPaper);

    SO_KIT_ADD_CATALOG_ENTRY(paperSeparator, SoSeparator, TRUE, this, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(paperHeightPlacer, SoTranslation, TRUE, paperSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(paperAppearance, SoGroup, TRUE, paperSeparator, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(paperCoordinate3, SoCoordinate3, TRUE, paperSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(paperFaceSet, SoFaceSet, TRUE, paperSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineSeparator, SoSeparator, TRUE, this, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineHeightPlacer, SoTranslation, TRUE, lineSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineAppearance, SoGroup, TRUE, lineSeparator, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(lineNormalBinding, SoNormalBinding, TRUE, lineSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineNormal, SoNormal, TRUE, lineSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineCoordinate3, SoCoordinate3, TRUE, lineSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(lineLineSet, SoLineSet, TRUE, lineSeparator, , FALSE);

    SO_KIT_ADD_FIELD(left, (-4));
    SO_KIT_ADD_FIELD(right, (4));
    SO_KIT_ADD_FIELD(near, (4));
    SO_KIT_ADD_FIELD(far, (-4));
    SO_KIT_ADD_FIELD(paperHeight, (0));
    SO_KIT_ADD_FIELD(lineHeight, (0.01f));
    SO_KIT_ADD_FIELD(gridSpacing, (1));
    SO_KIT_INIT_INSTANCE();

    // Blue lines on a pale sheet, as printed graph paper.
    SoMaterial *lineMaterial = new SoMaterial;
    lineMaterial->diffuseColor.setValue(0.3f, 0.45f, 0.9f);
    lineMaterial->emissiveColor.setValue(0.15f, 0.2f, 0.45f);
    SO_GET_ANY_PART(this, "lineAppearance", SoGroup)->addChild(lineMaterial);
    SoMaterial *paperMaterial = new SoMaterial;
    paperMaterial->diffuseColor.setValue(0.9f, 0.9f, 0.85f);
    SO_GET_ANY_PART(this, "paperAppearance", SoGroup)->addChild(paperMaterial);
    SO_GET_ANY_PART(this, "lineNormalBinding", SoNormalBinding)->value = SoNormalBinding::OVERALL;
    SO_GET_ANY_PART(this, "lineNormal", SoNormal)->vector.setValue(0, 1, 0);

    for (int i = 0; i < NUM_FIELDS; i++) {
        sensors[i] = new SoFieldSensor(&SoGraphPaper::fieldSensorCB, this);
        sensors[i]->setPriority(0);
    }
    setUpConnections(TRUE, TRUE);
    showPaper(FALSE);
}

SoGraphPaper::~SoGraphPaper()
{
    for (int i = 0; i < NUM_FIELDS; i++)
        delete sensors[i];
}

void SoGraphPaper::showPaper(SbBool show)
{
    paperShown = show;
    if (!show) {
        setAnyPart("paperFaceSet", NULL);
        return;
    }
    SoFaceSet *faces = SO_GET_ANY_PART(this, "paperFaceSet", SoFaceSet);
    faces->startIndex = 0;
    faces->numVertices = -1;
}

SbBool SoGraphPaper::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    SoField *fields[NUM_FIELDS] = {&left, &right, &near, &far, &paperHeight, &lineHeight,
                                   &gridSpacing};
    if (onOff) {
        inherited::setUpConnections(onOff, doItAlways);
        rebuild();
        for (int i = 0; i < NUM_FIELDS; i++)
            if (sensors[i]->getAttachedField() != fields[i])
                sensors[i]->attach(fields[i]);
    } else {
        for (int i = 0; i < NUM_FIELDS; i++)
            if (sensors[i]->getAttachedField())
                sensors[i]->detach();
        inherited::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

// Everything below is rebuilt from the fields; the look is the library's.
void SoGraphPaper::setDefaultOnNonWritingFields()
{
    inherited::setDefaultOnNonWritingFields();
    SoSFNode *derived[] = {&paperHeightPlacer, &paperAppearance, &paperCoordinate3,
                           &paperFaceSet, &lineHeightPlacer, &lineAppearance,
                           &lineNormalBinding, &lineNormal, &lineCoordinate3, &lineLineSet};
    for (SoSFNode *part : derived)
        part->setDefault(TRUE);
}

void SoGraphPaper::fieldSensorCB(void *data, SoSensor *)
{
    ((SoGraphPaper *)data)->rebuild();
}

void SoGraphPaper::rebuild()
{
    setHeight(SO_GET_ANY_PART(this, "paperHeightPlacer", SoTranslation), paperHeight.getValue());
    setHeight(SO_GET_ANY_PART(this, "lineHeightPlacer", SoTranslation), lineHeight.getValue());

    float xmin = std::min(left.getValue(), right.getValue());
    float xmax = std::max(left.getValue(), right.getValue());
    float zmin = std::min(near.getValue(), far.getValue());
    float zmax = std::max(near.getValue(), far.getValue());
    float s = gridSpacing.getValue();

    SoCoordinate3 *paper = SO_GET_ANY_PART(this, "paperCoordinate3", SoCoordinate3);
    const SbVec3f corners[4] = {SbVec3f(xmin, 0, zmin), SbVec3f(xmin, 0, zmax),
                                SbVec3f(xmax, 0, zmax), SbVec3f(xmax, 0, zmin)};
    paper->point.setValues(0, 4, corners);
    paper->point.setNum(4);

    std::vector<SbVec3f> points;
    if (s > 0 && isfinite(s)) {
        float x0, x1, z0, z1;
        gridRange(xmin, xmax, s, x0, x1);
        gridRange(zmin, zmax, s, z0, z1);
        int nz = lineCount(z0, z1, s), nx = lineCount(x0, x1, s);
        if (nz >= 0 && nx >= 0) {
            points.reserve(2 * (nz + nx));
            for (int k = 0; k < nz; k++) {
                points.push_back(SbVec3f(xmin, 0, z0 + k * s));
                points.push_back(SbVec3f(xmax, 0, z0 + k * s));
            }
            for (int k = 0; k < nx; k++) {
                points.push_back(SbVec3f(x0 + k * s, 0, zmin));
                points.push_back(SbVec3f(x0 + k * s, 0, zmax));
            }
        }
    }
    SoCoordinate3 *coords = SO_GET_ANY_PART(this, "lineCoordinate3", SoCoordinate3);
    coords->point.setNum((int)points.size());
    if (!points.empty())
        coords->point.setValues(0, (int)points.size(), points.data());
    SoLineSet *lines = SO_GET_ANY_PART(this, "lineLineSet", SoLineSet);
    std::vector<int32_t> twos(points.size() / 2, 2);
    lines->numVertices.setNum((int)twos.size());
    if (!twos.empty())
        lines->numVertices.setValues(0, (int)twos.size(), twos.data());
}
