// Records the 3DS import exchanges with the host: the polygon-mesh builder table,
// the library-item descriptor and the placement record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/abi.h"

namespace tessoid {

// ---- the polygon-mesh builder table (200 bytes, filled by the host) ----------

using MeshDataHandle = uint32_t;
using AllocateMeshFn = int32_t(TESSOID_STDCALL*)(MeshDataHandle, int32_t vertices, int32_t edges,
                                                 int32_t zero, int32_t textureVertices);
using AllocateFacesFn = int32_t(TESSOID_STDCALL*)(MeshDataHandle, int32_t faces, int32_t zero);
using AddFaceFn = int32_t(TESSOID_STDCALL*)(MeshDataHandle, int32_t a, int32_t b, int32_t c,
                                            int32_t* unused);
using AddVertexFn = int32_t(TESSOID_STDCALL*)(MeshDataHandle, double x, double y, double z);
using AddEdgeFn = int32_t(TESSOID_STDCALL*)(MeshDataHandle, int32_t from, int32_t to);
// The host function a polygon-mesh object's record carries at block offset 276.
using AssignMaterialFn = int32_t(TESSOID_STDCALL*)(HostHandle object, const char* material);

struct MeshBuilderTable {
    int32_t size;                  // 0: 200, by the caller
    MeshDataHandle mesh;           // 4
    AllocateMeshFn allocateMesh;   // 8
    AllocateFacesFn allocateFaces; // 12
    void* reserved16[4];           // 16
    AddFaceFn addFace;             // 32
    void* reserved36[8];           // 36
    AddVertexFn addVertex;         // 68
    void* reserved72;              // 72
    AddVertexFn addTextureVertex;  // 76
    AddEdgeFn addEdge;             // 80
    uint8_t reserved84[116];       // 84
};
// The size word the caller writes: the modeller's 200 bytes, or the 64-bit layout's own.
constexpr int32_t MESH_BUILDER_TABLE_SIZE = TESSOID_ILP32 ? 200 : int32_t(sizeof(MeshBuilderTable));
static_assert(sizeof(MeshBuilderTable) == MESH_BUILDER_TABLE_SIZE);
static_assert(offsetof(MeshBuilderTable, mesh) == 4);
static_assert(offsetof(MeshBuilderTable, allocateMesh) == 8);
TESSOID_PIN_LAYOUT(offsetof(MeshBuilderTable, allocateFaces) == 12);
TESSOID_PIN_LAYOUT(offsetof(MeshBuilderTable, addFace) == 32);
TESSOID_PIN_LAYOUT(offsetof(MeshBuilderTable, addVertex) == 68);
TESSOID_PIN_LAYOUT(offsetof(MeshBuilderTable, addTextureVertex) == 76);
TESSOID_PIN_LAYOUT(offsetof(MeshBuilderTable, addEdge) == 80);
static_assert(offsetof(MeshBuilderTable, size) == 0);

// ---- library items (CreateObject kind 11) ------------------------------------

enum : int32_t {
    ITEM_STANDARD_TEXTURE = 1,
    ITEM_PIGMENT = 6,
    ITEM_SOLID_COLOUR = 7,
    ITEM_IMAGE_MAP = 15,
    ITEM_FINISH = 19,
    ITEM_AMBIENT_COLOUR = 20,
    ITEM_MATERIAL = 33,
};

struct LibraryItemSpec {
    int32_t type;      // 0
    HostHandle parent; // 4: 0 for none
    char name[64];     // 8
};
static_assert(offsetof(LibraryItemSpec, type) == 0);
static_assert(offsetof(LibraryItemSpec, parent) == 4);
static_assert(offsetof(LibraryItemSpec, name) == 8);

// Block offsets of the library-item values in extension record 2 (record at 1060).
enum : size_t {
    ITEM_VALUES = 1060,
    COLOUR_RED = ITEM_VALUES + 20,
    COLOUR_GREEN = ITEM_VALUES + 28,
    COLOUR_BLUE = ITEM_VALUES + 36,
    COLOUR_COMPONENT4 = ITEM_VALUES + 44,
    COLOUR_COMPONENT5 = ITEM_VALUES + 52,
    FINISH_A = ITEM_VALUES + 20,
    FINISH_B = ITEM_VALUES + 28,
    FINISH_SHININESS_STRENGTH = ITEM_VALUES + 44,
    FINISH_C = ITEM_VALUES + 52,
    FINISH_D = ITEM_VALUES + 60,
    FINISH_E = ITEM_VALUES + 68,
    FINISH_WORDS = ITEM_VALUES + 88, // three int32
    IMAGE_FILE_NAME = ITEM_VALUES + 24,
    IMAGE_FILE_NAME_SIZE = 252, // up to the image type word
    IMAGE_TYPE = ITEM_VALUES + 276,
    IMAGE_WORD_280 = ITEM_VALUES + 280,
    IMAGE_ONCE = ITEM_VALUES + 284,
    IMAGE_WORD_288 = ITEM_VALUES + 288,
    IMAGE_WORD_292 = ITEM_VALUES + 292,
    IMAGE_WORDS_296 = ITEM_VALUES + 296,   // four int32
    IMAGE_WORDS_2360 = ITEM_VALUES + 2360, // four int32
    IMAGE_WORD_4424 = ITEM_VALUES + 4424,
};

// Block offsets of the light and camera values in extension record 1 (record at 260).
enum : size_t {
    KIND_VALUES = 260,
    LIGHT_RED = KIND_VALUES + 8,
    LIGHT_GREEN = KIND_VALUES + 16,
    LIGHT_BLUE = KIND_VALUES + 24,
    CAMERA_FIELD_OF_VIEW = KIND_VALUES + 8,
    CAMERA_ROLL = KIND_VALUES + 16,
    CAMERA_VALUE_24 = KIND_VALUES + 24,
    CAMERA_VALUE_32 = KIND_VALUES + 32,
    CAMERA_NO_CONE = KIND_VALUES + 40,
    CAMERA_VALUE_100 = KIND_VALUES + 100,
    CAMERA_VALUE_108 = KIND_VALUES + 108,
};

// ---- placement (SetObjectAttributes) -------------------------------------------

enum : int32_t {
    PLACE_CAMERA_POSITION = 2,
    PLACE_CAMERA_TARGET = 4,
    PLACE_LIGHT_POSITION = 64,
};

TESSOID_PACK_BEGIN
struct PlacementRecord {
    int32_t tag;             // 0: 101
    uint8_t reserved4[48];   // 4
    double vector[3];        // 52: x, y, z
    uint8_t reserved76[332]; // 76
};
TESSOID_PACK_END
TESSOID_PIN_LAYOUT(sizeof(PlacementRecord) == 408);
TESSOID_PIN_LAYOUT(offsetof(PlacementRecord, vector) == 52);
static_assert(offsetof(PlacementRecord, tag) == 0);

} // namespace tessoid
