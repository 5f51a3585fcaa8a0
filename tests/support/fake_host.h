// The unit tests' one in-process host: objects with records, children, transforms and
// getter data, served through a real record 0 and record 1 handed to the plug-in code by
// GetInterfaceFunctions; and the mesh object type's record 3, through which it creates,
// fills and destroys mesh objects as the host does. The end-to-end tests use the
// reference host instead (host/plugin_host.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"
#include "plugin/shape_records.h"
#include "tessoid/tessoid_object.h"

namespace testhost {

using tessoid::HostHandle;
using tessoid::ObjectPtr;

struct FakeObject {
    HostHandle handle = 0;
    std::unique_ptr<tessoid::HostObjectRecord> record; // what GetObjectInfo copies out
    std::vector<HostHandle> children;
    tessoid::ObjectTransform transform{};
    bool transformFails = false;
    std::vector<tessoid::ProfilePoint> profile;
    std::vector<std::array<double, 3>> points; // patch points or mesh vertices
    std::vector<std::array<int32_t, 16>> patches;
    int failingPatch = -1;
    std::vector<std::array<int32_t, 3>> faces;
    std::vector<tessoid::BlobComponent> blobs;
    int32_t countedVertices = 0; // kind 28

    template <typename T> FakeObject& set(size_t offset, T value) {
        tessoid::WriteRecordField(*record, offset, value);
        return *this;
    }
    FakeObject& scale(double x, double y, double z);
    FakeObject& rotate(double x, double y, double z);
    FakeObject& translate(double x, double y, double z);
};

class FakeHost {
  public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // A convertible object (bit 3 set), neutral transform, no children.
    FakeObject& add(int32_t kind, const std::string& name = "");
    // A reference (kind 25) to `target`.
    FakeObject& addReference(HostHandle target);
    // A kind-29 object for `object` of this type, made current.
    FakeObject& addCurrentMesh(ObjectPtr object);
    FakeObject& find(HostHandle handle) { return *objects_.at(handle); }
    void addChild(FakeObject& group, const FakeObject& child) {
        group.children.push_back(child.handle);
    }
    // Wires the getter slots of extension record 1 for the object's kind.
    void wireGetters(FakeObject& object);

    // The mesh object type as the host sees it: record 3, and objects made through it.
    tessoid::ObjectTypeInterface& type() { return *type_; }
    // As the host's CreateObject for kind 29: Create, then TakePendingMesh.
    ObjectPtr create();
    // Create with the no-dialog type flag set, as the host does before Load or Copy.
    ObjectPtr createForFilling();
    void destroy(ObjectPtr object);

    HostHandle current = 0;
    int getterCalls = 0;
    int openLists = 0;                        // child lists opened and not closed
    std::vector<std::string> fileNameQueries; // "value:text" of every GetFileName

    static FakeHost* active;

    // Service implementations reached by the stdcall slots.
    int32_t getObjectInfo(HostHandle handle, tessoid::HostObjectRecord* record);
    int32_t getObjectTransform(HostHandle handle, tessoid::ObjectTransform* transform);
    int32_t openChildList(HostHandle handle, uint32_t* out);
    int32_t getChild(uint32_t list, int32_t index, HostHandle* out);
    int32_t closeChildList(uint32_t list);
    int32_t getMeshAccess(HostHandle handle, tessoid::MeshAccessTable* table);

  private:
    std::map<HostHandle, std::unique_ptr<FakeObject>> objects_;
    std::map<uint32_t, std::vector<HostHandle>> lists_;
    uint32_t nextList_ = 1;
    HostHandle nextHandle_ = 100;
    std::unique_ptr<tessoid::HostInterface> services_;
    std::unique_ptr<tessoid::FileTypeInterface> files_;
    std::unique_ptr<tessoid::ObjectTypeInterface> type_;
    std::vector<ObjectPtr> live_; // made by create() and not destroyed
};

// The mesh object behind a pointer the type handed out.
tessoid::TessoidObject& Mesh(ObjectPtr object);

} // namespace testhost
