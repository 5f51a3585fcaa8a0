#include "support.h"

#include <cstring>
#include <gtest/gtest.h>

#include "mesh/pending_mesh.h"

namespace testhost {

namespace {
Host* activeHost = nullptr;
BuilderLog* activeLog = nullptr; // the per-triangle index functions get no context
} // namespace

Host::Host() {
    services_.header.size = sizeof(services_);
    services_.header.version = 200;
    services_.getCurrentObject = getCurrentObject;
    services_.getObjectInfo = getObjectInfo;
    services_.openChildList = openChildList;
    services_.getChild = getChild;
    services_.closeChildList = closeChildList;
    EXPECT_EQ(GetInterfaceFunctions(0, &services_), 0);
    type_.header.size = sizeof(type_);
    type_.header.version = 100;
    EXPECT_EQ(GetInterfaceFunctions(3, &type_), 0);
    activeHost = this;
    Pending().Clear();
}

Host::~Host() {
    for (ObjectPtr object : live_)
        type_.destroy(object);
    Pending().Clear();
    activeHost = nullptr;
}

HostHandle Host::add(FakeObject object) {
    scene_[next_] = object;
    return next_++;
}

HostHandle Host::addCurrentMesh(ObjectPtr object) {
    FakeObject o;
    o.kind = KIND_PLUGIN_OBJECT;
    o.pluginObject = object;
    o.typeRecord = &type_;
    const HostHandle handle = add(o);
    current_ = handle;
    return handle;
}

ObjectPtr Host::create() {
    ObjectPtr object = type_.create(&type_);
    if (object) {
        type_.takePendingMesh(object);
        live_.push_back(object);
    }
    return object;
}

ObjectPtr Host::createForFilling() {
    const uint32_t saved = type_.typeFlags;
    type_.typeFlags |= TYPE_FLAG_NO_DIALOG;
    ObjectPtr object = create();
    type_.typeFlags = saved;
    return object;
}

void Host::destroy(ObjectPtr object) {
    std::erase(live_, object);
    type_.destroy(object);
}

int32_t TESSOID_STDCALL Host::getCurrentObject(HostHandle* out) {
    *out = activeHost->current_;
    return 0;
}

int32_t TESSOID_STDCALL Host::getObjectInfo(HostHandle handle, HostObjectRecord* record) {
    // A real host checks the record it is given before filling it.
    if (record->base.size != BASE_RECORD_SIZE || record->base.version != BASE_RECORD_VERSION ||
        record->base.extension1 != &record->extension1)
        return -1;
    auto it = activeHost->scene_.find(handle);
    if (it == activeHost->scene_.end())
        return -1;
    const FakeObject& o = it->second;
    record->base.kind = o.kind;
    if (o.kind == KIND_PLUGIN_OBJECT) {
        WriteRecordField(*record, OFFSET_PLUGIN_OBJECT, o.pluginObject);
        WriteRecordField(*record, OFFSET_PLUGIN_TYPE_RECORD, o.typeRecord);
    } else if (o.kind == KIND_REFERENCE) {
        WriteRecordField(*record, OFFSET_REFERRED_HANDLE, o.referred);
    }
    return 0;
}

int32_t TESSOID_STDCALL Host::openChildList(HostHandle handle, uint32_t* outList) {
    auto it = activeHost->scene_.find(handle);
    if (it == activeHost->scene_.end())
        return -1;
    ++activeHost->openLists;
    *outList = handle;
    return 0;
}

int32_t TESSOID_STDCALL Host::getChild(uint32_t list, int32_t index, HostHandle* out) {
    const auto& children = activeHost->scene_[list].children;
    if (index < 0 || static_cast<size_t>(index) >= children.size())
        return RESULT_NO_MORE;
    *out = children[static_cast<size_t>(index)];
    return 0;
}

int32_t TESSOID_STDCALL Host::closeChildList(uint32_t) {
    --activeHost->openLists;
    return 0;
}

TessoidObject& Mesh(ObjectPtr object) {
    return *static_cast<TessoidObject*>(static_cast<ObjectBase*>(object));
}

// ---- streams ------------------------------------------------------------------

int32_t TESSOID_STDCALL WriteToStream(int32_t cookie, void* buffer, int32_t count) {
    auto* s = reinterpret_cast<ByteStream*>(static_cast<uintptr_t>(cookie));
    const auto* p = static_cast<const uint8_t*>(buffer);
    s->bytes.insert(s->bytes.end(), p, p + count);
    ++s->calls;
    return count;
}

int32_t TESSOID_STDCALL ReadFromStream(int32_t cookie, void* buffer, int32_t count) {
    auto* s = reinterpret_cast<ByteStream*>(static_cast<uintptr_t>(cookie));
    const size_t n = std::min(static_cast<size_t>(count), s->bytes.size() - s->readPos);
    if (n > 0)
        std::memcpy(buffer, s->bytes.data() + s->readPos, n);
    s->readPos += n;
    ++s->calls;
    return static_cast<int32_t>(n);
}

std::vector<uint8_t> SaveObject(Host& host, ObjectPtr object) {
    ByteStream stream;
    host.type().save(object, WriteToStream, stream.cookie());
    return stream.bytes;
}

ObjectPtr LoadObject(Host& host, const std::vector<uint8_t>& bytes) {
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
    reinterpret_cast<TextSink*>(static_cast<uintptr_t>(cookie))->pieces.emplace_back(text);
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
