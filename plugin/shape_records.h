// Records the tessellation exchanges with the host: the object transformation,
// the host mesh access table, the outputs of the getter functions that shape
// objects carry in extension record 1, and the block offsets of the shape
// fields of that record. Every documented offset is pinned here.
//
// Doubles inside host records sit on 4-byte boundaries, so the records are
// packed to 4 and read the same by g++ -m32 and MinGW.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/abi.h"

namespace tessoid {

// ---- GetObjectTransform (service offset 300) --------------------------------

constexpr int32_t OBJECT_TRANSFORM_TAG = 101;

TESSOID_PACK_BEGIN
struct ObjectTransform {
    int32_t tag;              // 0: 101, written by the caller
    double scale[3];          // 4
    double rotation[3];       // 28: degrees
    double translation[3];    // 52
    int32_t hasPre;           // 76: non-zero when the pre-transformation is present
    double preScale[3];       // 80
    double preRotation[3];    // 104: degrees
    double preTranslation[3]; // 128
    uint8_t reserved152[256]; // 152: the host's
};
TESSOID_PACK_END
TESSOID_PIN_LAYOUT(sizeof(ObjectTransform) == 408);
static_assert(offsetof(ObjectTransform, tag) == 0);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, scale) == 4);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, rotation) == 28);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, translation) == 52);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, hasPre) == 76);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, preScale) == 80);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, preRotation) == 104);
TESSOID_PIN_LAYOUT(offsetof(ObjectTransform, preTranslation) == 128);

// ---- GetMeshAccess (service offset 444) -------------------------------------

// Answers the mesh's counts through six output words; the first is the vertex count.
using MeshCountsFn = int32_t(TESSOID_STDCALL*)(int32_t context, int32_t* out0, int32_t* out1,
                                               int32_t* out2, int32_t* out3, int32_t* out4,
                                               int32_t* out5);

struct MeshAccessTable {
    int32_t size;            // 0: 200, written by the caller
    int32_t context;         // 4: passed back to the table's functions
    void* reserved8[19];     // 8: the host's
    MeshCountsFn meshCounts; // 84
    void* reserved88[28];    // 88: the host's
};
// The size word the caller writes: the modeller's 200 bytes, or the 64-bit layout's own.
constexpr int32_t MESH_ACCESS_TABLE_SIZE = TESSOID_ILP32 ? 200 : int32_t(sizeof(MeshAccessTable));
static_assert(sizeof(MeshAccessTable) == MESH_ACCESS_TABLE_SIZE);
static_assert(offsetof(MeshAccessTable, context) == 4);
TESSOID_PIN_LAYOUT(offsetof(MeshAccessTable, meshCounts) == 84);
static_assert(offsetof(MeshAccessTable, size) == 0);

// ---- getter functions of extension record 1 ---------------------------------

// getter(object handle, index from 0, output record); non-zero is failure.
using RecordGetterFn = int32_t(TESSOID_STDCALL*)(HostHandle object, int32_t index, void* out);

constexpr uint8_t PROFILE_POINT_CONTROL = 2; // flags bit 1: a control point, not an anchor

TESSOID_PACK_BEGIN
struct ProfilePoint {
    double x;            // 0
    double y;            // 8
    uint8_t flags;       // 16
    uint8_t reserved[3]; // 17
};
TESSOID_PACK_END
TESSOID_PIN_LAYOUT(sizeof(ProfilePoint) == 20);
static_assert(offsetof(ProfilePoint, y) == 8);
static_assert(offsetof(ProfilePoint, flags) == 16);
static_assert(offsetof(ProfilePoint, x) == 0);

constexpr int32_t BLOB_SPHERE = 1;
constexpr int32_t BLOB_CYLINDER = 2;

TESSOID_PACK_BEGIN
struct BlobComponent {
    int32_t type;     // 0: 1 sphere, 2 cylinder
    double strength;  // 4
    double first[3];  // 12: a sphere's centre or a cylinder's first end
    double second[3]; // 36: a cylinder's second end; a sphere's radius is second[0]
    double radius;    // 60: a cylinder's radius
};
TESSOID_PACK_END
TESSOID_PIN_LAYOUT(sizeof(BlobComponent) == 68);
TESSOID_PIN_LAYOUT(offsetof(BlobComponent, strength) == 4);
TESSOID_PIN_LAYOUT(offsetof(BlobComponent, first) == 12);
TESSOID_PIN_LAYOUT(offsetof(BlobComponent, second) == 36);
TESSOID_PIN_LAYOUT(offsetof(BlobComponent, radius) == 60);
static_assert(offsetof(BlobComponent, type) == 0);

// ---- shape kinds and their fields (block offsets of the whole record) -------

enum : int32_t {
    KIND_BOX = 2,
    KIND_SPHERE = 3,
    KIND_CYLINDER = 4,
    KIND_SWEEP = 6,
    KIND_LATHE = 7,
    KIND_GLYPH = 8,
    KIND_PATCH_MESH = 13,
    KIND_CONE = 17,
    KIND_TORUS = 18,
    KIND_SPOT_LIGHT = 19,
    KIND_AREA_LIGHT = 20,
    KIND_PLANE = 21,
    KIND_DISC = 22,
    KIND_TRIANGLE_MESH = 23,
    KIND_BLOB = 26,
    KIND_SUPERQUADRIC = 27,
    KIND_COUNTED_MESH = 28,
};

// Block offsets of extension record 1. On 64-bit, a getter right after another pointer
// lies 4 bytes further on, past that pointer's 8 bytes.
enum : size_t {
    // cylinder (4), cone (17)
    OFFSET_CYLINDER_OPEN = 268,    // int: 0 closes the ends
    OFFSET_CONE_CAP_RADIUS = 268,  // real
    OFFSET_CONE_BASE_RADIUS = 276, // real
    OFFSET_CONE_OPEN = 284,        // int: 0 closes the ends
    // torus (18)
    OFFSET_TORUS_MAJOR = 268,   // real
    OFFSET_TORUS_MINOR = 276,   // real
    OFFSET_TORUS_PRECISE = 284, // int: non-zero picks solver 2
    // disc (22)
    OFFSET_DISC_HOLE = 268, // real
    // superquadric (27)
    OFFSET_SUPERQ_N = 268, // real, second argument
    OFFSET_SUPERQ_E = 276, // real, first argument
    // profiles: sweep (6), lathe (7), glyph (8)
    OFFSET_PROFILE_CURVE = 272,    // int curve type 1 to 4
    OFFSET_PROFILE_UV_STEPS = 280, // int
    OFFSET_PROFILE_COUNT = 288,    // int
    OFFSET_GLYPH_END_SCALE = 292,  // real
    OFFSET_GLYPH_DEPTH = 300,      // real
    OFFSET_PROFILE_GETTER = 324,   // RecordGetterFn -> ProfilePoint
    // patch mesh (13)
    OFFSET_PATCH_U_LEVEL = 268,                      // int: 2^level + 1 steps
    OFFSET_PATCH_V_LEVEL = 272,                      // int
    OFFSET_PATCH_POINT_COUNT = 284,                  // int
    OFFSET_PATCH_COUNT = 288,                        // int
    OFFSET_PATCH_POINT_GETTER = 292,                 // RecordGetterFn -> 3 reals
    OFFSET_PATCH_GETTER = TESSOID_ILP32 ? 296 : 300, // RecordGetterFn -> 16 int32
    // lights (10, 19, 20)
    OFFSET_LIGHT_COLOR = 268,       // 3 reals at 268, 276, 284
    OFFSET_LIGHT_RADIUS = 292,      // real r
    OFFSET_LIGHT_ATTENUATION = 300, // real a
    OFFSET_LIGHT_ATTENUATED = 308,  // int
    OFFSET_LIGHT_VOLUMETRIC = 312,  // int
    OFFSET_LIGHT_NO_SHADOWS = 316,  // int: 0 casts shadows
    OFFSET_SPOT_C2 = 320,           // real, third coefficient
    OFFSET_SPOT_C1 = 328,           // real, second coefficient
    OFFSET_SPOT_C0 = 344,           // real, first coefficient
    OFFSET_AREA_U_SAMPLES = 320,    // int
    OFFSET_AREA_V_SAMPLES = 324,    // int
    OFFSET_AREA_FLAGS = 328,        // int
    OFFSET_AREA_JITTER = 332,       // int: non-zero jitters by 0.5
    // host triangle mesh (23)
    OFFSET_MESH_SMOOTH_ANGLE = 268,                        // real
    OFFSET_MESH_NAME = 280,                                // text
    OFFSET_MESH_FACE_COUNT = 408,                          // int
    OFFSET_MESH_VERTEX_COUNT = 412,                        // int
    OFFSET_MESH_FACE_GETTER = 416,                         // RecordGetterFn -> 3 int32
    OFFSET_MESH_VERTEX_GETTER = TESSOID_ILP32 ? 420 : 424, // RecordGetterFn -> 3 reals
    // blob (26)
    OFFSET_BLOB_THRESHOLD = 268, // real
    OFFSET_BLOB_PRECISE = 280,   // int: non-zero picks solver 2
    OFFSET_BLOB_COUNT = 416,     // int
    OFFSET_BLOB_GETTER = 420,    // RecordGetterFn -> BlobComponent
};

constexpr size_t MESH_NAME_SIZE = OFFSET_MESH_FACE_COUNT - OFFSET_MESH_NAME; // 128

} // namespace tessoid
