// The conversion of a model: its node hierarchy, its meshes with their
// geometry, and the materials and textures they share.
#include "model/ModelConversion.h"

#include <string.h>

#include <map>

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMaterialBinding.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoNormal.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoPointSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTextureCoordinateBinding.h>
#include <Inventor/nodes/SoTransform.h>
#include <assimp/scene.h>

#include "model/ModelTexture.h"
#include "model/NodeNames.h"

static_assert(sizeof(aiVector3D) == sizeof(SbVec3f), "the model library's vectors are floats");

namespace {

// Deeper hierarchies would overflow the toolkit's recursive traversals.
const int MAX_DEPTH = 2000;

class Conversion {
  public:
    Conversion(aiScene *scene, const std::string &directory, GspModelCounts &counts,
               std::vector<std::string> &warnings)
        : scene(scene), directory(directory), counts(counts), warnings(warnings),
          meshNodes(scene->mNumMeshes, nullptr), materials(scene->mNumMaterials, nullptr)
    {
    }
    // The shared nodes are held while the conversion runs, so that those
    // nothing took (a material only vertex colours use, a tree given up)
    // go with it.
    ~Conversion()
    {
        for (SoNode *n : held)
            n->unref();
    }
    SoSeparator *node(const aiNode *source, int depth);

  private:
    aiScene *scene;
    const std::string &directory;
    GspModelCounts &counts;
    std::vector<std::string> &warnings;
    GspNodeNames names;
    std::vector<SoSeparator *> meshNodes;
    std::vector<SoMaterial *> materials;
    std::map<std::string, SoTexture2 *> textures;  // NULL for one that could not be read
    std::vector<SoNode *> held;

    template <class T> T *hold(T *node)
    {
        node->ref();
        held.push_back(node);
        return node;
    }

    SoSeparator *mesh(unsigned index);
    SoMaterial *material(unsigned index);
    SoTexture2 *texture(unsigned index);
    void addGeometry(SoSeparator *to, aiMesh *mesh);
};

SbVec3f colorOf(const aiColor4D &c) { return SbVec3f(c.r, c.g, c.b); }

// A transform the user can edit where the matrix is one (no shear),
// else the matrix as it is.
SoNode *transformOf(const aiMatrix4x4 &m)
{
    aiVector3D scale, position;
    aiQuaternion rotation;
    m.Decompose(scale, rotation, position);
    aiMatrix4x4 again(scale, rotation, position);
    bool exact = true;
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            exact = exact && fabsf(again[r][c] - m[r][c]) <= 1e-5f * (1 + fabsf(m[r][c]));
    if (exact) {
        SoTransform *t = new SoTransform;
        t->translation.setValue(position.x, position.y, position.z);
        t->rotation.setValue(SbRotation(rotation.x, rotation.y, rotation.z, rotation.w));
        t->scaleFactor.setValue(scale.x, scale.y, scale.z);
        return t;
    }
    // The model library's matrices act on column vectors, the toolkit's on rows.
    SoMatrixTransform *t = new SoMatrixTransform;
    SbMatrix sb;
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            sb[r][c] = m[c][r];
    t->matrix = sb;
    return t;
}

SoSeparator *Conversion::node(const aiNode *source, int depth)
{
    if (depth > MAX_DEPTH)
        return NULL;
    SoSeparator *sep = new SoSeparator;
    sep->ref();
    sep->setName(names.take(source->mName.C_Str(), "node").c_str());
    counts.nodes++;
    if (!source->mTransformation.IsIdentity())
        sep->addChild(transformOf(source->mTransformation));
    for (unsigned i = 0; i < source->mNumMeshes; i++)
        if (source->mMeshes[i] < scene->mNumMeshes)
            sep->addChild(mesh(source->mMeshes[i]));
    for (unsigned i = 0; i < source->mNumChildren; i++) {
        SoSeparator *child = node(source->mChildren[i], depth + 1);
        if (!child) {
            sep->unref();
            return NULL;
        }
        sep->addChild(child);
    }
    sep->unrefNoDelete();
    return sep;
}

// A mesh used by several nodes is one shared node.
SoSeparator *Conversion::mesh(unsigned index)
{
    if (meshNodes[index])
        return meshNodes[index];
    aiMesh *source = scene->mMeshes[index];
    SoSeparator *sep = meshNodes[index] = hold(new SoSeparator);
    sep->setName(names.take(source->mName.C_Str(), "mesh").c_str());
    counts.meshes++;
    SoMaterial *shared = material(source->mMaterialIndex);
    if (source->HasVertexColors(0)) {
        // Not copy(): that lets go of the shared material, which nothing
        // holds yet.
        SoMaterial *own = new SoMaterial;
        if (shared)
            own->copyFieldValues(shared);
        own->diffuseColor.setNum((int)source->mNumVertices);
        SbColor *to = own->diffuseColor.startEditing();
        for (unsigned i = 0; i < source->mNumVertices; i++)
            to[i] = colorOf(source->mColors[0][i]);
        own->diffuseColor.finishEditing();
        sep->addChild(own);
        SoMaterialBinding *binding = new SoMaterialBinding;
        binding->value = SoMaterialBinding::PER_VERTEX_INDEXED;
        sep->addChild(binding);
    } else if (shared) {
        sep->addChild(shared);
    }
    if (SoTexture2 *t = source->HasTextureCoords(0) ? texture(source->mMaterialIndex) : NULL)
        sep->addChild(t);
    addGeometry(sep, source);
    return sep;
}

// The toolkit's material from the source's: glTF's metallic-roughness
// base colour becomes the diffuse colour, its metal tints the highlight
// and its smoothness sharpens it.
SoMaterial *Conversion::material(unsigned index)
{
    if (index >= scene->mNumMaterials)
        return NULL;
    if (materials[index])
        return materials[index];
    const aiMaterial *source = scene->mMaterials[index];
    SoMaterial *m = materials[index] = hold(new SoMaterial);
    aiColor4D c;
    float f;
    bool base = source->Get(AI_MATKEY_BASE_COLOR, c) == AI_SUCCESS;
    if (base || source->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS) {
        m->diffuseColor = colorOf(c);
        if (c.a < 1)
            m->transparency = 1 - c.a;
    }
    if (source->Get(AI_MATKEY_OPACITY, f) == AI_SUCCESS && f < 1)
        m->transparency = 1 - f;
    if (source->Get(AI_MATKEY_COLOR_EMISSIVE, c) == AI_SUCCESS)
        m->emissiveColor = colorOf(c);
    float metal, rough;
    if (source->Get(AI_MATKEY_METALLIC_FACTOR, metal) == AI_SUCCESS &&
        source->Get(AI_MATKEY_ROUGHNESS_FACTOR, rough) == AI_SUCCESS) {
        SbColor diffuse = m->diffuseColor[0];
        m->specularColor = SbColor(0.04f, 0.04f, 0.04f) * (1 - metal) + diffuse * metal;
        m->shininess = (1 - rough) * (1 - rough);
        return m;
    }
    if (source->Get(AI_MATKEY_COLOR_AMBIENT, c) == AI_SUCCESS && colorOf(c).length() > 0)
        m->ambientColor = colorOf(c);
    if (source->Get(AI_MATKEY_COLOR_SPECULAR, c) == AI_SUCCESS)
        m->specularColor = colorOf(c);
    // A Phong exponent, up to 128 as OpenGL takes it.
    if (source->Get(AI_MATKEY_SHININESS, f) == AI_SUCCESS)
        m->shininess = f <= 0 ? 0 : f >= 128 ? 1 : f / 128;
    return m;
}

// The material's base-colour image, read once however many meshes use it.
SoTexture2 *Conversion::texture(unsigned index)
{
    if (index >= scene->mNumMaterials)
        return NULL;
    const aiMaterial *source = scene->mMaterials[index];
    aiString name;
    if (source->GetTexture(aiTextureType_BASE_COLOR, 0, &name) != AI_SUCCESS &&
        source->GetTexture(aiTextureType_DIFFUSE, 0, &name) != AI_SUCCESS)
        return NULL;
    auto known = textures.find(name.C_Str());
    if (known != textures.end())
        return known->second;
    std::string why;
    SoTexture2 *t = gspModelTexture(scene, name.C_Str(), directory, why);
    if (t)
        counts.textures++, hold(t);
    else
        warnings.push_back(std::string("texture ") + name.C_Str() + " left out: " + why);
    return textures[name.C_Str()] = t;
}

template <class Field, class Value>
void setAll(Field &field, const Value *values, unsigned n)
{
    field.setNum((int)n);
    memcpy((void *)field.startEditing(), values, sizeof(*values) * n);
    field.finishEditing();
}

// Each array of the source goes as soon as its copy is made, so that a
// large model is not held twice.
template <class T> void release(T *&array)
{
    delete[] array;
    array = nullptr;
}

// Normals all of length: many STL writers leave them zero, and the
// toolkit makes better ones than those.
bool usable(const aiVector3D *normals, unsigned n)
{
    for (unsigned i = 0; i < n; i++)
        if (!(normals[i].SquareLength() > 1e-12f))
            return false;
    return true;
}

bool inside(const aiFace &face, unsigned n)
{
    for (unsigned k = 0; k < face.mNumIndices; k++)
        if (face.mIndices[k] >= n)
            return false;
    return true;
}

// Whether every triangle's corners share one normal and faces are fewer
// than corners (as in STL files, whose triangles share no corners): then
// one normal a face does.
bool flat(const aiMesh *mesh)
{
    if (mesh->mPrimitiveTypes != aiPrimitiveType_TRIANGLE || mesh->mNumFaces >= mesh->mNumVertices)
        return false;
    for (unsigned f = 0; f < mesh->mNumFaces; f++) {
        const aiFace &face = mesh->mFaces[f];
        if (!inside(face, mesh->mNumVertices))
            return false;
        for (unsigned k = 1; k < face.mNumIndices; k++)
            if (mesh->mNormals[face.mIndices[k]] != mesh->mNormals[face.mIndices[0]])
                return false;
    }
    return true;
}

void addNormals(SoSeparator *to, aiMesh *source)
{
    unsigned n = source->mNumVertices;
    if (!source->HasNormals() || !usable(source->mNormals, n))
        return;
    SoNormal *normals = new SoNormal;
    SoNormalBinding *binding = new SoNormalBinding;
    if (flat(source)) {
        normals->vector.setNum((int)source->mNumFaces);
        SbVec3f *to = normals->vector.startEditing();
        for (unsigned f = 0; f < source->mNumFaces; f++) {
            const aiVector3D &v = source->mNormals[source->mFaces[f].mIndices[0]];
            to[f].setValue(v.x, v.y, v.z);
        }
        normals->vector.finishEditing();
        binding->value = SoNormalBinding::PER_FACE;
    } else {
        setAll(normals->vector, (const SbVec3f *)source->mNormals, n);
        binding->value = SoNormalBinding::PER_VERTEX_INDEXED;
    }
    release(source->mNormals);
    to->addChild(normals);
    to->addChild(binding);
}

void addTextureCoordinates(SoSeparator *to, aiMesh *source)
{
    if (!source->HasTextureCoords(0))
        return;
    unsigned n = source->mNumVertices;
    SoTextureCoordinate2 *uv = new SoTextureCoordinate2;
    uv->point.setNum((int)n);
    SbVec2f *p = uv->point.startEditing();
    for (unsigned i = 0; i < n; i++)
        p[i].setValue(source->mTextureCoords[0][i].x, source->mTextureCoords[0][i].y);
    uv->point.finishEditing();
    release(source->mTextureCoords[0]);
    to->addChild(uv);
    SoTextureCoordinateBinding *binding = new SoTextureCoordinateBinding;
    binding->value = SoTextureCoordinateBinding::PER_VERTEX_INDEXED;
    to->addChild(binding);
}

// Faces of three or more corners, lines and points, each as their own
// shape over the mesh's coordinates; corners that are not among them are
// left out.
void Conversion::addGeometry(SoSeparator *to, aiMesh *source)
{
    unsigned n = source->mNumVertices;
    SoCoordinate3 *coords = new SoCoordinate3;
    setAll(coords->point, (const SbVec3f *)source->mVertices, n);
    release(source->mVertices);
    to->addChild(coords);
    addNormals(to, source);
    addTextureCoordinates(to, source);
    size_t faces = 0, lines = 0;
    bool points = false;
    for (unsigned f = 0; f < source->mNumFaces; f++) {
        const aiFace &face = source->mFaces[f];
        if (!inside(face, n))
            continue;
        if (face.mNumIndices >= 3)
            faces += face.mNumIndices + 1, counts.triangles += face.mNumIndices - 2;
        else if (face.mNumIndices == 2)
            lines += 3;
        else if (face.mNumIndices == 1)
            points = true;
    }
    SoIndexedFaceSet *faceSet = faces ? new SoIndexedFaceSet : NULL;
    SoIndexedLineSet *lineSet = lines ? new SoIndexedLineSet : NULL;
    int32_t *faceIndex = NULL, *lineIndex = NULL;
    if (faceSet) {
        faceSet->coordIndex.setNum((int)faces);
        faceIndex = faceSet->coordIndex.startEditing();
    }
    if (lineSet) {
        lineSet->coordIndex.setNum((int)lines);
        lineIndex = lineSet->coordIndex.startEditing();
    }
    for (unsigned f = 0; f < source->mNumFaces; f++) {
        const aiFace &face = source->mFaces[f];
        int32_t *&at = face.mNumIndices >= 3 ? faceIndex : lineIndex;
        if (face.mNumIndices < 2 || !inside(face, n))
            continue;
        for (unsigned k = 0; k < face.mNumIndices; k++)
            *at++ = (int32_t)face.mIndices[k];
        *at++ = -1;
    }
    release(source->mFaces);
    source->mNumFaces = 0;
    if (faceSet) {
        faceSet->coordIndex.finishEditing();
        to->addChild(faceSet);
    }
    if (lineSet) {
        lineSet->coordIndex.finishEditing();
        to->addChild(lineSet);
    }
    // Points alone: the model library gives them as the mesh's vertices.
    if (points && !faces && !lines)
        to->addChild(new SoPointSet);
}

}

SoSeparator *gspConvertModel(aiScene *scene, const std::string &directory,
                             GspModelCounts &counts, std::vector<std::string> &warnings,
                             std::string &why)
{
    if (!scene->mRootNode) {
        why = "the model has no nodes";
        return NULL;
    }
    Conversion conversion(scene, directory, counts, warnings);
    SoSeparator *model = conversion.node(scene->mRootNode, 0);
    if (!model) {
        why = "the model's hierarchy is more than " + std::to_string(MAX_DEPTH) + " levels deep";
        return NULL;
    }
    // Both sides of open surfaces lit; normals the model lacks made by
    // the toolkit, smooth across edges of less than 30 degrees.
    SoSeparator *root = new SoSeparator;
    SoShapeHints *hints = new SoShapeHints;
    hints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
    hints->creaseAngle = 0.5236f;
    root->addChild(hints);
    root->addChild(model);
    return root;
}
