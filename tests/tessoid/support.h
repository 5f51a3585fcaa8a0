// A small host for the mesh object type: the records it hands the plug-in, a
// scene of fake objects behind the services the type calls, byte-vector
// streams, a text sink and a recording builder.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mesh/mesh_types.h"
#include "plugin/exports.h"
#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"
#include "tessoid/tessoid_object.h"

namespace testhost {

using namespace tessoid;

struct FakeObject {
    int32_t kind = 0;
    void* pluginObject = nullptr;     // kind 29
    const void* typeRecord = nullptr; // kind 29
    HostHandle referred = 0;          // kind 25
    std::vector<HostHandle> children; // kinds 1 and 12
};

// Registers records 0 and 3 through the real export and serves the scene.
class Host {
  public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    ObjectTypeInterface& type() { return type_; }
    HostInterface& services() { return services_; }

    // Scene objects the services answer for.
    HostHandle add(FakeObject object);
    FakeObject& at(HostHandle handle) { return scene_[handle]; }
    void setCurrent(HostHandle handle) { current_ = handle; }
    // Adds a kind-29 object for `object` and makes it current.
    HostHandle addCurrentMesh(ObjectPtr object);

    // As the host's CreateObject for kind 29: Create, then TakePendingMesh.
    ObjectPtr create();
    // Create with type flag bit 28 set, as the host does before Load or Copy.
    ObjectPtr createForFilling();
    void destroy(ObjectPtr object);

    int openLists = 0; // child lists opened and not closed

  private:
    static int32_t TESSOID_STDCALL getCurrentObject(HostHandle* out);
    static int32_t TESSOID_STDCALL getObjectInfo(HostHandle handle, HostObjectRecord* record);
    static int32_t TESSOID_STDCALL openChildList(HostHandle handle, uint32_t* outList);
    static int32_t TESSOID_STDCALL getChild(uint32_t list, int32_t index, HostHandle* out);
    static int32_t TESSOID_STDCALL closeChildList(uint32_t list);

    HostInterface services_{};
    ObjectTypeInterface type_{};
    std::map<HostHandle, FakeObject> scene_;
    HostHandle next_ = 100;
    HostHandle current_ = 0;
    std::vector<ObjectPtr> live_;
};

// The object behind a pointer the type handed out.
TessoidObject& Mesh(ObjectPtr object);

// ---- streams ------------------------------------------------------------------

struct ByteStream {
    std::vector<uint8_t> bytes;
    size_t readPos = 0;
    int calls = 0;
    int32_t cookie() { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(this)); }
};
int32_t TESSOID_STDCALL WriteToStream(int32_t cookie, void* buffer, int32_t count);
// Copies what is left, up to `count`; a short read leaves the rest of the buffer alone.
int32_t TESSOID_STDCALL ReadFromStream(int32_t cookie, void* buffer, int32_t count);

std::vector<uint8_t> SaveObject(Host& host, ObjectPtr object);
ObjectPtr LoadObject(Host& host, const std::vector<uint8_t>& bytes);

// Little-endian stream pieces for hand-made streams.
struct StreamWriter {
    std::vector<uint8_t> bytes;
    template <typename T> StreamWriter& put(const T& value) {
        const auto* p = reinterpret_cast<const uint8_t*>(&value);
        bytes.insert(bytes.end(), p, p + sizeof(T));
        return *this;
    }
    StreamWriter& name(const std::string& text); // the 256-byte field
};

// ---- scene text ---------------------------------------------------------------

struct TextSink {
    std::vector<std::string> pieces;
    std::string all() const;
    int32_t cookie() { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(this)); }
};
int32_t TESSOID_STDCALL AppendText(int32_t cookie, const char* text);

// ---- the builder of BuildMesh ---------------------------------------------------

struct BuilderLog {
    std::vector<std::string> calls;             // call names in order
    std::vector<IndexTriple> triangles;         // AddTriangle corners, or EmitTriangle's
    std::vector<TriangleRecord> records;        // EmitTriangle path
    std::vector<double> vertices, normals, uvs; // Set* arrays, flattened
    std::vector<int32_t> edges;
    std::vector<int32_t> declared; // DeclareCounts arguments
    std::vector<IndexTriple> triangleNormals, triangleUvs;
};
// A builder record whose context is `log`; `emit` selects the EmitTriangle path.
HostBuilder MakeBuilder(BuilderLog& log, bool emit);

// Mesh arrays for a producer-filled PendingMesh.
void FillPending(const std::vector<Float3>& vertices, const std::vector<IndexTriple>& faces,
                 const std::vector<Float3>& normals = {}, const std::vector<Float3>& uvs = {});

} // namespace testhost
