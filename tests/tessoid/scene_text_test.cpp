// Scene text: byte-for-byte against golden files, plus the edges of the format.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "mesh/pending_mesh.h"
#include "support.h"
#include "tessoid/solids.h"

using namespace testhost;

namespace {

std::string goldenPath(const std::string& name) {
    return std::string(TESSOID_SOURCE_DIR) + "/tests/tessoid/golden/" + name;
}

// Compares with the golden file; TESSOID_UPDATE_GOLDEN=1 rewrites it instead.
void expectGolden(const std::string& name, const std::string& text) {
    if (std::getenv("TESSOID_UPDATE_GOLDEN")) {
        std::ofstream(goldenPath(name), std::ios::binary) << text;
        return;
    }
    std::ifstream in(goldenPath(name), std::ios::binary);
    ASSERT_TRUE(in) << "missing golden file " << name;
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(text, golden.str()) << "scene text differs from " << name;
}

std::string sceneText(FakeHost& host, ObjectPtr object, const char* name,
                      int32_t* result = nullptr) {
    TextSink sink;
    const int32_t r = host.type().writeScene(object, sink.cookie(), name, AppendText);
    if (result)
        *result = r;
    return sink.all();
}

ObjectPtr makeSolid(FakeHost& host, int32_t index) {
    FillPendingWithSolid(index);
    Pending().sourceName = SolidAt(index)->name;
    return host.create();
}

// A small tessellation-like soup: two triangles with normals and uvs.
ObjectPtr makeUvMesh(FakeHost& host) {
    FillPending(
        {{0, 0, 0}, {1.5f, 0, 0}, {0, 2.25f, -1}, {1.5f, 0, 0}, {1.5f, 2.25f, 0}, {0, 2.25f, -1}},
        {{0, 1, 2}, {3, 4, 5}}, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}},
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {0.3333f, 0.6667f, 0}});
    return host.createForFilling();
}

} // namespace

TEST(SceneText, OneTriangleInTheDeclaringForm) {
    FakeHost host;
    FillPending({{1, 2, 3}, {-0.5f, 0.125f, 1e-5f}, {100, -200, 0.33333f}}, {{2, 0, 1}});
    ObjectPtr o = host.createForFilling();
    host.type().updateFlags(o, 0, 1);
    int32_t result = 0;
    TextSink sink;
    result = host.type().writeScene(o, sink.cookie(), "Tri1", AppendText);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sink.pieces,
              (std::vector<std::string>{
                  "#declare Tri1 = mesh {\n",
                  "  triangle { <100.0000, -200.0000, 0.3333>, <1.0000, 2.0000, 3.0000>, "
                  "<-0.5000, 0.1250, 0.0000> ",
                  "}\n"}));
}

TEST(SceneText, SolidsMatchTheirGoldenFiles) {
    FakeHost host;
    ObjectPtr cube = makeSolid(host, SOLID_CUBE);
    expectGolden("cube_plain.txt", sceneText(host, cube, "Tessoid1"));
    host.type().updateFlags(cube, 0, 1);
    expectGolden("cube_declare.txt", sceneText(host, cube, "Tessoid1"));
    expectGolden("icosahedron_plain.txt",
                 sceneText(host, makeSolid(host, SOLID_ICOSAHEDRON), "Ico"));
}

TEST(SceneText, TextureCoordinatesMatchTheirGoldenFiles) {
    FakeHost host;
    ObjectPtr o = makeUvMesh(host);
    Mesh(o).invert = 1; // never changes the text
    expectGolden("uv_plain.txt", sceneText(host, o, "Soup"));
    host.type().updateFlags(o, 0, 1);
    expectGolden("uv_declare.txt", sceneText(host, o, "Soup"));
}

TEST(SceneText, ReferenceFormAfterDeclarationUntilTheHostClearsIt) {
    FakeHost host;
    ObjectPtr o = makeSolid(host, SOLID_TETRAHEDRON);
    TextSink marker;
    EXPECT_EQ(host.type().markDeclared(o, marker.cookie(), AppendText), 0);
    EXPECT_TRUE(marker.pieces.empty());
    int32_t result = -1;
    const std::string reference = sceneText(host, o, "Tessoid7", &result);
    EXPECT_EQ(result, 0);
    expectGolden("reference.txt", reference);
    EXPECT_EQ(reference, "  object { Tessoid7 }\n");

    host.type().updateFlags(o, ~8, 0);
    EXPECT_EQ(sceneText(host, o, "Tessoid7", &result).substr(0, 20), "mesh {  // Tessoid7\n");
    EXPECT_EQ(result, 1);
    host.type().markDeclaredAgain(o, marker.cookie(), AppendText);
    EXPECT_EQ(sceneText(host, o, "T", &result), "  object { T }\n");
}

TEST(SceneText, NamesTooLongForTheBufferAreCutKeepingTheFixedText) {
    FakeHost host;
    ObjectPtr o = makeSolid(host, SOLID_TETRAHEDRON);
    const std::string name(5000, 'N');
    host.type().updateFlags(o, 0, 1);
    TextSink sink;
    host.type().writeScene(o, sink.cookie(), name.c_str(), AppendText);
    ASSERT_FALSE(sink.pieces.empty());
    const std::string& head = sink.pieces[0];
    EXPECT_EQ(head.size(), 2047u);
    EXPECT_EQ(head.substr(0, 9), "#declare ");
    EXPECT_EQ(head.substr(head.size() - 10), " = mesh {\n");

    host.type().updateFlags(o, 0, 8);
    sink.pieces.clear();
    host.type().writeScene(o, sink.cookie(), name.c_str(), AppendText);
    EXPECT_EQ(sink.pieces.at(0).size(), 2047u);
    EXPECT_EQ(sink.pieces[0].substr(sink.pieces[0].size() - 3), " }\n");

    // A null name writes as an empty one, and a null sink is not called.
    EXPECT_EQ(sceneText(host, o, nullptr), "  object {  }\n");
    EXPECT_EQ(host.type().writeScene(o, 0, "x", nullptr), 0);
}

// The pieces are built without the C library; they hold what "%0.4f" gives at every
// extreme, and the longest (nine times -FLT_MAX) fits the buffer whole.
TEST(SceneText, ExtremeNumbersAsTheCLibraryWritesThem) {
    FakeHost host;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Float3> points = {{FLT_MAX, -FLT_MAX, -0.0f},
                                        {inf, -inf, std::copysign(nan, -1.0f)},
                                        {0.03125f, -9.99995f, FLT_TRUE_MIN},
                                        {-FLT_MAX, -FLT_MAX, -FLT_MAX}};
    FillPending(points, {{0, 1, 2}, {3, 3, 3}}, {}, {points[2], points[3], points[0], points[1]});
    ObjectPtr o = host.createForFilling();
    const TessoidObject& m = Mesh(o);
    ASSERT_EQ(m.faceCount(), 2);
    ASSERT_EQ(m.uvCount(), 4);
    std::vector<std::string> expected = {"mesh {  // X\n"};
    char text[2048];
    for (const IndexTriple& f : m.faces) {
        const Float3 &a = m.vertices[f.a], &b = m.vertices[f.b], &c = m.vertices[f.c];
        std::snprintf(text, sizeof(text),
                      "  triangle { <%0.4f, %0.4f, %0.4f>, <%0.4f, %0.4f, %0.4f>, "
                      "<%0.4f, %0.4f, %0.4f> ",
                      double(a.x), double(a.y), double(a.z), double(b.x), double(b.y), double(b.z),
                      double(c.x), double(c.y), double(c.z));
        expected.push_back(text);
        const Float3 &ua = m.uvs[f.a], &ub = m.uvs[f.b], &uc = m.uvs[f.c];
        std::snprintf(text, sizeof(text),
                      "uv_vectors <%0.4f, %0.4f>, <%0.4f, %0.4f>, <%0.4f, %0.4f> ", double(ua.x),
                      double(ua.y), double(ub.x), double(ub.y), double(uc.x), double(uc.y));
        expected.push_back(text);
        expected.push_back("}\n");
    }
    EXPECT_EQ(expected[4].size(), 441u);
    TextSink sink;
    host.type().writeScene(o, sink.cookie(), "X", AppendText);
    EXPECT_EQ(sink.pieces, expected);
}
