// collectPolygon's fans and tessellateCurrentObject's hand-off into PendingMesh.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fake_host.h"
#include "mesh/pending_mesh.h"
#include "tessellate/polygon_collector.h"
#include "tessellate/tessellation.h"
#include "trace_util.h"

using namespace testhost;
using namespace tessoid;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The four arrays of an n-corner polygon: corner k has position (k, 10k, 100k),
// second attribute -1, normal (0, 0, k) and uv (k / 10, 1 - k / 10, 0).
std::vector<double> polygonData(int n) {
    std::vector<double> data(12 * static_cast<size_t>(n), -1.0);
    for (int k = 0; k < n; ++k) {
        double* position = &data[3 * k];
        double* normal = &data[6 * n + 3 * k];
        double* uv = &data[9 * n + 3 * k];
        position[0] = k, position[1] = 10 * k, position[2] = 100 * k;
        normal[0] = 0, normal[1] = 0, normal[2] = k;
        uv[0] = k / 10.0, uv[1] = 1 - k / 10.0, uv[2] = 0;
    }
    return data;
}

TEST(CollectPolygon, FansAroundTheFirstCornerWithEachCornersData) {
    std::vector<TessTriangle> list;
    std::vector<double> five = polygonData(5);
    EXPECT_EQ(collectPolygon(5, five.data(), 7, &list), 0);
    ASSERT_EQ(list.size(), 3u);
    const int expected[3][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
    for (int t = 0; t < 3; ++t)
        for (int j = 0; j < 3; ++j) {
            const float k = static_cast<float>(expected[t][j]);
            EXPECT_EQ(list[t].positions[j], (Float3{k, 10 * k, 100 * k})) << t << "," << j;
            EXPECT_EQ(list[t].normals[j], (Float3{0, 0, k}));
            EXPECT_EQ(list[t].uvs[j],
                      (Float3{static_cast<float>(k / 10.0), static_cast<float>(1 - k / 10.0), 0}));
        }

    std::vector<double> two = polygonData(2);
    EXPECT_EQ(collectPolygon(2, two.data(), 0, &list), 0);
    EXPECT_EQ(collectPolygon(1, two.data(), 0, &list), 0);
    EXPECT_EQ(collectPolygon(0, nullptr, 0, &list), 0);
    EXPECT_EQ(collectPolygon(-4, two.data(), 0, &list), 0);
    EXPECT_EQ(list.size(), 3u) << "polygons of fewer than three corners add nothing";
    EXPECT_EQ(collectPolygon(5, five.data(), 0, nullptr), 1);
}

class TessellateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Pending().Clear();
        engine::ClearTrace();
        scenesBefore = engine::LiveSceneCount();
    }
    void TearDown() override {
        EXPECT_EQ(engine::LiveSceneCount(), scenesBefore) << "the scene is always freed";
        EXPECT_EQ(host.openLists, 0);
        Pending().Clear();
    }
    FakeHost host;
    int scenesBefore = 0;
};

TEST_F(TessellateTest, NoCurrentObjectChangesNothingAndMakesNoScene) {
    Pending().vertices = {{1, 2, 3}};
    tessellateCurrentObject();
    EXPECT_THAT(engine::TraceLines(), IsEmpty());
    EXPECT_THAT(Pending().vertices, ElementsAre(Float3{1, 2, 3}));
}

TEST_F(TessellateTest, ObjectsThatGiveNoPolygonLeavePendingMeshAlone) {
    const char* name = "kept";
    Pending().sourceName = name;
    for (int32_t kind : {10, 5}) { // a light converts but has no surface; a camera converts not
        host.current = host.add(kind, "Nothing").handle;
        engine::ClearTrace();
        tessellateCurrentObject();
        EXPECT_TRUE(Pending().vertices.empty() && Pending().faces.empty()) << kind;
        EXPECT_EQ(Pending().sourceName, name);
        std::vector<std::string> lines = engine::TraceLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "NewScene() -> S1");
        EXPECT_EQ(lines.back(), "FreeScene(S1) -> 0") << kind;
    }
}

TEST_F(TessellateTest, AHostMeshBecomesATriangleSoupInPendingMesh) {
    FakeObject& mesh = host.add(23, "Pair");
    mesh.points = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}};
    mesh.faces = {{0, 1, 2}, {0, 3, 1}};
    host.wireGetters(mesh);
    mesh.translate(1, 0, 0);
    host.current = mesh.handle;
    const char* name = "borrowed";
    Pending().sourceName = name;
    tessellateCurrentObject();

    PendingMesh& p = Pending();
    ASSERT_EQ(p.faceCount(), 2);
    EXPECT_EQ(p.vertexCount(), 6);
    EXPECT_EQ(p.normalCount(), 6);
    EXPECT_EQ(p.uvCount(), 6);
    EXPECT_THAT(p.faces, ElementsAre(IndexTriple{0, 1, 2}, IndexTriple{3, 4, 5}));
    EXPECT_EQ(p.sourceName, name) << "the source name is not the tessellation's";
    // Each corner is one of the host's vertices, moved by the translation.
    std::vector<Float3> expected = {{1, 0, 0}, {3, 0, 0}, {1, 2, 0}, {1, 0, 2}};
    for (const Float3& v : p.vertices)
        EXPECT_TRUE(std::find(expected.begin(), expected.end(), v) != expected.end())
            << v.x << " " << v.y << " " << v.z;
    // The normals are unit vectors across each flat triangle.
    for (const Float3& n : p.normals)
        EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-5);
    EXPECT_EQ(p.normals[0], p.normals[1]);
    EXPECT_EQ(engine::TraceLines().back(), "FreeScene(S1) -> 0");
}

TEST_F(TessellateTest, ASphereFillsEveryArrayWithPointsOnTheSurface) {
    FakeObject& sphere = host.add(3, "Ball");
    sphere.scale(2, 2, 2);
    host.current = sphere.handle;
    tessellateCurrentObject();
    PendingMesh& p = Pending();
    ASSERT_GT(p.faceCount(), 20);
    ASSERT_EQ(p.vertexCount(), 3 * p.faceCount());
    for (int32_t i = 0; i < p.faceCount(); ++i)
        ASSERT_EQ(p.faces[i], (IndexTriple{3 * i, 3 * i + 1, 3 * i + 2}));
    for (int32_t i = 0; i < p.vertexCount(); ++i) {
        const Float3& v = p.vertices[i];
        const Float3& n = p.normals[i];
        ASSERT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 2.0, 1e-4);
        // Outward normals of a sphere point along the position.
        ASSERT_NEAR(n.x * v.x + n.y * v.y + n.z * v.z, 2.0, 1e-3);
    }
}

} // namespace
