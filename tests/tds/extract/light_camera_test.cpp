#include <cmath>

#include "extract_fixture.h"

namespace tds {
namespace {

using test::ChunkWriter;
using test::LoadedDatabase;
using test::sceneFile;

void omni(ChunkWriter& w, const char* name, float x) {
    w.begin(0x4000).str(name).begin(0x4600).point(x, 0, 0).end().end();
}

// Two omni lights around a spotlight, plus a mesh and a camera the light walk skips.
void lightsScene(ChunkWriter& w) {
    w.begin(0x4000).str("Box").begin(0x4100).end().end();
    omni(w, "OmniA", 1);
    w.begin(0x4000).str("Spot").begin(0x4600).point(0, 5, 0);
    w.begin(0x0011).u8(255).u8(0).u8(0).end();
    w.begin(0x0010).f32(0.5f).f32(0.25f).f32(0.125f).end(); // later: wins
    w.floatChunk(0x465B, 2).floatChunk(0x4659, 3).floatChunk(0x465A, 4);
    w.begin(0x4620).end();
    w.begin(0x4625).end();
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        w.stringChunk(0x4654, name);
    w.begin(0x4610).point(1, 2, 3).f32(20).f32(30);
    w.floatChunk(0x4656, 15).floatChunk(0x4657, 2).floatChunk(0x4658, 0.5f);
    w.begin(0x4641).f32(4).f32(6).i16(1024).end();
    for (uint16_t id : {0x4630, 0x4627, 0x4650, 0x4651, 0x4652})
        w.begin(id).end();
    w.stringChunk(0x4653, "proj.tga");
    w.end(); // spotlight
    w.end().end();
    w.begin(0x4000).str("Cam").begin(0x4700).fill(0, 32).end().end();
    omni(w, "OmniB", 2);
}

TEST(Lights, OmniAndSpotlightsAreCountedAndFetchedApart) {
    LoadedDatabase f(sceneFile(lightsScene));
    EXPECT_EQ(CountOmniLights(f.db), 2u);
    EXPECT_EQ(CountSpotlights(f.db), 1u);
    LightRecord* r = nullptr;
    PrepareLightRecord(&r);
    FetchOmniLightByIndex(f.db, 1, &r);
    EXPECT_STREQ(r->name, "OmniB");
    EXPECT_EQ(r->position.x, 2.0f);
    EXPECT_EQ(r->spot, nullptr);
    EXPECT_FLOAT_EQ(r->color.g, 0.708852f); // no colour chunk
    ASSERT_NE(r->excludeList, nullptr);
    EXPECT_EQ(r->excludeList->used, 0u);

    FetchSpotlightByIndex(f.db, 0, &r);
    ASSERT_FALSE(errorPending()) << test::firstError();
    EXPECT_STREQ(r->name, "Spot");
    EXPECT_EQ(r->position.y, 5.0f);
    EXPECT_EQ(r->color.r, 0.5f);
    EXPECT_EQ(r->color.b, 0.125f);
    EXPECT_EQ(r->multiplier, 2.0f);
    EXPECT_EQ(r->innerRange, 3.0f);
    EXPECT_EQ(r->outerRange, 4.0f);
    EXPECT_EQ(r->off, 1);
    EXPECT_EQ(r->attenuated, 1);
    ASSERT_EQ(r->excludeList->used, 6u); // grew past its first five slots
    EXPECT_EQ(r->excludeList->slots[5], "f");
    ASSERT_NE(r->spot, nullptr);
    const SpotParameters& s = *r->spot;
    EXPECT_EQ(s.target.z, 3.0f);
    EXPECT_EQ(s.hotspot, 20.0f);
    EXPECT_EQ(s.falloff, 30.0f);
    EXPECT_EQ(s.roll, 15.0f);
    EXPECT_EQ(s.aspect, 2.0f);
    EXPECT_EQ(s.rayBias, 0.5f);
    EXPECT_EQ(s.localShadow, 1);
    EXPECT_EQ(s.shadowBias, 4.0f);
    EXPECT_EQ(s.shadowFilter, 6.0f);
    EXPECT_EQ(s.shadowMapSize, 1024);
    EXPECT_EQ(s.shadowed + s.rayShadows + s.seeCone + s.rectangular + s.overshoot, 5);
    EXPECT_EQ(s.hasProjector, 1);
    EXPECT_EQ(s.projectorName, "proj.tga");

    // Past the last spotlight: the record is left as it was.
    FetchSpotlightByIndex(f.db, 1, &r);
    EXPECT_STREQ(r->name, "Spot");
    FreeLightRecord(&r);
    EXPECT_EQ(r, nullptr);
}

TEST(Lights, ByteColourAfterFloatColourWinsAndPrepareResets) {
    LoadedDatabase f(sceneFile([](ChunkWriter& w) {
        w.begin(0x4000).str("L").begin(0x4600).point(0, 0, 0);
        w.begin(0x0010).f32(0.5f).f32(0.5f).f32(0.5f).end();
        w.begin(0x0011).u8(0).u8(255).u8(0).end();
        w.end().end();
    }));
    LightRecord* r = nullptr;
    PrepareSpotlightRecord(&r);
    ASSERT_NE(r->spot, nullptr);
    EXPECT_EQ(r->spot->hotspot, 44.0f);
    EXPECT_EQ(r->spot->shadowMapSize, 512);
    // An omni fetch prepares the record as an omni light.
    FetchOmniLightByIndex(f.db, 0, &r);
    EXPECT_EQ(r->spot, nullptr);
    EXPECT_EQ(r->color.r, 0.0f);
    EXPECT_FLOAT_EQ(r->color.g, 1.0f);
    FreeLightRecord(&r);
    FreeLightRecord(&r);
    EXPECT_EQ(CountOmniLights(nullptr), 0u);
    EXPECT_EQ(test::firstError(), ERR_INVALID_ARG);
}

TEST(Cameras, FieldOfViewRangesAndCone) {
    LoadedDatabase f(sceneFile([](ChunkWriter& w) {
        w.begin(0x4000).str("Plain").begin(0x4700);
        w.point(1, 2, 3).point(4, 5, 6).f32(10).f32(50).end().end();
        w.begin(0x4000).str("Ranged").begin(0x4700).point(0, 0, 0).point(0, 0, 1).f32(0).f32(0);
        w.begin(0x4710).end();
        w.begin(0x4720).f32(2).f32(500).end();
        w.end().end();
        omni(w, "NotCam", 0);
    }));
    EXPECT_EQ(CountCameras(f.db), 2u);
    CameraRecord* r = nullptr;
    PrepareCameraRecord(&r);
    FetchCameraByIndex(f.db, 0, &r);
    EXPECT_STREQ(r->name, "Plain");
    EXPECT_EQ(r->position.z, 3.0f);
    EXPECT_EQ(r->target.x, 4.0f);
    EXPECT_EQ(r->roll, 10.0f);
    EXPECT_FLOAT_EQ(r->fieldOfView, 48.0f);
    EXPECT_EQ(r->nearRange, 10.0f);
    EXPECT_EQ(r->farRange, 1000.0f);
    EXPECT_EQ(r->showCone, 0);

    FetchCameraByIndex(f.db, 1, &r);
    EXPECT_STREQ(r->name, "Ranged");
    EXPECT_EQ(r->fieldOfView, 45.0f); // a zero focal length keeps the default
    EXPECT_EQ(r->showCone, 1);
    EXPECT_EQ(r->nearRange, 2.0f);
    EXPECT_EQ(r->farRange, 500.0f);
    EXPECT_FALSE(errorPending()) << test::firstError();

    // A pending error stops the fill right after the reset.
    pushError(ERR_READING_FILE);
    FetchCameraByIndex(f.db, 0, &r);
    EXPECT_EQ(r->name[0], '\0');
    EXPECT_EQ(r->fieldOfView, 45.0f);
    FreeCameraRecord(&r);
    EXPECT_EQ(r, nullptr);
}

TEST(Cameras, UnusableFocalLengthsKeepTheDefaultAngle) {
    for (float lens : {1e-42f, NAN, -INFINITY, -50.0f}) {
        LoadedDatabase f(sceneFile([&](ChunkWriter& w) {
            w.begin(0x4000).str("C").begin(0x4700).fill(0, 28).f32(lens).end().end();
        }));
        CameraRecord* r = nullptr;
        FetchCameraByIndex(f.db, 0, &r);
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(std::isfinite(r->fieldOfView)) << lens;
        EXPECT_EQ(r->fieldOfView, 45.0f) << lens;
        FreeCameraRecord(&r);
    }
}

} // namespace
} // namespace tds
