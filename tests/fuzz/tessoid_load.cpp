// Load of a mesh object over arbitrary stream bytes, then everything that walks
// the loaded arrays. Whatever the bytes, the object must end valid: indices in
// range, and a save of it measuring exactly what it writes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/cookie_loan.h"
#include "plugin/exports.h"
#include "plugin/interface_records.h"
#include "tessoid/tessoid_object.h"

using namespace tessoid;

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int32_t TESSOID_STDCALL readInput(int32_t cookie, void* buffer, int32_t count) {
    auto* in = static_cast<Input*>(host::CookieTarget(cookie));
    if (count < 0)
        std::abort();
    const size_t n = std::min(static_cast<size_t>(count), in->size - in->pos);
    std::memcpy(buffer, in->data + in->pos, n);
    in->pos += n;
    return static_cast<int32_t>(n);
}

int32_t TESSOID_STDCALL countBytes(int32_t cookie, void*, int32_t count) {
    *static_cast<int32_t*>(host::CookieTarget(cookie)) += count;
    return count;
}

int32_t TESSOID_STDCALL ignoreText(int32_t, const char* text) {
    return static_cast<int32_t>(std::strlen(text));
}
void TESSOID_STDCALL ignoreVertex(void*, double, double, double) {}
void TESSOID_STDCALL ignoreEdge(void*, int32_t, int32_t) {}
void TESSOID_STDCALL ignoreSegment(void*, const double* six) {
    volatile double sum = six[0] + six[5];
    (void)sum;
}
int32_t TESSOID_STDCALL ignoreCounts(void*, int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL ignoreBegin(void*, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL readTriples(void*, int32_t count, const double* t) {
    volatile double last = count > 0 ? t[count * 3 - 1] : 0;
    (void)last;
    return 0;
}
int32_t TESSOID_STDCALL readEdges(void*, int32_t count, const int32_t* p) {
    volatile int32_t last = count > 0 ? p[count * 2 - 1] : 0;
    (void)last;
    return 0;
}
int32_t TESSOID_STDCALL addTriangle(void* ctx, int32_t a, int32_t b, int32_t c, int32_t* id) {
    const int32_t vertices = *static_cast<int32_t*>(ctx);
    if (a < 0 || b < 0 || c < 0 || a >= vertices || b >= vertices || c >= vertices)
        std::abort();
    *id = a;
    return 0;
}
int32_t TESSOID_STDCALL triangleIndices(int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL emitTriangle(void*, const TriangleRecord* r) {
    if (r->tag != 100)
        std::abort();
    return 0;
}

ObjectTypeInterface& typeRecord() {
    static ObjectTypeInterface type = [] {
        ObjectTypeInterface t{};
        t.header.size = sizeof(t);
        t.header.version = 100;
        if (GetInterfaceFunctions(3, &t) != 0)
            std::abort();
        t.typeFlags |= TYPE_FLAG_NO_DIALOG; // the host fills the object itself
        // Keep each input quick; the limit's own check is the same at any size.
        SetLoadByteLimit(1u << 20);
        return t;
    }();
    return type;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ObjectTypeInterface& type = typeRecord();
    ObjectPtr object = type.create(&type);
    if (!object)
        std::abort();
    type.takePendingMesh(object);
    Input input{data, size, 0};
    type.load(object, readInput, host::CookieLoan(&input).cookie(), 0);

    const auto& mesh = *static_cast<TessoidObject*>(static_cast<ObjectBase*>(object));
    int32_t vertices = mesh.vertexCount();
    HostBuilder indexed{};
    indexed.context = &vertices;
    indexed.declareCounts = ignoreCounts;
    indexed.beginMesh = ignoreBegin;
    indexed.setVertices = readTriples;
    indexed.setNormals = readTriples;
    indexed.setUVs = readTriples;
    indexed.setEdges = readEdges;
    indexed.addTriangle = addTriangle;
    indexed.setTriangleNormals = triangleIndices;
    indexed.setTriangleUVs = triangleIndices;
    type.buildMesh(object, 0, &indexed);
    HostBuilder emitting = indexed;
    emitting.emitTriangle = emitTriangle;
    type.updateFlags(object, 0, size & 1 ? 1 : 0);
    type.buildMesh(object, 0, &emitting);
    type.writeScene(object, 0, "Fuzz", ignoreText);
    type.enumVerticesAndEdges(object, nullptr, ignoreVertex, ignoreEdge);
    type.enumEdges(object, nullptr, ignoreSegment);

    int32_t written = 0;
    type.save(object, countBytes, host::CookieLoan(&written).cookie());
    if (written != type.savedSize(object))
        std::abort();
    type.destroy(object);
    return 0;
}
