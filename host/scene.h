// The reference host's in-memory scene: objects with handles, kinds, names,
// kind-specific extension bytes and child lists.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"

namespace host {

using tessoid::HostHandle;

// Room for what the plug-in announced, so that the builder's calls only append; a huge
// announced count reserves no more than this (the checks still hold it to its count).
constexpr int32_t RESERVED_ITEMS_LIMIT = 1 << 20;

template <typename T>
void ReserveItems(std::vector<T>& values, int32_t items, size_t valuesPerItem) {
    values.reserve(static_cast<size_t>(std::min(items, RESERVED_ITEMS_LIMIT)) * valuesPerItem);
}

// Geometry a polygon-mesh object (kind 31) or a drawn plug-in object holds.
struct MeshData {
    std::vector<double> vertices; // x, y, z triples
    std::vector<int32_t> faces;   // index triples
    std::vector<double> normals;
    std::vector<double> uvs;    // u, v, w triples
    std::vector<int32_t> edges; // index pairs
};

// What a draw gave as counts: triangles, and whether normals and uvs came.
struct DrawnCounts {
    int32_t faces = 0;
    bool normals = false, uvs = false;
};

struct SceneObject {
    HostHandle handle = 0;
    int32_t kind = 0;
    std::string name;
    std::string textureName;
    uint8_t stateFlags = 0;
    HostHandle parent = 0;
    std::vector<HostHandle> children;
    // Extension records 1 and 2 as the host keeps them (whole records, header included).
    std::vector<uint8_t> extension1 = std::vector<uint8_t>(tessoid::EXTENSION1_SIZE);
    std::vector<uint8_t> extension2 = std::vector<uint8_t>(tessoid::EXTENSION2_SIZE);
    // Kind 29: the plug-in object and the interface record of its type.
    void* pluginObject = nullptr;
    tessoid::ObjectTypeInterface* type = nullptr;
    // Kind 31: the mesh built through the builder table, within what AllocateMesh and
    // AllocateFaces announced, and the material AssignMaterial named.
    MeshData mesh;
    int32_t allocatedVertices = -1, allocatedEdges = 0, allocatedTextureVertices = 0;
    int32_t allocatedFaces = -1;
    // What the builder has added: the counts its checks and the report go by, whether or
    // not the host keeps the values in `mesh` (PluginHost::keepsBuilderValues).
    int32_t filledVertices = 0, filledEdges = 0, filledTextureVertices = 0, filledFaces = 0;
    std::string assignedMaterial;
    // The hostile host refused the last GetObjectInfo of this object: a record written
    // back now would carry values the host never gave.
    bool lastReadRefused = false;
    // Kind 11: the library item's type (material, pigment, ...).
    int32_t itemType = 0;
    // Placement of cameras and lights, as the plug-in set them.
    double position[3] = {0, 0, 0};
    double target[3] = {0, 0, 0};
    bool hasPosition = false, hasTarget = false;
};

class Scene {
  public:
    SceneObject& add(int32_t kind, std::string name);
    // Every builder call of an import looks its object up, in long runs on one object.
    SceneObject* find(HostHandle handle) {
        return lastFound_ && lastFound_->handle == handle ? lastFound_ : findUncached(handle);
    }
    // find() for the mesh builder's services, which take polygon meshes only. Its cache
    // holds meshes only, so a hit needs no look at the kind.
    SceneObject* findPolygonMesh(HostHandle handle) {
        return lastMesh_ && lastMesh_->handle == handle ? lastMesh_ : findMeshUncached(handle);
    }
    SceneObject* findByName(const std::string& name);
    // Removes the object and its place in its parent; children become top-level.
    std::unique_ptr<SceneObject> remove(HostHandle handle);
    std::vector<SceneObject*> objects();  // in creation order
    std::vector<SceneObject*> topLevel(); // objects without a parent
    size_t size() const { return objects_.size(); }

    HostHandle current = 0;

  private:
    SceneObject* findUncached(HostHandle handle);
    SceneObject* findMeshUncached(HostHandle handle);

    std::map<HostHandle, std::unique_ptr<SceneObject>> objects_; // creation order
    // A hash lookup for find(), not a tree walk.
    std::unordered_map<HostHandle, SceneObject*> byHandle_;
    SceneObject* lastFound_ = nullptr;
    SceneObject* lastMesh_ = nullptr; // always of tessoid::KIND_POLYGON_MESH
    HostHandle nextHandle_ = 0x1000;
};

} // namespace host
