// readChunkData: layouts of the catalogue, tracks, generic payloads, long names,
// untrusted counts, and releasing, duplicating and allocating records.
#include "test_util.h"

namespace tds::test {
namespace {

class DecodeTest : public ChunkTest {
  protected:
    // A mesh file holding `body` as the editor's content.
    template <class Body> void loadEditor(Body body) {
        ChunkWriter w;
        w.begin(CK_MESH_FILE).begin(CK_EDITOR);
        body(w);
        w.end().end();
        load(w.bytes());
        ASSERT_FALSE(errorPending()) << ::testing::PrintToString(codes());
    }
    template <class T> T* decode(uint32_t id) {
        ChunkNode* n = find(id);
        EXPECT_NE(n, nullptr) << id;
        return n ? readChunkDataAs<T>(n) : nullptr;
    }
};

TEST_F(DecodeTest, MeshArraysAndFaceChildren) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_NAMED_OBJECT).str("Box").begin(CK_TRIANGLE_MESH);
        w.vertices({{1, 2, 3}, {4, 5, 6}, {-1, 0, 0.5f}});
        w.texCoords({0.f, 1.f, 0.5f, 0.25f, 1.f, 0.f});
        w.beginFaces({0, 1, 2, 7, 2, 1, 0, 3});
        w.faceMaterial("Red", {1});
        w.faceMaterial("Empty", {});
        w.smoothGroups({1, 0x80000000u});
        w.end(); // faces
        w.end().end();
    });
    auto* v = decode<VerticesData>(CK_VERTICES);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->count, 3);
    ASSERT_EQ(v->points.size(), 3u);
    EXPECT_EQ(v->points[1].y, 5.0f);
    EXPECT_EQ(v->points[2].z, 0.5f);
    EXPECT_EQ(find(CK_VERTICES)->children, nullptr);

    auto* uv = decode<TexCoordsData>(CK_TEX_COORDS);
    ASSERT_NE(uv, nullptr);
    ASSERT_EQ(uv->count, 3);
    EXPECT_EQ(uv->uv[1].u, 0.5f);
    EXPECT_EQ(uv->uv[1].v, 0.25f);

    ChunkNode* facesNode = find(CK_FACES);
    auto* f = readChunkDataAs<FacesData>(facesNode);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->count, 2);
    EXPECT_EQ(f->faces[0].c, 2);
    EXPECT_EQ(f->faces[0].flags, 7);
    EXPECT_EQ(f->faces[1].a, 2);

    ASSERT_NE(facesNode->children, nullptr);
    EXPECT_EQ(facesNode->children->id, CK_FACE_MATERIAL);
    auto* red = readChunkDataAs<FaceMaterialData>(facesNode->children);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->name, "Red");
    EXPECT_EQ(red->faces, std::vector<uint16_t>{1});
    auto* empty = readChunkDataAs<FaceMaterialData>(facesNode->children->next);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->count, 0);
    EXPECT_TRUE(empty->faces.empty());

    auto* smooth = decode<SmoothGroupsData>(CK_SMOOTH_GROUPS);
    ASSERT_NE(smooth, nullptr);
    EXPECT_EQ(smooth->count, 2);
    EXPECT_EQ(smooth->masks[1], 0x80000000u);
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, VerticesNeverHaveChildrenWhateverFollowsThePoints) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_VERTICES).u16(1).point(1, 1, 1);
        w.stringChunk(CK_MATERIAL_NAME, "looks like a chunk");
        w.end();
    });
    ChunkNode* v = find(CK_VERTICES);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->children, nullptr);
    EXPECT_EQ(find(CK_MATERIAL_NAME), nullptr);
}

TEST_F(DecodeTest, ViewsStoreTheTargetBeforeTheWidth) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_DEFAULT_VIEW).begin(CK_VIEW_FRONT).f32(300).point(1, 2, 3).end().end();
        w.begin(CK_VIEW_USER).f32(10).f32(20).f32(30).f32(40).point(7, 8, 9).end();
    });
    auto* front = decode<ViewData>(CK_VIEW_FRONT);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->width, 300.0f);
    EXPECT_EQ(front->target.x, 1.0f);
    EXPECT_EQ(front->target.z, 3.0f);
    auto* user = decode<ViewUserData>(CK_VIEW_USER);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->target.y, 8.0f);
    EXPECT_EQ(user->width, 10.0f);
    EXPECT_EQ(user->backAngle, 40.0f);
}

TEST_F(DecodeTest, ScalarsColoursAndMaterialChunks) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_MATERIAL).stringChunk(CK_MATERIAL_NAME, "Steel");
        w.begin(CK_MAT_DIFFUSE)
            .colorByte(10, 20, 30)
            .begin(CK_RGB_FLOAT)
            .f32(0.5f)
            .f32(0.25f)
            .f32(1)
            .end()
            .end();
        w.begin(CK_MAT_SHININESS).percentInt(42).end();
        w.begin(CK_MAT_TEXTURE_MAP).percentInt(100).stringChunk(CK_MAP_FILE_NAME, "steel.png");
        w.floatChunk(CK_MAP_U_SCALE, 2.0f);
        w.begin(CK_MAT_AUTO_REFLECT).u8(1).u8(0xFF).i16(-3).u32(512).u32(7).end();
        w.begin(CK_MAP_TILING).u16(0x11).end().end();
        w.end();
        w.begin(CK_MASTER_SCALE).f32(2.5f).end();
        w.begin(CK_LAYERED_FOG).f32(1).f32(2).f32(3).u32(0x100003).end();
    });
    EXPECT_EQ(decode<StringData>(CK_MATERIAL_NAME)->value, "Steel");
    auto* rgb = decode<ColorByteData>(CK_RGB_BYTE);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->r, 10);
    EXPECT_EQ(rgb->b, 30);
    EXPECT_EQ(decode<ColorFloatData>(CK_RGB_FLOAT)->g, 0.25f);
    EXPECT_EQ(decode<Int16Data>(CK_PERCENT_INT)->value, 42);
    EXPECT_EQ(decode<StringData>(CK_MAP_FILE_NAME)->value, "steel.png");
    EXPECT_EQ(decode<FloatData>(CK_MAP_U_SCALE)->value, 2.0f);
    auto* ar = decode<AutoReflectData>(CK_MAT_AUTO_REFLECT);
    ASSERT_NE(ar, nullptr);
    EXPECT_EQ(ar->antialias, -1);
    EXPECT_EQ(ar->flags, -3);
    EXPECT_EQ(ar->frameStep, 7u);
    EXPECT_EQ(decode<Uint16Data>(CK_MAP_TILING)->value, 0x11);
    EXPECT_EQ(decode<FloatData>(CK_MASTER_SCALE)->value, 2.5f);
    EXPECT_EQ(decode<LayeredFogData>(CK_LAYERED_FOG)->flags, 0x100003u);
    // Containers decode nothing.
    EXPECT_EQ(readChunkData(find(CK_MATERIAL)), nullptr);
    EXPECT_EQ(readChunkData(find(CK_MAT_DIFFUSE)), nullptr);
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, LightsCamerasAndViewports) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_NAMED_OBJECT).str("Lamp").begin(CK_LIGHT).point(1, 2, 3);
        w.begin(CK_SPOTLIGHT).point(4, 5, 6).f32(30).f32(45);
        w.begin(CK_LIGHT_SHADOW).f32(1).f32(2).i16(512).end();
        w.stringChunk(CK_SPOT_PROJECTOR, "gobo.tga");
        w.end().end().end();
        w.begin(CK_NAMED_OBJECT)
            .str("Cam")
            .begin(CK_CAMERA)
            .point(0, 0, 10)
            .point(0, 0, 0)
            .f32(5)
            .f32(35);
        w.begin(CK_CAMERA_RANGES).f32(1).f32(1000).end().end().end();
        w.begin(CK_VIEWPORT_LAYOUT).i16(1).i16(2).i16(3).i16(4).i16(5).i16(6).i16(7);
        w.begin(CK_VIEWPORT_DATA)
            .i16(1)
            .i16(2)
            .i16(3)
            .i16(4)
            .i16(5)
            .i16(6)
            .i16(7)
            .f32(2)
            .point(1, 1, 1)
            .f32(10)
            .f32(20);
        w.chars("Camera01").u8(0).u8('x').u8('y').end();
        w.end();
    });
    EXPECT_EQ(decode<PointData>(CK_LIGHT)->value.z, 3.0f);
    auto* spot = decode<SpotlightData>(CK_SPOTLIGHT);
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->target.y, 5.0f);
    EXPECT_EQ(spot->falloff, 45.0f);
    EXPECT_EQ(decode<LightShadowData>(CK_LIGHT_SHADOW)->mapSize, 512);
    EXPECT_EQ(decode<StringData>(CK_SPOT_PROJECTOR)->value, "gobo.tga");
    auto* cam = decode<CameraData>(CK_CAMERA);
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->position.z, 10.0f);
    EXPECT_EQ(cam->lens, 35.0f);
    EXPECT_EQ(decode<CameraRangesData>(CK_CAMERA_RANGES)->farRange, 1000.0f);
    EXPECT_EQ(decode<ViewportLayoutData>(CK_VIEWPORT_LAYOUT)->values[6], 7);
    auto* vp = decode<ViewportData>(CK_VIEWPORT_DATA);
    ASSERT_NE(vp, nullptr);
    EXPECT_EQ(vp->verticalAngle, 20.0f);
    EXPECT_EQ(vp->cameraName, "Camera01");
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, TracksKeepHeadersSplineValuesAndOneValuePerKey) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_TRACK_POSITION).u16(0x40).u32(1).u32(2).u32(2);
        w.u32(0).u16(0x05).f32(0.5f).f32(-1).point(1, 2, 3);
        w.u32(10).u16(0x18).f32(3).f32(4).point(4, 5, 6).end();
        w.begin(CK_TRACK_ROTATION)
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(1)
            .u32(5)
            .u16(0)
            .f32(1.5f)
            .point(0, 0, 1)
            .end();
        w.begin(CK_TRACK_HIDE)
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(2)
            .u32(3)
            .u16(0)
            .u32(9)
            .u16(0x02)
            .f32(7)
            .end();
        w.begin(CK_TRACK_MORPH)
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(2)
            .u32(0)
            .u16(0)
            .str("Smile")
            .u32(4)
            .u16(0)
            .str("FrownFrownFrown")
            .end();
        w.begin(CK_TRACK_FOV).u16(0).u32(0).u32(0).u32(1).u32(0).u16(0).f32(60).end();
    });
    auto* pos = decode<PointTrackData>(CK_TRACK_POSITION);
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->flags, 0x40);
    EXPECT_EQ(pos->reserved2, 2u);
    ASSERT_EQ(pos->keyCount, 2u);
    ASSERT_EQ(pos->keys.size(), 2u);
    ASSERT_EQ(pos->values.size(), 2u);
    EXPECT_EQ(pos->keys[0].tension, 0.5f);
    EXPECT_EQ(pos->keys[0].continuity, 0.0f);
    EXPECT_EQ(pos->keys[0].bias, -1.0f);
    EXPECT_EQ(pos->keys[0].easeTo, 0.0f);
    EXPECT_EQ(pos->keys[1].time, 10u);
    EXPECT_EQ(pos->keys[1].easeTo, 3.0f);
    EXPECT_EQ(pos->keys[1].easeFrom, 4.0f);
    EXPECT_EQ(pos->values[1].z, 6.0f);

    auto* rot = decode<RotationTrackData>(CK_TRACK_ROTATION);
    ASSERT_NE(rot, nullptr);
    EXPECT_EQ(rot->values[0].angle, 1.5f);
    EXPECT_EQ(rot->values[0].axis.z, 1.0f);

    auto* hide = decode<HideTrackData>(CK_TRACK_HIDE);
    ASSERT_NE(hide, nullptr);
    ASSERT_EQ(hide->keys.size(), 2u);
    EXPECT_EQ(hide->keys[1].time, 9u);
    EXPECT_EQ(hide->keys[1].continuity, 7.0f);

    auto* morph = decode<MorphTrackData>(CK_TRACK_MORPH);
    ASSERT_NE(morph, nullptr);
    ASSERT_EQ(morph->values.size(), 2u);
    EXPECT_EQ(morph->values[0], "Smile");
    EXPECT_EQ(morph->values[1], "FrownFrown"); // cut to its 10-character limit
    EXPECT_EQ(morph->keys[1].time, 4u);
    EXPECT_EQ(decode<FloatTrackData>(CK_TRACK_FOV)->values[0], 60.0f);
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, GenericPayloadsAreRawBytes) {
    loadEditor([](ChunkWriter& w) {
        w.rawChunk(0x1234, {1, 2, 3});
        w.rawChunk(0x1235, {});
        w.rawChunk(0xA322, {9, 8});
        w.begin(CK_SECTION_D000).u32(77).rawChunk(0x1236, {}).end();
    });
    auto* raw = decode<RawData>(0x1234);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(raw->count, 3u);
    EXPECT_EQ(readChunkData(find(0x1235)), nullptr);
    EXPECT_EQ(decode<RawData>(0xA322)->bytes, (std::vector<uint8_t>{9, 8}));
    // Own data then a child: the whole rest of the chunk is its generic payload.
    EXPECT_EQ(decode<RawData>(CK_SECTION_D000)->bytes,
              (std::vector<uint8_t>{77, 0, 0, 0, 0x36, 0x12, 6, 0, 0, 0}));
    EXPECT_NE(find(0x1236), nullptr);
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, OverlongNamesAreCutToTheirLimitWithoutError) {
    const std::string objectName = "Object_with_a_long_name";      // 23 > 10
    const std::string materialName = "Material_named_verbosely_1"; // 26 > 16
    const std::string mapName = "texture_file_17.png";             // 19 > 16
    loadEditor([&](ChunkWriter& w) {
        w.begin(CK_MATERIAL).stringChunk(CK_MATERIAL_NAME, materialName);
        w.begin(CK_MAT_TEXTURE_MAP).stringChunk(CK_MAP_FILE_NAME, mapName).percentInt(50).end();
        w.end();
        w.begin(CK_NAMED_OBJECT).str(objectName).begin(CK_TRIANGLE_MESH);
        w.vertices({{1, 1, 1}});
        w.beginFaces({0, 0, 0, 0}).faceMaterial(materialName, {0}).end();
        w.end().end();
    });
    EXPECT_EQ(decode<StringData>(CK_NAMED_OBJECT)->value, objectName.substr(0, 10));
    EXPECT_EQ(decode<StringData>(CK_MATERIAL_NAME)->value, materialName.substr(0, 16));
    EXPECT_EQ(decode<StringData>(CK_MAP_FILE_NAME)->value, mapName.substr(0, 16));
    auto* fm = decode<FaceMaterialData>(CK_FACE_MATERIAL);
    ASSERT_NE(fm, nullptr);
    EXPECT_EQ(fm->name, materialName.substr(0, 16));
    EXPECT_EQ(fm->faces, std::vector<uint16_t>{0}); // the array after the long name is intact
    // The children after the long names were found.
    EXPECT_NE(find(CK_PERCENT_INT), nullptr);
    EXPECT_NE(find(CK_VERTICES), nullptr);
    EXPECT_FALSE(errorPending());
}

TEST_F(DecodeTest, NameOfExactlyTheLimitDecodes) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_NAMED_OBJECT).str("ABCDEFGHIJ").begin(CK_TRIANGLE_MESH).end().end();
    });
    EXPECT_EQ(decode<StringData>(CK_NAMED_OBJECT)->value, "ABCDEFGHIJ");
    EXPECT_NE(find(CK_TRIANGLE_MESH), nullptr);
}

TEST_F(DecodeTest, StringWithoutZeroByteInsideItsChunkFails) {
    // Found while decoding: the payload of a spot projector is not scanned on loading.
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR);
    w.begin(CK_SPOT_PROJECTOR).chars("NoTerminator").end();
    w.begin(CK_MASTER_SCALE).f32(1).end();
    w.end().end();
    load(w.bytes());
    ASSERT_FALSE(errorPending());
    auto* s = readChunkDataAs<StringData>(find(CK_SPOT_PROJECTOR));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->value.empty());
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
    releaseDatabase(&db);
    closeChunkFile(file);

    // Found while loading: a material name is skipped to find the name's children.
    clearErrors();
    ChunkWriter m;
    m.begin(CK_MESH_FILE).begin(CK_EDITOR).begin(CK_MATERIAL);
    m.begin(CK_MATERIAL_NAME).chars("NoTerminator").end();
    m.end().end().end();
    load(m.bytes());
    EXPECT_EQ(codes(),
              (std::vector<int32_t>{ERR_READING_FILE, ERR_READING_DATABASE, ERR_READING_DATABASE,
                                    ERR_READING_DATABASE, ERR_CREATING_DATABASE}));
}

TEST_F(DecodeTest, CountsBeyondTheChunkAreCutToWhatItHolds) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR);
    w.begin(CK_VERTICES).u16(0xFFFF).point(1, 2, 3).point(4, 5, 6).end();
    w.begin(CK_TRACK_SCALE)
        .u16(0)
        .u32(0)
        .u32(0)
        .u32(0xFFFFFFFFu)
        .u32(1)
        .u16(0)
        .point(1, 1, 1)
        .end();
    w.rawChunk(0x1234, {1, 2, 3, 4});
    w.end().end();
    load(w.bytes());
    ASSERT_FALSE(errorPending());
    auto* v = readChunkDataAs<VerticesData>(find(CK_VERTICES));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->count, 2);
    ASSERT_EQ(v->points.size(), 2u);
    EXPECT_EQ(v->points[1].x, 4.0f);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
    clearErrors();
    auto* t = readChunkDataAs<PointTrackData>(find(CK_TRACK_SCALE));
    ASSERT_NE(t, nullptr);
    EXPECT_LE(t->keyCount, 1u);
    EXPECT_EQ(t->keys.size(), t->keyCount);
    EXPECT_EQ(t->values.size(), t->keyCount);
    EXPECT_TRUE(errorPending());
}

TEST_F(DecodeTest, ChunkLengthPastTheFileEndDoesNotAllocateIt) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR);
    w.header(0x1234, 0x7FFFFFF0u).u8(1).u8(2);
    w.end().end();
    std::vector<uint8_t> bytes = w.take();
    load(bytes);
    ChunkNode* n = find(0x1234);
    ASSERT_NE(n, nullptr);
    clearErrors();
    auto* raw = readChunkDataAs<RawData>(n);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->bytes.size(), 2u);
    EXPECT_TRUE(errorPending());
}

TEST_F(DecodeTest, ReleasedRecordsDecodeAgainWhileTheFileIsOpen) {
    loadEditor([](ChunkWriter& w) { w.begin(CK_MASTER_SCALE).f32(4).end(); });
    ChunkNode* n = find(CK_MASTER_SCALE);
    ChunkData* first = readChunkData(n);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(readChunkData(n), first); // decoded once
    releaseChunkData(n);
    EXPECT_EQ(n->data, nullptr);
    EXPECT_EQ(readChunkDataAs<FloatData>(n)->value, 4.0f);

    // Without its file a record stays, and nothing is decoded from another file.
    closeChunkFile(file);
    file = nullptr;
    releaseChunkData(n);
    ASSERT_NE(n->data, nullptr);
    freeChunkData(n);
    EXPECT_EQ(n->data, nullptr);
    EXPECT_EQ(readChunkData(n), nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
}

TEST_F(DecodeTest, CopyChunkDataDuplicatesOwnedParts) {
    loadEditor([](ChunkWriter& w) {
        w.begin(CK_NAMED_OBJECT).str("M").begin(CK_TRIANGLE_MESH);
        w.beginFaces({0, 1, 2, 0}).faceMaterial("Mat", {0}).end();
        w.end().end();
    });
    ChunkNode* source = find(CK_FACE_MATERIAL);
    ASSERT_NE(readChunkData(source), nullptr);
    ChunkNode* target = nullptr;
    newChunk(&target);
    target->id = source->id;
    copyChunkData(source, target);
    auto* a = chunkDataAs<FaceMaterialData>(source->data.get());
    auto* b = chunkDataAs<FaceMaterialData>(target->data.get());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->name, "Mat");
    EXPECT_EQ(b->faces, a->faces);
    EXPECT_NE(b->faces.data(), a->faces.data());
    ChunkData* kept = target->data.get();
    copyChunkData(source, target); // a target that has a record keeps it
    EXPECT_EQ(target->data.get(), kept);
    freeChunk(&target);
}

TEST_F(DecodeTest, AllocChunkDataGivesInMemoryChunksEmptyRecords) {
    ChunkNode* n = nullptr;
    newChunk(&n);
    n->id = CK_PARENT_NAME;
    allocChunkData(n);
    ASSERT_NE(chunkDataAs<StringData>(n->data.get()), nullptr);
    n->next = nullptr;
    ChunkNode* v = nullptr;
    newChunk(&v);
    v->id = CK_VERTICES;
    allocChunkData(v);
    auto* verts = chunkDataAs<VerticesData>(v->data.get());
    ASSERT_NE(verts, nullptr);
    EXPECT_EQ(verts->count, 0);
    ChunkNode* g = nullptr;
    newChunk(&g);
    g->id = 0x1234;
    g->length = 10;
    allocChunkData(g);
    ASSERT_NE(chunkDataAs<RawData>(g->data.get()), nullptr);
    EXPECT_EQ(chunkDataAs<RawData>(g->data.get())->bytes.size(), 4u);
    EXPECT_FALSE(errorPending());
    n->next = v;
    v->next = g;
    freeChunk(&n);
    EXPECT_EQ(n, nullptr);
}

} // namespace
} // namespace tds::test
