// The decoders of the catalogue's record kinds, the catalogue table built from
// chunk_catalogue.def, and the lookups driven by it.
#include "tds/chunk/chunk_catalogue.h"

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "tds/chunk/chunk_file.h"
#include "tds/chunk/errors.h"

namespace tds {
namespace {

static_assert(std::endian::native == std::endian::little,
              "arrays are read straight into their records");
static_assert(sizeof(Point) == 12 && sizeof(Face) == 8 && sizeof(TexCoord) == 8);

// Bytes the current file can still give before the read limit.
uint32_t bytesLeft() {
    const ChunkFile* f = fileTable().current;
    if (!f)
        return 0;
    uint32_t end = readLimit();
    if (f->fileSize < end)
        end = f->fileSize;
    return f->position < end ? end - f->position : 0;
}

// A string up to its zero byte wherever that lies before the chunk's end, cut to
// `limit` characters. Names longer than their field are common in real files;
// only a string without its zero byte is a read failure.
bool readName(uint32_t limit, std::string& out) {
    out.clear();
    for (;;) {
        uint8_t c = 0;
        if (readBytes(1, &c) != 1) {
            out.clear();
            return false;
        }
        if (c == 0)
            return true;
        if (out.size() < limit)
            out.push_back(static_cast<char>(c));
    }
}

// A fixed field of `size` bytes holding a name of at most size - 1 characters.
void readField(uint32_t size, std::string& out) {
    out.clear();
    char field[64] = {};
    if (size > sizeof field || readBytes(size, field) != size)
        return;
    const size_t n = strnlen(field, size - 1);
    out.assign(field, n);
}

// Cuts an untrusted element count to what the chunk can still hold; a cut is a
// short read.
uint32_t fitCount(uint32_t count, uint32_t elementSize) {
    const uint32_t room = bytesLeft() / elementSize;
    if (count <= room)
        return count;
    pushError(ERR_READING_FILE);
    return room;
}

template <class T> void readArray(std::vector<T>& out, uint32_t count) {
    count = fitCount(count, sizeof(T));
    out.resize(count);
    if (count)
        readBytes(count * static_cast<uint32_t>(sizeof(T)), out.data());
}

template <class R> std::unique_ptr<R> make() {
    return std::make_unique<R>();
}

std::unique_ptr<ChunkData> readRaw(uint32_t length) {
    if (length <= 6)
        return nullptr;
    auto r = make<RawData>();
    readArray(r->bytes, length - 6);
    r->count = static_cast<uint32_t>(r->bytes.size());
    return r;
}

// Keys and values of a track; the smallest key is its 6-byte header plus the
// smallest encoding of its value.
template <class R, class ReadValue>
std::unique_ptr<ChunkData> readTrack(uint32_t minValueSize, ReadValue readValue) {
    auto r = make<R>();
    TrackHeader h;
    readTrackHeader(h);
    r->flags = h.flags;
    r->reserved1 = h.reserved1;
    r->reserved2 = h.reserved2;
    const uint32_t count = fitCount(h.keyCount, 6 + minValueSize);
    r->keyCount = count;
    r->keys.resize(count);
    if constexpr (!std::is_same_v<R, HideTrackData>)
        r->values.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        readKeyHeader(r->keys[i]);
        if constexpr (!std::is_same_v<R, HideTrackData>)
            readValue(r->values[i]);
    }
    return r;
}

// The decoders. A decoder reads its record from the current file; for a chunk
// made in memory it runs with no file, where every read fails silently and the
// record comes out zeroed, unless it says otherwise.
using Decoded = std::unique_ptr<ChunkData>;

// The bytes after the header. A chunk made in memory gets as many zero bytes.
Decoded decodeOwnBytes(const ChunkPayload& p) {
    if (p.inMemory) {
        if (p.length <= 6)
            return nullptr;
        auto r = make<RawData>();
        r->bytes.assign(p.length - 6, 0);
        r->count = p.length - 6;
        return r;
    }
    return readRaw(p.length);
}

// The bytes after the header as read from the file; a chunk made in memory has none.
Decoded decodeFileBytes(const ChunkPayload& p) {
    return p.inMemory ? nullptr : readRaw(p.length);
}

// A name made by the keyframer naming pass: what a file's chunk holds is not read.
Decoded decodeInMemoryName(const ChunkPayload& p) {
    return p.inMemory ? make<StringData>() : nullptr;
}

Decoded decodeUint8(const ChunkPayload&) {
    auto r = make<Uint8Data>();
    r->value = readUint8();
    return r;
}

Decoded decodeInt16(const ChunkPayload&) {
    auto r = make<Int16Data>();
    r->value = readInt16();
    return r;
}

Decoded decodeUint16(const ChunkPayload&) {
    auto r = make<Uint16Data>();
    r->value = readUint16();
    return r;
}

Decoded decodeInt32(const ChunkPayload&) {
    auto r = make<Int32Data>();
    r->value = readInt32();
    return r;
}

Decoded decodeFloat(const ChunkPayload&) {
    auto r = make<FloatData>();
    r->value = readFloat();
    return r;
}

Decoded decodeColorFloat(const ChunkPayload&) {
    auto r = make<ColorFloatData>();
    r->r = readFloat();
    r->g = readFloat();
    r->b = readFloat();
    return r;
}

Decoded decodeColorByte(const ChunkPayload&) {
    auto r = make<ColorByteData>();
    r->r = readUint8();
    r->g = readUint8();
    r->b = readUint8();
    return r;
}

Decoded decodePoint(const ChunkPayload&) {
    auto r = make<PointData>();
    r->value = readPoint();
    return r;
}

Decoded decodeName(uint32_t limit) {
    auto r = make<StringData>();
    readName(limit, r->value);
    return r;
}

Decoded decodeFileName(const ChunkPayload&) {
    return decodeName(kFileNameLimit);
}
Decoded decodeObjectName(const ChunkPayload&) {
    return decodeName(kObjectNameLimit);
}
Decoded decodeMaterialName(const ChunkPayload&) {
    return decodeName(kMaterialNameLimit);
}
Decoded decodeChunkBoundedName(const ChunkPayload& p) {
    return decodeName(p.length);
}

Decoded decodeFog(const ChunkPayload&) {
    auto r = make<FogData>();
    r->nearPlane = readFloat();
    r->nearDensity = readFloat();
    r->farPlane = readFloat();
    r->farDensity = readFloat();
    return r;
}

Decoded decodeLayeredFog(const ChunkPayload&) {
    auto r = make<LayeredFogData>();
    r->lowZ = readFloat();
    r->highZ = readFloat();
    r->density = readFloat();
    r->flags = readUint32();
    return r;
}

Decoded decodeView(const ChunkPayload&) {
    auto r = make<ViewData>();
    r->width = readFloat();
    r->target = readPoint();
    return r;
}

Decoded decodeViewUser(const ChunkPayload&) {
    auto r = make<ViewUserData>();
    r->width = readFloat();
    r->horizontalAngle = readFloat();
    r->verticalAngle = readFloat();
    r->backAngle = readFloat();
    r->target = readPoint();
    return r;
}

Decoded decodeVertices(const ChunkPayload&) {
    auto r = make<VerticesData>();
    readArray(r->points, readUint16());
    r->count = static_cast<uint16_t>(r->points.size());
    return r;
}

Decoded decodeVertexFlags(const ChunkPayload&) {
    auto r = make<VertexFlagsData>();
    readArray(r->flags, readUint16());
    r->count = static_cast<uint16_t>(r->flags.size());
    return r;
}

Decoded decodeFaces(const ChunkPayload&) {
    auto r = make<FacesData>();
    readArray(r->faces, readUint16());
    r->count = static_cast<uint16_t>(r->faces.size());
    return r;
}

Decoded decodeFaceMaterial(const ChunkPayload&) {
    auto r = make<FaceMaterialData>();
    readName(kMaterialNameLimit, r->name);
    readArray(r->faces, readUint16());
    r->count = static_cast<uint16_t>(r->faces.size());
    return r;
}

Decoded decodeTexCoords(const ChunkPayload&) {
    auto r = make<TexCoordsData>();
    readArray(r->uv, readUint16());
    r->count = static_cast<uint16_t>(r->uv.size());
    return r;
}

Decoded decodeSmoothGroups(const ChunkPayload& p) {
    auto r = make<SmoothGroupsData>();
    const uint32_t count = p.length >= 6 ? ((p.length - 6) / 4) & 0xFFFFu : 0;
    readArray(r->masks, count);
    r->count = static_cast<uint16_t>(r->masks.size());
    return r;
}

Decoded decodeLocalAxes(const ChunkPayload&) {
    auto r = make<LocalAxesData>();
    r->xAxis = readPoint();
    r->yAxis = readPoint();
    r->zAxis = readPoint();
    r->origin = readPoint();
    return r;
}

Decoded decodeMappingInfo(const ChunkPayload&) {
    auto r = make<MappingInfoData>();
    r->mappingType = readUint16();
    r->tilingX = readFloat();
    r->tilingY = readFloat();
    r->iconPosition = readPoint();
    r->iconScale = readFloat();
    for (float& m : r->matrix)
        m = readFloat();
    r->planarWidth = readFloat();
    r->planarHeight = readFloat();
    r->cylinderHeight = readFloat();
    return r;
}

Decoded decodeBoxMap(const ChunkPayload&) {
    auto r = make<BoxMapData>();
    for (std::string& name : r->names)
        readName(kMaterialNameLimit, name);
    return r;
}

Decoded decodeSpotlight(const ChunkPayload&) {
    auto r = make<SpotlightData>();
    r->target = readPoint();
    r->hotspot = readFloat();
    r->falloff = readFloat();
    return r;
}

Decoded decodeLightShadow(const ChunkPayload&) {
    auto r = make<LightShadowData>();
    r->bias = readFloat();
    r->filter = readFloat();
    r->mapSize = readInt16();
    return r;
}

Decoded decodeCamera(const ChunkPayload&) {
    auto r = make<CameraData>();
    r->position = readPoint();
    r->target = readPoint();
    r->roll = readFloat();
    r->lens = readFloat();
    return r;
}

Decoded decodeCameraRanges(const ChunkPayload&) {
    auto r = make<CameraRangesData>();
    r->nearRange = readFloat();
    r->farRange = readFloat();
    return r;
}

Decoded decodeViewportLayout(const ChunkPayload&) {
    auto r = make<ViewportLayoutData>();
    for (int16_t& v : r->values)
        v = readInt16();
    return r;
}

Decoded decodeViewport(const ChunkPayload&) {
    auto r = make<ViewportData>();
    for (int16_t& v : r->values)
        v = readInt16();
    r->zoom = readFloat();
    r->centre = readPoint();
    r->horizontalAngle = readFloat();
    r->verticalAngle = readFloat();
    readField(11, r->cameraName);
    return r;
}

Decoded decodeViewportSize(const ChunkPayload&) {
    auto r = make<ViewportSizeData>();
    r->x = readUint16();
    r->y = readUint16();
    r->width = readUint16();
    r->height = readUint16();
    return r;
}

Decoded decodeAutoReflect(const ChunkPayload&) {
    auto r = make<AutoReflectData>();
    r->shading = readInt8();
    r->antialias = readInt8();
    r->flags = readInt16();
    r->size = readUint32();
    r->frameStep = readUint32();
    return r;
}

Decoded decodeKfSegment(const ChunkPayload&) {
    auto r = make<KfSegmentData>();
    r->firstFrame = readInt32();
    r->lastFrame = readInt32();
    return r;
}

Decoded decodeKfHeader(const ChunkPayload&) {
    auto r = make<KfHeaderData>();
    r->revision = readInt16();
    readName(kKfFileNameLimit, r->fileName);
    r->animationLength = readInt32();
    return r;
}

Decoded decodeNodeHeader(const ChunkPayload&) {
    auto r = make<NodeHeaderData>();
    readName(kObjectNameLimit, r->name);
    r->flags1 = readUint16();
    r->flags2 = readUint16();
    r->parentId = readInt16();
    return r;
}

Decoded decodeBoundingBox(const ChunkPayload&) {
    auto r = make<BoundingBoxData>();
    r->minimum = readPoint();
    r->maximum = readPoint();
    return r;
}

Decoded decodePointTrack(const ChunkPayload&) {
    return readTrack<PointTrackData>(12, [](Point& p) { p = readPoint(); });
}

Decoded decodeRotationTrack(const ChunkPayload&) {
    return readTrack<RotationTrackData>(16, [](RotationValue& v) {
        v.angle = readFloat();
        v.axis = readPoint();
    });
}

Decoded decodeFloatTrack(const ChunkPayload&) {
    return readTrack<FloatTrackData>(4, [](float& f) { f = readFloat(); });
}

Decoded decodeMorphTrack(const ChunkPayload&) {
    return readTrack<MorphTrackData>(1, [](std::string& s) { readName(kMorphNameLimit, s); });
}

Decoded decodeHideTrack(const ChunkPayload&) {
    return readTrack<HideTrackData>(0, [](int) {});
}

// The rule makers of the table's rule column.
constexpr OwnDataRule container() {
    return {OwnDataKind::Container, 0, 0, 0, 0};
}
constexpr OwnDataRule fixed(uint32_t n) {
    return {OwnDataKind::Fixed, n, 0, 0, 0};
}
constexpr OwnDataRule text(uint32_t before, uint32_t limit, uint32_t after) {
    return {OwnDataKind::String, before, limit, after, 0};
}
constexpr OwnDataRule counted(uint32_t elementSize) {
    return {OwnDataKind::Counted, 0, 0, 0, elementSize};
}
constexpr OwnDataRule whole() {
    return {};
}

constexpr ChunkCatalogueRow kRows[] = {
#define TDS_CHUNK(name, id, rule, record, decoder)                                                 \
    {id, #name, rule, ChunkDataKind::record, decoder},
#include "tds/chunk/chunk_catalogue.def"
#undef TDS_CHUNK
};
constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];

// Row number + 1 of every 16-bit id; 0 for ids outside the catalogue.
using RowIndex = std::array<uint8_t, 0x10000>;
static_assert(kRowCount < 0xFF, "the row index holds row numbers in one byte");

constexpr RowIndex buildIndex() {
    RowIndex index{};
    for (size_t i = 0; i < kRowCount; ++i)
        index[kRows[i].id] = static_cast<uint8_t>(i + 1);
    return index;
}

constexpr bool eachIdOnce() {
    RowIndex seen{};
    for (const ChunkCatalogueRow& row : kRows)
        if (seen[row.id]++)
            return false;
    return true;
}
static_assert(eachIdOnce(), "a chunk id has two catalogue rows");

constexpr RowIndex kIndex = buildIndex();

} // namespace

std::span<const ChunkCatalogueRow> chunkCatalogue() {
    return kRows;
}

const ChunkCatalogueRow* catalogueRow(uint32_t id) {
    if (id > 0xFFFF || kIndex[id] == 0)
        return nullptr;
    return &kRows[kIndex[id] - 1];
}

std::unique_ptr<ChunkData> decodeChunkPayload(uint32_t id, const ChunkPayload& payload) {
    const ChunkCatalogueRow* row = catalogueRow(id);
    const ChunkDecoder decode = row ? row->decode : decodeOwnBytes;
    return decode ? decode(payload) : nullptr;
}

OwnDataRule ownDataRule(uint32_t id) {
    const ChunkCatalogueRow* row = catalogueRow(id);
    return row ? row->rule : OwnDataRule{};
}

bool isCataloguedId(uint32_t id) {
    return catalogueRow(id) != nullptr;
}

bool isMapProcData(uint32_t id) {
    return id >= CK_MAP_PROC_DATA && id <= CK_MAP_PROC_REFLECTION_MASK && isCataloguedId(id);
}

} // namespace tds
