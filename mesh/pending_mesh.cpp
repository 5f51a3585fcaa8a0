#include "mesh/pending_mesh.h"

namespace tessoid {

bool PendingMesh::IsEmpty() const {
    return vertices.empty() && faces.empty() && normals.empty() && uvs.empty() && !sourceName;
}

void PendingMesh::Clear() {
    // Swap with empties so the memory goes back now, not at the next fill.
    std::vector<Float3>().swap(vertices);
    std::vector<IndexTriple>().swap(faces);
    std::vector<Float3>().swap(normals);
    std::vector<Float3>().swap(uvs);
    sourceName = nullptr;
}

PendingMesh& Pending() {
    static PendingMesh pending;
    return pending;
}

} // namespace tessoid
