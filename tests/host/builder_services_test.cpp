// The polygon-mesh builder the host hands to a 3DS import: its checks hold whether or not
// the host keeps the values it is given, and its counts are what the report prints.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "host/contract_check.h"
#include "host/plugin_host.h"
#include "host/report.h"
#include "plugin/import_records.h"

using namespace host;
using namespace tessoid;

namespace {

class BuilderServices : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        h.keepsBuilderValues = GetParam();
        ASSERT_EQ(h.serviceCreateObject(KIND_POLYGON_MESH, nullptr, &handle), 0);
        // The import puts its table 28 bytes into extension record 1; the host fills it.
        std::vector<uint8_t> extension(EXTENSION1_SIZE);
        MeshBuilderTable* t = &table;
        std::memcpy(extension.data() + 28, &t, sizeof(t));
        table.size = MESH_BUILDER_TABLE_SIZE;
        h.fillPolygonMeshRecord(*object(), extension.data());
        ASSERT_NE(table.addVertex, nullptr);
    }
    SceneObject* object() { return h.scene().find(handle); }

    PluginHost h;
    HostHandle handle = 0;
    MeshBuilderTable table{};
};

} // namespace

TEST_P(BuilderServices, HoldTheMeshToItsAllocationAndCountWhatItGot) {
    const MeshDataHandle mesh = table.mesh;
    ASSERT_EQ(table.allocateMesh(mesh, 3, 2, 0, 3), 0);
    ASSERT_EQ(table.allocateFaces(mesh, 1, 0), 0);
    EXPECT_EQ(table.addFace(mesh, 0, 1, 2, nullptr), 0) << "faces may come before vertices";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table.addVertex(mesh, i, 2.5 * i, -i), 0);
        EXPECT_EQ(table.addTextureVertex(mesh, 0.5, i, 0), 0);
    }
    EXPECT_EQ(table.addEdge(mesh, 0, 1), 0);
    EXPECT_NE(table.addEdge(mesh, 0, 3), 0) << "an index outside the vertices";
    EXPECT_EQ(table.addEdge(mesh, 1, 2), 0);
    EXPECT_EQ(h.misuses.size(), 1u);

    // One more of each: all refused.
    EXPECT_NE(table.addVertex(mesh, 9, 9, 9), 0);
    EXPECT_NE(table.addTextureVertex(mesh, 9, 9, 9), 0);
    EXPECT_NE(table.addEdge(mesh, 2, 0), 0);
    int32_t id = -1;
    EXPECT_NE(table.addFace(mesh, 0, 1, 2, &id), 0);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(h.misuses.size(), 5u);

    const SceneObject& o = *object();
    EXPECT_EQ(o.filledVertices, 3);
    EXPECT_EQ(o.filledTextureVertices, 3);
    EXPECT_EQ(o.filledEdges, 2);
    EXPECT_EQ(o.filledFaces, 1);
    if (GetParam()) {
        EXPECT_EQ(o.mesh.vertices, (std::vector<double>{0, 0, 0, 1, 2.5, -1, 2, 5, -2}));
        EXPECT_EQ(o.mesh.uvs.size(), 9u);
        EXPECT_EQ(o.mesh.edges, (std::vector<int32_t>{0, 1, 1, 2}));
        EXPECT_EQ(o.mesh.faces, (std::vector<int32_t>{0, 1, 2}));
    } else {
        EXPECT_TRUE(o.mesh.vertices.empty() && o.mesh.uvs.empty() && o.mesh.edges.empty() &&
                    o.mesh.faces.empty());
    }
    std::ostringstream report;
    PrintScene(h, report);
    EXPECT_NE(report.str().find("(polygon mesh)  vertices 3  faces 1  uvs 3"), std::string::npos)
        << report.str();
    EXPECT_TRUE(ContractBreaks(h).empty());
}

// The services look the mesh up through a cache of the last one: neither a handle of
// another kind nor a mesh removed right after its last call may get through it.
TEST_P(BuilderServices, RefuseWhatIsNotOrIsNoLongerAMesh) {
    const MeshDataHandle mesh = table.mesh;
    ASSERT_EQ(table.allocateMesh(mesh, 3, 2, 0, 3), 0);
    ASSERT_EQ(table.addVertex(mesh, 0, 0, 0), 0);
    HostHandle light = 0;
    ASSERT_EQ(h.serviceCreateObject(KIND_LIGHT, nullptr, &light), 0);
    ASSERT_NE(h.scene().find(light), nullptr);
    EXPECT_NE(table.addVertex(light, 0, 0, 0), 0);
    EXPECT_NE(table.addEdge(light, 0, 1), 0);
    EXPECT_EQ(table.addTextureVertex(mesh, 0, 0, 0), 0) << "the mesh itself still is one";
    ASSERT_EQ(h.serviceRemoveObject(handle), 0);
    EXPECT_NE(table.addVertex(mesh, 1, 1, 1), 0);
    EXPECT_NE(table.addFace(mesh, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(h.misuses.size(), 4u);
}

TEST_P(BuilderServices, NumberTheFacesInTheOrderTheyCame) {
    const MeshDataHandle mesh = table.mesh;
    ASSERT_EQ(table.allocateMesh(mesh, 3, 0, 0, 0), 0);
    ASSERT_EQ(table.allocateFaces(mesh, 2, 0), 0);
    int32_t ids[2] = {-1, -1};
    EXPECT_EQ(table.addFace(mesh, 0, 1, 2, &ids[0]), 0);
    EXPECT_EQ(table.addFace(mesh, 2, 1, 0, &ids[1]), 0);
    EXPECT_EQ(ids[0], 0);
    EXPECT_EQ(ids[1], 1);
    EXPECT_NE(table.addVertex(MeshDataHandle(handle + 1), 0, 0, 0), 0) << "not a mesh handle";
    ASSERT_EQ(h.misuses.size(), 1u);
    EXPECT_NE(h.misuses[0].find("AddVertex: not the mesh handle"), std::string::npos);
    // The three vertices allocated never came.
    const std::vector<std::string> breaks = ContractBreaks(h);
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_NE(breaks[0].find(": 0 vertices of 3 allocated"), std::string::npos) << breaks[0];
}

INSTANTIATE_TEST_SUITE_P(KeptAndCounted, BuilderServices, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Kept" : "CountedOnly"; });
