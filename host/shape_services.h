// The reference host's shape objects: the data behind the getter functions of
// extension record 1 (profile points, patch points and patches, mesh vertices
// and faces, blob components), each object's transformation, and the two
// services that expose them, GetObjectTransform and GetMeshAccess.
//
// Shape data lives beside the Scene, keyed by handle; a SceneObject's
// extension record 1 carries only the counts and getter pointers, written by
// WireShapeGetters.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "host/scene.h"
#include "plugin/interface_records.h"
#include "plugin/shape_records.h"

namespace host {

struct ShapeTransform {
    double scale[3] = {1, 1, 1};
    double rotation[3] = {0, 0, 0}; // degrees
    double translation[3] = {0, 0, 0};
};

struct ShapeData {
    ShapeTransform transform;
    bool hasPre = false;
    ShapeTransform pre;                           // applied before `transform` when hasPre
    std::vector<tessoid::ProfilePoint> profile;   // sweeps, lathes, glyphs
    std::vector<std::array<double, 3>> points;    // patch points, mesh vertices
    std::vector<std::array<int32_t, 16>> patches; // patch meshes
    std::vector<std::array<int32_t, 3>> faces;    // triangle meshes
    std::vector<tessoid::BlobComponent> blobs;    // blobs
};

// The shape data of an object, made on first use.
ShapeData& ShapeOf(HostHandle handle);
// Null for an object that has none.
const ShapeData* FindShape(HostHandle handle);

// Writes the counts and getter pointers of the object's kind into its
// extension record 1, from the object's shape data.
void WireShapeGetters(SceneObject& object);

// Fills the GetObjectTransform and GetMeshAccess slots of record 0 and forgets
// the shape data of any earlier host.
void InstallShapeServices(tessoid::HostInterface& services);

// Writes a value into the object's extension record 1 at a block offset of the
// whole host object record (268 and up).
template <typename T>
void PutExtensionField(SceneObject& object, size_t blockOffset, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    constexpr size_t extensionStart = 260;
    assert(blockOffset >= extensionStart + 8 &&
           blockOffset - extensionStart + sizeof(T) <= object.extension1.size());
    std::memcpy(object.extension1.data() + (blockOffset - extensionStart), &value, sizeof(T));
}

} // namespace host
