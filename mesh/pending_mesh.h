// The hand-off record between whoever produces geometry and the next mesh
// object the host creates.
//
// A producer (the Wavefront import, the tessellation of the current object, the
// predefined-solid dialog) moves its arrays in, optionally points `sourceName`
// at a path, and asks the host for a kind-29 object of our type. The new object's
// Create copies `sourceName` (and then shows no dialog); the host's following
// TakePendingMesh call moves the arrays into the object and clears the record.
//
//     PendingMesh& pending = Pending();
//     pending.vertices = std::move(readerVertices);
//     pending.faces = std::move(readerFaces);
//     pending.sourceName = path;          // must outlive the CreateObject call
//     host::CreateObject(KIND_PLUGIN_OBJECT, OBJECT_TYPE_INTERFACE_ID, &handle);
//
// Invariants a producer keeps: every face index lies in [0, vertices.size());
// normals and uvs are either empty or hold one entry per vertex. The object
// checks them again on adoption and drops what breaks them.
// Single-threaded: one producer at a time, on the host's thread.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/mesh_types.h"

namespace tessoid {

struct PendingMesh {
    std::vector<Float3> vertices;     // all producers
    std::vector<IndexTriple> faces;   // all producers
    std::vector<Float3> normals;      // per vertex; tessellation only, else empty
    std::vector<Float3> uvs;          // u, v, w per vertex; tessellation only, else empty
    const char* sourceName = nullptr; // borrowed path of an imported file, else null

    int32_t vertexCount() const { return static_cast<int32_t>(vertices.size()); }
    int32_t faceCount() const { return static_cast<int32_t>(faces.size()); }
    int32_t normalCount() const { return static_cast<int32_t>(normals.size()); }
    int32_t uvCount() const { return static_cast<int32_t>(uvs.size()); }

    // True when idle: nothing filled since the last TakePendingMesh.
    bool IsEmpty() const;
    // Back to idle: frees the arrays, forgets the borrowed name.
    void Clear();
};

// The one process-wide record.
PendingMesh& Pending();

} // namespace tessoid
