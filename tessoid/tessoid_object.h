// The mesh scene object: a triangle mesh with optional per-vertex normals and
// texture coordinates, a source name, a smoothing angle, an invert flag and the
// unique edges of its triangles.
//
// Invariant kept by every operation that fills the arrays (TakePendingMesh,
// Load, Copy): each face and edge index lies in [0, vertexCount), and normals and
// uvs are either empty or hold at least one entry per vertex. Everything that
// walks the arrays relies on it, so data that breaks it is dropped on entry.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/mesh_types.h"
#include "tessoid/object_base.h"

namespace tessoid {

constexpr uint32_t MASKS_ANSWER = 0x8ffffffe;
constexpr int32_t STREAM_VERSION = 4;
constexpr size_t SOURCE_NAME_SIZE = 256;

class TessoidObject final : public ObjectBase {
  public:
    explicit TessoidObject(ObjectTypeInterface* creationContext);
    ~TessoidObject() override;

    int32_t TakePendingMesh() override;
    int32_t GetMasks(uint32_t* first, uint32_t* second) override;
    int32_t EnumVerticesAndEdges(void* context, VertexFn vertexFn, EdgeFn edgeFn) override;
    int32_t EnumEdges(void* context, SegmentFn segmentFn) override;
    int32_t BuildMesh(int32_t ignored, HostBuilder* builder) override;
    int32_t AuxQuery(int32_t a, int32_t b, int32_t c, int32_t* out, int32_t e) override;
    int32_t ValueChanged(int32_t id, double value) override;
    int32_t GetValueInfo(int32_t id, ValueDescriptor* out) override;
    int32_t InitialiseNew() override;
    int32_t Load() override;
    int32_t Save() override;
    int32_t WriteScene(const char* name) override;
    int32_t MarkDeclared() override;
    int32_t SceneQuery(int32_t argument) override;
    int32_t MarkDeclaredAgain() override;
    int32_t HostHookA(int32_t a) override;
    int32_t HostHookB(int32_t a, int32_t b) override;
    int32_t HostHookC(int32_t a) override;
    int32_t HostHookD(int32_t a, int32_t b) override;
    int32_t HostHookE(int32_t a) override;

    // Copy slot: the geometry, angle and invert flag of `source`; not its name or flags.
    void CopyFrom(const TessoidObject& source);
    // Stores `text` in sourceName, shortened as SetSourceName below says.
    void SetSourceName(const char* text);

    int32_t faceCount() const { return static_cast<int32_t>(faces.size()); }
    int32_t vertexCount() const { return static_cast<int32_t>(vertices.size()); }
    int32_t normalCount() const { return static_cast<int32_t>(normals.size()); }
    int32_t uvCount() const { return static_cast<int32_t>(uvs.size()); }
    int32_t edgeCount() const { return static_cast<int32_t>(edges.size()); }

    char sourceName[SOURCE_NAME_SIZE]; // NUL-terminated, zero-padded
    std::vector<IndexTriple> faces;
    std::vector<Float3> vertices;
    std::vector<Float3> normals; // per vertex, or empty
    std::vector<Float3> uvs;     // u, v, w per vertex, or empty
    double smoothAngle = 0.0;    // property 1003
    int32_t invert = 0;          // hand triangles to the host as (a, c, b)
    std::vector<EdgePair> edges; // unique, ascending

    // The class invariant every method that indexes the arrays relies on: faces and edges
    // inside the vertices, normals and uvs empty or covering every vertex. Load,
    // TakePendingMesh and CopyFrom keep it, so only our own bug breaks it (asserted).
    bool ArraysAreConsistent() const;

  private:
    // Restores the class invariant after the arrays came from outside.
    void dropUntrustedArrays();
};

// Sorted unique undirected edges of `faces` (no negative index), smaller index first.
std::vector<EdgePair> BuildEdgeSet(const std::vector<IndexTriple>& faces);
// The same for faces whose every index is below vertexCount, which spares a pass to find
// the highest.
std::vector<EdgePair> BuildEdgeSet(const std::vector<IndexTriple>& faces, int32_t vertexCount);

// Copies `text` into a 256-byte name field. A text of 255 characters or fewer is
// kept whole; a longer one keeps its last 252 characters behind "...", so the
// file name at the end of a path stays visible.
void CopySourceName(char (&field)[SOURCE_NAME_SIZE], const char* text);

// Upper bound on the array bytes one Load may allocate; a stream that claims
// more is treated as corrupt. Adjustable for tests and fuzzing.
constexpr uint32_t DEFAULT_LOAD_BYTE_LIMIT = 256u << 20;
void SetLoadByteLimit(uint32_t bytes);
uint32_t LoadByteLimit();

// The object behind the host's current object, when it is one of ours.
TessoidObject* CurrentTessoid();

} // namespace tessoid
