// The host's object record: a base record and three extension records in one
// block. Kind-specific fields are read and written by their block offsets
// through the accessors below, with memcpy, so no layout leaks out of plugin/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "plugin/abi.h"

namespace tessoid {

// Object kinds the plug-in tells apart.
enum : int32_t {
    KIND_CONTAINER = 1,
    KIND_CAMERA = 5,
    KIND_LIGHT = 10,
    KIND_LIBRARY_ITEM = 11,
    KIND_GROUP = 12,
    KIND_REFERENCE = 25,
    KIND_PLUGIN_OBJECT = 29,
    KIND_POLYGON_MESH = 31,
};

// Field masks of SetObjectInfo.
enum : uint32_t {
    MASK_NAME = 0x80000,
    MASK_TEXTURE_NAME = 0x4000,
    MASK_NAME_AND_TEXTURE = 0x84000,
    MASK_LIBRARY_ITEM = 0x8000,
    MASK_KIND_PROPERTIES = 0x1000,
};

constexpr uint8_t STATE_TESSELLABLE = 8;

// Packed to 4: nothing changes where pointers are 4 bytes, and with 8-byte pointers the
// base keeps its 260 bytes, so every block offset of the extension records stays what it
// is on 32-bit: there the second pointer moves into the host's reserved bytes, which
// nothing reads.
#pragma pack(push, 4)
struct HostObjectBase {
    int32_t size;           // 0: 260
    int32_t version;        // 4: 103
    int32_t kind;           // 8
    char name[64];          // 12
    char textureName[84];   // 76
    uint8_t stateFlags;     // 160
    uint8_t reserved161[3]; // 161
    void* extension1;       // 164
#if TESSOID_ILP32
    void* extension2;        // 168
    uint8_t reserved172[72]; // 172
#else
    void* extension2;        // 172
    uint8_t reserved180[64]; // 180
#endif
    void* extension3;                                           // 244
    uint8_t reservedAfterExtension3[260 - 244 - sizeof(void*)]; // 248, 252 on 64-bit
};
#pragma pack(pop)
static_assert(sizeof(HostObjectBase) == 260);
static_assert(offsetof(HostObjectBase, kind) == 8);
static_assert(offsetof(HostObjectBase, name) == 12);
static_assert(offsetof(HostObjectBase, textureName) == 76);
static_assert(offsetof(HostObjectBase, stateFlags) == 160);
static_assert(offsetof(HostObjectBase, extension1) == 164);
TESSOID_PIN_LAYOUT(offsetof(HostObjectBase, extension2) == 168);
static_assert(offsetof(HostObjectBase, extension3) == 244);
static_assert(offsetof(HostObjectBase, size) == 0);
static_assert(offsetof(HostObjectBase, version) == 4);

// Every extension record starts with its size and version words; its fields follow.
constexpr size_t EXTENSION_HEADER_SIZE = 8;

template <size_t Size> struct HostExtensionRecord {
    int32_t size;
    int32_t version;
    uint8_t data[Size - EXTENSION_HEADER_SIZE];
};
static_assert(offsetof(HostExtensionRecord<800>, data) == EXTENSION_HEADER_SIZE);

struct HostObjectRecord {
    HostObjectBase base;                  // 0
    HostExtensionRecord<800> extension1;  // 260
    HostExtensionRecord<6168> extension2; // 1060
    HostExtensionRecord<512> extension3;  // 7228
};
static_assert(sizeof(HostObjectRecord) == 7740);
static_assert(offsetof(HostObjectRecord, extension1) == 260);
static_assert(offsetof(HostObjectRecord, extension2) == 1060);
static_assert(offsetof(HostObjectRecord, extension3) == 7228);
static_assert(offsetof(HostObjectRecord, base) == 0);

constexpr int32_t BASE_RECORD_SIZE = 260, BASE_RECORD_VERSION = 103;
constexpr int32_t EXTENSION1_SIZE = 800, EXTENSION1_VERSION = 106;
constexpr int32_t EXTENSION2_SIZE = 6168, EXTENSION2_VERSION = 103;
constexpr int32_t EXTENSION3_SIZE = 512, EXTENSION3_VERSION = 100;

// Block offsets of the kind-specific fields of extension record 1.
enum : size_t {
    OFFSET_GROUP_OPERATION = 268, // kind 12
    OFFSET_REFERRED_HANDLE = 268, // kind 25
    OFFSET_PLUGIN_OBJECT = 268,   // kind 29
    // kind 29; on 64-bit past the object pointer's 8 bytes
    OFFSET_PLUGIN_TYPE_RECORD = TESSOID_ILP32 ? 272 : 276,
    OFFSET_ASSIGN_MATERIAL = 276,    // kind 31
    OFFSET_MESH_BUILDER_TABLE = 288, // kind 31
};

void PrepareHostObjectRecord(HostObjectRecord* record, bool attachExtensions12,
                             bool attachExtension3);

// Typed reads and writes at a block offset; the value must lie inside the block.
template <typename T> T ReadRecordField(const HostObjectRecord& record, size_t offset) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&record) + offset, sizeof(T));
    return value;
}

template <typename T>
void WriteRecordField(HostObjectRecord& record, size_t offset, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(reinterpret_cast<uint8_t*>(&record) + offset, &value, sizeof(T));
}

// The plug-in's own object behind a kind-29 record whose type record carries
// our identifier; null for anything else.
void* PluginObjectOf(const HostObjectRecord& record);

} // namespace tessoid
