// The call trace, handles, names and textures, the fan layout and argument checks.
#include <cmath>
#include <limits>

#include "tests/engine/engine_test_util.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

TEST_F(EngineTest, TraceRecordsEveryCallWithExactArgumentsAndResults) {
    engine::ClearTrace(); // labels now follow first appearance from here
    EngineHandle sphere = CreateSphere(scene, 0, 0, 0, 1);
    RotatePrim(scene, sphere, -30, 0.1, -0.0);
    TranslatePrim(scene, sphere, 1e-300, -2.5, 1.0 / 3.0);
    ScalePrim(scene, sphere, 0, 1, 1); // refused: not invertible
    EngineHandle operand = CreateCSGPrim(scene, sphere);
    EngineHandle csg = CreateCSG(scene, 1, operand, operand);
    GetNameValue(scene, "say \"hi\"\\");
    Capture cap;
    EXPECT_EQ(TesselatePrim(scene, view, csg, 0, &Capture::collect, &cap), 1024);
    FreeScene(scene);
    TesselatePrim(scene, view, csg, 0, nullptr, &cap);
    scene = 0;

    EXPECT_THAT(engine::TraceLines(),
                ElementsAre("CreateSphere(S1, 0, 0, 0, 1) -> P1",
                            "RotatePrim(S1, P1, -30, 0.1, 0) -> 0",
                            "TranslatePrim(S1, P1, 1e-300, -2.5, 0.3333333333333333) -> 0",
                            "ScalePrim(S1, P1, 0, 1, 1) -> -1", "CreateCSGPrim(S1, P1) -> P2",
                            "CreateCSG(S1, 1, P2, P2) -> P3",
                            "GetNameValue(S1, \"say \\\"hi\\\"\\\\\") -> 0",
                            "TesselatePrim(S1, V1, P3, 0, fn, ctx) -> 1024", "FreeScene(S1) -> 0",
                            "TesselatePrim(S1, V1, P3, 0, null, ctx) -> -1"));
    engine::ClearTrace();
    EXPECT_EQ(engine::TraceText(), "");
    CreateView(424242);
    EXPECT_EQ(engine::TraceText(), "CreateView(#424242) -> 0\n");
}

TEST_F(EngineTest, TracePrintsArraysFloatsAndUnusableCounts) {
    const double profile[] = {1, 0, 1, 1, 1, 0, 0.5, 1, 1};
    CreateLathe(scene, 3, 3, profile);
    const float verts[] = {0.1f, 0, 0, 1, 0, 0, 0, 1, 0};
    const int faces[] = {0, 1, 2};
    CreateTriBagF(scene, 3, verts, nullptr, 1, faces, 1);
    CreateSweep(scene, 1, -4, profile);
    CreateSweep(scene, 1, 4, nullptr);
    EXPECT_THAT(
        engine::TraceLines(),
        ElementsAre("NewScene() -> S1", "CreateView(S1) -> V1",
                    "CreateLathe(S1, 3, 3, [1 0 1; 1 1 0; 0.5 1 1]) -> P1",
                    "CreateTriBagF(S1, 3, [0.1 0 0; 1 0 0; 0 1 0], null, 1, [0 1 2], 1) -> P2",
                    "CreateSweep(S1, 1, -4, ptr) -> 0", "CreateSweep(S1, 1, 4, null) -> 0"));
}

TEST_F(EngineTest, NamesTexturesAndScenesAreScopedToTheirScene) {
    EngineHandle box = CreateBox(scene, -1, -1, -1, 1, 1, 1);
    EXPECT_EQ(GetNameValue(scene, "Box1"), 0u);
    ASSERT_TRUE(engine::DefineName(scene, "Box1", box));
    EXPECT_EQ(GetNameValue(scene, "Box1"), box);
    EXPECT_EQ(GetNameValue(scene, nullptr), 0u);

    EngineHandle other = NewScene();
    EXPECT_EQ(GetNameValue(other, "Box1"), 0u);
    EXPECT_FALSE(engine::DefineName(other, "Box1", box)); // a primitive of another scene
    EXPECT_EQ(TranslatePrim(other, box, 1, 0, 0), -1);

    EXPECT_EQ(GetPrimTexture(scene, box), 0u);
    EngineHandle texture = engine::CreateTexture(scene);
    EngineHandle ref = CreateTextureReference(scene, texture);
    ASSERT_NE(ref, 0u);
    EXPECT_EQ(CreateTextureReference(scene, box), 0u); // not a texture
    EXPECT_EQ(SetPrimTexture(scene, box, ref), 0);
    EXPECT_EQ(GetPrimTexture(scene, box), ref);
    EXPECT_EQ(SetPrimTexture(other, box, ref), -1);

    int live = engine::LiveSceneCount();
    EXPECT_EQ(FreeScene(other), 0);
    EXPECT_EQ(engine::LiveSceneCount(), live - 1);
    EXPECT_EQ(FreeScene(other), -1);
    EXPECT_EQ(CreateSphere(other, 0, 0, 0, 1), 0u);
}

TEST_F(EngineTest, PolygonsArriveAsFansOfFourConsecutiveArrays) {
    // A disc is one convex polygon: corners on the unit circle, normal +z.
    EngineHandle disc = CreateDisc(scene, 0, 0, 0, 0, 0, 1, 0, 1);
    ASSERT_EQ(SetPrimUV(scene, disc, 8, 1), 0);
    ASSERT_EQ(TranslatePrim(scene, disc, 0, 0, 2), 0);
    struct Raw {
        int n = 0, tag = -1, calls = 0;
        std::vector<double> data;
    } raw;
    auto cb = [](int n, const double* data, int tag, void* ctx) -> int {
        auto* r = static_cast<Raw*>(ctx);
        r->n = n;
        r->tag = tag;
        r->calls++;
        r->data.assign(data, data + 12 * n);
        return 0;
    };
    EXPECT_EQ(TesselatePrim(scene, view, disc, 0, cb, &raw), 1);
    ASSERT_EQ(raw.calls, 1);
    ASSERT_EQ(raw.n, 8);
    for (int k = 0; k < 8; ++k) {
        const double* pos = &raw.data[3 * k];
        const double* local = &raw.data[24 + 3 * k];
        const double* normal = &raw.data[48 + 3 * k];
        const double* uv = &raw.data[72 + 3 * k];
        EXPECT_NEAR(std::hypot(pos[0], pos[1]), 1.0, 1e-12);
        EXPECT_EQ(pos[2], 2.0);   // transformed
        EXPECT_EQ(local[2], 0.0); // the untransformed position
        EXPECT_NEAR(local[0], pos[0], 1e-15);
        EXPECT_EQ(normal[0], 0.0);
        EXPECT_EQ(normal[1], 0.0);
        EXPECT_EQ(normal[2], 1.0);
        EXPECT_NEAR(uv[0], 0.5 + 0.5 * pos[0], 1e-12);
        EXPECT_NEAR(uv[1], 0.5 + 0.5 * pos[1], 1e-12);
    }
    // Counter-clockwise about the normal.
    EXPECT_GT(raw.data[0] * raw.data[4] - raw.data[1] * raw.data[3], 0);
}

TEST_F(EngineTest, NonZeroCallbackResultStopsDelivery) {
    EngineHandle sphere = CreateSphere(scene, 0, 0, 0, 1);
    Capture cap;
    cap.stopAfter = 3;
    EXPECT_EQ(TesselatePrim(scene, view, sphere, 0, &Capture::collect, &cap), 3);
    EXPECT_EQ(cap.polys.size(), 3u);
}

TEST_F(EngineTest, BadArgumentsFailWithoutSideEffects) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double pts[] = {0, 0, 1, 1, 0, 1, 1, 1, 1};
    const float fv[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const int goodFace[] = {0, 1, 2}, badFace[] = {0, 1, 3}, negFace[] = {0, -1, 2};
    int patch[16] = {};

    // Constructors: 0.
    EXPECT_EQ(CreateView(0), 0u);
    EXPECT_EQ(CreateSphere(0, 0, 0, 0, 1), 0u);
    EXPECT_EQ(CreateSphere(view, 0, 0, 0, 1), 0u); // a view is not a scene
    EXPECT_EQ(CreateSphere(scene, 0, 0, 0, 0), 0u);
    EXPECT_EQ(CreateSphere(scene, nan, 0, 0, 1), 0u);
    EXPECT_EQ(CreateBox(scene, 0, 0, 0, 1, 1, 0), 0u);
    EXPECT_EQ(CreateCylinder(scene, 0, 0, 0, 0, 0, 0, 1), 0u);
    EXPECT_EQ(CreateCone(scene, 0, 0, 0, 0, 0, 0, 1, 0), 0u);
    EXPECT_EQ(CreateTorus(scene, 0, 0, 0, 0, 0, 0, 1, 0.2), 0u);
    EXPECT_EQ(CreateDisc(scene, 0, 0, 0, 0, 0, 1, 1, 1), 0u);
    EXPECT_EQ(CreateSuperQ(scene, 0, 1), 0u);
    EXPECT_EQ(CreateLathe(scene, 1, 1, pts), 0u);
    EXPECT_EQ(CreateLathe(scene, 4, 3, pts), 0u);
    EXPECT_EQ(CreateLathe(scene, 1, 3, nullptr), 0u);
    EXPECT_EQ(CreateSweep(scene, 1, 2, pts), 0u);
    EXPECT_EQ(CreateSweep(scene, 1, 0x7fffffff, pts), 0u);
    patch[5] = 3; // one past the last point
    EXPECT_EQ(CreateSplineMesh(scene, 0, 3, pts, 1, patch), 0u);
    EXPECT_EQ(CreateSplineMesh(scene, 0, 3, pts, -1, patch), 0u);
    EXPECT_EQ(CreateTriBagF(scene, 3, fv, nullptr, 1, badFace, 1), 0u);
    EXPECT_EQ(CreateTriBagF(scene, 3, fv, nullptr, 1, negFace, 1), 0u);
    EXPECT_EQ(CreateTriBagF(scene, 3, nullptr, nullptr, 1, goodFace, 1), 0u);
    EXPECT_EQ(CreateTriBagF(scene, 3, fv, nullptr, 0, goodFace, 1), 0u);
    EXPECT_EQ(CreateTriBag2F(scene, -3, fv, nullptr, fv, 1, goodFace, 1), 0u);
    EXPECT_EQ(CreateClone(scene, 0), 0u);
    EXPECT_EQ(CreateCSGPrim(scene, view), 0u);

    EngineHandle sphere = CreateSphere(scene, 0, 0, 0, 1);
    EngineHandle operand = CreateCSGPrim(scene, sphere);
    EXPECT_EQ(CreateCSG(scene, 0, operand, operand), 0u);
    EXPECT_EQ(CreateCSG(scene, 5, operand, operand), 0u);
    EXPECT_EQ(CreateCSG(scene, 1, operand, 0), 0u);

    // Modifiers: -1, on the wrong kind of primitive too.
    EngineHandle light = CreateLight(scene);
    EngineHandle blob = CreateBlob(scene);
    EXPECT_EQ(SetPrimUV(scene, sphere, 0, 4), -1);
    EXPECT_EQ(SetPrimUV(scene, sphere, 4, 5000), -1);
    EXPECT_EQ(SetPrimUV(scene, light, 4, 4), -1);
    EXPECT_EQ(SetConeEndcaps(scene, sphere, 1), -1);
    EXPECT_EQ(SetTorusSolver(scene, sphere, 1), -1);
    EXPECT_EQ(SetBlobSolver(scene, blob, 3), -1);
    EXPECT_EQ(SetBlobThreshold(scene, blob, 0), -1);
    EXPECT_EQ(AddBlobSphereComponent(scene, blob, 0, 0, 0, -1, 1), -1);
    EXPECT_EQ(AddBlobCylinderComponent(scene, sphere, 0, 0, 0, 1, 1, 1, 1, 1), -1);
    EXPECT_EQ(SmoothTriBag(scene, sphere, 30), -1);
    EXPECT_EQ(SetGlyphExtrusion(scene, sphere, 1, 1), -1);
    EXPECT_EQ(SetGlyphConeFlag(scene, light, 1), -1);
    EXPECT_EQ(SetLightColor(scene, sphere, 1, 1, 1), -1);
    EXPECT_EQ(SetSpotLightCoeffs(scene, light, 0, 0, -2, 1, 1, 1), -1); // not a spot light
    EXPECT_EQ(SetAreaLight(scene, light, 2, 2, 1, 0.5), -1);            // not an area light
    EXPECT_EQ(ScalePrim(scene, sphere, 1, 0, 1), -1);
    EXPECT_EQ(RotatePrim(scene, sphere, nan, 0, 0), -1);
    EXPECT_EQ(TranslatePrim(scene, 0, 1, 0, 0), -1);
    EXPECT_EQ(UpdatePrim(scene, 987654), -1);
    EXPECT_EQ(GetPrimTexture(scene, 0), 0u);
    EXPECT_EQ(SetPrimTexture(scene, sphere, 0), -1);

    // Tessellation: bad view, foreign primitive, no callback.
    Capture cap;
    EXPECT_EQ(TesselatePrim(scene, scene, sphere, 0, &Capture::collect, &cap), -1);
    EXPECT_EQ(TesselatePrim(scene, view, 0, 0, &Capture::collect, &cap), -1);
    EXPECT_EQ(TesselatePrim(scene, view, sphere, 0, nullptr, &cap), -1);
    EXPECT_TRUE(cap.polys.empty());
    // The failed modifiers changed nothing: still the unit sphere.
    Capture good = tessellate(sphere);
    good.forEachCorner([](const Corner& c, const Poly&) { EXPECT_NEAR(norm(c.pos), 1.0, 1e-12); });
}

TEST_F(EngineTest, LightsAcceptTheirSettingsAndYieldNoPolygons) {
    EngineHandle spot = CreateSpotLight(scene);
    EngineHandle area = CreateAreaLight(scene);
    EngineHandle point = CreateLight(scene);
    EXPECT_EQ(SetLightLocation(scene, spot, 0, 0, 0), 0);
    EXPECT_EQ(SetSpotLightCoeffs(scene, spot, 0, 0, -2, 30, 20, 10), 0);
    EXPECT_EQ(SetAreaLight(scene, area, 4, 4, 1, 0.5), 0);
    EXPECT_EQ(RotatePrim(scene, area, 90, 0, 0), 0);
    for (EngineHandle l : {spot, area, point}) {
        EXPECT_EQ(SetLightColor(scene, l, 1, 0.5, 0.25), 0);
        EXPECT_EQ(SetLightShadowing(scene, l, 1), 0);
        EXPECT_EQ(SetLightCoeffs(scene, l, 0.005, 0, 0.5), 0);
        EXPECT_EQ(SetLightVolumetric(scene, l, 0), 0);
        EXPECT_EQ(SetLightAttenuated(scene, l, 1), 0);
        EXPECT_TRUE(tessellate(l).polys.empty());
    }
}

} // namespace
