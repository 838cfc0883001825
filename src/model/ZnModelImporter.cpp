#include <Glosspin/ZnModelImporter.h>

#include <ctype.h>
#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoSeparator.h>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "model/KnownFaults.h"
#include "model/ModelConversion.h"

struct ZnModelImporter::Reading {
    std::vector<SbString> warnings;
};

namespace {

// Polygons cut into triangles (points and lines stay), each mesh of one
// kind of primitive, and a model whose indices or counts do not hold
// refused before it is looked into.
const unsigned FLAGS = aiProcess_Triangulate | aiProcess_SortByPType |
                       aiProcess_ValidateDataStructure;

void configure(Assimp::Importer &importer)
{
    importer.SetPropertyBool(AI_CONFIG_FBX_CONVERT_TO_M, true);
}

std::string extensionOf(const char *filename)
{
    std::string name = filename ? filename : "";
    size_t dot = name.rfind('.'), slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = name.substr(dot + 1);
    for (char &c : ext)
        c = (char)tolower((unsigned char)c);
    return ext;
}

std::string directoryOf(const char *filename)
{
    std::string name = filename;
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
}

// A file that states its axes (FBX does) turned so that its up is the
// toolkit's Y and its front the toolkit's Z.
void turnToYUp(const aiScene *scene)
{
    const aiMetadata *meta = scene->mMetaData;
    int up, upSign, front, frontSign, coord, coordSign;
    if (!meta || !meta->Get("UpAxis", up) || !meta->Get("UpAxisSign", upSign) ||
        !meta->Get("FrontAxis", front) || !meta->Get("FrontAxisSign", frontSign) ||
        !meta->Get("CoordAxis", coord) || !meta->Get("CoordAxisSign", coordSign))
        return;
    if (up < 0 || up > 2 || front < 0 || front > 2 || coord < 0 || coord > 2)
        return;
    aiVector3D x, y, z;
    x[(unsigned)coord] = (float)coordSign;
    y[(unsigned)up] = (float)upSign;
    z[(unsigned)front] = (float)frontSign;
    aiMatrix4x4 turn(x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, 0, 0, 0, 1);
    scene->mRootNode->mTransformation = turn * scene->mRootNode->mTransformation;
}

}

ZnModelImporter::ZnModelImporter()
    : reading(new Reading), nodes(0), meshes(0), textures(0), triangles(0)
{
}

ZnModelImporter::~ZnModelImporter() { delete reading; }

SoSeparator *ZnModelImporter::readFile(const char *filename)
{
    std::vector<char> head(GspKnownFaults::HEAD_BYTES);
    FILE *f = fopen(filename, "rb");
    size_t n = f ? fread(head.data(), 1, head.size(), f) : 0;
    long total = f && fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
    if (f)
        fclose(f);
    std::string why;
    if (!GspKnownFaults::acceptable(head.data(), n, total < 0 ? n : (size_t)total, why)) {
        error = why.c_str();
        return convert(NULL, "");
    }
    Assimp::Importer importer;
    configure(importer);
    aiScene *scene = importer.ReadFile(filename, FLAGS) ? importer.GetOrphanedScene() : NULL;
    if (!scene)
        error = importer.GetErrorString();
    format = "";
    size_t which = importer.GetImporterIndex(extensionOf(filename).c_str());
    if (const aiImporterDesc *desc = importer.GetImporterInfo(which))
        format = desc->mName;
    return convert(scene, directoryOf(filename).c_str());
}

SoSeparator *ZnModelImporter::readMemory(const void *bytes, size_t size, const char *extension)
{
    std::string why;
    if (!GspKnownFaults::acceptable((const char *)bytes, size, size, why)) {
        error = why.c_str();
        return convert(NULL, "");
    }
    Assimp::Importer importer;
    configure(importer);
    aiScene *scene = importer.ReadFileFromMemory(bytes, size, FLAGS, extension)
                         ? importer.GetOrphanedScene()
                         : NULL;
    if (!scene)
        error = importer.GetErrorString();
    format = "";
    if (const aiImporterDesc *desc = importer.GetImporterInfo(importer.GetImporterIndex(extension)))
        format = desc->mName;
    return convert(scene, "");
}

SoSeparator *ZnModelImporter::convert(void *read, const char *directory)
{
    std::unique_ptr<aiScene> scene((aiScene *)read);
    SoDB::init();  // so that a program of the model tools alone can call it first
    reading->warnings.clear();
    nodes = meshes = textures = 0;
    triangles = 0;
    if (!scene)
        return NULL;
    if (!scene->mNumMeshes || !scene->mRootNode) {
        error = "the model holds no geometry";
        return NULL;
    }
    turnToYUp(scene.get());
    GspModelCounts counts;
    std::vector<std::string> warnings;
    std::string why;
    SoSeparator *root = gspConvertModel(scene.get(), directory, counts, warnings, why);
    nodes = counts.nodes, meshes = counts.meshes, textures = counts.textures;
    triangles = counts.triangles;
    for (const std::string &w : warnings)
        reading->warnings.push_back(w.c_str());
    error = root ? "" : why.c_str();
    return root;
}

int ZnModelImporter::getNumWarnings() const { return (int)reading->warnings.size(); }

const SbString &ZnModelImporter::getWarning(int i) const { return reading->warnings[(size_t)i]; }

namespace {

// The model library's extensions ("*.glb;*.gltf;..."), asked once: each
// question would build every one of its readers.
const std::string &extensionList()
{
    static const std::string list = [] {
        aiString extensions;
        Assimp::Importer().GetExtensionList(extensions);
        return ";" + std::string(extensions.C_Str()) + ";";
    }();
    return list;
}

}

SbBool ZnModelImporter::isModelFile(const char *filename)
{
    std::string ext = extensionOf(filename);
    return !ext.empty() && ext != "iv" &&
           extensionList().find(";*." + ext + ";") != std::string::npos;
}

SbString ZnModelImporter::getFilePatterns()
{
    std::string patterns = extensionList().substr(1, extensionList().size() - 2);
    for (char &c : patterns)
        if (c == ';')
            c = ' ';
    return patterns.c_str();
}
