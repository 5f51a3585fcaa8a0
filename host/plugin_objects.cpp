// What the host does with the plug-in's objects: draws them through BuildMesh,
// stores them in scene files and asks them for scene text.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>

#include "host/cookie_loan.h"
#include "host/plugin_host.h"

namespace host {

using namespace tessoid;

namespace {

// ---- drawing ----------------------------------------------------------------

struct DrawContext {
    MeshData* mesh = nullptr; // null: the draw is checked and counted, nothing is kept
    int32_t vertexCount = 0, normalCount = 0, uvCount = 0, faceCount = 0;
    bool began = false;
    DrawnCounts counts;
};

DrawContext* drawing = nullptr; // the two per-triangle functions get no context

bool indexOk(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

int32_t TESSOID_STDCALL builderDeclareCounts(void* ctx, int32_t v, int32_t e, int32_t n,
                                             int32_t uv) {
    auto* d = static_cast<DrawContext*>(ctx);
    if (v < 0 || e < 0 || n < 0 || uv < 0)
        return ActiveHost()->fail("DeclareCounts: negative count");
    d->vertexCount = v;
    d->normalCount = n;
    d->uvCount = uv;
    return 0;
}
int32_t TESSOID_STDCALL builderBeginMesh(void* ctx, int32_t faces, int32_t zero) {
    auto* d = static_cast<DrawContext*>(ctx);
    if (faces <= 0 || zero != 0 || d->began)
        return ActiveHost()->fail("BeginMesh: bad face count or called twice");
    d->began = true;
    d->faceCount = faces;
    if (d->mesh)
        ReserveItems(d->mesh->faces, faces, 3);
    return 0;
}
int32_t setTriples(DrawContext* d, int32_t count, const double* triples, int32_t declared,
                   std::vector<double> MeshData::*into, const char* what) {
    if (!d->began || count != declared || !triples)
        return ActiveHost()->fail(std::string(what) + ": count differs from DeclareCounts");
    if (d->mesh)
        (d->mesh->*into).assign(triples, triples + 3 * count);
    return 0;
}
int32_t TESSOID_STDCALL builderSetVertices(void* ctx, int32_t count, const double* t) {
    auto* d = static_cast<DrawContext*>(ctx);
    return setTriples(d, count, t, d->vertexCount, &MeshData::vertices, "SetVertices");
}
int32_t TESSOID_STDCALL builderSetNormals(void* ctx, int32_t count, const double* t) {
    auto* d = static_cast<DrawContext*>(ctx);
    const int32_t r = setTriples(d, count, t, d->normalCount, &MeshData::normals, "SetNormals");
    d->counts.normals = d->counts.normals || (r == 0 && count > 0);
    return r;
}
int32_t TESSOID_STDCALL builderSetUVs(void* ctx, int32_t count, const double* t) {
    auto* d = static_cast<DrawContext*>(ctx);
    const int32_t r = setTriples(d, count, t, d->uvCount, &MeshData::uvs, "SetUVs");
    d->counts.uvs = d->counts.uvs || (r == 0 && count > 0);
    return r;
}
int32_t TESSOID_STDCALL builderSetEdges(void* ctx, int32_t count, const int32_t* pairs) {
    auto* d = static_cast<DrawContext*>(ctx);
    if (count <= 0 || !pairs)
        return ActiveHost()->fail("SetEdges: empty");
    for (int32_t i = 0; i < 2 * count; ++i)
        if (!indexOk(pairs[i], d->vertexCount))
            return ActiveHost()->fail("SetEdges: index outside the vertices");
    if (d->mesh)
        d->mesh->edges.assign(pairs, pairs + 2 * count);
    return 0;
}
int32_t TESSOID_STDCALL builderAddTriangle(void* ctx, int32_t a, int32_t b, int32_t c,
                                           int32_t* outId) {
    auto* d = static_cast<DrawContext*>(ctx);
    if (!d->began || !outId)
        return ActiveHost()->fail("AddTriangle: before BeginMesh or null id pointer");
    if (!indexOk(a, d->vertexCount) || !indexOk(b, d->vertexCount) || !indexOk(c, d->vertexCount))
        return ActiveHost()->fail("AddTriangle: index outside the vertices");
    *outId = d->counts.faces++;
    if (d->mesh) {
        std::vector<int32_t>& faces = d->mesh->faces;
        faces.push_back(a);
        faces.push_back(b);
        faces.push_back(c);
    }
    return 0;
}
// The per-corner indices of a triangle already added: checked, not kept (no output uses
// them).
int32_t checkTriangleIndices(int32_t id, int32_t a, int32_t b, int32_t c, int32_t count,
                             const char* what) {
    const DrawContext* d = drawing;
    if (id < 0 || id >= d->counts.faces || !indexOk(a, count) || !indexOk(b, count) ||
        !indexOk(c, count))
        return ActiveHost()->fail(std::string(what) + ": bad triangle id or index");
    return 0;
}
int32_t TESSOID_STDCALL builderSetTriangleNormals(int32_t id, int32_t a, int32_t b, int32_t c) {
    if (!drawing)
        return ActiveHost()->fail("SetTriangleNormals: outside BuildMesh");
    return checkTriangleIndices(id, a, b, c, drawing->normalCount, "SetTriangleNormals");
}
int32_t TESSOID_STDCALL builderSetTriangleUVs(int32_t id, int32_t a, int32_t b, int32_t c) {
    if (!drawing)
        return ActiveHost()->fail("SetTriangleUVs: outside BuildMesh");
    return checkTriangleIndices(id, a, b, c, drawing->uvCount, "SetTriangleUVs");
}
int32_t TESSOID_STDCALL builderEmitTriangle(void* ctx, const TriangleRecord* t) {
    auto* d = static_cast<DrawContext*>(ctx);
    if (!d->began || !t || t->tag != TRIANGLE_RECORD_TAG)
        return ActiveHost()->fail("EmitTriangle: before BeginMesh or bad record");
    ++d->counts.faces;
    d->counts.normals = d->counts.normals || (t->contents & TRIANGLE_HAS_NORMALS);
    d->counts.uvs = d->counts.uvs || (t->contents & TRIANGLE_HAS_UVS);
    if (!d->mesh)
        return 0;
    MeshData& m = *d->mesh;
    for (int corner = 0; corner < 3; ++corner) {
        m.faces.push_back(static_cast<int32_t>(m.vertices.size() / 3));
        m.vertices.insert(m.vertices.end(), t->positions + 3 * corner,
                          t->positions + 3 * corner + 3);
        if (t->contents & TRIANGLE_HAS_NORMALS)
            m.normals.insert(m.normals.end(), t->normals + 3 * corner, t->normals + 3 * corner + 3);
        if (t->contents & TRIANGLE_HAS_UVS)
            m.uvs.insert(m.uvs.end(), t->uvs + 3 * corner, t->uvs + 3 * corner + 3);
    }
    return 0;
}

// ---- streams --------------------------------------------------------------------

struct StreamBuffer {
    std::vector<uint8_t> bytes;
    size_t readPos = 0;
    bool shortRead = false;
    bool refused = false; // the hostile host refused one of the calls
};

int32_t TESSOID_STDCALL streamWrite(int32_t cookie, void* buffer, int32_t count) {
    auto* s = static_cast<StreamBuffer*>(CookieTarget(cookie));
    if (!s || count < 0 || (count > 0 && !buffer))
        return ActiveHost()->fail("stream write: bad cookie, count or buffer");
    if (ActiveHost()->faults.refuses(Service::StreamWrite)) {
        s->refused = true;
        return -1;
    }
    auto* p = static_cast<const uint8_t*>(buffer);
    s->bytes.insert(s->bytes.end(), p, p + count);
    return count;
}

int32_t TESSOID_STDCALL streamRead(int32_t cookie, void* buffer, int32_t count) {
    auto* s = static_cast<StreamBuffer*>(CookieTarget(cookie));
    if (!s || count < 0 || (count > 0 && !buffer))
        return ActiveHost()->fail("stream read: bad cookie, count or buffer");
    if (ActiveHost()->faults.refuses(Service::StreamRead)) {
        s->refused = true;
        return -1; // the buffer is left as it was
    }
    size_t available = s->bytes.size() - s->readPos;
    size_t n = std::min<size_t>(available, static_cast<size_t>(count));
    std::memcpy(buffer, s->bytes.data() + s->readPos, n);
    s->readPos += n;
    if (n < static_cast<size_t>(count)) {
        std::memset(static_cast<uint8_t*>(buffer) + n, 0, count - n);
        s->shortRead = true;
    }
    return static_cast<int32_t>(n);
}

constexpr char SCENE_MAGIC[4] = {'T', 'S', 'C', 'N'};
constexpr uint32_t SCENE_FORMAT = 1;

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool getU32(const std::vector<uint8_t>& in, size_t& pos, uint32_t& v) {
    if (in.size() - pos < 4)
        return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(in[pos + i]) << (8 * i);
    pos += 4;
    return true;
}

} // namespace

bool PluginHost::draw(HostHandle handle, bool emitTriangles, MeshData& out) {
    out = MeshData{};
    DrawnCounts counts;
    return drawInto(handle, emitTriangles, &out, counts);
}

bool PluginHost::drawCounted(HostHandle handle, bool emitTriangles, DrawnCounts& out) {
    out = DrawnCounts{};
    return drawInto(handle, emitTriangles, nullptr, out);
}

bool PluginHost::drawInto(HostHandle handle, bool emitTriangles, MeshData* keep,
                          DrawnCounts& counts) {
    SceneObject* object = scene_.find(handle);
    if (!object || !object->pluginObject || !objectType_->buildMesh)
        return false;
    DrawContext context;
    context.mesh = keep;
    HostBuilder builder{};
    builder.context = &context;
    builder.declareCounts = builderDeclareCounts;
    builder.beginMesh = builderBeginMesh;
    builder.setVertices = builderSetVertices;
    builder.setNormals = builderSetNormals;
    builder.setUVs = builderSetUVs;
    builder.setEdges = builderSetEdges;
    builder.addTriangle = builderAddTriangle;
    builder.setTriangleNormals = builderSetTriangleNormals;
    builder.setTriangleUVs = builderSetTriangleUVs;
    builder.emitTriangle = emitTriangles ? builderEmitTriangle : nullptr;
    size_t misusesBefore = misuses.size();
    drawing = &context;
    objectType_->buildMesh(object->pluginObject, 0, &builder);
    drawing = nullptr;
    counts = context.counts;
    if (context.began && context.faceCount != counts.faces)
        fail("BuildMesh: BeginMesh announced " + std::to_string(context.faceCount) + " faces, " +
             std::to_string(counts.faces) + " came");
    return misuses.size() == misusesBefore;
}

bool PluginHost::saveScene(const std::string& path) {
    std::vector<uint8_t> file(SCENE_MAGIC, SCENE_MAGIC + 4);
    putU32(file, SCENE_FORMAT);
    std::vector<SceneObject*> stored;
    for (SceneObject* object : scene_.objects())
        if (object->pluginObject)
            stored.push_back(object);
    putU32(file, static_cast<uint32_t>(stored.size()));
    for (SceneObject* object : stored) {
        int32_t size = objectType_->savedSize(object->pluginObject);
        StreamBuffer stream;
        objectType_->save(object->pluginObject, streamWrite, CookieLoan(&stream).cookie());
        if (stream.refused) {
            error_ = "a stream write of object " + object->name + " failed";
            return false;
        }
        if (size < 0 || stream.bytes.size() != static_cast<size_t>(size)) {
            fail("Save wrote " + std::to_string(stream.bytes.size()) + " bytes, SavedSize said " +
                 std::to_string(size));
            return false;
        }
        putU32(file, static_cast<uint32_t>(object->name.size()));
        file.insert(file.end(), object->name.begin(), object->name.end());
        putU32(file, static_cast<uint32_t>(stream.bytes.size()));
        file.insert(file.end(), stream.bytes.begin(), stream.bytes.end());
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        error_ = "cannot write " + path + ": " + (errno ? std::strerror(errno) : "write failed");
        return false;
    }
    return true;
}

bool PluginHost::loadScene(const std::string& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error_ = "cannot open " + path + ": " + (errno ? std::strerror(errno) : "open failed");
        return false;
    }
    // In blocks, not a character at a time: a scene of imported meshes runs to megabytes.
    std::vector<uint8_t> file;
    char block[64 * 1024];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        file.insert(file.end(), block, block + in.gcount());
    size_t pos = 4;
    uint32_t format = 0, count = 0;
    if (file.size() < 4 || std::memcmp(file.data(), SCENE_MAGIC, 4) != 0 ||
        !getU32(file, pos, format) || format != SCENE_FORMAT || !getU32(file, pos, count)) {
        error_ = path + " is not a scene file of this host";
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLength = 0, size = 0;
        if (!getU32(file, pos, nameLength) || file.size() - pos < nameLength) {
            error_ = path + ": truncated object entry";
            return false;
        }
        std::string name(file.begin() + pos, file.begin() + pos + nameLength);
        pos += nameLength;
        if (!getU32(file, pos, size) || file.size() - pos < size) {
            error_ = path + ": truncated object bytes";
            return false;
        }
        // Objects filled by Load are created without the dialog (type flag bit 28).
        uint32_t flags = objectType_->typeFlags;
        objectType_->typeFlags = flags | TYPE_FLAG_NO_DIALOG;
        HostHandle handle = 0;
        int32_t created = createPluginObject(&handle);
        objectType_->typeFlags = flags;
        if (created != 0) {
            error_ = path + ": the plug-in did not create object " + name;
            return false;
        }
        SceneObject* object = scene_.find(handle);
        object->name = name;
        StreamBuffer stream;
        stream.bytes.assign(file.begin() + pos, file.begin() + pos + size);
        pos += size;
        objectType_->load(object->pluginObject, streamRead, CookieLoan(&stream).cookie(), 0);
        if (stream.shortRead || stream.readPos != stream.bytes.size())
            std::fprintf(stderr, "tessoid-host: %s: object %s read %zu of %zu bytes\n",
                         path.c_str(), name.c_str(), stream.readPos, stream.bytes.size());
    }
    return true;
}

} // namespace host
