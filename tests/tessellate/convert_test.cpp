// convertObject against a fake host, checked through the engine's call trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "fake_host.h"
#include "platform/standin_control.h"
#include "tessellate/convert.h"
#include "tessoid/tessoid_object.h"
#include "trace_util.h"

using namespace testhost;
using namespace tessoid;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ConvertTest : public ::testing::Test {
  protected:
    void SetUp() override {
        scene = NewScene();
        engine::ClearTrace();
        standin::ClearDebugLog();
        standin::ClearMessageBoxLog();
    }
    void TearDown() override {
        FreeScene(scene);
        EXPECT_EQ(host.openLists, 0) << "every child list opened is closed";
    }
    EngineHandle convert(const FakeObject& object) { return convertObject(scene, object.handle); }
    FakeObject& groupOf(int32_t kind, const std::vector<int32_t>& childKinds) {
        FakeObject& group = host.add(kind, "Group");
        for (int32_t childKind : childKinds)
            host.addChild(group, host.add(childKind, "Child"));
        return group;
    }

    FakeHost host;
    EngineHandle scene = 0;
};

// ---- groups ------------------------------------------------------------------

TEST_F(ConvertTest, GroupsCombineTheirChildrenBalancedOrAsALeftFold) {
    // Kind 1 with five children: the first two on the left, the other three on the right.
    EngineHandle five = convert(groupOf(1, {2, 3, 4, 22, 21}));
    ASSERT_NE(five, 0u);
    EXPECT_EQ(lastCsgExpression(),
              "CSG(1, CSG(1, P(Box), P(Sphere)), CSG(1, P(Cylinder), CSG(1, P(Disc), P(Disc))))");

    // Kind 12 code 2 is a difference folded from the left.
    engine::ClearTrace();
    FakeObject& difference = groupOf(12, {2, 3, 4});
    difference.set<int32_t>(OFFSET_GROUP_OPERATION, 2);
    ASSERT_NE(convert(difference), 0u);
    EXPECT_EQ(lastCsgExpression(), "CSG(3, CSG(3, P(Box), P(Sphere)), P(Cylinder))");

    // Codes 0, 1, 3 map to operations 1, 2, 4, combined balanced.
    const std::pair<int32_t, std::string> codes[] = {{0, "1"}, {1, "2"}, {3, "4"}};
    for (const auto& [code, operation] : codes) {
        engine::ClearTrace();
        FakeObject& g = groupOf(12, {2, 3, 22});
        g.set<int32_t>(OFFSET_GROUP_OPERATION, code);
        ASSERT_NE(convert(g), 0u);
        EXPECT_EQ(lastCsgExpression(),
                  "CSG(" + operation + ", P(Box), CSG(" + operation + ", P(Sphere), P(Disc)))");
    }
}

TEST_F(ConvertTest, GroupsWithOneOrNoConvertibleChildOrAnUnknownCode) {
    // A camera and an unmarked box drop out; the sphere is wrapped once.
    FakeObject& lone = groupOf(12, {5, 3});
    FakeObject& unmarked = host.add(2, "Hidden");
    unmarked.record->base.stateFlags = 0;
    host.addChild(lone, unmarked);
    ASSERT_NE(convert(lone), 0u);
    EXPECT_EQ(lastCsgExpression(), "P(Sphere)");
    EXPECT_THAT(traceLinesOf({"CreateCSG"}), IsEmpty());

    engine::ClearTrace();
    EXPECT_EQ(convert(groupOf(1, {5, 9, 11})), 0u);
    EXPECT_EQ(convert(groupOf(1, {})), 0u);

    // An unknown operation converts no child at all.
    FakeObject& unknown = groupOf(12, {2, 3});
    unknown.set<int32_t>(OFFSET_GROUP_OPERATION, 7);
    EXPECT_EQ(convert(unknown), 0u);
    EXPECT_THAT(traceLinesOf({"CreateBox", "CreateSphere"}), IsEmpty());
}

// ---- transforms, names, bit 3 -------------------------------------------------

TEST_F(ConvertTest, TransformsSkipNeutralValuesAndNegateRotations) {
    FakeObject& box = host.add(2, "Box");
    box.rotate(30, 0, 0); // scale (1, 1, 1) and translation (0, 0, 0) stay neutral
    ASSERT_NE(convert(box), 0u);
    EXPECT_THAT(engine::TraceLines(), ElementsAre("GetNameValue(S1, \"Box\") -> 0",
                                                  "CreateBox(S1, -1, -1, -1, 1, 1, 1) -> P1",
                                                  "RotatePrim(S1, P1, -30, 0, 0) -> 0"));

    // Pre-transformation first, then the object's own; one differing component suffices.
    engine::ClearTrace();
    FakeObject& sphere = host.add(3, "Ball");
    sphere.scale(1, 2, 1).translate(0, 0, 0.5);
    sphere.transform.hasPre = 1;
    sphere.transform.preScale[0] = sphere.transform.preScale[1] = sphere.transform.preScale[2] = 1;
    sphere.transform.preRotation[2] = -45;
    sphere.transform.preTranslation[0] = 3;
    ASSERT_NE(convert(sphere), 0u);
    EXPECT_THAT(
        traceLinesOf({"ScalePrim", "RotatePrim", "TranslatePrim"}),
        ElementsAre("RotatePrim(S1, P1, 0, 0, 45) -> 0", "TranslatePrim(S1, P1, 3, 0, 0) -> 0",
                    "ScalePrim(S1, P1, 1, 2, 1) -> 0", "TranslatePrim(S1, P1, 0, 0, 0.5) -> 0"));

    // A pre-transformation that is not flagged present is ignored.
    engine::ClearTrace();
    FakeObject& plain = host.add(3, "Plain");
    plain.transform.preTranslation[0] = 9;
    ASSERT_NE(convert(plain), 0u);
    EXPECT_THAT(traceLinesOf({"ScalePrim", "RotatePrim", "TranslatePrim"}), IsEmpty());
}

TEST_F(ConvertTest, AKnownNameShortCutsAndBitThreeGates) {
    EngineHandle known = CreateTorus(scene, 0, 0, 0, 0, 0, 1, 2, 1);
    ASSERT_TRUE(engine::DefineName(scene, "Ring", known));
    engine::ClearTrace();
    FakeObject& ring = host.add(3, "Ring");
    ring.rotate(10, 20, 30).translate(1, 1, 1);
    EXPECT_EQ(convert(ring), known);
    EXPECT_THAT(engine::TraceLines(), ElementsAre("GetNameValue(S1, \"Ring\") -> P1"));

    engine::ClearTrace();
    FakeObject& hidden = host.add(3, "Hidden");
    hidden.record->base.stateFlags = STATE_TESSELLABLE ^ 0xff; // every bit but 3
    EXPECT_EQ(convert(hidden), 0u);
    EXPECT_EQ(convertObject(scene, 0xdead), 0u); // the host cannot read it
    EXPECT_THAT(engine::TraceLines(), IsEmpty());
}

TEST_F(ConvertTest, ATransformTheHostCannotGiveLeavesTheShapeAsBuilt) {
    FakeObject& box = host.add(2, "Box");
    box.transformFails = true;
    ASSERT_NE(convert(box), 0u);
    EXPECT_THAT(traceLinesOf({"ScalePrim", "RotatePrim", "TranslatePrim"}), IsEmpty());
}

// ---- shapes --------------------------------------------------------------------

TEST_F(ConvertTest, PrimitiveShapesUseTheirRecordFields) {
    FakeObject& cylinder = host.add(4, "Cyl"); // int 268 = 0: closed
    FakeObject& openCone = host.add(17, "Cone");
    openCone.set<double>(OFFSET_CONE_CAP_RADIUS, 0.25).set<double>(OFFSET_CONE_BASE_RADIUS, 1.5);
    openCone.set<int32_t>(OFFSET_CONE_OPEN, 1);
    FakeObject& torus = host.add(18, "Torus");
    torus.set<double>(OFFSET_TORUS_MAJOR, 2.0).set<double>(OFFSET_TORUS_MINOR, 0.5);
    torus.set<int32_t>(OFFSET_TORUS_PRECISE, 1);
    FakeObject& disc = host.add(22, "Disc");
    disc.set<double>(OFFSET_DISC_HOLE, 0.3);
    FakeObject& superq = host.add(27, "SQ");
    superq.set<double>(OFFSET_SUPERQ_N, 0.2).set<double>(OFFSET_SUPERQ_E, 0.7);
    for (FakeObject* o : {&cylinder, &openCone, &torus, &disc, &superq, &host.add(21, "Floor")})
        EXPECT_NE(convert(*o), 0u);
    EXPECT_THAT(
        traceLinesOf({"CreateCylinder", "CreateCone", "SetConeEndcaps", "CreateTorus",
                      "SetTorusSolver", "CreateDisc", "CreateSuperQ"}),
        ElementsAre(
            "CreateCylinder(S1, 0, 0, 0, 0, 0, 1, 1) -> P1", "SetConeEndcaps(S1, P1, 1) -> 0",
            "CreateCone(S1, 0, 0, 0, 1.5, 0, 0, 1, 0.25) -> P2", "SetConeEndcaps(S1, P2, 0) -> 0",
            "CreateTorus(S1, 0, 0, 0, 0, 0, 1, 2, 0.5) -> P3", "SetTorusSolver(S1, P3, 2) -> 0",
            "CreateDisc(S1, 0, 0, 0, 0, 0, 1, 0.3, 1) -> P4", "CreateSuperQ(S1, 0.7, 0.2) -> P5",
            "CreateDisc(S1, 0, 0, 0, 0, 0, 1, 0, 10000) -> P6"));
    // Kinds without a shape yield nothing and make no engine call.
    engine::ClearTrace();
    for (int32_t kind : {5, 9, 11, 14, 15, 16, 24, 0, 30, -1})
        EXPECT_EQ(convert(host.add(kind, "None")), 0u) << kind;
    EXPECT_THAT(traceLinesOf({"CreateBox", "CreateSphere", "CreateLight"}), IsEmpty());
}

TEST_F(ConvertTest, SweepsRepeatTheirFirstPointAndLathesDoNot) {
    const ProfilePoint square[] = {{1, 0, 0, {}}, {2, 0, 0, {}}, {2, 1, 0, {}}, {1, 1, 0, {}}};
    FakeObject& sweep = host.add(6, "Sweep");
    sweep.profile.assign(std::begin(square), std::end(square));
    sweep.set<int32_t>(OFFSET_PROFILE_CURVE, 3).set<int32_t>(OFFSET_PROFILE_UV_STEPS, 6);
    host.wireGetters(sweep);
    ASSERT_NE(convert(sweep), 0u);

    // Curve type 4 becomes 3; its control points (flag bit 1) get w = 0.
    FakeObject& lathe = host.add(7, "Lathe");
    lathe.profile.assign(std::begin(square), std::end(square));
    lathe.profile[1].flags = PROFILE_POINT_CONTROL;
    lathe.profile[2].flags = 1; // another bit: still an anchor
    lathe.set<int32_t>(OFFSET_PROFILE_CURVE, 4).set<int32_t>(OFFSET_PROFILE_UV_STEPS, 5);
    host.wireGetters(lathe);
    ASSERT_NE(convert(lathe), 0u);

    FakeObject& glyph = host.add(8, "Glyph");
    glyph.profile.assign(std::begin(square), std::end(square));
    glyph.set<int32_t>(OFFSET_PROFILE_CURVE, 9).set<int32_t>(OFFSET_PROFILE_UV_STEPS, 3); // linear
    glyph.set<double>(OFFSET_GLYPH_DEPTH, 0.5).set<double>(OFFSET_GLYPH_END_SCALE, 0.75);
    host.wireGetters(glyph);
    ASSERT_NE(convert(glyph), 0u);

    EXPECT_THAT(traceLinesOf({"CreateSweep", "CreateLathe", "SetPrimUV", "SetGlyphConeFlag",
                              "SetGlyphExtrusion"}),
                ElementsAre("CreateSweep(S1, 2, 5, [1 0 1; 2 0 1; 2 1 1; 1 1 1; 1 0 1]) -> P1",
                            "SetPrimUV(S1, P1, 6, 1) -> 0",
                            "CreateLathe(S1, 3, 4, [1 0 1; 2 0 0; 2 1 1; 1 1 1]) -> P2",
                            "SetPrimUV(S1, P2, 5, 8) -> 0",
                            "CreateSweep(S1, 1, 5, [1 0 1; 2 0 1; 2 1 1; 1 1 1; 1 0 1]) -> P3",
                            "SetPrimUV(S1, P3, 3, 1) -> 0", "SetGlyphConeFlag(S1, P3, 1) -> 0",
                            "SetGlyphExtrusion(S1, P3, 0.5, 0.75) -> 0"));
}

TEST_F(ConvertTest, HostCountsAreCheckedBeforeAnythingIsRead) {
    FakeObject& sweep = host.add(6, "Sweep");
    sweep.profile = {{1, 0, 0, {}}, {2, 0, 0, {}}};
    host.wireGetters(sweep);
    for (int32_t bad : {0, -3, 0x7fffffff}) {
        sweep.set<int32_t>(OFFSET_PROFILE_COUNT, bad);
        EXPECT_EQ(convert(sweep), 0u) << bad;
    }
    FakeObject& blob = host.add(26, "Blob");
    blob.set<int32_t>(OFFSET_BLOB_COUNT, -1);
    EXPECT_EQ(convert(blob), 0u);
    FakeObject& patch = host.add(13, "Patch");
    patch.points = {{0, 0, 0}};
    patch.patches = {{}};
    host.wireGetters(patch);
    patch.set<int32_t>(OFFSET_PATCH_COUNT, 1 << 30);
    EXPECT_EQ(convert(patch), 0u);
    EXPECT_EQ(host.getterCalls, 0);
    EXPECT_THAT(engine::TraceLines(), ::testing::Each(::testing::StartsWith("GetNameValue")));
}

TEST_F(ConvertTest, PatchMeshesReadPointsAndPatchesAndFailOnABadPatch) {
    FakeObject& patch = host.add(13, "Patch");
    for (int i = 0; i < 16; ++i)
        patch.points.push_back({double(i % 4), double(i / 4), 0});
    std::array<int32_t, 16> indices;
    for (int i = 0; i < 16; ++i)
        indices[i] = i;
    patch.patches = {indices};
    patch.set<int32_t>(OFFSET_PATCH_U_LEVEL, 2).set<int32_t>(OFFSET_PATCH_V_LEVEL, 3);
    host.wireGetters(patch);
    ASSERT_NE(convert(patch), 0u);
    std::vector<std::string> lines = traceLinesOf({"CreateSplineMesh", "SetPrimUV"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], ::testing::StartsWith("CreateSplineMesh(S1, 0, 16, [0 0 0; 1 0 0;"));
    EXPECT_THAT(lines[0],
                ::testing::EndsWith(", 1, [0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15]) -> P1"));
    EXPECT_EQ(lines[1], "SetPrimUV(S1, P1, 5, 9) -> 0");

    engine::ClearTrace();
    patch.patches.push_back(indices);
    patch.failingPatch = 1;
    host.wireGetters(patch);
    EXPECT_EQ(convert(patch), 0u);
    EXPECT_THAT(traceLinesOf({"CreateSplineMesh"}), IsEmpty());
}

TEST_F(ConvertTest, LightsGetTheirSettingsAndCoefficients) {
    FakeObject& bulb = host.add(10, "Bulb");
    bulb.set<double>(OFFSET_LIGHT_COLOR, 1.0).set<double>(OFFSET_LIGHT_COLOR + 8, 0.5);
    bulb.set<double>(OFFSET_LIGHT_COLOR + 16, 0.25);
    bulb.set<double>(OFFSET_LIGHT_ATTENUATION, 2.0).set<double>(OFFSET_LIGHT_RADIUS, 10.0);
    bulb.set<int32_t>(OFFSET_LIGHT_VOLUMETRIC, 1).set<int32_t>(OFFSET_LIGHT_ATTENUATED, 3);
    EXPECT_NE(convert(bulb), 0u);
    EXPECT_THAT(
        engine::TraceLines(),
        ElementsAre("GetNameValue(S1, \"Bulb\") -> 0", "CreateLight(S1) -> P1",
                    "SetLightColor(S1, P1, 1, 0.5, 0.25) -> 0", "SetLightShadowing(S1, P1, 1) -> 0",
                    "SetLightCoeffs(S1, P1, 0.005, 0, 0.5) -> 0",
                    "SetLightVolumetric(S1, P1, 1) -> 0", "SetLightAttenuated(S1, P1, 3) -> 0"));

    // The bands of a and the guard on r.
    const struct {
        double a, r;
        const char* coeffs;
    } cases[] = {{1.0, 0.0, "0, 0, 1"},
                 {1.0, 4.0, "0, 0.125, 0.5"},
                 {0.49, 4.0, "0, 0, 1"},
                 {1.5, 2.0, "0.125, 0, 0.5"},
                 {2.0, 0.00001, "0, 0, 1"}};
    for (const auto& c : cases) {
        engine::ClearTrace();
        FakeObject& light = host.add(10, "L");
        light.set<double>(OFFSET_LIGHT_ATTENUATION, c.a).set<double>(OFFSET_LIGHT_RADIUS, c.r);
        light.set<int32_t>(OFFSET_LIGHT_NO_SHADOWS, 1);
        convert(light);
        EXPECT_THAT(traceLinesOf({"SetLightCoeffs", "SetLightShadowing"}),
                    ElementsAre("SetLightShadowing(S1, P1, 0) -> 0",
                                std::string("SetLightCoeffs(S1, P1, ") + c.coeffs + ") -> 0"))
            << "a " << c.a << " r " << c.r;
    }
}

TEST_F(ConvertTest, SpotAndAreaLightsMakeTheirOwnCallsBeforeTheSettings) {
    FakeObject& spot = host.add(19, "Spot");
    spot.set<double>(OFFSET_SPOT_C0, 30.0).set<double>(OFFSET_SPOT_C1, 10.0);
    spot.set<double>(OFFSET_SPOT_C2, 2.0);
    ASSERT_NE(convert(spot), 0u);
    std::vector<std::string> lines = engine::TraceLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 1, lines.begin() + 5),
                ElementsAre("CreateSpotLight(S1) -> P1", "SetLightLocation(S1, P1, 0, 0, 0) -> 0",
                            "SetSpotLightCoeffs(S1, P1, 0, 0, -2, 30, 10, 2) -> 0",
                            "SetLightColor(S1, P1, 0, 0, 0) -> 0"));

    engine::ClearTrace();
    FakeObject& area = host.add(20, "Area");
    area.set<int32_t>(OFFSET_AREA_U_SAMPLES, 4).set<int32_t>(OFFSET_AREA_V_SAMPLES, 3);
    area.set<int32_t>(OFFSET_AREA_FLAGS, 1).set<int32_t>(OFFSET_AREA_JITTER, 1);
    area.scale(3, 3, 3);
    ASSERT_NE(convert(area), 0u);
    lines = engine::TraceLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 1, lines.begin() + 7),
                ElementsAre("CreateAreaLight(S1) -> P1", "SetAreaLight(S1, P1, 4, 3, 1, 0.5) -> 0",
                            "TranslatePrim(S1, P1, -0.5, 0, -0.5) -> 0",
                            "ScalePrim(S1, P1, 2, 2, 2) -> 0", "RotatePrim(S1, P1, 90, 0, 0) -> 0",
                            "SetLightColor(S1, P1, 0, 0, 0) -> 0"));
    EXPECT_EQ(lines.back(), "ScalePrim(S1, P1, 3, 3, 3) -> 0"); // the object's own, last
}

TEST_F(ConvertTest, HostTriangleMeshesAndTheBadMeshBox) {
    FakeObject& bad = host.add(23, "Teapot");
    std::strcpy(reinterpret_cast<char*>(bad.record.get()) + OFFSET_MESH_NAME, "teapot.msh");
    bad.points.assign(8, {0, 0, 0});
    host.wireGetters(bad);
    EXPECT_EQ(convert(bad), 0u);
    std::vector<standin::MessageBoxEntry> boxes = standin::MessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Bad mesh [teapot.msh], vertices: 8, faces: 0\n");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_THAT(host.fileNameQueries, ElementsAre("8:teapot.msh"));
    EXPECT_THAT(traceLinesOf({"CreateTriBagF"}), IsEmpty());
    EXPECT_EQ(host.getterCalls, 0);

    standin::ClearMessageBoxLog();
    FakeObject& good = host.add(23, "Wedge");
    good.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1.5}};
    good.faces = {{0, 1, 2}, {0, 1, 3}};
    good.set<double>(OFFSET_MESH_SMOOTH_ANGLE, 45.0);
    host.wireGetters(good);
    ASSERT_NE(convert(good), 0u);
    EXPECT_THAT(standin::MessageBoxLog(), IsEmpty());
    EXPECT_THAT(traceLinesOf({"CreateTriBagF", "SmoothTriBag"}),
                ElementsAre("CreateTriBagF(S1, 4, [0 0 0; 1 0 0; 0 1 0; 0 0 1.5], null, 2, "
                            "[0 1 2; 0 1 3], 1) -> P1",
                            "SmoothTriBag(S1, P1, 45) -> 0"));
}

TEST_F(ConvertTest, BlobsAddTheirKnownComponents) {
    FakeObject& blob = host.add(26, "Blob");
    BlobComponent sphere{BLOB_SPHERE, 2.0, {1, 2, 3}, {0.5, 0, 0}, 0};
    BlobComponent odd{7, 1.0, {}, {}, 0};
    BlobComponent cylinder{BLOB_CYLINDER, 1.5, {0, 0, 0}, {0, 0, 2}, 0.25};
    blob.blobs = {sphere, odd, cylinder};
    blob.set<double>(OFFSET_BLOB_THRESHOLD, 0.6).set<int32_t>(OFFSET_BLOB_PRECISE, 1);
    host.wireGetters(blob);
    ASSERT_NE(convert(blob), 0u);
    std::vector<std::string> lines = engine::TraceLines();
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 1, lines.end()),
                ElementsAre("CreateBlob(S1) -> P1", "SetBlobThreshold(S1, P1, 0.6) -> 0",
                            "AddBlobSphereComponent(S1, P1, 1, 2, 3, 0.5, 2) -> 0",
                            "AddBlobCylinderComponent(S1, P1, 0, 0, 0, 0, 0, 2, 0.25, 1.5) -> 0",
                            "SetBlobSolver(S1, P1, 2) -> 0", "UpdatePrim(S1, P1) -> 0"));
}

TEST_F(ConvertTest, CountedMeshesOnlyReportTheirVertexCount) {
    FakeObject& counted = host.add(28, "Counted");
    counted.countedVertices = 42;
    EXPECT_EQ(convert(counted), 0u);
    EXPECT_THAT(standin::DebugLog(), ElementsAre("Num verts: 42\n"));
}

// ---- clones and references -------------------------------------------------------

TEST_F(ConvertTest, ClonesUseTheNamedPrimitiveOrConvertTheirTarget) {
    FakeObject& ball = host.add(3, "Ball");
    ball.translate(5, 0, 0);
    FakeObject& clone = host.add(25, "Clone");
    clone.set<HostHandle>(OFFSET_REFERRED_HANDLE, ball.handle);
    ASSERT_NE(convert(clone), 0u);
    EXPECT_THAT(traceLinesOf({"GetNameValue", "CreateSphere", "TranslatePrim", "CreateClone",
                              "GetPrimTexture"}),
                ElementsAre("GetNameValue(S1, \"Clone\") -> 0", "GetNameValue(S1, \"Ball\") -> 0",
                            "GetNameValue(S1, \"Ball\") -> 0", "CreateSphere(S1, 0, 0, 0, 1) -> P1",
                            "TranslatePrim(S1, P1, 5, 0, 0) -> 0", "CreateClone(S1, P1) -> P2",
                            "GetPrimTexture(S1, P1) -> 0"));

    engine::ClearTrace();
    EngineHandle named = CreateBox(scene, -1, -1, -1, 1, 1, 1);
    ASSERT_TRUE(engine::DefineName(scene, "Ball", named));
    engine::ClearTrace();
    ASSERT_NE(convert(clone), 0u);
    EXPECT_THAT(traceLinesOf({"CreateSphere", "CreateClone"}),
                ElementsAre("CreateClone(S1, P1) -> P2"));
}

TEST_F(ConvertTest, ReferencesThatLeadBackIntoThemselvesYieldNothing) {
    FakeObject& self = host.add(25, "Self");
    self.set<HostHandle>(OFFSET_REFERRED_HANDLE, self.handle);
    EXPECT_EQ(convert(self), 0u);

    // A group holding a clone of itself keeps its other child.
    FakeObject& group = host.add(1, "Loop");
    FakeObject& back = host.add(25, "Back");
    back.set<HostHandle>(OFFSET_REFERRED_HANDLE, group.handle);
    host.addChild(group, back);
    host.addChild(group, host.add(2, "Box"));
    engine::ClearTrace();
    ASSERT_NE(convert(group), 0u);
    EXPECT_EQ(lastCsgExpression(), "P(Box)");
}

TEST_F(ConvertTest, MeshObjectsOfThisPluginBecomeTriangleBags) {
    TessoidObject mesh(nullptr);
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.uvs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.faces = {{0, 1, 2}};
    mesh.smoothAngle = 30;
    InterfaceHeader ours{300, 112, {}};
    std::memcpy(ours.identifier, OBJECT_TYPE_INTERFACE_ID, 8);
    InterfaceHeader foreign = ours;
    foreign.identifier[0] ^= 0x80;

    FakeObject& object = host.add(29, "Mine");
    object.set<void*>(OFFSET_PLUGIN_OBJECT, static_cast<ObjectBase*>(&mesh));
    object.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, &ours);
    ASSERT_NE(convert(object), 0u);
    EXPECT_THAT(traceLinesOf({"CreateTriBag2F", "SmoothTriBag"}),
                ElementsAre("CreateTriBag2F(S1, 3, [0 0 0; 1 0 0; 0 1 0], null, "
                            "[0 0 0; 1 0 0; 0 1 0], 1, [0 1 2], 1) -> P1",
                            "SmoothTriBag(S1, P1, 30) -> 0"));

    engine::ClearTrace();
    mesh.smoothAngle = 0;
    ASSERT_NE(convert(object), 0u);
    EXPECT_THAT(traceLinesOf({"SmoothTriBag"}), IsEmpty());

    FakeObject& other = host.add(29, "Theirs");
    other.set<void*>(OFFSET_PLUGIN_OBJECT, static_cast<ObjectBase*>(&mesh));
    other.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, &foreign);
    EXPECT_EQ(convert(other), 0u);
    FakeObject& empty = host.add(29, "Empty");
    empty.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, &ours);
    EXPECT_EQ(convert(empty), 0u);
}

} // namespace
