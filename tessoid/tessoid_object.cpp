#include "tessoid/tessoid_object.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>

#include "mesh/pending_mesh.h"
#include "platform/win32.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"

namespace tessoid {

TessoidObject::TessoidObject(ObjectTypeInterface* creationContext) : ObjectBase(creationContext) {
    std::memset(sourceName, 0, sizeof(sourceName));
}

TessoidObject::~TessoidObject() = default;

void CopySourceName(char (&field)[SOURCE_NAME_SIZE], const char* text) {
    std::memset(field, 0, sizeof(field));
    if (!text)
        return;
    const size_t length = std::strlen(text);
    if (length < SOURCE_NAME_SIZE) {
        std::memcpy(field, text, length);
        return;
    }
    constexpr char ELLIPSIS[] = "...";
    constexpr size_t KEEP = SOURCE_NAME_SIZE - 1 - (sizeof(ELLIPSIS) - 1);
    std::memcpy(field, ELLIPSIS, sizeof(ELLIPSIS) - 1);
    std::memcpy(field + sizeof(ELLIPSIS) - 1, text + length - KEEP, KEEP);
}

void TessoidObject::SetSourceName(const char* text) {
    CopySourceName(sourceName, text);
}

namespace {

// The edge set is built half of the vertices at a time, so that its scratch space is half
// of the faces' edges rather than all of them: the edge list, the faces and the vertices
// are all alive at this point, and this is the import's highest memory. (Each block reads
// every face once more; four blocks kept less scratch, for about 6 % more time.)
constexpr size_t EDGE_SET_BLOCKS = 2;
// Partner lists up to this long are sorted by insertion.
constexpr ptrdiff_t SMALL_SORT_SIZE = 16;

template <typename Visit> void eachEdge(const std::vector<IndexTriple>& faces, Visit&& visit) {
    for (const IndexTriple& f : faces) {
        visit(f.a, f.b);
        visit(f.b, f.c);
        visit(f.c, f.a);
    }
}

} // namespace

std::vector<EdgePair> BuildEdgeSet(const std::vector<IndexTriple>& faces) {
    int32_t highest = -1;
    for (const IndexTriple& f : faces) {
        assert(f.a >= 0 && f.b >= 0 && f.c >= 0);
        highest = std::max({highest, f.a, f.b, f.c});
    }
    return BuildEdgeSet(faces, highest + 1);
}

std::vector<EdgePair> BuildEdgeSet(const std::vector<IndexTriple>& faces, int32_t vertexCount) {
    // Each edge is filed under its smaller end (a counting sort), then each vertex's few
    // partners are sorted and repeats dropped: linear in the faces, where sorting all
    // edges at once was not.
    std::vector<EdgePair> edges;
    if (vertexCount <= 0 || faces.empty())
        return edges;
    const size_t vertices = static_cast<size_t>(vertexCount);
    // start[v]: where v's partners begin among all filed edges; start[vertices] = 3 faces.
    std::vector<int32_t> start(vertices + 1, 0);
    eachEdge(faces, [&](int32_t p, int32_t q) {
        assert(p >= 0 && q >= 0 && p < vertexCount && q < vertexCount);
        ++start[static_cast<size_t>(std::min(p, q)) + 1];
    });
    for (size_t v = 1; v <= vertices; ++v)
        start[v] += start[v - 1];

    // Blocks of whole vertices, each holding about an equal share of the filed edges.
    std::vector<size_t> blockStart{0};
    const size_t share = faces.size() * 3 / EDGE_SET_BLOCKS + 1;
    size_t largest = 0;
    for (size_t v = 0; v < vertices;) {
        const size_t first = v;
        while (v < vertices && size_t(start[v + 1] - start[first]) < share)
            ++v;
        v = std::max(v + (v < vertices), first + 1); // the vertex that reaches the share joins
        blockStart.push_back(v);
        largest = std::max(largest, size_t(start[v] - start[first]));
    }
    std::vector<int32_t> partner(largest);

    // Each edge has a smaller end below `vertices` and is a face side: the list can be
    // no longer than the sides, and a mesh with few holes has about vertices + faces
    // edges (Euler). Reserving that bound once lets one pass per block append the edges
    // where counting them first took a second; a mesh beyond it grows the list.
    edges.reserve(std::min(faces.size() * 3, vertices + faces.size() + faces.size() / 16 + 16));
    for (size_t b = 0; b + 1 < blockStart.size(); ++b) {
        const size_t first = blockStart[b];
        const size_t last = blockStart[b + 1];
        // Files the partners of the vertices [first, last).
        const int32_t base = start[first];
        eachEdge(faces, [&](int32_t p, int32_t q) {
            const size_t low = static_cast<size_t>(std::min(p, q));
            if (low >= first && low < last)
                partner[static_cast<size_t>(start[low]++ - base)] = std::max(p, q);
        });
        // Filing moved each start[v] to where v+1 starts: move them back.
        for (size_t v = last - 1; v > first; --v)
            start[v] = start[v - 1];
        start[first] = base;
        // Each vertex's partners, sorted and without repeats. A vertex has a handful:
        // an insertion sort beats a general one there.
        for (size_t v = first; v < last; ++v) {
            int32_t* const from = partner.data() + (start[v] - base);
            int32_t* const to = partner.data() + (start[v + 1] - base);
            if (to - from > SMALL_SORT_SIZE) {
                std::sort(from, to);
            } else {
                for (int32_t* i = from + 1; i < to; ++i) {
                    const int32_t x = *i;
                    int32_t* j = i;
                    for (; j > from && j[-1] > x; --j)
                        *j = j[-1];
                    *j = x;
                }
            }
            for (const int32_t* k = from; k != to; ++k)
                if (k == from || *k != k[-1])
                    edges.push_back({static_cast<int32_t>(v), *k});
        }
    }
    return edges;
}

bool TessoidObject::ArraysAreConsistent() const {
    const int32_t n = vertexCount();
    auto inRange = [n](int32_t i) { return i >= 0 && i < n; };
    return std::all_of(faces.begin(), faces.end(),
                       [&](const IndexTriple& f) {
                           return inRange(f.a) && inRange(f.b) && inRange(f.c);
                       }) &&
           std::all_of(edges.begin(), edges.end(),
                       [&](const EdgePair& e) { return inRange(e.first) && inRange(e.second); }) &&
           (normals.empty() || normals.size() >= vertices.size()) &&
           (uvs.empty() || uvs.size() >= vertices.size());
}

void TessoidObject::dropUntrustedArrays() {
    const int32_t n = vertexCount();
    auto inRange = [n](int32_t i) { return i >= 0 && i < n; };
    const bool facesOk = std::all_of(faces.begin(), faces.end(), [&](const IndexTriple& f) {
        return inRange(f.a) && inRange(f.b) && inRange(f.c);
    });
    if (!facesOk)
        faces.clear();
    const bool edgesOk = std::all_of(edges.begin(), edges.end(), [&](const EdgePair& e) {
        return inRange(e.first) && inRange(e.second);
    });
    if (!edgesOk)
        edges = BuildEdgeSet(faces);
    // Normals and uvs are looked up by vertex index.
    if (normals.size() < vertices.size())
        normals.clear();
    if (uvs.size() < vertices.size())
        uvs.clear();
}

int32_t TessoidObject::TakePendingMesh() {
    PendingMesh& pending = Pending();
    vertices = std::move(pending.vertices);
    faces = std::move(pending.faces);
    normals = std::move(pending.normals);
    uvs = std::move(pending.uvs);
    edges.clear();
    dropUntrustedArrays();
    edges = BuildEdgeSet(faces, vertexCount()); // every corner is a vertex now
    pending.Clear();
    assert(ArraysAreConsistent());
    return 0;
}

int32_t TessoidObject::GetMasks(uint32_t* first, uint32_t* second) {
    if (first)
        *first = MASKS_ANSWER;
    if (second)
        *second = MASKS_ANSWER;
    return 0;
}

int32_t TessoidObject::EnumVerticesAndEdges(void* context, VertexFn vertexFn, EdgeFn edgeFn) {
    if (!vertexFn || !edgeFn)
        return 0;
    for (const Float3& v : vertices)
        vertexFn(context, v.x, v.y, v.z);
    for (const EdgePair& e : edges)
        edgeFn(context, e.first, e.second);
    return edgeCount();
}

int32_t TessoidObject::EnumEdges(void* context, SegmentFn segmentFn) {
    if (!segmentFn)
        return 0;
    assert(ArraysAreConsistent());
    for (const EdgePair& e : edges) {
        const Float3& p = vertices[static_cast<size_t>(e.first)];
        const Float3& q = vertices[static_cast<size_t>(e.second)];
        const double segment[6] = {p.x, p.y, p.z, q.x, q.y, q.z};
        segmentFn(context, segment);
    }
    return 0;
}

namespace {

void widen(const Float3& f, double* out) {
    out[0] = f.x;
    out[1] = f.y;
    out[2] = f.z;
}

std::unique_ptr<double[]> widenAll(const std::vector<Float3>& items) {
    auto out = std::make_unique<double[]>(items.size() * 3);
    for (size_t i = 0; i < items.size(); ++i)
        widen(items[i], &out[i * 3]);
    return out;
}

} // namespace

int32_t TessoidObject::BuildMesh(int32_t, HostBuilder* builder) {
    if (!builder || faceCount() <= 0 || vertexCount() <= 0)
        return 0;
    assert(ArraysAreConsistent());
    void* context = builder->context;
    if (builder->beginMesh)
        builder->beginMesh(context, faceCount(), 0);

    auto corners = [this](const IndexTriple& f) { return invert ? IndexTriple{f.a, f.c, f.b} : f; };
    const bool hasNormals = normalCount() > 0;
    const bool hasUvs = uvCount() > 0;

    if (builder->emitTriangle) {
        for (const IndexTriple& face : faces) {
            const IndexTriple f = corners(face);
            const int32_t index[3] = {f.a, f.b, f.c};
            TriangleRecord record{};
            record.tag = TRIANGLE_RECORD_TAG;
            record.contents =
                (hasNormals ? TRIANGLE_HAS_NORMALS : 0) | (hasUvs ? TRIANGLE_HAS_UVS : 0);
            for (int k = 0; k < 3; ++k) {
                const size_t i = static_cast<size_t>(index[k]);
                widen(vertices[i], &record.positions[k * 3]);
                if (hasNormals)
                    widen(normals[i], &record.normals[k * 3]);
                if (hasUvs)
                    widen(uvs[i], &record.uvs[k * 3]);
            }
            builder->emitTriangle(context, &record);
        }
        return 0;
    }

    if (builder->declareCounts)
        builder->declareCounts(context, vertexCount(), edgeCount(), normalCount(), uvCount());
    if (builder->setVertices)
        builder->setVertices(context, vertexCount(), widenAll(vertices).get());
    if (hasNormals && builder->setNormals)
        builder->setNormals(context, normalCount(), widenAll(normals).get());
    if (hasUvs && builder->setUVs)
        builder->setUVs(context, uvCount(), widenAll(uvs).get());
    for (const IndexTriple& face : faces) {
        const IndexTriple f = corners(face);
        int32_t id = 0;
        if (builder->addTriangle)
            builder->addTriangle(context, f.a, f.b, f.c, &id);
        if (hasNormals && builder->setTriangleNormals)
            builder->setTriangleNormals(id, f.a, f.b, f.c);
        if (hasUvs && builder->setTriangleUVs)
            builder->setTriangleUVs(id, f.a, f.b, f.c);
    }
    if (edgeCount() > 0 && builder->setEdges) {
        std::vector<int32_t> pairs(edges.size() * 2);
        for (size_t i = 0; i < edges.size(); ++i) {
            pairs[i * 2] = edges[i].first;
            pairs[i * 2 + 1] = edges[i].second;
        }
        builder->setEdges(context, edgeCount(), pairs.data());
    }
    return 0;
}

int32_t TessoidObject::AuxQuery(int32_t, int32_t, int32_t, int32_t* out, int32_t) {
    if (out)
        *out = 0;
    return 0;
}

int32_t TessoidObject::ValueChanged(int32_t id, double value) {
    if (id == SMOOTH_ANGLE_PROPERTY) {
        smoothAngle = value;
        return 0;
    }
    char line[128];
    std::snprintf(line, sizeof(line), "Unhandled ValueChanged : ID: %d  -> %.3f\n",
                  static_cast<int>(id), value);
    OutputDebugStringA(line);
    return 0;
}

int32_t TessoidObject::GetValueInfo(int32_t id, ValueDescriptor* out) {
    if (id != SMOOTH_ANGLE_PROPERTY || !out)
        return 0;
    ValueDescriptor d{};
    d.tag = VALUE_DESCRIPTOR_TAG;
    d.kind = VALUE_DESCRIPTOR_KIND;
    d.value = smoothAngle;
    d.minimum = 0.0;
    d.maximum = 180.0;
    d.hasStep = 1;
    d.step = 5.0;
    d.zero = 0;
    std::memcpy(out, &d, sizeof(d));
    return 1;
}

int32_t TessoidObject::MarkDeclared() {
    flags |= FLAG_DECLARED;
    return 0;
}

int32_t TessoidObject::SceneQuery(int32_t) {
    return 1;
}

int32_t TessoidObject::MarkDeclaredAgain() {
    flags |= FLAG_DECLARED;
    return 0;
}

// The host's own slots of the type record; we only pass the calls through.
int32_t TessoidObject::HostHookA(int32_t a) {
    if (!typeRecord || !typeRecord->hostSlot152)
        return RESULT_EMPTY_SLOT;
    return typeRecord->hostSlot152(this, a);
}

int32_t TessoidObject::HostHookB(int32_t a, int32_t b) {
    if (!typeRecord || !typeRecord->hostSlot148)
        return RESULT_EMPTY_SLOT;
    return typeRecord->hostSlot148(this, a, b);
}

int32_t TessoidObject::HostHookC(int32_t a) {
    if (!typeRecord || !typeRecord->hostSlot164)
        return RESULT_EMPTY_SLOT;
    return typeRecord->hostSlot164(this, a);
}

int32_t TessoidObject::HostHookD(int32_t a, int32_t b) {
    if (!typeRecord || !typeRecord->hostSlot168)
        return RESULT_EMPTY_SLOT;
    return typeRecord->hostSlot168(this, a, b);
}

int32_t TessoidObject::HostHookE(int32_t a) {
    if (!typeRecord || !typeRecord->hostSlot276)
        return RESULT_EMPTY_SLOT;
    return typeRecord->hostSlot276(this, a);
}

void TessoidObject::CopyFrom(const TessoidObject& source) {
    if (&source == this)
        return;
    vertices = source.vertices;
    faces = source.faces;
    edges = source.edges;
    normals = source.normals;
    uvs = source.uvs;
    smoothAngle = source.smoothAngle;
    invert = source.invert;
}

TessoidObject* CurrentTessoid() {
    HostHandle current = 0;
    if (host::GetCurrentObject(&current) != RESULT_OK || current == 0)
        return nullptr;
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    if (host::GetObjectInfo(current, record.get()) != RESULT_OK)
        return nullptr;
    // Create hands the host an ObjectBase pointer; ours is the only class behind it.
    auto* object = static_cast<ObjectBase*>(PluginObjectOf(*record));
    return static_cast<TessoidObject*>(object);
}

} // namespace tessoid
