#include <cstring>

#include "extract_fixture.h"

namespace tds {
namespace {

using test::ChunkWriter;
using test::LoadedDatabase;
using test::sceneFile;

class MeshRecordParts : public ::testing::Test {
  protected:
    void SetUp() override { clearErrors(); }
    void TearDown() override { FreeMeshRecord(&r_); }
    MeshRecord* r_ = nullptr;
};

TEST_F(MeshRecordParts, PrepareResetsFieldsAndSizesRequestedParts) {
    PrepareMeshRecord(&r_, 3, 2, kMeshTexVertices | kMeshSmoothingGroups | kMeshVertexFlags);
    ASSERT_NE(r_, nullptr);
    EXPECT_FALSE(errorPending());
    EXPECT_EQ(r_->vertices.size(), 3u);
    EXPECT_EQ(r_->texVertexCount, 3);
    EXPECT_EQ(r_->texVertices.size(), 3u);
    EXPECT_EQ(r_->vertexFlagCount, 3);
    EXPECT_EQ(r_->vertexFlags.size(), 3u);
    ASSERT_EQ(r_->faces.size(), 2u);
    EXPECT_EQ(r_->faces[1].a, 0);
    EXPECT_EQ(r_->faces[1].b, 1);
    EXPECT_EQ(r_->faces[1].c, 2);
    EXPECT_EQ(r_->smoothingGroups, std::vector<uint32_t>(2, 0u));
    const MapInfo& m = r_->mapInfo;
    EXPECT_EQ(m.tilingX, 1.0f);
    EXPECT_EQ(m.iconScale, 1.0f);
    EXPECT_EQ(m.cylinderHeight, 1.0f);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(m.matrix[i], (i == 0 || i == 4) ? 1.0f : 0.0f) << i;

    // Reuse: the same record comes back emptied, with only what is asked for.
    MeshRecord* before = r_;
    r_->name[0] = 'x';
    r_->materialGroupCount = 1;
    r_->materialGroups.resize(1);
    r_->procedureSize = 4;
    r_->procedureData.resize(4);
    PrepareMeshRecord(&r_, 0, 0, 0);
    EXPECT_EQ(r_, before);
    EXPECT_EQ(r_->name[0], '\0');
    EXPECT_TRUE(r_->vertices.empty());
    EXPECT_TRUE(r_->faces.empty());
    EXPECT_TRUE(r_->texVertices.empty());
    EXPECT_TRUE(r_->smoothingGroups.empty());
    EXPECT_TRUE(r_->materialGroups.empty());
    EXPECT_TRUE(r_->procedureData.empty());
    EXPECT_EQ(r_->materialGroupCount, 0);
}

TEST_F(MeshRecordParts, SizeKeepsEntriesAndDropEmptiesWithCounts) {
    PrepareMeshRecord(&r_, 2, 1, 0);
    r_->vertices[1] = {4, 5, 6};
    r_->faces[0] = {7, 8, 9, 1};
    r_->vertexCount = 4;
    r_->faceCount = 3;
    r_->procedureSize = 5;
    SizeMeshParts(r_, kMeshVertices | kMeshFaces | kMeshProcedureData);
    ASSERT_EQ(r_->vertices.size(), 4u);
    EXPECT_EQ(r_->vertices[1].z, 6.0f);
    EXPECT_EQ(r_->vertices[3].x, 0.0f);
    ASSERT_EQ(r_->faces.size(), 3u);
    EXPECT_EQ(r_->faces[0].c, 9);
    EXPECT_EQ(r_->faces[2].b, 1); // new faces are (0, 1, 2)
    EXPECT_EQ(r_->procedureData, std::vector<uint8_t>(5, 0));

    r_->vertexCount = 0;
    SizeMeshParts(r_, kMeshVertices);
    EXPECT_TRUE(r_->vertices.empty());

    r_->faceCount = 3;
    SizeMeshParts(r_, kMeshSmoothingGroups);
    DropMeshParts(r_, kMeshFaces | kMeshProcedureData);
    EXPECT_TRUE(r_->faces.empty());
    EXPECT_TRUE(r_->smoothingGroups.empty()); // per-face masks go with the faces
    EXPECT_EQ(r_->faceCount, 0);
    EXPECT_EQ(r_->procedureSize, 0u);
    EXPECT_FALSE(errorPending());

    SizeMeshParts(nullptr, kMeshAllParts);
    EXPECT_EQ(test::firstError(), ERR_INVALID_ARG);
}

TEST_F(MeshRecordParts, FreeNullsThePointerAndIgnoresNone) {
    FreeMeshRecord(&r_);
    EXPECT_EQ(r_, nullptr);
    FreeMeshRecord(nullptr);
    PrepareMeshRecord(&r_, 1, 1, kMeshAllParts);
    FreeMeshRecord(&r_);
    EXPECT_EQ(r_, nullptr);
    PrepareMeshRecord(nullptr, 0, 0, 0);
    EXPECT_EQ(test::firstError(), ERR_INVALID_ARG);
}

// One mesh with every child the record reads.
void fullMesh(ChunkWriter& w) {
    w.begin(0x4000).str("Full");
    w.begin(0x4010).end(); // hidden
    w.begin(0x4012).end(); // casts no shadow
    w.begin(0x4015).end(); // procedure
    w.begin(0x4017).end(); // frozen
    w.begin(0x4100);
    w.vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    w.begin(0x4111).u16(4).i16(1).i16(-1).i16(3).i16(4).end();
    w.texCoords({0, 0, 1, 0, 0, 1, 1, 1});
    w.beginFaces({0, 1, 2, 7, 1, 3, 2, 0, 2, 3, 0, 0});
    w.faceMaterial("Red", {0, 2});
    w.faceMaterial("SixteenCharsLong", {1});
    w.smoothGroups({1, 2, 4});
    w.begin(0x4190);
    for (const char* n : {"front", "back", "left", "right", "top", "bottom"})
        w.str(n);
    w.end();
    w.end(); // faces
    w.begin(0x4160);
    for (int i = 0; i < 12; ++i)
        w.f32(static_cast<float>(i + 1));
    w.end();
    w.begin(0x4165).u8(7).end();
    w.begin(0x4170).u16(2).f32(3).f32(4).point(5, 6, 7).f32(8);
    for (int i = 0; i < 12; ++i)
        w.f32(static_cast<float>(10 + i));
    w.f32(30).f32(31).f32(32).end();
    w.stringChunk(0x4181, "proc.pxp");
    w.rawChunk(0x4182, {9, 8, 7});
    w.end().end();
}

TEST(MeshFetch, FullMeshFillsEveryFieldAndLeavesTheTreeReusable) {
    LoadedDatabase f(sceneFile(fullMesh));
    ASSERT_FALSE(f.loadFailed);
    ASSERT_EQ(CountMeshes(f.db), 1u);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        MeshRecord* r = nullptr;
        PrepareMeshRecord(&r, 0, 0, 0);
        FetchMeshByIndex(f.db, 0, &r);
        ASSERT_FALSE(errorPending()) << test::firstError();
        EXPECT_STREQ(r->name, "Full");
        EXPECT_EQ(r->hidden, 1);
        EXPECT_EQ(r->castsNoShadow, 1);
        EXPECT_EQ(r->useProcedure, 1);
        EXPECT_EQ(r->frozen, 1);
        EXPECT_EQ(r->matte + r->lofterVisible + r->fastDisplay + r->receivesNoShadow, 0);
        ASSERT_EQ(r->vertexCount, 4);
        EXPECT_EQ(r->vertices[3].y, 1.0f);
        EXPECT_EQ(r->vertexFlags, (std::vector<uint16_t>{1, 0xFFFF, 3, 4}));
        ASSERT_EQ(r->texVertexCount, 4);
        EXPECT_EQ(r->texVertices[1].u, 1.0f);
        ASSERT_EQ(r->faceCount, 3);
        EXPECT_EQ(r->faces[0].flags, 7);
        EXPECT_EQ(r->faces[1].b, 3);
        ASSERT_EQ(r->materialGroupCount, 2);
        EXPECT_STREQ(r->materialGroups[0].name, "Red");
        EXPECT_EQ(r->materialGroups[0].faces, (std::vector<uint16_t>{0, 2}));
        EXPECT_STREQ(r->materialGroups[1].name, "SixteenCharsLong");
        EXPECT_EQ(r->materialGroups[1].faceCount, 1);
        EXPECT_EQ(r->smoothingGroups, (std::vector<uint32_t>{1, 2, 4}));
        EXPECT_EQ(r->useBoxMap, 1);
        EXPECT_STREQ(r->boxMapNames[5], "bottom");
        EXPECT_EQ(r->localMatrix[0], 1.0f);
        EXPECT_EQ(r->localMatrix[11], 12.0f);
        EXPECT_EQ(r->meshColor, 7);
        EXPECT_EQ(r->useMapInfo, 1);
        EXPECT_EQ(r->mapInfo.mapType, 2);
        EXPECT_EQ(r->mapInfo.iconPosition.z, 7.0f);
        EXPECT_EQ(r->mapInfo.iconScale, 8.0f);
        EXPECT_EQ(r->mapInfo.matrix[11], 21.0f);
        EXPECT_EQ(r->mapInfo.cylinderHeight, 32.0f);
        EXPECT_STREQ(r->procedureName, "proc.pxp");
        EXPECT_EQ(r->procedureSize, 3u);
        EXPECT_EQ(r->procedureData, (std::vector<uint8_t>{9, 8, 7}));
        FreeMeshRecord(&r);
    }
}

TEST(MeshFetch, SameNamesCountedAndFetchedByPositionAmongOtherObjects) {
    LoadedDatabase f(sceneFile([](ChunkWriter& w) {
        w.begin(0x4000).str("Cam").begin(0x4700).fill(0, 32).end().end();
        w.begin(0x4000).str("Twin").begin(0x4100).vertices({{1, 1, 1}}).end().end();
        w.begin(0x4000).str("Lamp").begin(0x4600).point(0, 0, 0).end().end();
        w.begin(0x4000).str("Twin").begin(0x4100).vertices({{2, 2, 2}, {3, 3, 3}}).end().end();
    }));
    ASSERT_EQ(CountMeshes(f.db), 2u);
    MeshRecord* r = nullptr;
    PrepareMeshRecord(&r, 0, 0, 0);
    FetchMeshByIndex(f.db, 1, &r);
    EXPECT_STREQ(r->name, "Twin");
    EXPECT_EQ(r->vertexCount, 2);
    FetchMeshByIndex(f.db, 0, &r);
    EXPECT_EQ(r->vertexCount, 1);
    // Past the last mesh: the record is left as it was.
    FetchMeshByIndex(f.db, 2, &r);
    EXPECT_EQ(r->vertexCount, 1);
    EXPECT_FALSE(errorPending());
    FreeMeshRecord(&r);
}

TEST(MeshFetch, MissingPartsStayEmptyAndShortSmoothingIsPaddedPerFace) {
    LoadedDatabase f(sceneFile([](ChunkWriter& w) {
        w.begin(0x4000).str("Bare").begin(0x4100).beginFaces({0, 1, 2, 0}).end().end().end();
        w.begin(0x4000).str("Short").begin(0x4100);
        w.beginFaces({0, 1, 2, 0, 0, 2, 1, 0, 1, 2, 0, 0}).smoothGroups({5}).end();
        w.end().end();
    }));
    MeshRecord* r = nullptr;
    FetchMeshByIndex(f.db, 0, &r); // allocates when none
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->vertexCount, 0);
    EXPECT_TRUE(r->vertices.empty());
    EXPECT_EQ(r->faceCount, 1);
    EXPECT_EQ(r->materialGroupCount, 0);
    EXPECT_TRUE(r->materialGroups.empty());
    EXPECT_TRUE(r->smoothingGroups.empty());
    FetchMeshByIndex(f.db, 1, &r);
    EXPECT_EQ(r->smoothingGroups, (std::vector<uint32_t>{5, 0, 0}));
    EXPECT_FALSE(errorPending());
    FreeMeshRecord(&r);
}

TEST(MeshFetch, DatabaseChecksAndPendingErrors) {
    const auto oneMesh = [](ChunkWriter& w) {
        w.begin(0x4000).str("M").begin(0x4100).vertices({{1, 2, 3}}).end().end();
    };
    MeshRecord* r = nullptr;
    PrepareMeshRecord(&r, 0, 0, 0);
    {
        LoadedDatabase lib(sceneFile(oneMesh, 0x3DAA));
        FetchMeshByIndex(lib.db, 0, &r);
        EXPECT_EQ(test::firstError(), ERR_WRONG_DATABASE);
        EXPECT_EQ(r->vertexCount, 0);
    }
    {
        clearErrors();
        FetchMeshByIndex(nullptr, 0, &r);
        EXPECT_EQ(test::firstError(), ERR_INVALID_ARG);
        EXPECT_EQ(CountMeshes(nullptr), 0u);
        ChunkDatabase* empty = nullptr;
        createDatabase(&empty);
        clearErrors();
        FetchMeshByIndex(empty, 0, &r);
        EXPECT_EQ(test::firstError(), ERR_INVALID_DATABASE);
        releaseDatabase(&empty);
    }
    {
        LoadedDatabase f(sceneFile(oneMesh));
        // An error pending when the index is first built leaves it unbuilt
        // until the database marks it stale again.
        pushError(ERR_READING_FILE);
        EXPECT_EQ(CountMeshes(f.db), 0u);
        clearErrors();
        EXPECT_EQ(CountMeshes(f.db), 0u);
        f.db->objectIndexStale = true;
        EXPECT_EQ(CountMeshes(f.db), 1u);
        // With the index built, a pending error stops the fill after the reset.
        strcpy(r->name, "old");
        pushError(ERR_READING_FILE);
        FetchMeshByIndex(f.db, 0, &r);
        EXPECT_EQ(r->name[0], '\0');
        EXPECT_EQ(r->vertexCount, 0);
        // Errors ignored: the same fetch goes through.
        setIgnoreErrors(true);
        FetchMeshByIndex(f.db, 0, &r);
        EXPECT_STREQ(r->name, "M");
        EXPECT_EQ(r->vertexCount, 1);
    }
    FreeMeshRecord(&r);
}

} // namespace
} // namespace tds
