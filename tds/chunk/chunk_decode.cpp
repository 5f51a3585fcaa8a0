// readChunkData and the record operations: decoding payloads by id, freeing,
// duplicating and allocating records.
#include <bit>
#include <cstring>
#include <new>

#include "tds/chunk/chunk_tree.h"

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

template <class R> std::unique_ptr<R> make() { return std::make_unique<R>(); }

std::unique_ptr<ChunkData> readRaw(uint32_t length) {
    if (length <= 6)
        return nullptr;
    auto r = make<RawData>();
    readArray(r->bytes, length - 6);
    r->count = static_cast<uint32_t>(r->bytes.size());
    return r;
}

std::unique_ptr<ChunkData> readFloatValue() {
    auto r = make<FloatData>();
    r->value = readFloat();
    return r;
}

std::unique_ptr<ChunkData> readInt16Value() {
    auto r = make<Int16Data>();
    r->value = readInt16();
    return r;
}

std::unique_ptr<ChunkData> readInt32Value() {
    auto r = make<Int32Data>();
    r->value = readInt32();
    return r;
}

std::unique_ptr<ChunkData> readNameValue(uint32_t limit) {
    auto r = make<StringData>();
    readName(limit, r->value);
    return r;
}

std::unique_ptr<ChunkData> readColorByte() {
    auto r = make<ColorByteData>();
    r->r = readUint8();
    r->g = readUint8();
    r->b = readUint8();
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

void noValue(int) {}

std::unique_ptr<ChunkData> decodePayload(uint32_t id, uint32_t length) {
    if (isMapProcData(id))
        return readRaw(length);
    switch (id) {
    // Containers, flags and chunks whose payload is never decoded.
    case CK_MESH_FILE: case CK_PROJECT_FILE: case CK_MATERIAL_LIBRARY: case CK_EDITOR:
    case CK_SOLID_BACKGROUND: case CK_AMBIENT_COLOR: case CK_DEFAULT_VIEW:
    case CK_TRIANGLE_MESH: case CK_MATERIAL:
    case CK_MAT_AMBIENT: case CK_MAT_DIFFUSE: case CK_MAT_SPECULAR: case CK_MAT_SHININESS:
    case CK_MAT_SHININESS_STRENGTH: case CK_MAT_SHININESS_3: case CK_MAT_TRANSPARENCY:
    case CK_MAT_TRANSPARENCY_FALLOFF: case CK_MAT_REFLECT_BLUR: case CK_MAT_SELF_ILLUM:
    case CK_MAT_TEXTURE_MAP: case CK_MAT_SPECULAR_MAP: case CK_MAT_OPACITY_MAP:
    case CK_MAT_REFLECTION_MAP: case CK_MAT_BUMP_MAP: case CK_MAT_TEXTURE2_MAP:
    case CK_MAT_SHININESS_MAP: case CK_MAT_SELF_ILLUM_MAP: case CK_MAT_TEXTURE_MASK:
    case CK_MAT_TEXTURE2_MASK: case CK_MAT_OPACITY_MASK: case CK_MAT_BUMP_MASK:
    case CK_MAT_SHININESS_MASK: case CK_MAT_SPECULAR_MASK: case CK_MAT_SELF_ILLUM_MASK:
    case CK_MAT_REFLECTION_MASK:
    case CK_KEYFRAMER: case CK_NODE_AMBIENT: case CK_NODE_OBJECT: case CK_NODE_CAMERA:
    case CK_NODE_CAMERA_TARGET: case CK_NODE_LIGHT: case CK_NODE_LIGHT_TARGET:
    case CK_NODE_SPOTLIGHT:
    case CK_EXT_DATA: case CK_EXT_GROUP: case CK_PARENT_NAME:
    case CK_OBJECT_FLAG_0: case CK_OBJECT_FLAG_1: case CK_OBJECT_FLAG_2:
    case CK_OBJECT_FLAG_3: case CK_OBJECT_FLAG_4: case CK_OBJECT_FLAG_5:
    case CK_OBJECT_FLAG_6: case CK_OBJECT_FLAG_7:
        return nullptr;

    case CK_FILE_VERSION: case CK_EDITOR_VERSION: case CK_SHADOW_RANGE:
    case CK_KF_CURRENT_FRAME:
        return readInt32Value();
    case CK_MASTER_SCALE: case CK_PERCENT_FLOAT: case CK_GRADIENT_BACKGROUND:
    case CK_SHADOW_BIAS_LOW: case CK_SHADOW_BIAS_HIGH: case CK_SHADOW_FILTER:
    case CK_RAYTRACE_BIAS: case CK_SPOT_ROLL: case CK_SPOT_ASPECT: case CK_LIGHT_RAY_BIAS:
    case CK_LIGHT_INNER_RANGE: case CK_LIGHT_OUTER_RANGE: case CK_LIGHT_MULTIPLIER:
    case CK_MAT_WIRE_SIZE: case CK_MAP_BLUR: case CK_MAP_U_SCALE: case CK_MAP_V_SCALE:
    case CK_MAP_U_OFFSET: case CK_MAP_V_OFFSET: case CK_MAP_ROTATION: case CK_MORPH_SMOOTH:
        return readFloatValue();
    case CK_PERCENT_INT: case CK_SHADOW_MAP_SIZE: case CK_SHADOW_SAMPLES: case CK_MAT_SHADING:
    case CK_MAT_BUMP_PERCENT: case CK_NODE_ID:
        return readInt16Value();
    case CK_MAP_TILING: {
        auto r = make<Uint16Data>();
        r->value = readUint16();
        return r;
    }
    case CK_MESH_COLOR: {
        auto r = make<Uint8Data>();
        r->value = readUint8();
        return r;
    }
    case CK_RGB_FLOAT: case CK_RGB_FLOAT_LINEAR: {
        auto r = make<ColorFloatData>();
        r->r = readFloat();
        r->g = readFloat();
        r->b = readFloat();
        return r;
    }
    case CK_RGB_BYTE: case CK_RGB_BYTE_LINEAR: case CK_MAP_TINT_1: case CK_MAP_TINT_2:
    case CK_MAP_TINT_R: case CK_MAP_TINT_G: case CK_MAP_TINT_B:
        return readColorByte();
    case CK_CONSTRUCTION_ORIGIN: case CK_LIGHT: case CK_PIVOT: {
        auto r = make<PointData>();
        r->value = readPoint();
        return r;
    }
    case CK_BACKGROUND_BITMAP: case CK_PROCEDURE_NAME: case CK_SPOT_PROJECTOR:
        return readNameValue(kFileNameLimit);
    case CK_VIEW_CAMERA: case CK_NAMED_OBJECT: case CK_LIGHT_EXCLUDE: case CK_INSTANCE_NAME:
        return readNameValue(kObjectNameLimit);
    case CK_MATERIAL_NAME: case CK_MAP_FILE_NAME:
        return readNameValue(kMaterialNameLimit);
    case CK_EXT_APP_NAME: case CK_EXT_STRING:
        return readNameValue(length);
    case CK_FOG: case CK_DISTANCE_CUE: {
        auto r = make<FogData>();
        r->nearPlane = readFloat();
        r->nearDensity = readFloat();
        r->farPlane = readFloat();
        r->farDensity = readFloat();
        return r;
    }
    case CK_LAYERED_FOG: {
        auto r = make<LayeredFogData>();
        r->lowZ = readFloat();
        r->highZ = readFloat();
        r->density = readFloat();
        r->flags = readUint32();
        return r;
    }
    case CK_VIEW_TOP: case CK_VIEW_BOTTOM: case CK_VIEW_LEFT: case CK_VIEW_RIGHT:
    case CK_VIEW_FRONT: case CK_VIEW_BACK: {
        auto r = make<ViewData>();
        r->width = readFloat();
        r->target = readPoint();
        return r;
    }
    case CK_VIEW_USER: {
        auto r = make<ViewUserData>();
        r->width = readFloat();
        r->horizontalAngle = readFloat();
        r->verticalAngle = readFloat();
        r->backAngle = readFloat();
        r->target = readPoint();
        return r;
    }
    case CK_VERTICES: {
        auto r = make<VerticesData>();
        readArray(r->points, readUint16());
        r->count = static_cast<uint16_t>(r->points.size());
        return r;
    }
    case CK_VERTEX_FLAGS: {
        auto r = make<VertexFlagsData>();
        readArray(r->flags, readUint16());
        r->count = static_cast<uint16_t>(r->flags.size());
        return r;
    }
    case CK_FACES: {
        auto r = make<FacesData>();
        readArray(r->faces, readUint16());
        r->count = static_cast<uint16_t>(r->faces.size());
        return r;
    }
    case CK_FACE_MATERIAL: {
        auto r = make<FaceMaterialData>();
        readName(kMaterialNameLimit, r->name);
        readArray(r->faces, readUint16());
        r->count = static_cast<uint16_t>(r->faces.size());
        return r;
    }
    case CK_TEX_COORDS: {
        auto r = make<TexCoordsData>();
        readArray(r->uv, readUint16());
        r->count = static_cast<uint16_t>(r->uv.size());
        return r;
    }
    case CK_SMOOTH_GROUPS: {
        auto r = make<SmoothGroupsData>();
        const uint32_t count = length >= 6 ? ((length - 6) / 4) & 0xFFFFu : 0;
        readArray(r->masks, count);
        r->count = static_cast<uint16_t>(r->masks.size());
        return r;
    }
    case CK_LOCAL_AXES: {
        auto r = make<LocalAxesData>();
        r->xAxis = readPoint();
        r->yAxis = readPoint();
        r->zAxis = readPoint();
        r->origin = readPoint();
        return r;
    }
    case CK_MAPPING_INFO: {
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
    case CK_PROCEDURE_DATA: case CK_EXT_ENTRY:
        return readRaw(length);
    case CK_BOX_MAP: {
        auto r = make<BoxMapData>();
        for (std::string& name : r->names)
            readName(kMaterialNameLimit, name);
        return r;
    }
    case CK_SPOTLIGHT: {
        auto r = make<SpotlightData>();
        r->target = readPoint();
        r->hotspot = readFloat();
        r->falloff = readFloat();
        return r;
    }
    case CK_LIGHT_SHADOW: {
        auto r = make<LightShadowData>();
        r->bias = readFloat();
        r->filter = readFloat();
        r->mapSize = readInt16();
        return r;
    }
    case CK_CAMERA: {
        auto r = make<CameraData>();
        r->position = readPoint();
        r->target = readPoint();
        r->roll = readFloat();
        r->lens = readFloat();
        return r;
    }
    case CK_CAMERA_RANGES: {
        auto r = make<CameraRangesData>();
        r->nearRange = readFloat();
        r->farRange = readFloat();
        return r;
    }
    case CK_VIEWPORT_LAYOUT: {
        auto r = make<ViewportLayoutData>();
        for (int16_t& v : r->values)
            v = readInt16();
        return r;
    }
    case CK_VIEWPORT_DATA: case CK_VIEWPORT_DATA_ALT: {
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
    case CK_VIEWPORT_SIZE: {
        auto r = make<ViewportSizeData>();
        r->x = readUint16();
        r->y = readUint16();
        r->width = readUint16();
        r->height = readUint16();
        return r;
    }
    case CK_MAT_AUTO_REFLECT: {
        auto r = make<AutoReflectData>();
        r->shading = readInt8();
        r->antialias = readInt8();
        r->flags = readInt16();
        r->size = readUint32();
        r->frameStep = readUint32();
        return r;
    }
    case CK_KF_SEGMENT: {
        auto r = make<KfSegmentData>();
        r->firstFrame = readInt32();
        r->lastFrame = readInt32();
        return r;
    }
    case CK_KF_HEADER: {
        auto r = make<KfHeaderData>();
        r->revision = readInt16();
        readName(kKfFileNameLimit, r->fileName);
        r->animationLength = readInt32();
        return r;
    }
    case CK_NODE_HEADER: {
        auto r = make<NodeHeaderData>();
        readName(kObjectNameLimit, r->name);
        r->flags1 = readUint16();
        r->flags2 = readUint16();
        r->parentId = readInt16();
        return r;
    }
    case CK_BOUNDING_BOX: {
        auto r = make<BoundingBoxData>();
        r->minimum = readPoint();
        r->maximum = readPoint();
        return r;
    }
    case CK_TRACK_POSITION: case CK_TRACK_SCALE: case CK_TRACK_COLOR:
        return readTrack<PointTrackData>(12, [](Point& p) { p = readPoint(); });
    case CK_TRACK_ROTATION:
        return readTrack<RotationTrackData>(16, [](RotationValue& v) {
            v.angle = readFloat();
            v.axis = readPoint();
        });
    case CK_TRACK_FOV: case CK_TRACK_ROLL: case CK_TRACK_HOTSPOT: case CK_TRACK_FALLOFF:
        return readTrack<FloatTrackData>(4, [](float& f) { f = readFloat(); });
    case CK_TRACK_MORPH:
        return readTrack<MorphTrackData>(1, [](std::string& s) { readName(kMorphNameLimit, s); });
    case CK_TRACK_HIDE:
        return readTrack<HideTrackData>(0, noValue);
    default:
        return readRaw(length);
    }
}

// An empty record of the layout an id decodes to.
std::unique_ptr<ChunkData> emptyRecord(uint32_t id, uint32_t length) {
    if (isMapProcData(id) || id == CK_PROCEDURE_DATA || id == CK_EXT_ENTRY ||
        !isCataloguedId(id)) {
        if (length <= 6)
            return nullptr;
        auto r = make<RawData>();
        r->bytes.assign(length - 6, 0);
        r->count = length - 6;
        return r;
    }
    switch (id) {
    case CK_PARENT_NAME:
        return make<StringData>();
    default:
        break;
    }
    // Decode from nothing: every catalogued layout comes out zeroed. Reads fail
    // silently here because no file is involved.
    return nullptr;
}

std::unique_ptr<ChunkData> duplicate(const ChunkData& d) {
    switch (d.kind) {
#define TDS_COPY(Kind, Type)                                                                      \
    case ChunkDataKind::Kind:                                                                     \
        return std::make_unique<Type>(static_cast<const Type&>(d));
        TDS_COPY(Int8, Uint8Data) // no Int8 records exist; kept total
        TDS_COPY(Uint8, Uint8Data)
        TDS_COPY(Int16, Int16Data)
        TDS_COPY(Uint16, Uint16Data)
        TDS_COPY(Int32, Int32Data)
        TDS_COPY(Float, FloatData)
        TDS_COPY(ColorFloat, ColorFloatData)
        TDS_COPY(ColorByte, ColorByteData)
        TDS_COPY(PointValue, PointData)
        TDS_COPY(String, StringData)
        TDS_COPY(Fog, FogData)
        TDS_COPY(LayeredFog, LayeredFogData)
        TDS_COPY(View, ViewData)
        TDS_COPY(ViewUser, ViewUserData)
        TDS_COPY(Vertices, VerticesData)
        TDS_COPY(VertexFlags, VertexFlagsData)
        TDS_COPY(Faces, FacesData)
        TDS_COPY(FaceMaterial, FaceMaterialData)
        TDS_COPY(TexCoords, TexCoordsData)
        TDS_COPY(SmoothGroups, SmoothGroupsData)
        TDS_COPY(LocalAxes, LocalAxesData)
        TDS_COPY(MappingInfo, MappingInfoData)
        TDS_COPY(Raw, RawData)
        TDS_COPY(BoxMap, BoxMapData)
        TDS_COPY(Spotlight, SpotlightData)
        TDS_COPY(LightShadow, LightShadowData)
        TDS_COPY(Camera, CameraData)
        TDS_COPY(CameraRanges, CameraRangesData)
        TDS_COPY(ViewportLayout, ViewportLayoutData)
        TDS_COPY(Viewport, ViewportData)
        TDS_COPY(ViewportSize, ViewportSizeData)
        TDS_COPY(AutoReflect, AutoReflectData)
        TDS_COPY(KfSegment, KfSegmentData)
        TDS_COPY(KfHeader, KfHeaderData)
        TDS_COPY(NodeHeader, NodeHeaderData)
        TDS_COPY(BoundingBox, BoundingBoxData)
        TDS_COPY(TrackPoint, PointTrackData)
        TDS_COPY(TrackRotation, RotationTrackData)
        TDS_COPY(TrackFloat, FloatTrackData)
        TDS_COPY(TrackMorph, MorphTrackData)
        TDS_COPY(TrackHide, HideTrackData)
#undef TDS_COPY
    }
    return nullptr;
}

} // namespace

ChunkData* readChunkData(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return nullptr;
    }
    if (node->data)
        return node->data.get();
    if (node->fileIndex == kNoFileIndex)
        return nullptr; // made in memory: nothing to read
    ChunkFile* file = fileAtIndex(node->fileIndex);
    if (!file || !file->stream || !(file->mode & kFileModeRead)) {
        // The file was closed: reading whatever is current would decode foreign bytes.
        pushError(ERR_READING_FILE);
        return nullptr;
    }
    makeCurrentFile(file);
    seekCurrent(node->position + 6);
    const uint32_t saved = readLimit();
    const uint32_t end = node->length > 0xFFFFFFFFu - node->position
                             ? 0xFFFFFFFFu
                             : node->position + node->length;
    setReadLimit(end);
    try {
        node->data = decodePayload(node->id, node->length);
    } catch (const std::bad_alloc&) {
        node->data.reset();
        pushError(ERR_NO_MEM);
    }
    setReadLimit(saved);
    return node->data.get();
}

void releaseChunkData(ChunkNode* node) {
    if (!node || !node->data)
        return;
    const ChunkFile* file = fileAtIndex(node->fileIndex);
    if (file && file->stream)
        node->data.reset();
}

void freeChunkData(ChunkNode* node) {
    if (node)
        node->data.reset();
}

void allocChunkData(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (node->data)
        return;
    try {
        std::unique_ptr<ChunkData> r = emptyRecord(node->id, node->length);
        if (!r && isCataloguedId(node->id)) {
            // A catalogued layout decoded from an empty window comes out zeroed;
            // the failed reads of that dry run are not errors of the caller.
            ChunkFile* saved = fileTable().current;
            const uint32_t limit = readLimit();
            const ErrorList before = errorList();
            makeCurrentFile(nullptr);
            r = decodePayload(node->id, 6);
            errorList() = before;
            makeCurrentFile(saved);
            setReadLimit(limit);
        }
        node->data = std::move(r);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

void copyChunkData(const ChunkNode* source, ChunkNode* target) {
    if (!source || !target) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!source->data || target->data)
        return;
    try {
        target->data = duplicate(*source->data);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
