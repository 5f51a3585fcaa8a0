// What the mesh object type's tests share beside the fake host: byte-vector streams, a
// text sink and a recording builder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fake_host.h"
#include "host/cookie_loan.h"
#include "mesh/mesh_types.h"
#include "plugin/exports.h"
#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"
#include "tessoid/tessoid_object.h"

namespace testhost {

using namespace tessoid;

// ---- streams ------------------------------------------------------------------

struct ByteStream {
    std::vector<uint8_t> bytes;
    size_t readPos = 0;
    int calls = 0;
    int32_t cookie() { return loan.cookie(); }
    host::CookieLoan loan{this};
};
int32_t TESSOID_STDCALL WriteToStream(int32_t cookie, void* buffer, int32_t count);
// Copies what is left, up to `count`; a short read leaves the rest of the buffer alone.
int32_t TESSOID_STDCALL ReadFromStream(int32_t cookie, void* buffer, int32_t count);

std::vector<uint8_t> SaveObject(FakeHost& host, ObjectPtr object);
ObjectPtr LoadObject(FakeHost& host, const std::vector<uint8_t>& bytes);

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
    int32_t cookie() { return loan.cookie(); }
    host::CookieLoan loan{this};
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
