// Decoded chunk payloads: the records readChunkData() makes and a node owns.
//
// Fields follow the payload in file order unless noted. Every record owns its
// arrays and strings; counts always equal the size of the array they count
// (an untrusted count that the chunk cannot hold is cut to what it holds).
// Strings never exceed the limit of their field (see each record).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tds {

struct Point {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// The shape of a record. A new shape is a kind here, its record below (deriving from
// ChunkDataOf, which gives it its copy) and a decoder in the catalogue.
enum class ChunkDataKind : uint8_t {
    None, // no record: catalogue rows of chunks that decode to nothing
    Uint8,
    Int16,
    Uint16,
    Int32,
    Float,
    ColorFloat,
    ColorByte,
    PointValue,
    String,
    Fog,
    LayeredFog,
    View,
    ViewUser,
    Vertices,
    VertexFlags,
    Faces,
    FaceMaterial,
    TexCoords,
    SmoothGroups,
    LocalAxes,
    MappingInfo,
    Raw,
    BoxMap,
    Spotlight,
    LightShadow,
    Camera,
    CameraRanges,
    ViewportLayout,
    Viewport,
    ViewportSize,
    AutoReflect,
    KfSegment,
    KfHeader,
    NodeHeader,
    BoundingBox,
    TrackPoint, // position, scale, colour tracks
    TrackRotation,
    TrackFloat, // fov, roll, hotspot, falloff tracks
    TrackMorph,
    TrackHide,
};

// Base of every decoded record; `kind` tells the concrete layout.
struct ChunkData {
    explicit ChunkData(ChunkDataKind k) : kind(k) {}
    virtual ~ChunkData() = default;
    ChunkData(const ChunkData&) = default;
    ChunkData& operator=(const ChunkData&) = default;
    // A deep copy of the concrete record.
    virtual std::unique_ptr<ChunkData> clone() const = 0;
    ChunkDataKind kind;
};

// Base of the record T of kind K: gives it its kind and its copy.
template <class T, ChunkDataKind K, class Base = ChunkData> struct ChunkDataOf : Base {
    static constexpr ChunkDataKind kKind = K;
    ChunkDataOf() : Base(K) {}
    std::unique_ptr<ChunkData> clone() const override {
        return std::make_unique<T>(static_cast<const T&>(*this));
    }
};

// CK_MESH_COLOR
struct Uint8Data : ChunkDataOf<Uint8Data, ChunkDataKind::Uint8> {
    uint8_t value = 0;
};
// CK_PERCENT_INT, CK_SHADOW_MAP_SIZE, CK_SHADOW_SAMPLES, CK_MAT_SHADING,
// CK_MAT_BUMP_PERCENT, CK_NODE_ID
struct Int16Data : ChunkDataOf<Int16Data, ChunkDataKind::Int16> {
    int16_t value = 0;
};
// CK_MAP_TILING
struct Uint16Data : ChunkDataOf<Uint16Data, ChunkDataKind::Uint16> {
    uint16_t value = 0;
};
// CK_FILE_VERSION, CK_EDITOR_VERSION, CK_SHADOW_RANGE, CK_KF_CURRENT_FRAME
struct Int32Data : ChunkDataOf<Int32Data, ChunkDataKind::Int32> {
    int32_t value = 0;
};
// Single floats: CK_MASTER_SCALE, CK_PERCENT_FLOAT, CK_GRADIENT_BACKGROUND (midpoint),
// shadow and light values, CK_MAT_WIRE_SIZE, map blur/scale/offset/rotation, CK_MORPH_SMOOTH
struct FloatData : ChunkDataOf<FloatData, ChunkDataKind::Float> {
    float value = 0.0f;
};
// CK_RGB_FLOAT, CK_RGB_FLOAT_LINEAR
struct ColorFloatData : ChunkDataOf<ColorFloatData, ChunkDataKind::ColorFloat> {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};
// CK_RGB_BYTE, CK_RGB_BYTE_LINEAR, CK_MAP_TINT_*
struct ColorByteData : ChunkDataOf<ColorByteData, ChunkDataKind::ColorByte> {
    uint8_t r = 0, g = 0, b = 0;
};
// CK_CONSTRUCTION_ORIGIN, CK_LIGHT (position), CK_PIVOT
struct PointData : ChunkDataOf<PointData, ChunkDataKind::PointValue> {
    Point value;
};

// Name limits (characters, without the zero) of the string payloads.
inline constexpr uint32_t kObjectNameLimit = 10;   // CK_NAMED_OBJECT, CK_VIEW_CAMERA, ...
inline constexpr uint32_t kFileNameLimit = 12;     // CK_BACKGROUND_BITMAP, CK_SPOT_PROJECTOR, ...
inline constexpr uint32_t kMaterialNameLimit = 16; // CK_MATERIAL_NAME, CK_MAP_FILE_NAME, ...
inline constexpr uint32_t kKfFileNameLimit = 512;  // CK_KF_HEADER
inline constexpr uint32_t kMorphNameLimit = 10;    // CK_TRACK_MORPH values

// One string: CK_BACKGROUND_BITMAP (12), CK_VIEW_CAMERA (10), CK_NAMED_OBJECT (10),
// CK_PROCEDURE_NAME (12), CK_SPOT_PROJECTOR (12), CK_LIGHT_EXCLUDE (10),
// CK_MATERIAL_NAME (16), CK_MAP_FILE_NAME (16), CK_INSTANCE_NAME (10),
// CK_EXT_APP_NAME, CK_EXT_STRING (chunk-bounded), CK_PARENT_NAME (in memory).
struct StringData : ChunkDataOf<StringData, ChunkDataKind::String> {
    std::string value;
};

// CK_FOG, CK_DISTANCE_CUE
struct FogData : ChunkDataOf<FogData, ChunkDataKind::Fog> {
    float nearPlane = 0.0f, nearDensity = 0.0f, farPlane = 0.0f, farDensity = 0.0f;
};
// CK_LAYERED_FOG
struct LayeredFogData : ChunkDataOf<LayeredFogData, ChunkDataKind::LayeredFog> {
    float lowZ = 0.0f, highZ = 0.0f, density = 0.0f;
    uint32_t flags = 0;
};
// CK_VIEW_TOP ... CK_VIEW_BACK: the target comes first here, the width first in the file.
struct ViewData : ChunkDataOf<ViewData, ChunkDataKind::View> {
    Point target;
    float width = 0.0f;
};
// CK_VIEW_USER: target first here, last in the file.
struct ViewUserData : ChunkDataOf<ViewUserData, ChunkDataKind::ViewUser> {
    Point target;
    float width = 0.0f, horizontalAngle = 0.0f, verticalAngle = 0.0f, backAngle = 0.0f;
};

// CK_VERTICES
struct VerticesData : ChunkDataOf<VerticesData, ChunkDataKind::Vertices> {
    uint16_t count = 0;
    std::vector<Point> points;
};
// CK_VERTEX_FLAGS
struct VertexFlagsData : ChunkDataOf<VertexFlagsData, ChunkDataKind::VertexFlags> {
    uint16_t count = 0;
    std::vector<int16_t> flags;
};
struct Face {
    uint16_t a = 0, b = 0, c = 0, flags = 0;
};
// CK_FACES (its CK_FACE_MATERIAL and CK_SMOOTH_GROUPS are children of the node)
struct FacesData : ChunkDataOf<FacesData, ChunkDataKind::Faces> {
    uint16_t count = 0;
    std::vector<Face> faces;
};
// CK_FACE_MATERIAL: `faces` is empty when count is 0.
struct FaceMaterialData : ChunkDataOf<FaceMaterialData, ChunkDataKind::FaceMaterial> {
    std::string name; // at most kMaterialNameLimit characters
    uint16_t count = 0;
    std::vector<uint16_t> faces;
};
struct TexCoord {
    float u = 0.0f, v = 0.0f;
};
// CK_TEX_COORDS
struct TexCoordsData : ChunkDataOf<TexCoordsData, ChunkDataKind::TexCoords> {
    uint16_t count = 0;
    std::vector<TexCoord> uv;
};
// CK_SMOOTH_GROUPS: count is (length - 6) / 4 held in 16 bits.
struct SmoothGroupsData : ChunkDataOf<SmoothGroupsData, ChunkDataKind::SmoothGroups> {
    uint16_t count = 0;
    std::vector<uint32_t> masks;
};
// CK_LOCAL_AXES
struct LocalAxesData : ChunkDataOf<LocalAxesData, ChunkDataKind::LocalAxes> {
    Point xAxis, yAxis, zAxis, origin;
};
// CK_MAPPING_INFO
struct MappingInfoData : ChunkDataOf<MappingInfoData, ChunkDataKind::MappingInfo> {
    uint16_t mappingType = 0;
    float tilingX = 0.0f, tilingY = 0.0f;
    Point iconPosition;
    float iconScale = 0.0f;
    float matrix[12] = {}; // 4 x 3
    float planarWidth = 0.0f, planarHeight = 0.0f, cylinderHeight = 0.0f;
};
// Raw byte runs: CK_PROCEDURE_DATA, CK_MAP_PROC_DATA family, CK_EXT_ENTRY, and the
// generic payload of every id outside the catalogue (length - 6 bytes).
struct RawData : ChunkDataOf<RawData, ChunkDataKind::Raw> {
    uint32_t count = 0;
    std::vector<uint8_t> bytes;
};
// CK_BOX_MAP: six material names, each at most kMaterialNameLimit characters.
struct BoxMapData : ChunkDataOf<BoxMapData, ChunkDataKind::BoxMap> {
    std::string names[6];
};

// CK_SPOTLIGHT
struct SpotlightData : ChunkDataOf<SpotlightData, ChunkDataKind::Spotlight> {
    Point target;
    float hotspot = 0.0f, falloff = 0.0f;
};
// CK_LIGHT_SHADOW
struct LightShadowData : ChunkDataOf<LightShadowData, ChunkDataKind::LightShadow> {
    float bias = 0.0f, filter = 0.0f;
    int16_t mapSize = 0;
};
// CK_CAMERA
struct CameraData : ChunkDataOf<CameraData, ChunkDataKind::Camera> {
    Point position, target;
    float roll = 0.0f, lens = 0.0f;
};
// CK_CAMERA_RANGES
struct CameraRangesData : ChunkDataOf<CameraRangesData, ChunkDataKind::CameraRanges> {
    float nearRange = 0.0f, farRange = 0.0f;
};

// CK_VIEWPORT_LAYOUT
struct ViewportLayoutData : ChunkDataOf<ViewportLayoutData, ChunkDataKind::ViewportLayout> {
    int16_t values[7] = {};
};
// CK_VIEWPORT_DATA, CK_VIEWPORT_DATA_ALT
struct ViewportData : ChunkDataOf<ViewportData, ChunkDataKind::Viewport> {
    int16_t values[7] = {};
    float zoom = 0.0f;
    Point centre;
    float horizontalAngle = 0.0f, verticalAngle = 0.0f;
    std::string cameraName; // from an 11-byte field: at most 10 characters
};
// CK_VIEWPORT_SIZE
struct ViewportSizeData : ChunkDataOf<ViewportSizeData, ChunkDataKind::ViewportSize> {
    uint16_t x = 0, y = 0, width = 0, height = 0;
};

// CK_MAT_AUTO_REFLECT
struct AutoReflectData : ChunkDataOf<AutoReflectData, ChunkDataKind::AutoReflect> {
    int8_t shading = 0, antialias = 0;
    int16_t flags = 0;
    uint32_t size = 0, frameStep = 0;
};

// CK_KF_SEGMENT
struct KfSegmentData : ChunkDataOf<KfSegmentData, ChunkDataKind::KfSegment> {
    int32_t firstFrame = 0, lastFrame = 0;
};
// CK_KF_HEADER
struct KfHeaderData : ChunkDataOf<KfHeaderData, ChunkDataKind::KfHeader> {
    int16_t revision = 0;
    std::string fileName; // at most kKfFileNameLimit characters
    int32_t animationLength = 0;
};
// CK_NODE_HEADER
struct NodeHeaderData : ChunkDataOf<NodeHeaderData, ChunkDataKind::NodeHeader> {
    std::string name; // at most kObjectNameLimit characters
    uint16_t flags1 = 0, flags2 = 0;
    int16_t parentId = -1; // -1: no parent
};
// CK_BOUNDING_BOX
struct BoundingBoxData : ChunkDataOf<BoundingBoxData, ChunkDataKind::BoundingBox> {
    Point minimum, maximum;
};

// Animation tracks (CK_TRACK_*).
struct TrackHeader {
    uint16_t flags = 0;
    uint32_t reserved1 = 0, reserved2 = 0;
    uint32_t keyCount = 0;
};
struct TrackKey {
    uint32_t time = 0;
    uint16_t splineFlags =
        0; // 0x01 tension, 0x02 continuity, 0x04 bias, 0x08 easeTo, 0x10 easeFrom
    float tension = 0.0f, continuity = 0.0f, bias = 0.0f, easeTo = 0.0f, easeFrom = 0.0f;
};
struct RotationValue {
    float angle = 0.0f;
    Point axis;
};

// Common part of every track record; keyCount == keys.size().
struct TrackData : ChunkData {
    using ChunkData::ChunkData;
    uint16_t flags = 0;
    uint32_t reserved1 = 0, reserved2 = 0;
    uint32_t keyCount = 0;
    std::vector<TrackKey> keys;
};
template <class V, ChunkDataKind K>
struct TrackValuesData : ChunkDataOf<TrackValuesData<V, K>, K, TrackData> {
    std::vector<V> values; // one per key
};
// CK_TRACK_POSITION, CK_TRACK_SCALE, CK_TRACK_COLOR (r, g, b in x, y, z)
using PointTrackData = TrackValuesData<Point, ChunkDataKind::TrackPoint>;
// CK_TRACK_ROTATION
using RotationTrackData = TrackValuesData<RotationValue, ChunkDataKind::TrackRotation>;
// CK_TRACK_FOV, CK_TRACK_ROLL, CK_TRACK_HOTSPOT, CK_TRACK_FALLOFF
using FloatTrackData = TrackValuesData<float, ChunkDataKind::TrackFloat>;
// CK_TRACK_MORPH: names of at most kMorphNameLimit characters (each fits a 13-byte slot)
using MorphTrackData = TrackValuesData<std::string, ChunkDataKind::TrackMorph>;
// CK_TRACK_HIDE: keys only.
struct HideTrackData : ChunkDataOf<HideTrackData, ChunkDataKind::TrackHide, TrackData> {};

// Checked downcast: the record as T when its kind is T's, else nullptr.
template <class T> T* chunkDataAs(ChunkData* data) {
    return data && data->kind == T::kKind ? static_cast<T*>(data) : nullptr;
}
template <class T> const T* chunkDataAs(const ChunkData* data) {
    return data && data->kind == T::kKind ? static_cast<const T*>(data) : nullptr;
}

} // namespace tds
