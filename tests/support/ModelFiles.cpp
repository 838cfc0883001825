#include "support/ModelFiles.h"

#include <stdint.h>
#include <string.h>

#include <stb/stb_image_write.h>

#include "support/TempDir.h"

namespace GspModels {

const unsigned char CHECKER[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

namespace {

std::string write(const std::string &dir, const char *name, const std::string &bytes)
{
    TempDir::writeFile(dir + "/" + name, bytes);
    return dir + "/" + name;
}

template <class T> void put(std::string &to, T value)
{
    to.append((const char *)&value, sizeof value);
}

void pngWriter(void *to, void *data, int size) { ((std::string *)to)->append((char *)data, size); }

std::string png()
{
    std::string bytes;
    stbi_write_png_to_func(pngWriter, &bytes, 2, 2, 3, CHECKER, 6);
    return bytes;
}

}

std::string obj(const std::string &dir)
{
    write(dir, "box.mtl",
          "newmtl red\nKd 1 0 0\nKs 0.5 0.5 0.5\nNs 64\n"
          "newmtl blue\nKd 0 0 1\nd 0.5\n");
    return write(dir, "box.obj",
                 "mtllib box.mtl\no Box\n"
                 "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\n"
                 "usemtl red\nf 1 2 3 4\nusemtl blue\nf 1 2 6 5\nl 1 5\n");
}

std::string asciiStl(const std::string &dir)
{
    return write(dir, "tri.stl",
                 "solid t\nfacet normal 0 0 1\nouter loop\n"
                 "vertex 0 0 0\nvertex 2 0 0\nvertex 0 3 0\n"
                 "endloop\nendfacet\nendsolid t\n");
}

std::string binaryStl(const std::string &dir)
{
    const float tris[2][12] = {{0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0},
                               {0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0}};
    std::string bytes(80, ' ');
    put<uint32_t>(bytes, 2);
    for (const auto &t : tris) {
        bytes.append((const char *)t, sizeof t);
        put<uint16_t>(bytes, 0);
    }
    return write(dir, "two.stl", bytes);
}

std::string ply(const std::string &dir)
{
    return write(dir, "coloured.ply",
                 "ply\nformat ascii 1.0\nelement vertex 3\n"
                 "property float x\nproperty float y\nproperty float z\n"
                 "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                 "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
                 "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 255\n3 0 1 2\n");
}

std::string gltf(const std::string &dir, bool binary)
{
    // Positions, texture coordinates (the image's top at v = 0), indices.
    const float positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const float uv[] = {0, 1, 1, 1, 1, 0, 0, 0};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    std::string bin((const char *)positions, sizeof positions);
    bin.append((const char *)uv, sizeof uv);
    bin.append((const char *)indices, sizeof indices);
    std::string image = png();
    size_t imageAt = bin.size();
    if (binary)
        bin += image;
    while (bin.size() % 4)
        bin += '\0';
    std::string json =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"name\":\"Parent\",\"translation\":[10,0,0],\"children\":[1]},"
        "{\"name\":\"Child\",\"scale\":[2,2,2],\"mesh\":0}],"
        "\"meshes\":[{\"name\":\"Quad\",\"primitives\":[{\"attributes\":"
        "{\"POSITION\":0,\"TEXCOORD_0\":1},\"indices\":2,\"material\":0}]}],"
        "\"materials\":[{\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":0},"
        "\"metallicFactor\":0}}],"
        "\"textures\":[{\"source\":0}],\"images\":[" +
        std::string(binary ? "{\"bufferView\":3,\"mimeType\":\"image/png\"}"
                           : "{\"uri\":\"checker.png\"}") +
        "],\"buffers\":[{" + (binary ? "" : "\"uri\":\"tree.bin\",") +
        "\"byteLength\":" + std::to_string(bin.size()) + "}],\"bufferViews\":["
        "{\"buffer\":0,\"byteOffset\":0,\"byteLength\":48},"
        "{\"buffer\":0,\"byteOffset\":48,\"byteLength\":32},"
        "{\"buffer\":0,\"byteOffset\":80,\"byteLength\":12},"
        "{\"buffer\":0,\"byteOffset\":" + std::to_string(imageAt) +
        ",\"byteLength\":" + std::to_string(image.size()) + "}],\"accessors\":["
        "{\"bufferView\":0,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\","
        "\"min\":[0,0,0],\"max\":[1,1,0]},"
        "{\"bufferView\":1,\"componentType\":5126,\"count\":4,\"type\":\"VEC2\"},"
        "{\"bufferView\":2,\"componentType\":5123,\"count\":6,\"type\":\"SCALAR\"}]}";
    if (!binary) {
        write(dir, "checker.png", image);
        write(dir, "tree.bin", bin);
        return write(dir, "tree.gltf", json);
    }
    return write(dir, "tree.glb", glb(json, bin));
}

std::string zUp(const std::string &dir)
{
    return write(
        dir, "pole.dae",
        "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/"
        "COLLADASchema\" version=\"1.4.1\">\n"
        "<asset><unit meter=\"0.01\"/><up_axis>Z_UP</up_axis></asset>\n"
        "<library_geometries><geometry id=\"g\"><mesh><source id=\"p\">"
        "<float_array id=\"a\" count=\"9\">0 0 0 100 0 0 0 0 300</float_array>"
        "<technique_common><accessor source=\"#a\" count=\"3\" stride=\"3\">"
        "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
        "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>"
        "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>"
        "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
        "<p>0 1 2</p></triangles></mesh></geometry></library_geometries>\n"
        "<library_visual_scenes><visual_scene id=\"s\"><node id=\"Pole\">"
        "<instance_geometry url=\"#g\"/></node></visual_scene></library_visual_scenes>\n"
        "<scene><instance_visual_scene url=\"#s\"/></scene></COLLADA>\n");
}

}
