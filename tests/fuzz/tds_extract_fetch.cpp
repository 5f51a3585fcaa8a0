// Loads arbitrary bytes as a chunk file and fetches every record the import asks
// for, in the import's order, checking that each record's counts match its arrays.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "scratch_file.h"
#include "tds/chunk/chunk.h"
#include "tds/extract/extract.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// At most this many records of a kind: a hostile file may name thousands.
constexpr uint32_t LIMIT = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz::writeScratch("tds_extract_fuzz", data, size);
    if (!path)
        return 0;
    tds::clearErrors();
    tds::ChunkFile* file = tds::openChunkFile(path, "r");
    if (!file)
        return 0;
    tds::ChunkDatabase* db = nullptr;
    tds::createDatabase(&db);
    tds::readDatabase(file, db);
    if (!tds::errorPending()) {
        for (uint32_t i = 0, n = tds::CountMaterials(db); i < n && i < LIMIT; ++i) {
            tds::clearErrors();
            tds::MaterialRecord* m = nullptr;
            tds::PrepareMaterialRecord(&m);
            tds::FetchMaterialByIndex(db, i, &m);
            tds::FreeMaterialRecord(&m);
        }
        for (uint32_t i = 0, n = tds::CountCameras(db); i < n && i < LIMIT; ++i) {
            tds::clearErrors();
            tds::CameraRecord* c = nullptr;
            tds::PrepareCameraRecord(&c);
            tds::FetchCameraByIndex(db, i, &c);
            tds::FreeCameraRecord(&c);
        }
        for (uint32_t i = 0, n = tds::CountOmniLights(db) + tds::CountSpotlights(db);
             i < n && i < LIMIT; ++i) {
            tds::clearErrors();
            tds::LightRecord* l = nullptr;
            tds::PrepareLightRecord(&l);
            tds::FetchOmniLightByIndex(db, i, &l);
            tds::FetchSpotlightByIndex(db, i, &l);
            tds::FreeLightRecord(&l);
        }
        for (uint32_t i = 0, n = tds::CountMeshes(db); i < n && i < LIMIT; ++i) {
            tds::clearErrors();
            tds::MeshRecord* m = nullptr;
            tds::PrepareMeshRecord(&m, 0, 0, 0);
            tds::FetchMeshByIndex(db, i, &m);
            if (m) {
                check(m->vertices.size() == m->vertexCount);
                check(m->faces.size() == m->faceCount);
                check(m->texVertices.size() == m->texVertexCount);
                check(m->materialGroups.size() == m->materialGroupCount);
                for (const tds::MaterialGroup& g : m->materialGroups)
                    check(g.faces.size() == g.faceCount);
            }
            tds::FreeMeshRecord(&m);
        }
    }
    tds::releaseDatabase(&db);
    tds::closeChunkFile(file);
    tds::clearErrors();
    std::remove(path);
    return 0;
}
