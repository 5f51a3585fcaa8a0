#include "support.h"

#include <cstring>
#include <gtest/gtest.h>

#include "mesh/pending_mesh.h"

namespace testhost {

namespace {
BuilderLog* activeLog = nullptr; // the per-triangle index functions get no context
} // namespace

// ---- streams ------------------------------------------------------------------

int32_t TESSOID_STDCALL WriteToStream(int32_t cookie, void* buffer, int32_t count) {
    auto* s = static_cast<ByteStream*>(host::CookieTarget(cookie));
    const auto* p = static_cast<const uint8_t*>(buffer);
    s->bytes.insert(s->bytes.end(), p, p + count);
    ++s->calls;
    return count;
}

int32_t TESSOID_STDCALL ReadFromStream(int32_t cookie, void* buffer, int32_t count) {
    auto* s = static_cast<ByteStream*>(host::CookieTarget(cookie));
    const size_t n = std::min(static_cast<size_t>(count), s->bytes.size() - s->readPos);
    if (n > 0)
        std::memcpy(buffer, s->bytes.data() + s->readPos, n);
    s->readPos += n;
    ++s->calls;
    return static_cast<int32_t>(n);
}

std::vector<uint8_t> SaveObject(FakeHost& host, ObjectPtr object) {
    ByteStream stream;
    host.type().save(object, WriteToStream, stream.cookie());
    return stream.bytes;
}

ObjectPtr LoadObject(FakeHost& host, const std::vector<uint8_t>& bytes) {
    ObjectPtr object = host.createForFilling();
    ByteStream stream;
    stream.bytes = bytes;
    host.type().load(object, ReadFromStream, stream.cookie(), 7);
    return object;
}

StreamWriter& StreamWriter::name(const std::string& text) {
    char field[256] = {};
    std::memcpy(field, text.data(), std::min<size_t>(text.size(), 255));
    bytes.insert(bytes.end(), field, field + 256);
    return *this;
}

// ---- scene text ---------------------------------------------------------------

std::string TextSink::all() const {
    std::string text;
    for (const std::string& piece : pieces)
        text += piece;
    return text;
}

int32_t TESSOID_STDCALL AppendText(int32_t cookie, const char* text) {
    static_cast<TextSink*>(host::CookieTarget(cookie))->pieces.emplace_back(text);
    return 0;
}

// ---- builder ------------------------------------------------------------------

namespace {

BuilderLog& logOf(void* context) {
    return *static_cast<BuilderLog*>(context);
}

int32_t TESSOID_STDCALL declareCounts(void* c, int32_t v, int32_t e, int32_t n, int32_t u) {
    logOf(c).calls.push_back("DeclareCounts");
    logOf(c).declared = {v, e, n, u};
    return 0;
}
int32_t TESSOID_STDCALL beginMesh(void* c, int32_t faces, int32_t zero) {
    logOf(c).calls.push_back("BeginMesh " + std::to_string(faces) + " " + std::to_string(zero));
    return 0;
}
void copyTriples(std::vector<double>& out, int32_t count, const double* triples) {
    out.assign(triples, triples + count * 3);
}
int32_t TESSOID_STDCALL setVertices(void* c, int32_t n, const double* t) {
    logOf(c).calls.push_back("SetVertices");
    copyTriples(logOf(c).vertices, n, t);
    return 0;
}
int32_t TESSOID_STDCALL setNormals(void* c, int32_t n, const double* t) {
    logOf(c).calls.push_back("SetNormals");
    copyTriples(logOf(c).normals, n, t);
    return 0;
}
int32_t TESSOID_STDCALL setUVs(void* c, int32_t n, const double* t) {
    logOf(c).calls.push_back("SetUVs");
    copyTriples(logOf(c).uvs, n, t);
    return 0;
}
int32_t TESSOID_STDCALL setEdges(void* c, int32_t n, const int32_t* pairs) {
    logOf(c).calls.push_back("SetEdges");
    logOf(c).edges.assign(pairs, pairs + n * 2);
    return 0;
}
int32_t TESSOID_STDCALL addTriangle(void* c, int32_t a, int32_t b, int32_t cc, int32_t* id) {
    logOf(c).calls.push_back("AddTriangle");
    logOf(c).triangles.push_back({a, b, cc});
    *id = 1000 + static_cast<int32_t>(logOf(c).triangles.size());
    return 0;
}
int32_t TESSOID_STDCALL setTriangleNormals(int32_t id, int32_t a, int32_t b, int32_t c) {
    activeLog->calls.push_back("SetTriangleNormals " + std::to_string(id));
    activeLog->triangleNormals.push_back({a, b, c});
    return 0;
}
int32_t TESSOID_STDCALL setTriangleUVs(int32_t id, int32_t a, int32_t b, int32_t c) {
    activeLog->calls.push_back("SetTriangleUVs " + std::to_string(id));
    activeLog->triangleUvs.push_back({a, b, c});
    return 0;
}
int32_t TESSOID_STDCALL emitTriangle(void* c, const TriangleRecord* record) {
    logOf(c).calls.push_back("EmitTriangle");
    logOf(c).records.push_back(*record);
    return 0;
}

} // namespace

HostBuilder MakeBuilder(BuilderLog& log, bool emit) {
    activeLog = &log;
    HostBuilder b{};
    b.context = &log;
    b.declareCounts = declareCounts;
    b.beginMesh = beginMesh;
    b.setVertices = setVertices;
    b.setNormals = setNormals;
    b.setUVs = setUVs;
    b.setEdges = setEdges;
    b.addTriangle = addTriangle;
    b.setTriangleNormals = setTriangleNormals;
    b.setTriangleUVs = setTriangleUVs;
    b.emitTriangle = emit ? emitTriangle : nullptr;
    return b;
}

void FillPending(const std::vector<Float3>& vertices, const std::vector<IndexTriple>& faces,
                 const std::vector<Float3>& normals, const std::vector<Float3>& uvs) {
    PendingMesh& p = Pending();
    p.vertices = vertices;
    p.faces = faces;
    p.normals = normals;
    p.uvs = uvs;
}

} // namespace testhost
