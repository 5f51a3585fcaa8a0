// The mesh object through record 3's slots: creation from a pending mesh, the
// edge set, copying, flags and queries, enumeration and both BuildMesh paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "platform/standin_control.h"

#include "mesh/pending_mesh.h"
#include "support.h"
#include "tessoid/solids.h"

using namespace testhost;

namespace {

ObjectPtr makeSolid(FakeHost& host, int32_t index) {
    EXPECT_TRUE(FillPendingWithSolid(index));
    Pending().sourceName = SolidAt(index)->name;
    return host.create();
}

// Two triangles sharing the edge (1, 2), with normals and uvs per vertex.
ObjectPtr makeQuad(FakeHost& host, bool withExtras) {
    std::vector<Float3> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    std::vector<Float3> n = {{0, 0, 1}, {0, 0.5f, 1}, {0, 0, -1}, {1, 0, 0}};
    std::vector<Float3> uv = {{0, 0, 9}, {1, 0, 9}, {0, 1, 9}, {1, 1, 9}};
    FillPending(v, {{0, 1, 2}, {1, 3, 2}}, withExtras ? n : std::vector<Float3>{},
                withExtras ? uv : std::vector<Float3>{});
    return host.createForFilling();
}

} // namespace

TEST(MeshObject, SolidsHaveTheirCountsAndAClosedEdgeSet) {
    FakeHost host;
    const int32_t expectedEdges[] = {6, 18, 12, 54, 30};
    for (int32_t i = 0; i < SOLID_COUNT; ++i) {
        SCOPED_TRACE(SolidAt(i)->name);
        TessoidObject& mesh = Mesh(makeSolid(host, i));
        EXPECT_STREQ(mesh.sourceName, SolidAt(i)->name);
        EXPECT_EQ(mesh.vertexCount(), SolidAt(i)->vertexCount);
        EXPECT_EQ(mesh.faceCount(), SolidAt(i)->faceCount);
        EXPECT_EQ(mesh.edgeCount(), expectedEdges[i]);
        // Closed surfaces of genus 0.
        EXPECT_EQ(mesh.vertexCount() - mesh.edgeCount() + mesh.faceCount(), 2);
        // Ascending, unique, smaller index first, and every edge lies on some triangle.
        for (size_t k = 0; k < mesh.edges.size(); ++k) {
            const EdgePair& e = mesh.edges[k];
            EXPECT_LT(e.first, e.second);
            if (k > 0) {
                const EdgePair& p = mesh.edges[k - 1];
                EXPECT_TRUE(p.first < e.first || (p.first == e.first && p.second < e.second));
            }
            const bool onFace = std::any_of(mesh.faces.begin(), mesh.faces.end(), [&](auto f) {
                std::set<int32_t> c = {f.a, f.b, f.c};
                return c.count(e.first) && c.count(e.second);
            });
            EXPECT_TRUE(onFace);
        }
        EXPECT_TRUE(Pending().IsEmpty());
    }
    // The cube as tabled, corner order kept.
    TessoidObject& cube = Mesh(makeSolid(host, SOLID_CUBE));
    EXPECT_EQ(cube.vertices[4], (Float3{-1, -1, -1}));
    EXPECT_EQ(cube.faces[11], (IndexTriple{2, 5, 3}));
}

TEST(MeshObject, TetrahedronIsRegularWithEdgeLengthTwoRootTwo) {
    const Solid* t = SolidAt(SOLID_TETRAHEDRON);
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) {
            const Float3 &p = t->vertices[i], &q = t->vertices[j];
            const double d =
                std::sqrt(double(p.x - q.x) * (p.x - q.x) + double(p.y - q.y) * (p.y - q.y) +
                          double(p.z - q.z) * (p.z - q.z));
            EXPECT_NEAR(d, 2.0 * std::sqrt(2.0), 1e-5);
        }
    EXPECT_EQ(t->vertices[0].z, float(std::sqrt(3.0)));
}

TEST(MeshObject, EdgeSetOfSeparateAndDegenerateTriangles) {
    FakeHost host;
    FillPending({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}},
                {{5, 4, 3}, {0, 1, 2}});
    TessoidObject& separate = Mesh(host.createForFilling());
    EXPECT_EQ(separate.edges,
              (std::vector<EdgePair>{{0, 1}, {0, 2}, {1, 2}, {3, 4}, {3, 5}, {4, 5}}));

    FillPending({{0, 0, 0}, {1, 0, 0}}, {{1, 1, 0}});
    TessoidObject& degenerate = Mesh(host.createForFilling());
    EXPECT_EQ(degenerate.edges, (std::vector<EdgePair>{{0, 1}, {1, 1}}));
}

TEST(MeshObject, EdgeSetEqualsTheSortedUniqueEdgesOfAnyFaces) {
    // Few vertices shared by many faces (long partner lists, repeats) and many vertices
    // used once: the same set as sorting every edge would give.
    unsigned seed = 7;
    const auto next = [&seed](int32_t range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<unsigned>(range));
    };
    // One vertex only; a few; many (the set is built in blocks of vertices: one vertex
    // that holds most edges makes a block of its own).
    for (int32_t range : {1, 3, 50, 5000, 100000}) {
        std::vector<IndexTriple> faces(4000);
        for (IndexTriple& f : faces)
            f = {next(range), next(range), next(range)};
        std::set<std::pair<int32_t, int32_t>> expected;
        for (const IndexTriple& f : faces)
            for (auto [p, q] : {std::pair{f.a, f.b}, {f.b, f.c}, {f.c, f.a}})
                expected.insert({std::min(p, q), std::max(p, q)});
        std::vector<EdgePair> want;
        for (auto [p, q] : expected)
            want.push_back({p, q});
        EXPECT_EQ(BuildEdgeSet(faces), want) << range;
        // Given the vertex count, which may exceed the highest index used.
        EXPECT_EQ(BuildEdgeSet(faces, range), want) << range;
        EXPECT_EQ(BuildEdgeSet(faces, range + 7), want) << range;
    }
    EXPECT_TRUE(BuildEdgeSet({}).empty());
    EXPECT_TRUE(BuildEdgeSet({}, 5).empty());
}

TEST(MeshObject, PendingSourceNameSkipsTheDialogAndLongPathsKeepTheirFileName) {
    FakeHost host;
    FillPending({{0, 0, 0}}, {});
    Pending().sourceName = "C:\\models\\parts\\gear.obj";
    TessoidObject& gear = Mesh(host.create()); // a dialog would be cancelled: no object
    EXPECT_STREQ(gear.sourceName, "C:\\models\\parts\\gear.obj");
    EXPECT_EQ(gear.vertexCount(), 1);

    std::string longPath = "C:\\" + std::string(300, 'd') + "\\wheel.obj";
    Pending().sourceName = longPath.c_str();
    TessoidObject& wheel = Mesh(host.create());
    const std::string kept = wheel.sourceName;
    EXPECT_EQ(kept.size(), 255u);
    EXPECT_EQ(kept.substr(0, 3), "...");
    EXPECT_EQ(kept.substr(kept.size() - 10), "\\wheel.obj");
    EXPECT_EQ(wheel.sourceName[255], '\0');
}

TEST(MeshObject, PendingArraysThatBreakTheInvariantAreDropped) {
    FakeHost host;
    // Index 7 is outside four vertices; normals short of one per vertex.
    FillPending({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}}, {{0, 1, 2}, {0, 7, 1}}, {{0, 0, 1}},
                {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    TessoidObject& mesh = Mesh(host.createForFilling());
    EXPECT_EQ(mesh.vertexCount(), 4);
    EXPECT_EQ(mesh.faceCount(), 0);
    EXPECT_EQ(mesh.edgeCount(), 0);
    EXPECT_EQ(mesh.normalCount(), 0);
    EXPECT_EQ(mesh.uvCount(), 4);
}

TEST(MeshObject, CopyTakesGeometryAngleAndInvertButNotNameOrFlags) {
    FakeHost host;
    ObjectPtr source = makeQuad(host, true);
    Mesh(source).smoothAngle = 42.5;
    Mesh(source).invert = 1;
    Mesh(source).SetSourceName("quad");
    host.type().updateFlags(source, 0, 9);

    ObjectPtr target = host.createForFilling();
    EXPECT_EQ(host.type().copy(target, source), 0);
    const TessoidObject &s = Mesh(source), &t = Mesh(target);
    EXPECT_EQ(t.vertices, s.vertices);
    EXPECT_EQ(t.faces, s.faces);
    EXPECT_EQ(t.edges, s.edges);
    EXPECT_EQ(t.normals, s.normals);
    EXPECT_EQ(t.uvs, s.uvs);
    EXPECT_NE(t.vertices.data(), s.vertices.data());
    EXPECT_EQ(t.smoothAngle, 42.5);
    EXPECT_EQ(t.invert, 1);
    EXPECT_STREQ(t.sourceName, "");
    EXPECT_EQ(t.flags, 0);

    ObjectPtr bare = host.createForFilling();
    host.type().copy(bare, makeQuad(host, false));
    EXPECT_TRUE(Mesh(bare).normals.empty());
    EXPECT_EQ(Mesh(bare).faceCount(), 2);
}

TEST(MeshObject, FlagsQueriesAndNullObjects) {
    FakeHost host;
    ObjectTypeInterface& type = host.type();
    ObjectPtr o = makeQuad(host, false);
    EXPECT_EQ(type.updateFlags(o, 0, 1), 1);
    EXPECT_EQ(type.updateFlags(o, ~0, 8), 9);
    EXPECT_EQ(type.updateFlags(o, ~8, 0), 1);

    uint32_t first = 0, second = 0;
    type.getMasks(o, &first, &second);
    EXPECT_EQ(first, 0x8ffffffeu);
    EXPECT_EQ(second, 0x8ffffffeu);
    int32_t out = 55;
    type.auxQuery(o, 1, 2, 3, &out, 5);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(type.optionalQuery(o, 1, 2), RESULT_NO_MORE);
    EXPECT_EQ(type.probe(o, 3), 0);
    TextSink sink;
    EXPECT_EQ(type.sceneQuery(o, sink.cookie(), 0, AppendText), 1);
    EXPECT_TRUE(sink.pieces.empty());

    type.destroy(nullptr);
    EXPECT_EQ(type.getValueInfo(nullptr, 1003, nullptr), 0);
    EXPECT_LT(type.savedSize(nullptr), 0);
    EXPECT_LT(type.buildMesh(nullptr, 0, nullptr), 0);
}

namespace {
int32_t TESSOID_STDCALL hook1(ObjectPtr object, int32_t a) {
    return a + (object ? 1000 : 0);
}
int32_t TESSOID_STDCALL hook2(ObjectPtr object, int32_t a, int32_t b) {
    return a * b + (object ? 1000 : 0);
}
} // namespace

TEST(MeshObject, HostHooksCallTheTypeRecordSlotsOrAnswerEmpty) {
    FakeHost host;
    TessoidObject& mesh = Mesh(makeQuad(host, false));
    EXPECT_EQ(mesh.HostHookA(1), -6);
    EXPECT_EQ(mesh.HostHookB(2, 3), -6);
    EXPECT_EQ(mesh.HostHookC(1), -6);
    EXPECT_EQ(mesh.HostHookD(2, 3), -6);
    EXPECT_EQ(mesh.HostHookE(1), -6);
    host.type().hostSlot152 = hook1;
    host.type().hostSlot148 = hook2;
    host.type().hostSlot164 = hook1;
    host.type().hostSlot168 = hook2;
    host.type().hostSlot276 = hook1;
    EXPECT_EQ(mesh.HostHookA(1), 1001);
    EXPECT_EQ(mesh.HostHookB(2, 3), 1006);
    EXPECT_EQ(mesh.HostHookC(4), 1004);
    EXPECT_EQ(mesh.HostHookD(5, 6), 1030);
    EXPECT_EQ(mesh.HostHookE(7), 1007);
}

namespace {
struct Visits {
    std::vector<double> vertices;
    std::vector<int32_t> edges;
    std::vector<double> segments;
};
void TESSOID_STDCALL visitVertex(void* c, double x, double y, double z) {
    auto& v = static_cast<Visits*>(c)->vertices;
    v.insert(v.end(), {x, y, z});
}
void TESSOID_STDCALL visitEdge(void* c, int32_t a, int32_t b) {
    auto& e = static_cast<Visits*>(c)->edges;
    e.insert(e.end(), {a, b});
}
void TESSOID_STDCALL visitSegment(void* c, const double* six) {
    auto& s = static_cast<Visits*>(c)->segments;
    s.insert(s.end(), six, six + 6);
}
} // namespace

TEST(MeshObject, EnumerationsWalkVerticesThenEdgesInStoredOrder) {
    FakeHost host;
    ObjectPtr o = makeQuad(host, false);
    Visits none;
    EXPECT_EQ(host.type().enumVerticesAndEdges(o, &none, visitVertex, nullptr), 0);
    EXPECT_EQ(host.type().enumVerticesAndEdges(o, &none, nullptr, visitEdge), 0);
    EXPECT_TRUE(none.vertices.empty());
    EXPECT_TRUE(none.edges.empty());

    Visits seen;
    EXPECT_EQ(host.type().enumVerticesAndEdges(o, &seen, visitVertex, visitEdge), 5);
    EXPECT_EQ(seen.vertices, (std::vector<double>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}));
    EXPECT_EQ(seen.edges, (std::vector<int32_t>{0, 1, 0, 2, 1, 2, 1, 3, 2, 3}));

    host.type().enumEdges(o, &seen, nullptr);
    EXPECT_TRUE(seen.segments.empty());
    host.type().enumEdges(o, &seen, visitSegment);
    ASSERT_EQ(seen.segments.size(), 30u);
    // Edge (1, 3): from (1, 0, 0) to (1, 1, 0).
    EXPECT_EQ(std::vector<double>(seen.segments.begin() + 18, seen.segments.begin() + 24),
              (std::vector<double>{1, 0, 0, 1, 1, 0}));
}

TEST(MeshObject, BuildMeshWithoutVerticesCallsNothing) {
    FakeHost host;
    FillPending({}, {{0, 1, 2}});
    ObjectPtr o = host.createForFilling();
    Mesh(o).faces = {{0, 1, 2}}; // faces but no vertices, as a host could leave it
    BuilderLog emitLog, indexedLog;
    HostBuilder emit = MakeBuilder(emitLog, true);
    host.type().buildMesh(o, 0, &emit);
    HostBuilder indexed = MakeBuilder(indexedLog, false);
    host.type().buildMesh(o, 0, &indexed);
    EXPECT_TRUE(emitLog.calls.empty());
    EXPECT_TRUE(indexedLog.calls.empty());
}

TEST(MeshObject, BuildMeshEmitPathFillsOneRecordPerTriangleAndHonoursInvert) {
    FakeHost host;
    ObjectPtr o = makeQuad(host, true);
    Mesh(o).invert = 1;
    BuilderLog log;
    HostBuilder builder = MakeBuilder(log, true);
    host.type().buildMesh(o, 0, &builder);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"BeginMesh 2 0", "EmitTriangle", "EmitTriangle"}));
    ASSERT_EQ(log.records.size(), 2u);
    const TriangleRecord& r = log.records[0];
    EXPECT_EQ(r.tag, TRIANGLE_RECORD_TAG);
    EXPECT_EQ(r.contents, 3);
    // Stored (0, 1, 2) arrives as (0, 2, 1).
    EXPECT_EQ(std::vector<double>(r.positions, r.positions + 9),
              (std::vector<double>{0, 0, 0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(std::vector<double>(r.normals, r.normals + 9),
              (std::vector<double>{0, 0, 1, 0, 0, -1, 0, 0.5, 1}));
    EXPECT_EQ(std::vector<double>(r.uvs, r.uvs + 9),
              (std::vector<double>{0, 0, 9, 0, 1, 9, 1, 0, 9}));
    EXPECT_EQ(Mesh(o).faces[0], (IndexTriple{0, 1, 2}));

    BuilderLog plainLog;
    ObjectPtr plain = makeQuad(host, false);
    HostBuilder plainBuilder = MakeBuilder(plainLog, true);
    host.type().buildMesh(plain, 0, &plainBuilder);
    ASSERT_EQ(plainLog.records.size(), 2u);
    EXPECT_EQ(plainLog.records[1].contents, 0);
    EXPECT_EQ(plainLog.records[1].normals[0], 0.0);
    EXPECT_EQ(std::vector<double>(plainLog.records[1].positions, plainLog.records[1].positions + 9),
              (std::vector<double>{1, 0, 0, 1, 1, 0, 0, 1, 0}));
}

TEST(MeshObject, BuildMeshIndexedPathDeclaresArraysTrianglesAndEdges) {
    FakeHost host;
    ObjectPtr o = makeQuad(host, true);
    Mesh(o).invert = 1;
    BuilderLog log;
    HostBuilder builder = MakeBuilder(log, false);
    host.type().buildMesh(o, 0, &builder);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"BeginMesh 2 0", "DeclareCounts", "SetVertices",
                                                   "SetNormals", "SetUVs", "AddTriangle",
                                                   "SetTriangleNormals 1001", "SetTriangleUVs 1001",
                                                   "AddTriangle", "SetTriangleNormals 1002",
                                                   "SetTriangleUVs 1002", "SetEdges"}));
    EXPECT_EQ(log.declared, (std::vector<int32_t>{4, 5, 4, 4}));
    EXPECT_EQ(log.vertices, (std::vector<double>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}));
    EXPECT_EQ(log.normals[4], 0.5);
    EXPECT_EQ(log.uvs[11], 9.0);
    EXPECT_EQ(log.triangles, (std::vector<IndexTriple>{{0, 2, 1}, {1, 2, 3}}));
    EXPECT_EQ(log.triangleNormals, log.triangles);
    EXPECT_EQ(log.triangleUvs, log.triangles);
    EXPECT_EQ(log.edges, (std::vector<int32_t>{0, 1, 0, 2, 1, 2, 1, 3, 2, 3}));
    EXPECT_EQ(Mesh(o).faces[1], (IndexTriple{1, 3, 2}));

    BuilderLog plainLog;
    HostBuilder plainBuilder = MakeBuilder(plainLog, false);
    host.type().buildMesh(makeQuad(host, false), 0, &plainBuilder);
    EXPECT_EQ(plainLog.calls,
              (std::vector<std::string>{"BeginMesh 2 0", "DeclareCounts", "SetVertices",
                                        "AddTriangle", "AddTriangle", "SetEdges"}));
    EXPECT_EQ(plainLog.triangles, (std::vector<IndexTriple>{{0, 1, 2}, {1, 3, 2}}));
}

TEST(MeshObject, ValueInfoAndValueChangedForTheSmoothingAngle) {
    FakeHost host;
    ObjectPtr o = makeQuad(host, false);
    EXPECT_EQ(host.type().valueChanged(o, 1003, 30.0), 0);
    ValueDescriptor d;
    std::memset(&d, 0xcc, sizeof(d));
    EXPECT_EQ(host.type().getValueInfo(o, 1003, &d), 1);
    EXPECT_EQ(d.tag, VALUE_DESCRIPTOR_TAG);
    EXPECT_EQ(d.kind, VALUE_DESCRIPTOR_KIND);
    EXPECT_EQ(d.value, 30.0);
    EXPECT_EQ(d.minimum, 0.0);
    EXPECT_EQ(d.maximum, 180.0);
    EXPECT_EQ(d.hasStep, 1);
    EXPECT_EQ(d.step, 5.0);
    EXPECT_EQ(d.zero, 0);

    ValueDescriptor untouched;
    std::memset(&untouched, 0xcc, sizeof(untouched));
    EXPECT_EQ(host.type().getValueInfo(o, 1004, &untouched), 0);
    EXPECT_EQ(untouched.tag, static_cast<int32_t>(0xcccccccc));

    standin::ClearDebugLog();
    EXPECT_EQ(host.type().valueChanged(o, 1004, 2.5), 0);
    EXPECT_EQ(Mesh(o).smoothAngle, 30.0);
    EXPECT_EQ(standin::DebugLog(),
              (std::vector<std::string>{"Unhandled ValueChanged : ID: 1004  -> 2.500\n"}));
}
