// Saving and loading through the host's stream functions: the version 4 layout,
// older versions, and streams that lie.
#include <gtest/gtest.h>

#include <cstring>

#include "mesh/pending_mesh.h"
#include "support.h"
#include "tessoid/solids.h"

using namespace testhost;

namespace {

ObjectPtr makeCube(FakeHost& host) {
    FillPendingWithSolid(SOLID_CUBE);
    Pending().sourceName = "Cube";
    return host.create();
}

template <typename T> T at(const std::vector<uint8_t>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

void TESSOID_STDCALL ignoreSegment(void*, const double*) {}

// Everything that walks the arrays, run so ASan sees any stray index.
void exercise(FakeHost& host, ObjectPtr object) {
    const TessoidObject& m = Mesh(object);
    for (const IndexTriple& f : m.faces)
        for (int32_t i : {f.a, f.b, f.c})
            ASSERT_TRUE(i >= 0 && i < m.vertexCount());
    for (const EdgePair& e : m.edges)
        ASSERT_TRUE(e.first >= 0 && e.second < m.vertexCount() && e.first <= e.second);
    ASSERT_TRUE(m.normals.empty() || m.normals.size() >= m.vertices.size());
    ASSERT_TRUE(m.uvs.empty() || m.uvs.size() >= m.vertices.size());
    ASSERT_EQ(m.sourceName[255], '\0');
    ASSERT_TRUE(m.ArraysAreConsistent());
    BuilderLog a, b;
    HostBuilder emit = MakeBuilder(a, true);
    host.type().buildMesh(object, 0, &emit);
    HostBuilder indexed = MakeBuilder(b, false);
    host.type().buildMesh(object, 0, &indexed);
    TextSink sink;
    host.type().writeScene(object, sink.cookie(), "m", AppendText);
    host.type().enumEdges(object, nullptr, ignoreSegment);
}

} // namespace

TEST(MeshStream, CubeIs673BytesLaidOutInOrder) {
    FakeHost host;
    ObjectPtr cube = makeCube(host);
    Mesh(cube).smoothAngle = 12.5;
    Mesh(cube).invert = 1;
    EXPECT_EQ(host.type().savedSize(cube), 673);
    const std::vector<uint8_t> bytes = SaveObject(host, cube);
    ASSERT_EQ(bytes.size(), 673u);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[1]), "Cube");
    EXPECT_EQ(at<int32_t>(bytes, 257), 8);
    EXPECT_EQ(at<float>(bytes, 261), 1.0f);               // vertex 0 x
    EXPECT_EQ(at<float>(bytes, 261 + 4 * 12 + 4), -1.0f); // vertex 4 y
    EXPECT_EQ(at<int32_t>(bytes, 357), 12);
    EXPECT_EQ(at<int32_t>(bytes, 361 + 11 * 12 + 4), 5); // face 11 = (2, 5, 3)
    EXPECT_EQ(at<int32_t>(bytes, 505), 18);
    EXPECT_EQ(at<int32_t>(bytes, 509), 0); // first edge (0, 1)
    EXPECT_EQ(at<int32_t>(bytes, 513), 1);
    EXPECT_EQ(at<int32_t>(bytes, 653), 0); // no normals
    EXPECT_EQ(at<int32_t>(bytes, 657), 0); // no uvs
    EXPECT_EQ(at<double>(bytes, 661), 12.5);
    EXPECT_EQ(at<int32_t>(bytes, 669), 1);
}

TEST(MeshStream, RoundTripKeepsEverythingAndMeasuringWritesNothing) {
    FakeHost host;
    std::vector<Float3> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    FillPending(v, {{0, 1, 2}}, {{0, 0, 1}, {0, 0, 1}, {0, 0.25f, 1}},
                {{0, 0, 0}, {1, 0, 0.5f}, {0, 1, 0}});
    ObjectPtr source = host.createForFilling();
    Mesh(source).SetSourceName("D:\\scans\\leaf.obj");
    Mesh(source).smoothAngle = 60.0;

    ByteStream untouched;
    host.type().save(source, WriteToStream, untouched.cookie());
    const int32_t measured = host.type().savedSize(source);
    EXPECT_EQ(measured, 289 + 12 * (3 + 1 + 3 + 3) + 8 * 3);
    const std::vector<uint8_t> bytes = SaveObject(host, source);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(measured));

    ObjectPtr loaded = LoadObject(host, bytes);
    const TessoidObject &s = Mesh(source), &l = Mesh(loaded);
    EXPECT_STREQ(l.sourceName, "D:\\scans\\leaf.obj");
    EXPECT_EQ(l.vertices, s.vertices);
    EXPECT_EQ(l.faces, s.faces);
    EXPECT_EQ(l.edges, s.edges);
    EXPECT_EQ(l.normals, s.normals);
    EXPECT_EQ(l.uvs, s.uvs);
    EXPECT_EQ(l.smoothAngle, 60.0);
    EXPECT_EQ(l.invert, 0);
    EXPECT_EQ(l.loadArgument, 7);
    EXPECT_EQ(SaveObject(host, loaded), bytes);

    ObjectPtr cube = makeCube(host);
    EXPECT_EQ(SaveObject(host, LoadObject(host, SaveObject(host, cube))), SaveObject(host, cube));
}

TEST(MeshStream, EmptyObjectSavesZeroCountsAndLoadsEmpty) {
    FakeHost host;
    ObjectPtr empty = host.createForFilling();
    const std::vector<uint8_t> bytes = SaveObject(host, empty);
    ASSERT_EQ(bytes.size(), 289u);
    ObjectPtr loaded = LoadObject(host, bytes);
    EXPECT_TRUE(Mesh(loaded).vertices.empty());
    EXPECT_EQ(Mesh(loaded).vertices.data(), nullptr);
}

TEST(MeshStream, Version3HasFloatsAndNoInvertVersion2HasDoubles) {
    FakeHost host;
    StreamWriter v3;
    v3.put<uint8_t>(3).name("old.obj").put<int32_t>(3);
    for (float f : {0.f, 0.f, 0.f, 2.f, 0.f, 0.f, 0.f, 2.f, 0.f})
        v3.put(f);
    v3.put<int32_t>(1).put<int32_t>(0).put<int32_t>(1).put<int32_t>(2);
    v3.put<int32_t>(3)
        .put<int32_t>(0)
        .put<int32_t>(1)
        .put<int32_t>(0)
        .put<int32_t>(2)
        .put<int32_t>(1)
        .put<int32_t>(2);
    v3.put<int32_t>(0).put<int32_t>(0).put<double>(15.0);
    v3.put<int32_t>(1); // not part of version 3: must stay unread
    ByteStream stream;
    stream.bytes = v3.bytes;
    ObjectPtr o3 = host.createForFilling();
    host.type().load(o3, ReadFromStream, stream.cookie(), 0);
    EXPECT_EQ(stream.readPos, v3.bytes.size() - 4);
    EXPECT_EQ(Mesh(o3).vertices[1], (Float3{2, 0, 0}));
    EXPECT_EQ(Mesh(o3).faceCount(), 1);
    EXPECT_EQ(Mesh(o3).edgeCount(), 3);
    EXPECT_EQ(Mesh(o3).smoothAngle, 15.0);
    EXPECT_EQ(Mesh(o3).invert, 0);
    EXPECT_STREQ(Mesh(o3).sourceName, "old.obj");

    // Version 2: 24 bytes per vertex, normal and uv.
    StreamWriter v2;
    v2.put<uint8_t>(2).name("older").put<int32_t>(2);
    for (double d : {0.1, 0.2, 0.3, 1.0, 2.0, 3.0})
        v2.put(d);
    v2.put<int32_t>(0).put<int32_t>(0).put<int32_t>(2);
    for (double d : {0.0, 0.0, 1.0, 0.0, 1.0, 0.0})
        v2.put(d);
    v2.put<int32_t>(2);
    for (double d : {0.5, 0.25, 0.0, 1.0, 0.75, 0.0})
        v2.put(d);
    v2.put<double>(30.0);
    ObjectPtr o2 = LoadObject(host, v2.bytes);
    EXPECT_EQ(Mesh(o2).vertices, (std::vector<Float3>{{0.1f, 0.2f, 0.3f}, {1, 2, 3}}));
    EXPECT_EQ(Mesh(o2).normals[1], (Float3{0, 1, 0}));
    EXPECT_EQ(Mesh(o2).uvs[0], (Float3{0.5f, 0.25f, 0}));
    EXPECT_EQ(Mesh(o2).smoothAngle, 30.0);
}

TEST(MeshStream, EveryTruncationOfACubeLoadsToAValidObject) {
    FakeHost host;
    const std::vector<uint8_t> bytes = SaveObject(host, makeCube(host));
    for (size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        ObjectPtr o = LoadObject(host, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
        exercise(host, o);
        // Cut inside the faces: the vertices are whole, the faces partly zero.
        if (n == 400) {
            EXPECT_EQ(Mesh(o).vertexCount(), 8);
            EXPECT_EQ(Mesh(o).faceCount(), 12);
        }
        // Cut inside the edges: missing ones read as -1, so the set is rebuilt from faces.
        if (n == 560) {
            EXPECT_EQ(Mesh(o).edgeCount(), 18);
            EXPECT_EQ(Mesh(o).edges.back(), (EdgePair{6, 7}));
        }
        host.destroy(o);
    }
}

TEST(MeshStream, LyingCountsAndIndicesLeaveNoUntrustedGeometry) {
    FakeHost host;
    const std::vector<uint8_t> cube = SaveObject(host, makeCube(host));
    auto patched = [&](size_t offset, int32_t value) {
        std::vector<uint8_t> b = cube;
        std::memcpy(b.data() + offset, &value, 4);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int vertices, faces, edges;
    };
    const Case cases[] = {
        {"negative vertex count", patched(257, -1), 0, 0, 0},
        {"huge face count", patched(357, 0x7fffffff), 0, 0, 0},
        {"negative edge count", patched(505, -5), 0, 0, 0},
        {"huge normal count", patched(653, 0x40000000), 0, 0, 0},
        {"face index past the vertices", patched(361 + 4, 8), 8, 0, 18},
        {"negative face index", patched(361 + 8, -3), 8, 0, 18},
        {"edge index past the vertices", patched(509, 99), 8, 12, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ObjectPtr o = LoadObject(host, c.bytes);
        exercise(host, o);
        EXPECT_EQ(Mesh(o).vertexCount(), c.vertices);
        EXPECT_EQ(Mesh(o).faceCount(), c.faces);
        EXPECT_EQ(Mesh(o).edgeCount(), c.edges);
        EXPECT_STREQ(Mesh(o).sourceName, "Cube");
    }

    // Normals short of one per vertex cannot be looked up by vertex index.
    std::vector<uint8_t> shortNormals(cube.begin(), cube.begin() + 653);
    StreamWriter tail;
    tail.put<int32_t>(2)
        .put(Float3{0, 0, 1})
        .put(Float3{0, 1, 0})
        .put<int32_t>(0)
        .put<double>(0.0)
        .put<int32_t>(0);
    shortNormals.insert(shortNormals.end(), tail.bytes.begin(), tail.bytes.end());
    ObjectPtr o = LoadObject(host, shortNormals);
    exercise(host, o);
    EXPECT_EQ(Mesh(o).normalCount(), 0);
    EXPECT_EQ(Mesh(o).faceCount(), 12);

    // A newer format is not guessed at.
    std::vector<uint8_t> future = cube;
    future[0] = 5;
    ObjectPtr f = LoadObject(host, future);
    EXPECT_EQ(Mesh(f).vertexCount(), 0);
    EXPECT_STREQ(Mesh(f).sourceName, "Cube");

    // An unterminated name is cut at 255 characters.
    std::vector<uint8_t> longName = cube;
    std::memset(longName.data() + 1, 'n', 256);
    EXPECT_EQ(std::strlen(Mesh(LoadObject(host, longName)).sourceName), 255u);
}

// The invariant the indexing methods assert: one index outside, or short normals or uvs,
// break it.
TEST(MeshStream, ConsistencyCheckSeesEachBrokenArray) {
    FakeHost host;
    TessoidObject& m = Mesh(makeCube(host));
    ASSERT_TRUE(m.ArraysAreConsistent());
    const int32_t faceCorner = m.faces[3].c;
    m.faces[3].c = m.vertexCount();
    EXPECT_FALSE(m.ArraysAreConsistent());
    m.faces[3].c = faceCorner;
    const EdgePair edge = m.edges.back();
    m.edges.back().first = -1;
    EXPECT_FALSE(m.ArraysAreConsistent());
    m.edges.back() = edge;
    m.normals.assign(size_t(m.vertexCount()) - 1, Float3{0, 0, 1});
    EXPECT_FALSE(m.ArraysAreConsistent());
    m.normals.clear();
    m.uvs.assign(1, Float3{});
    EXPECT_FALSE(m.ArraysAreConsistent());
    m.uvs.clear();
    EXPECT_TRUE(m.ArraysAreConsistent());
}

TEST(MeshStream, ByteLimitBoundsWhatALoadMayAllocate) {
    FakeHost host;
    const uint32_t saved = LoadByteLimit();
    const std::vector<uint8_t> cube = SaveObject(host, makeCube(host));
    // 8 vertices and 12 faces fit in 240 bytes; the 18 edges (144 more) do not.
    SetLoadByteLimit(240);
    ObjectPtr o = LoadObject(host, cube);
    EXPECT_EQ(Mesh(o).vertexCount(), 0);
    SetLoadByteLimit(8 * 12 + 12 * 12 + 18 * 8);
    o = LoadObject(host, cube);
    EXPECT_EQ(Mesh(o).edgeCount(), 18);
    SetLoadByteLimit(saved);
}
