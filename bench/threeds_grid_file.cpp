#include "threeds_grid_file.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench_measure.h"
#include "chunk_writer.h"
#include "tds/chunk/chunk.h"

namespace bench {

namespace {

using tds::test::ChunkWriter;

void writeMesh(ChunkWriter& w, int index, int materials) {
    char name[16];
    std::snprintf(name, sizeof name, "Mesh%d", index);
    w.begin(tds::CK_NAMED_OBJECT).str(name).begin(tds::CK_TRIANGLE_MESH);
    w.begin(tds::CK_VERTICES).u16(kThreeDSVertices);
    for (uint32_t i = 0; i < kThreeDSVertices; ++i)
        w.point(std::sin(i * 0.01f) * 10, std::cos(i * 0.013f) * 10, i * 0.001f + index);
    w.end();
    w.begin(tds::CK_TEX_COORDS).u16(kThreeDSVertices);
    for (uint32_t i = 0; i < kThreeDSVertices; ++i)
        w.f32((i % 300) / 300.0f).f32((i / 300) / 200.0f);
    w.end();
    w.begin(tds::CK_LOCAL_AXES).point(1, 0, 0).point(0, 1, 0).point(0, 0, 1).point(0, 0, 0).end();
    w.begin(tds::CK_FACES).u16(kThreeDSFaces);
    for (uint32_t i = 0; i < kThreeDSFaces; ++i)
        w.u16(static_cast<uint16_t>(i % kThreeDSVertices))
            .u16(static_cast<uint16_t>((i + 1) % kThreeDSVertices))
            .u16(static_cast<uint16_t>((i + 300) % kThreeDSVertices))
            .u16(7);
    for (int m = 0; m < materials; ++m) {
        char mat[16];
        std::snprintf(mat, sizeof mat, "Mat%d", m);
        w.begin(tds::CK_FACE_MATERIAL).str(mat).u16(kThreeDSFaces / materials);
        for (uint32_t i = m; i < kThreeDSFaces; i += materials)
            if ((i - m) / materials < static_cast<uint32_t>(kThreeDSFaces / materials))
                w.u16(static_cast<uint16_t>(i));
        w.end();
    }
    w.begin(tds::CK_SMOOTH_GROUPS);
    for (uint32_t i = 0; i < kThreeDSFaces; ++i)
        w.u32(1u << (i % 32));
    w.end();
    w.end().end().end(); // faces, mesh, object
}

std::vector<uint8_t> buildFile(int meshes) {
    ChunkWriter w;
    w.begin(tds::CK_MESH_FILE).begin(tds::CK_FILE_VERSION).u32(3).end();
    w.begin(tds::CK_EDITOR).begin(tds::CK_EDITOR_VERSION).u32(3).end();
    const int materials = kThreeDSMaterials;
    for (int m = 0; m < materials; ++m) {
        char mat[16];
        std::snprintf(mat, sizeof mat, "Mat%d", m);
        w.begin(tds::CK_MATERIAL).stringChunk(tds::CK_MATERIAL_NAME, mat);
        w.begin(tds::CK_MAT_AMBIENT).colorByte(10, 10, 10).end();
        w.begin(tds::CK_MAT_DIFFUSE).colorByte(200, static_cast<uint8_t>(40 * m), 30).end();
        w.begin(tds::CK_MAT_SPECULAR).colorByte(255, 255, 255).end();
        w.begin(tds::CK_MAT_SHININESS).percentInt(40).end();
        w.begin(tds::CK_MAT_TEXTURE_MAP)
            .percentInt(100)
            .stringChunk(tds::CK_MAP_FILE_NAME, "tex.png")
            .end();
        w.end();
    }
    w.begin(tds::CK_MASTER_SCALE).f32(1).end();
    for (int i = 0; i < meshes; ++i)
        writeMesh(w, i, materials);
    w.end();
    w.begin(tds::CK_KEYFRAMER);
    w.begin(tds::CK_KF_HEADER).i16(5).str("bench").i32(100).end();
    w.begin(tds::CK_KF_SEGMENT).i32(0).i32(100).end();
    for (int i = 0; i < meshes; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Mesh%d", i);
        w.begin(tds::CK_NODE_OBJECT).int16Chunk(tds::CK_NODE_ID, static_cast<int16_t>(i));
        w.nodeHeader(name, 0, 0, static_cast<int16_t>(i == 0 ? -1 : 0));
        w.begin(tds::CK_PIVOT).point(0, 0, 0).end();
        w.begin(tds::CK_TRACK_POSITION).u16(0).u32(0).u32(0).u32(2);
        w.u32(0).u16(0).point(0, 0, 0).u32(100).u16(1).f32(0.5f).point(1, 2, 3).end();
        w.begin(tds::CK_TRACK_ROTATION)
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(1)
            .u32(0)
            .u16(0)
            .f32(0)
            .point(0, 0, 1)
            .end();
        w.begin(tds::CK_TRACK_SCALE).u16(0).u32(0).u32(0).u32(1).u32(0).u16(0).point(1, 1, 1).end();
        w.end();
    }
    w.end().end();
    return w.take();
}

} // namespace

bool ensureThreeDSFile(const std::string& path, int meshes) {
    if (fileMegabytes(path) > 0)
        return true;
    std::printf("generating %s (%d meshes)\n", path.c_str(), meshes);
    const std::string part = path + ".part";
    return tds::test::writeFile(part, buildFile(meshes)) &&
           std::rename(part.c_str(), path.c_str()) == 0;
}

} // namespace bench
