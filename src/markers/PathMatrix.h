#ifndef GLOSSPIN_MARKERS_PATHMATRIX_H
#define GLOSSPIN_MARKERS_PATHMATRIX_H

class SbMatrix;
class SoGetMatrixAction;
class SoPath;

// The model matrix at the tail of path and its inverse: what the
// toolkit's matrix action finds when applied to the path. The action
// applied to a path visits every child before the path's child in each
// group on the path, at a cost of several path pushes per child; a scene
// of many objects in one group would make that quadratic. Paths through
// plain groups and separators are followed here instead, applying the
// action only to earlier siblings that can move the tail (transforms and
// groups that affect the state); other paths are left to the action.
void gspPathMatrix(SoGetMatrixAction *action, SoPath *path, SbMatrix &matrix, SbMatrix &inverse);

#endif
