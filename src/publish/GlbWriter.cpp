#include "publish/GlbWriter.h"

#include <float.h>
#include <string.h>

#include "publish/JsonText.h"
#include "publish/SceneCapture.h"

namespace {

// The binary chunk and the JSON that describes it, built together.
struct Glb {
    std::string bin, bufferViews, accessors, meshes, materials, nodes, images, textures;
    int numViews = 0, numAccessors = 0, numMeshes = 0, numMaterials = 0, numNodes = 0;

    static void comma(std::string &list)
    {
        if (!list.empty())
            list += ',';
    }
    int view(const void *data, size_t size, int target)
    {
        while (bin.size() % 4)
            bin += '\0';
        comma(bufferViews);
        bufferViews += "{\"buffer\":0,\"byteOffset\":" + std::to_string(bin.size()) +
                       ",\"byteLength\":" + std::to_string(size);
        if (target)
            bufferViews += ",\"target\":" + std::to_string(target);
        bufferViews += "}";
        bin.append((const char *)data, size);
        return numViews++;
    }
    int floats(const std::vector<float> &v, int width, const char *type, bool bounds)
    {
        int bv = view(v.data(), v.size() * sizeof(float), 34962);
        comma(accessors);
        accessors += "{\"bufferView\":" + std::to_string(bv) +
                     ",\"componentType\":5126,\"count\":" + std::to_string(v.size() / width) +
                     ",\"type\":\"" + type + "\"";
        if (bounds) {
            std::string lo, hi;
            for (int k = 0; k < width; k++) {
                float a = FLT_MAX, b = -FLT_MAX;
                for (size_t i = (size_t)k; i < v.size(); i += (size_t)width) {
                    a = v[i] < a ? v[i] : a;
                    b = v[i] > b ? v[i] : b;
                }
                lo += (k ? "," : "") + gspJsonNumber(a);
                hi += (k ? "," : "") + gspJsonNumber(b);
            }
            accessors += ",\"min\":[" + lo + "],\"max\":[" + hi + "]";
        }
        accessors += "}";
        return numAccessors++;
    }
    int indices(const std::vector<uint32_t> &v, size_t vertices)
    {
        int bv, type;
        if (vertices <= 65535) {
            std::vector<uint16_t> shorts(v.begin(), v.end());
            bv = view(shorts.data(), shorts.size() * 2, 34963);
            type = 5123;
        } else {
            bv = view(v.data(), v.size() * 4, 34963);
            type = 5125;
        }
        comma(accessors);
        accessors += "{\"bufferView\":" + std::to_string(bv) + ",\"componentType\":" +
                     std::to_string(type) + ",\"count\":" + std::to_string(v.size()) +
                     ",\"type\":\"SCALAR\"}";
        return numAccessors++;
    }
    int material(const GspCapturedShape &s, bool vertexColours);
    int mesh(const GspCapturedShape &s);
};

std::string triple(const float *v)
{
    return "[" + gspJsonNumber(v[0]) + "," + gspJsonNumber(v[1]) + "," + gspJsonNumber(v[2]) +
           "]";
}

bool sameColour(const std::vector<float> &colors)
{
    for (size_t i = 4; i < colors.size(); i++)
        if (colors[i] != colors[i % 4])
            return false;
    return true;
}

// The toolkit's Phong terms go along as extras; the page lights with them.
int Glb::material(const GspCapturedShape &s, bool vertexColours)
{
    const float *c = s.colors.data();
    float r = vertexColours ? 1 : c[0], g = vertexColours ? 1 : c[1], b = vertexColours ? 1 : c[2];
    float alpha = vertexColours ? 1 : c[3];
    comma(materials);
    materials += "{\"pbrMetallicRoughness\":{\"baseColorFactor\":[" + gspJsonNumber(r) + "," +
                 gspJsonNumber(g) + "," + gspJsonNumber(b) + "," + gspJsonNumber(alpha) +
                 "],\"metallicFactor\":0,\"roughnessFactor\":1";
    if (s.texture >= 0)
        materials += ",\"baseColorTexture\":{\"index\":" + std::to_string(s.texture) + "}";
    materials += "},\"doubleSided\":true";
    for (size_t i = 3; i < s.colors.size(); i += 4)
        if (s.colors[i] < 1) {
            materials += ",\"alphaMode\":\"BLEND\"";
            break;
        }
    if (s.unlit)
        materials += ",\"extensions\":{\"KHR_materials_unlit\":{}}";
    materials += ",\"extras\":{\"specular\":" + triple(s.specular) +
                 ",\"emissive\":" + triple(s.emissive) +
                 ",\"shininess\":" + gspJsonNumber(s.shininess) + "}}";
    return numMaterials++;
}

int Glb::mesh(const GspCapturedShape &s)
{
    bool vertexColours = !sameColour(s.colors);
    std::string attributes =
        "\"POSITION\":" + std::to_string(floats(s.positions, 3, "VEC3", true));
    if (s.mode == GspCapturedShape::TRIANGLES)
        attributes += ",\"NORMAL\":" + std::to_string(floats(s.normals, 3, "VEC3", false));
    if (s.texture >= 0)
        attributes += ",\"TEXCOORD_0\":" + std::to_string(floats(s.uvs, 2, "VEC2", false));
    if (vertexColours)
        attributes += ",\"COLOR_0\":" + std::to_string(floats(s.colors, 4, "VEC4", false));
    int index = indices(s.indices, s.positions.size() / 3);
    int mat = material(s, vertexColours);
    comma(meshes);
    meshes += "{\"primitives\":[{\"attributes\":{" + attributes +
              "},\"indices\":" + std::to_string(index) + ",\"material\":" +
              std::to_string(mat) + ",\"mode\":" + std::to_string(s.mode) + "}]}";
    return numMeshes++;
}

void put32(std::string &out, uint32_t v)
{
    unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                          (unsigned char)(v >> 24)};
    out.append((const char *)b, 4);
}

}

std::string gspGlbOf(const GspSceneCapture &capture)
{
    Glb g;
    for (size_t t = 0; t < capture.textures.size(); t++) {
        const std::string &png = capture.textures[t];
        int bv = g.view(png.data(), png.size(), 0);
        Glb::comma(g.images);
        g.images += "{\"bufferView\":" + std::to_string(bv) + ",\"mimeType\":\"image/png\"}";
        Glb::comma(g.textures);
        g.textures += "{\"source\":" + std::to_string(t) + "}";
    }
    // The scene's shapes are top-level nodes; each marker's hang from a
    // node of its own, named so that the page finds them.
    std::vector<std::string> markerChildren(capture.markers.size());
    std::string top;
    bool unlit = false;
    for (const GspCapturedShape &s : capture.shapes) {
        int mesh = g.mesh(s);
        unlit = unlit || s.unlit;
        Glb::comma(g.nodes);
        g.nodes += "{\"mesh\":" + std::to_string(mesh);
        if (!s.name.empty())
            g.nodes += ",\"name\":" + gspJsonQuote(s.name);
        g.nodes += "}";
        std::string &list = s.marker >= 0 ? markerChildren[(size_t)s.marker] : top;
        Glb::comma(list);
        list += std::to_string(g.numNodes++);
    }
    for (size_t m = 0; m < capture.markers.size(); m++) {
        Glb::comma(g.nodes);
        g.nodes += "{\"name\":\"glosspin-marker-" + std::to_string(m) + "\"";
        if (!markerChildren[m].empty())  // a glTF list of children is never empty
            g.nodes += ",\"children\":[" + markerChildren[m] + "]";
        g.nodes += "}";
        Glb::comma(top);
        top += std::to_string(g.numNodes++);
    }
    while (g.bin.size() % 4)
        g.bin += '\0';

    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Glosspin\"}";
    if (unlit)
        json += ",\"extensionsUsed\":[\"KHR_materials_unlit\"]";
    json += ",\"scene\":0,\"scenes\":[{\"nodes\":[" + top + "]}],\"nodes\":[" + g.nodes + "]";
    if (g.numMeshes)
        json += ",\"meshes\":[" + g.meshes + "],\"materials\":[" + g.materials +
                "],\"accessors\":[" + g.accessors + "]";
    if (!g.images.empty())
        json += ",\"images\":[" + g.images + "],\"textures\":[" + g.textures + "]";
    if (!g.bin.empty())
        json += ",\"bufferViews\":[" + g.bufferViews + "],\"buffers\":[{\"byteLength\":" +
                std::to_string(g.bin.size()) + "}]";
    json += "}";
    while (json.size() % 4)
        json += ' ';

    std::string out = "glTF";
    put32(out, 2);
    put32(out, (uint32_t)(12 + 8 + json.size() + (g.bin.empty() ? 0 : 8 + g.bin.size())));
    put32(out, (uint32_t)json.size());
    out += "JSON";
    out += json;
    if (!g.bin.empty()) {
        put32(out, (uint32_t)g.bin.size());
        out.append("BIN\0", 4);
        out += g.bin;
    }
    return out;
}
