#ifndef GLOSSPIN_ZNMODELIMPORTER_H
#define GLOSSPIN_ZNMODELIMPORTER_H

#include <Inventor/SbString.h>

#include <stddef.h>

class SoSeparator;

/// Brings a model of another format (glTF and GLB, OBJ, STL, PLY, FBX,
/// Collada, 3DS and every other one the Open Asset Import Library reads)
/// into the toolkit's own nodes, so that it can be annotated and saved as
/// a scene file that stands alone:
/// - a separator per source node, named after it, with its transform;
/// - a separator per mesh, named after it (names made legal for DEF and
///   unique within the result), shared where the source instances it,
///   holding its material, base-colour texture (decoded into the texture
///   node's image), coordinates, normals, per-vertex colours and texture
///   coordinates as an indexed face set, line set or point set;
/// - Z-up sources turned to Y-up, and sizes in metres where the source
///   states its unit.
/// A texture that cannot be read is a warning; the model comes in without
/// it. A file that cannot be read gives NULL and the reason.
class ZnModelImporter {
  public:
    /// A new ZnModelImporter, its fields at their defaults.
    ZnModelImporter();
    ~ZnModelImporter();

    /// The model in filename as a new scene graph with a reference count
    /// of zero, or NULL with getErrorMessage() saying why.
    SoSeparator *readFile(const char *filename);
    /// The same from bytes in memory; extension ("glb", "stl", ...) names
    /// the format. Textures in other files are not found.
    SoSeparator *readMemory(const void *bytes, size_t size, const char *extension);

    /// Why the last read failed: the model library's own reason.
    const SbString &getErrorMessage() const { return error; }
    /// What the last read left out, one line each.
    ///@{
    int getNumWarnings() const;
    const SbString &getWarning(int i) const;
    ///@}

    /// What the last read brought in.
    ///@{
    int getNumNodes() const { return nodes; }
    int getNumMeshes() const { return meshes; }
    long getNumTriangles() const { return triangles; }
    int getNumTextures() const { return textures; }
    ///@}
    /// The format's name, as the model library gives it ("glTF 2.0").
    const SbString &getFormatName() const { return format; }

    /// Whether filename ends in an extension of a format that can be read
    /// (the toolkit's own ".iv" is not one).
    static SbBool isModelFile(const char *filename);
    /// Every such extension as file name patterns, "*.glb *.gltf ...".
    static SbString getFilePatterns();

  private:
    struct Reading;
    Reading *reading;
    SbString error, format;
    int nodes, meshes, textures;
    long triangles;

    ZnModelImporter(const ZnModelImporter &);
    ZnModelImporter &operator=(const ZnModelImporter &);
    SoSeparator *convert(void *scene, const char *directory);
};

#endif
