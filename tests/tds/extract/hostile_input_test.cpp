// Damaged real files: every record that comes out keeps its counts equal to its
// array sizes, and nothing reads or writes out of bounds (run under ASan).
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "extract_fixture.h"
#include "tests/real_files.h"

namespace tds {
namespace {

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs every extraction over a loaded database, clearing errors before each
// call so that damage in one record does not hide the next. Returns the number
// of records checked.
int extractEverything(ChunkDatabase* db) {
    int records = 0;
    clearErrors();
    const uint32_t materials = CountMaterials(db);
    for (uint32_t i = 0; i < materials; ++i) {
        MaterialRecord* m = nullptr;
        PrepareMaterialRecord(&m);
        clearErrors();
        FetchMaterialByIndex(db, i, &m);
        for (const TextureMap* t : {&m->texture1, &m->bumpMap, &m->reflectionMask})
            EXPECT_EQ(t->procedureSize, t->procedureData.size());
        EXPECT_LT(std::strlen(m->texture1.fileName), sizeof m->texture1.fileName);
        FreeMaterialRecord(&m);
        ++records;
    }
    clearErrors();
    const uint32_t cameras = CountCameras(db);
    for (uint32_t i = 0; i < cameras; ++i) {
        CameraRecord* c = nullptr;
        clearErrors();
        FetchCameraByIndex(db, i, &c);
        if (c) {
            EXPECT_TRUE(std::isfinite(c->fieldOfView));
        }
        FreeCameraRecord(&c);
        ++records;
    }
    clearErrors();
    const uint32_t omni = CountOmniLights(db);
    const uint32_t spots = CountSpotlights(db);
    for (uint32_t i = 0; i < omni + spots; ++i) {
        LightRecord* l = nullptr;
        clearErrors();
        if (i < omni)
            FetchOmniLightByIndex(db, i, &l);
        else
            FetchSpotlightByIndex(db, i - omni, &l);
        if (l && l->excludeList) {
            EXPECT_LE(l->excludeList->used, l->excludeList->slots.size());
        }
        FreeLightRecord(&l);
        ++records;
    }
    clearErrors();
    const uint32_t meshes = CountMeshes(db);
    for (uint32_t i = 0; i < meshes; ++i) {
        MeshRecord* r = nullptr;
        PrepareMeshRecord(&r, 0, 0, 0);
        clearErrors();
        FetchMeshByIndex(db, i, &r);
        EXPECT_EQ(r->vertexCount, r->vertices.size());
        EXPECT_EQ(r->vertexFlagCount, r->vertexFlags.size());
        EXPECT_EQ(r->texVertexCount, r->texVertices.size());
        EXPECT_EQ(r->faceCount, r->faces.size());
        EXPECT_TRUE(r->smoothingGroups.empty() || r->smoothingGroups.size() == r->faceCount);
        EXPECT_EQ(r->materialGroupCount, r->materialGroups.size());
        for (const MaterialGroup& g : r->materialGroups)
            EXPECT_EQ(g.faceCount, g.faces.size());
        EXPECT_EQ(r->procedureSize, r->procedureData.size());
        EXPECT_LT(std::strlen(r->name), sizeof r->name);
        FreeMeshRecord(&r);
        ++records;
    }
    return records;
}

int extractFromBytes(const std::vector<uint8_t>& bytes) {
    test::LoadedDatabase f(bytes);
    return extractEverything(f.db);
}

class DamagedFile : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedFile, RecordsStayConsistent) {
    if (!realfiles::fullSet() && !realfiles::has("3ds", GetParam()))
        GTEST_SKIP() << GetParam() << " is only in the full set of real files";
    const std::vector<uint8_t> original = readAll(realfiles::path("3ds", GetParam()));
    ASSERT_GT(original.size(), 64u);
    EXPECT_GT(extractFromBytes(original), 0);

    // Truncations, with the length fields left claiming the whole file.
    for (size_t cut = 7; cut < original.size(); cut += original.size() / 23 + 1)
        extractFromBytes(std::vector<uint8_t>(original.begin(), original.begin() + cut));

    // A few bytes overwritten at a time, with a fixed seed.
    std::mt19937 rng(1234);
    std::uniform_int_distribution<size_t> at(0, original.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> bytes = original;
        for (int k = 0; k < 1 + round % 4; ++k)
            bytes[at(rng)] = static_cast<uint8_t>(value(rng));
        extractFromBytes(bytes);
        if (::testing::Test::HasFailure())
            FAIL() << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Testdata, DamagedFile,
                         ::testing::Values("cube.3ds", "pyramob.3DS", "house3.3ds",
                                           "cubes_with_alpha.3DS", "UVTransform_Normal.3DS"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

} // namespace
} // namespace tds
