#ifndef GLOSSPIN_PUBLISH_SCENECAPTURE_H
#define GLOSSPIN_PUBLISH_SCENECAPTURE_H

#include <Inventor/SbLinear.h>

#include <stdint.h>
#include <map>
#include <string>
#include <vector>

class SoNode;
class ZnMarker;
class ZnNoteList;

// One shape as the toolkit draws it: its triangles, line segments or
// points in world coordinates, vertices shared where they are equal.
struct GspCapturedShape {
    enum Mode { POINTS = 0, LINES = 1, TRIANGLES = 4 };
    int mode = TRIANGLES;
    int marker = -1;  // index of the marker it belongs to, -1 for the scene
    std::string name;
    std::vector<float> positions, normals, uvs, colors;  // 3, 3, 2, 4 a vertex
    std::vector<uint32_t> indices;
    int texture = -1;  // index into the captured textures
    bool unlit = false;
    float specular[3] = {0, 0, 0}, emissive[3] = {0, 0, 0}, shininess = 0.2f;
};

// A marker met in the scene, with the place its note icons hang from.
struct GspCapturedMarker {
    ZnMarker *marker = nullptr;
    ZnNoteList *notes = nullptr;
    SbMatrix notesMatrix = SbMatrix::identity();  // the note list's model matrix
};

// Everything the callback action draws under a root, but for note
// icons, labels and draggers (the page draws those itself). Textures are
// PNG files in memory.
struct GspSceneCapture {
    std::vector<GspCapturedShape> shapes;
    std::vector<GspCapturedMarker> markers;  // in traversal order
    std::vector<std::string> textures;

    void capture(SoNode *root);
    // The marker's index in markers, -1 when it was not met.
    int markerIndex(const ZnMarker *m) const;

  private:
    std::map<const ZnMarker *, int> indexOf;
};

#endif
