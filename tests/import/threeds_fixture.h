// Builds small .3ds files for the import tests and runs the import through the
// reference host with the real plug-in library.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "e2e_support.h"
#include "host/plugin_host.h"
#include "platform/standin_control.h"
#include "plugin/import_records.h"
#include "plugin_host_fixture.h"

namespace import_test {

using tds::test::ChunkWriter;
using tds::test::Vec3;

struct MeshSpec {
    std::string name;
    std::vector<Vec3> vertices;
    std::vector<uint16_t> faces; // a, b, c, flags per face
    std::vector<float> uv;       // u, v per texture vertex
    std::vector<std::pair<std::string, std::vector<uint16_t>>> groups;
};

struct MaterialSpec {
    std::string name;
    uint8_t diffuse[3] = {255, 0, 0};
    uint8_t ambient[3] = {0, 0, 0};
    int16_t transparency = 0;      // percent
    int16_t shininessStrength = 0; // percent
    bool additive = false;
    std::string mapFile; // texture1 file name; empty: no map
    int16_t mapPercent = 100;
    int16_t tilingWord = -1; // -1: no tiling chunk
};

struct LightSpec {
    std::string name;
    Vec3 position;
    uint8_t colour[3];
    float multiplier = 1.0f; // <= 0: no multiplier chunk
    bool spot = false;
};

struct CameraSpec {
    std::string name;
    Vec3 position, target;
    float focal = 50.0f;
    bool seeCone = false;
};

struct FileSpec {
    std::vector<MaterialSpec> materials;
    std::vector<MeshSpec> meshes;
    std::vector<LightSpec> lights;
    std::vector<CameraSpec> cameras;
};

inline void writeMaterial(ChunkWriter& w, const MaterialSpec& m) {
    w.begin(0xAFFF).stringChunk(0xA000, m.name);
    w.begin(0xA010).colorByte(m.ambient[0], m.ambient[1], m.ambient[2]).end();
    w.begin(0xA020).colorByte(m.diffuse[0], m.diffuse[1], m.diffuse[2]).end();
    w.begin(0xA041).percentInt(m.shininessStrength).end();
    w.begin(0xA050).percentInt(m.transparency).end();
    if (m.additive)
        w.begin(0xA083).end();
    if (!m.mapFile.empty()) {
        w.begin(0xA200).percentInt(m.mapPercent).stringChunk(0xA300, m.mapFile);
        if (m.tilingWord >= 0)
            w.int16Chunk(0xA351, m.tilingWord);
        w.end();
    }
    w.end();
}

inline void writeMesh(ChunkWriter& w, const MeshSpec& m) {
    w.begin(0x4000).str(m.name).begin(0x4100).vertices(m.vertices);
    if (!m.uv.empty())
        w.texCoords(m.uv);
    w.beginFaces(m.faces);
    for (const auto& [material, faces] : m.groups)
        w.faceMaterial(material, faces);
    w.end().end().end();
}

inline std::vector<uint8_t> build(const FileSpec& spec) {
    ChunkWriter w;
    w.begin(0x4D4D).begin(0x3D3D);
    for (const MaterialSpec& m : spec.materials)
        writeMaterial(w, m);
    for (const MeshSpec& m : spec.meshes)
        writeMesh(w, m);
    for (const LightSpec& l : spec.lights) {
        w.begin(0x4000).str(l.name).begin(0x4600).point(l.position.x, l.position.y, l.position.z);
        w.colorByte(l.colour[0], l.colour[1], l.colour[2]);
        if (l.multiplier > 0)
            w.floatChunk(0x465B, l.multiplier);
        if (l.spot)
            w.begin(0x4610).point(10, 10, 0).f32(30).f32(40).end();
        w.end().end();
    }
    for (const CameraSpec& c : spec.cameras) {
        w.begin(0x4000).str(c.name).begin(0x4700);
        w.point(c.position.x, c.position.y, c.position.z).point(c.target.x, c.target.y, c.target.z);
        w.f32(0).f32(c.focal);
        if (c.seeCone)
            w.begin(0x4710).end();
        w.end().end();
    }
    w.end().end();
    return w.take();
}

// A unit quad as two triangles.
inline MeshSpec quad(const std::string& name) {
    MeshSpec m;
    m.name = name;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    m.faces = {0, 1, 2, 0, 0, 2, 3, 0};
    return m;
}

class ImportTest : public e2e::PluginHostTest {
  protected:
    // Imports the file through the "Mesh" command; the command's result.
    int32_t import(const FileSpec& spec, const std::string& name = "scene.3ds") {
        file = std::make_unique<tds::test::TempFile>(build(spec), "-" + name);
        h.chosenFile = file->path();
        return h.runImportCommand();
    }
    std::vector<host::SceneObject*> ofKind(int32_t kind) {
        std::vector<host::SceneObject*> found;
        for (host::SceneObject* o : h.scene().objects())
            if (o->kind == kind)
                found.push_back(o);
        return found;
    }
    host::SceneObject* named(const std::string& name) { return h.scene().findByName(name); }
    bool debugSaid(const std::string& line) {
        for (const std::string& l : standin::DebugLog())
            if (l == line)
                return true;
        return false;
    }
    std::unique_ptr<tds::test::TempFile> file;
};

inline double ext1Double(const host::SceneObject& o, size_t recordOffset) {
    double v;
    std::memcpy(&v, o.extension1.data() + recordOffset, sizeof(v));
    return v;
}
inline double ext2Double(const host::SceneObject& o, size_t recordOffset) {
    double v;
    std::memcpy(&v, o.extension2.data() + recordOffset, sizeof(v));
    return v;
}
inline int32_t ext1Int(const host::SceneObject& o, size_t recordOffset) {
    int32_t v;
    std::memcpy(&v, o.extension1.data() + recordOffset, sizeof(v));
    return v;
}
inline int32_t ext2Int(const host::SceneObject& o, size_t recordOffset) {
    int32_t v;
    std::memcpy(&v, o.extension2.data() + recordOffset, sizeof(v));
    return v;
}

} // namespace import_test
