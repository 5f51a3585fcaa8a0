

#include "extract_fixture.h"

namespace tds {
namespace {

using test::ChunkWriter;
using test::LoadedDatabase;
using test::sceneFile;

constexpr float kByte = 0.003921569f;

// A scene with one material whose entry holds what `body` writes after the name.
std::vector<uint8_t> materialFile(const std::function<void(ChunkWriter&)>& body,
                                  uint16_t top = 0x4D4D) {
    return sceneFile(
        [&](ChunkWriter& w) {
            w.begin(0xAFFF).stringChunk(0xA000, "Mat");
            body(w);
            w.end();
        },
        top);
}

// Loads a file and fetches its first material into a fresh record.
class MaterialFetch : public ::testing::Test {
  protected:
    void load(const std::vector<uint8_t>& bytes) {
        f_ = std::make_unique<LoadedDatabase>(bytes);
        ASSERT_FALSE(f_->loadFailed);
        PrepareMaterialRecord(&r_);
        FetchMaterialByIndex(f_->db, 0, &r_);
    }
    void TearDown() override {
        FreeMaterialRecord(&r_);
        f_.reset();
    }
    std::unique_ptr<LoadedDatabase> f_;
    MaterialRecord* r_ = nullptr;
};

void expectDefaultMap(const TextureMap& m) {
    EXPECT_EQ(m.fileName[0], '\0');
    EXPECT_EQ(m.percent, 0.0f);
    EXPECT_EQ(m.tiling, 1);
    EXPECT_EQ(m.uScale, 1.0f);
    EXPECT_EQ(m.vScale, 1.0f);
    EXPECT_EQ(m.tintType, 0);
    EXPECT_EQ(m.tint1.r, 0.0f);
    EXPECT_EQ(m.tint2.g, 1.0f);
    EXPECT_EQ(m.redTint.r, 1.0f);
    EXPECT_EQ(m.greenTint.r, 0.0f);
    EXPECT_EQ(m.blueTint.b, 1.0f);
    EXPECT_TRUE(m.procedureData.empty());
}

TEST_F(MaterialFetch, NameOnlyGivesDefaultsAndSixteenDefaultMaps) {
    load(materialFile([](ChunkWriter&) {}));
    ASSERT_FALSE(errorPending());
    EXPECT_STREQ(r_->name, "Mat");
    EXPECT_EQ(r_->diffuse.g, 0.0f);
    EXPECT_EQ(r_->shading, 3);
    EXPECT_EQ(r_->wireSize, 1.0f);
    EXPECT_EQ(r_->autoReflectionSize, 100);
    EXPECT_EQ(r_->autoReflectionFrameStep, 1);
    for (const TextureMap* m :
         {&r_->texture1, &r_->texture1Mask, &r_->texture2, &r_->texture2Mask, &r_->opacityMap,
          &r_->opacityMask, &r_->bumpMap, &r_->bumpMask, &r_->specularMap, &r_->specularMask,
          &r_->shininessMap, &r_->shininessMask, &r_->selfIllumMap, &r_->selfIllumMask,
          &r_->reflectionMap, &r_->reflectionMask})
        expectDefaultMap(*m);
}

TEST_F(MaterialFetch, ColoursAndPercentages) {
    load(materialFile([](ChunkWriter& w) {
        w.begin(0xA010).colorByte(255, 0, 51).end();
        // The linear child replaces the 24-bit one whichever comes first.
        w.begin(0xA020).begin(0x0012).u8(10).u8(20).u8(30).end().colorByte(1, 2, 3).end();
        w.begin(0xA040).percentInt(75).end();
        w.begin(0xA041).floatChunk(0x0031, 0.5f).end();
        w.begin(0xA053).end(); // neither child: 0
        w.begin(0xA084).percentInt(-20).end();
    }));
    ASSERT_FALSE(errorPending()) << test::firstError();
    EXPECT_FLOAT_EQ(r_->ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(r_->ambient.b, 51 * kByte);
    EXPECT_FLOAT_EQ(r_->diffuse.r, 10 * kByte);
    EXPECT_FLOAT_EQ(r_->diffuse.b, 30 * kByte);
    EXPECT_FLOAT_EQ(r_->shininess, 0.75f);
    EXPECT_FLOAT_EQ(r_->shininessStrength, 0.5f);
    EXPECT_EQ(r_->reflectionBlur, 0.0f);
    EXPECT_FLOAT_EQ(r_->selfIllumination, -0.2f);
}

TEST_F(MaterialFetch, ColourWithoutByteChildIsUnfound) {
    load(materialFile(
        [](ChunkWriter& w) { w.begin(0xA030).begin(0x0010).f32(1).f32(1).f32(1).end().end(); }));
    EXPECT_EQ(test::firstError(), ERR_UNFOUND_CHUNK);
    EXPECT_EQ(r_->specular.r, 0.0f);
}

TEST_F(MaterialFetch, TransparencyNegationFollowsFileOrder) {
    load(materialFile([](ChunkWriter& w) {
        w.begin(0xA050).percentInt(40).end();
        w.begin(0xA08A).end();
    }));
    EXPECT_FLOAT_EQ(r_->transparency, -0.4f);
    TearDown();
    load(materialFile([](ChunkWriter& w) {
        w.begin(0xA08A).end();
        w.begin(0xA050).percentInt(40).end();
    }));
    EXPECT_FLOAT_EQ(r_->transparency, 0.4f);
    EXPECT_FALSE(errorPending());
}

TEST_F(MaterialFetch, FlagsShadingAndSkippedChunks) {
    load(materialFile([](ChunkWriter& w) {
        w.begin(0x8000).rawChunk(0x8001, {1, 2}).end(); // other applications' data
        w.begin(0xA042).percentInt(10).end();
        w.int16Chunk(0xA100, 2);
        w.floatChunk(0xA087, 2.5f);
        for (uint16_t id : {0xA081, 0xA080, 0xA083, 0xA08E, 0xA088, 0xA08C, 0xA240, 0xA250})
            w.begin(id).end();
    }));
    ASSERT_FALSE(errorPending()) << test::firstError();
    EXPECT_EQ(r_->shading, 2);
    EXPECT_EQ(r_->wireSize, 2.5f);
    EXPECT_EQ(r_->twoSided + r_->selfIlluminated + r_->additive + r_->wireAbsolute +
                  r_->faceMapped + r_->soften + r_->useTransparencyFalloff + r_->useReflectionBlur,
              8);
    TearDown();
    load(materialFile([](ChunkWriter& w) {
        w.int16Chunk(0xA100, 2);
        w.begin(0xA085).end(); // wire frame
    }));
    EXPECT_EQ(r_->shading, 0);
}

struct TilingCase {
    uint16_t word;
    int32_t tiling, tintType;
    uint8_t mirror, negative, ignoreAlpha;
    int32_t filter;
};

TEST_F(MaterialFetch, TilingWordDecoding) {
    const TilingCase cases[] = {
        {0x0000, 1, 0, 0, 0, 0, 0}, {0x0001, 3, 0, 0, 0, 0, 0}, {0x0011, 2, 0, 0, 0, 0, 0},
        {0x00C0, 1, 3, 0, 0, 0, 0}, {0x0080, 1, 2, 0, 0, 0, 0}, {0x0040, 1, 1, 0, 0, 0, 0},
        {0x0200, 1, 4, 0, 0, 0, 0}, {0x0280, 1, 2, 0, 0, 0, 0}, {0x012A, 1, 0, 1, 1, 1, 1},
    };
    for (const TilingCase& c : cases) {
        SCOPED_TRACE(c.word);
        load(materialFile(
            [&](ChunkWriter& w) { w.begin(0xA200).begin(0xA351).u16(c.word).end().end(); }));
        const TextureMap& m = r_->texture1;
        EXPECT_EQ(m.tiling, c.tiling);
        EXPECT_EQ(m.tintType, c.tintType);
        EXPECT_EQ(m.mirror, c.mirror);
        EXPECT_EQ(m.negative, c.negative);
        EXPECT_EQ(m.ignoreAlpha, c.ignoreAlpha);
        EXPECT_EQ(m.filter, c.filter);
        TearDown();
    }
}

TEST_F(MaterialFetch, MapParametersTintsAndCutFileName) {
    load(materialFile([](ChunkWriter& w) {
        w.begin(0xA33E);
        w.floatChunk(0x0031, 0.25f);
        w.stringChunk(0xA300, "ABCDEFGHIJKLMNOP"); // 16 characters: the field holds 12
        w.floatChunk(0xA353, 0.1f).floatChunk(0xA354, 2).floatChunk(0xA356, 3);
        w.floatChunk(0xA358, 4).floatChunk(0xA35A, 5).floatChunk(0xA35C, 45);
        w.begin(0xA360).u8(255).u8(0).u8(0).end();
        w.begin(0xA368).u8(0).u8(0).u8(51).end();
        w.begin(0x7777).end(); // unknown inside a map: ignored
        w.end();
        w.begin(0xA230).percentInt(10).int16Chunk(0xA252, 60).end();
    }));
    ASSERT_FALSE(errorPending()) << test::firstError();
    const TextureMap& m = r_->texture1Mask;
    EXPECT_STREQ(m.fileName, "ABCDEFGHIJKL");
    EXPECT_FLOAT_EQ(m.percent, 0.25f);
    EXPECT_FLOAT_EQ(m.blur, 0.1f);
    EXPECT_EQ(m.uScale, 2.0f);
    EXPECT_EQ(m.vScale, 3.0f);
    EXPECT_EQ(m.uOffset, 4.0f);
    EXPECT_EQ(m.vOffset, 5.0f);
    EXPECT_EQ(m.rotation, 45.0f);
    EXPECT_FLOAT_EQ(m.tint1.r, 1.0f);
    EXPECT_FLOAT_EQ(m.blueTint.b, 0.2f);
    EXPECT_EQ(m.blueTint.r, 0.0f);
    EXPECT_EQ(m.tint2.r, 1.0f); // untouched default
    EXPECT_FLOAT_EQ(r_->bumpMap.percent, 0.6f);
    expectDefaultMap(r_->texture1);
}

TEST_F(MaterialFetch, ProceduralDataAndAutoReflection) {
    load(materialFile([](ChunkWriter& w) {
        w.rawChunk(0xA320, {1, 2, 3});
        w.rawChunk(0xA338, {4});
        w.begin(0xA310).u8(0).u8(0).i16(0x0009).u32(256).u32(5).end();
    }));
    ASSERT_FALSE(errorPending()) << test::firstError();
    EXPECT_EQ(r_->texture1.procedureData, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(r_->texture1.procedureSize, 3u);
    EXPECT_EQ(r_->reflectionMask.procedureSize, 1u);
    EXPECT_EQ(r_->useAutoReflection, 1);
    EXPECT_EQ(r_->autoReflectionFlagA, 1);
    EXPECT_EQ(r_->autoReflectionFlagB, 0);
    EXPECT_EQ(r_->autoReflectionSize, 256);
    EXPECT_EQ(r_->autoReflectionFrameStep, 5);
    TearDown();
    load(materialFile(
        [](ChunkWriter& w) { w.begin(0xA310).u8(0).u8(0).i16(0x0018).u32(1).u32(1).end(); }));
    EXPECT_EQ(r_->autoReflectionFlagA + r_->autoReflectionFlagB, 0); // bit 0 clear
}

TEST_F(MaterialFetch, UnexpectedChunkStopsTheFillUnlessErrorsAreIgnored) {
    const auto body = [](ChunkWriter& w) {
        w.begin(0xA020).colorByte(255, 255, 255).end();
        w.begin(0xA999).end();
        w.begin(0xA030).colorByte(255, 255, 255).end();
    };
    load(materialFile(body));
    EXPECT_EQ(test::firstError(), ERR_INVALID_CHUNK);
    EXPECT_STREQ(r_->name, "Mat");
    EXPECT_FLOAT_EQ(r_->diffuse.r, 1.0f);
    EXPECT_EQ(r_->specular.r, 0.0f);
    TearDown();

    f_ = std::make_unique<LoadedDatabase>(materialFile(body));
    setIgnoreErrors(true);
    PrepareMaterialRecord(&r_);
    FetchMaterialByIndex(f_->db, 0, &r_);
    EXPECT_EQ(test::firstError(), ERR_INVALID_CHUNK);
    EXPECT_FLOAT_EQ(r_->specular.r, 1.0f);
}

TEST(MaterialIndex, CountsLibrariesAndEmptyFilesAndLeavesRecordsOnPendingErrors) {
    const auto twoMaterials = [](ChunkWriter& w) {
        w.begin(0xAFFF).stringChunk(0xA000, "One").end();
        w.begin(0xAFFF).stringChunk(0xA000, "Two").end();
    };
    // A material library holds its entries right under the top chunk.
    ChunkWriter lib;
    lib.begin(0x3DAA);
    twoMaterials(lib);
    lib.end();
    LoadedDatabase library(lib.take());
    EXPECT_EQ(CountMaterials(library.db), 2u);
    MaterialRecord* r = nullptr;
    PrepareMaterialRecord(&r);
    FetchMaterialByIndex(library.db, 1, &r);
    EXPECT_STREQ(r->name, "Two");
    EXPECT_EQ(library.db->materialIndex->entries[0].name, "One");

    LoadedDatabase none(sceneFile([](ChunkWriter& w) { w.begin(0x4000).str("x").end(); }));
    EXPECT_EQ(CountMaterials(none.db), 0u);
    FetchMaterialByIndex(none.db, 0, &r); // nothing to fetch: untouched
    EXPECT_STREQ(r->name, "Two");

    LoadedDatabase scene(sceneFile(twoMaterials));
    pushError(ERR_INVALID_CHUNK);
    EXPECT_EQ(CountMaterials(scene.db), 2u); // counting ignores a pending error
    FetchMaterialByIndex(scene.db, 0, &r);
    EXPECT_STREQ(r->name, "Two");
    clearErrors();
    FetchMaterialByIndex(scene.db, 0, &r);
    EXPECT_STREQ(r->name, "One");

    EXPECT_EQ(CountMaterials(nullptr), 0u);
    EXPECT_EQ(test::firstError(), ERR_INVALID_ARG);
    FreeMaterialRecord(&r);
    EXPECT_EQ(r, nullptr);
}

} // namespace
} // namespace tds
