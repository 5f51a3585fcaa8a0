// The information record and the four interface records shared with the host.
// Every documented offset is pinned below; nothing else in the plug-in knows them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/abi.h"

namespace tessoid {

struct HostObjectRecord;
struct PlacementRecord;
struct ObjectTransform;
struct LibraryItemSpec;

constexpr int32_t PLUGIN_INFO_VERSION = 1103;
constexpr int INTERFACE_COUNT = 4;

struct InterfaceEntry {
    int32_t kind;
    int32_t version;
};

// The kind code of each record in the information record's interface list.
enum : int32_t {
    INTERFACE_KIND_OBJECT_TYPE = 1,
    INTERFACE_KIND_HOST = 2,
    INTERFACE_KIND_FILE_TYPE = 3,
    INTERFACE_KIND_IMPORTER = 4,
};

struct PluginInfo {
    int32_t version;              // 0: 1103
    char displayName[32];         // 4
    char notice[128];             // 36
    char email[128];              // 164
    char homePage[128];           // 292
    char description[256];        // 420
    uint32_t icon;                // 676: HICON of resource 5000
    uint8_t reserved680[220];     // 680
    int32_t interfaceCount;       // 900
    InterfaceEntry interfaces[4]; // 904
    uint8_t reserved936[8];       // 936
};
static_assert(sizeof(PluginInfo) == 944);
static_assert(offsetof(PluginInfo, displayName) == 4);
static_assert(offsetof(PluginInfo, notice) == 36);
static_assert(offsetof(PluginInfo, email) == 164);
static_assert(offsetof(PluginInfo, homePage) == 292);
static_assert(offsetof(PluginInfo, description) == 420);
static_assert(offsetof(PluginInfo, icon) == 676);
static_assert(offsetof(PluginInfo, interfaceCount) == 900);
static_assert(offsetof(PluginInfo, interfaces) == 904);
static_assert(offsetof(PluginInfo, version) == 0);

// Common head of every interface record: size and version from the host,
// identifier from the plug-in.
struct InterfaceHeader {
    uint32_t size;
    int32_t version;
    uint8_t identifier[8];
};
static_assert(sizeof(InterfaceHeader) == 16);

extern const uint8_t HOST_INTERFACE_ID[8];
extern const uint8_t FILE_TYPE_INTERFACE_ID[8];
extern const uint8_t IMPORTER_INTERFACE_ID[8];
extern const uint8_t OBJECT_TYPE_INTERFACE_ID[8];

// ---- record 0: the host's services ----------------------------------------

using AcceptImportResultFn = int32_t(TESSOID_STDCALL*)(HostHandle);
using GetCurrentObjectFn = int32_t(TESSOID_STDCALL*)(HostHandle* out);
using CreateObjectFn = int32_t(TESSOID_STDCALL*)(int32_t kind, const void* typeOrSpec,
                                                 HostHandle* out);
using RemoveObjectFn = int32_t(TESSOID_STDCALL*)(HostHandle);
using SetObjectAttributesFn = int32_t(TESSOID_STDCALL*)(HostHandle, PlacementRecord*, int32_t mask);
using GetObjectTransformFn = int32_t(TESSOID_STDCALL*)(HostHandle, ObjectTransform*);
using SetObjectInfoFn = int32_t(TESSOID_STDCALL*)(HostHandle, HostObjectRecord*, uint32_t mask);
using GetObjectInfoFn = int32_t(TESSOID_STDCALL*)(HostHandle, HostObjectRecord*);
using AddToGroupFn = int32_t(TESSOID_STDCALL*)(HostHandle group, HostHandle child, int32_t one);
using OpenChildListFn = int32_t(TESSOID_STDCALL*)(HostHandle, uint32_t* outList);
using GetChildFn = int32_t(TESSOID_STDCALL*)(uint32_t list, int32_t index, HostHandle* out);
using CloseChildListFn = int32_t(TESSOID_STDCALL*)(uint32_t list);
using SetHostStateFn = int32_t(TESSOID_STDCALL*)(int32_t state);
using GetHostSettingFn = int32_t(TESSOID_STDCALL*)(int32_t id, int32_t* out);
using SetHostSettingFn = int32_t(TESSOID_STDCALL*)(int32_t id, int32_t value);
using FinishMaterialsFn = int32_t(TESSOID_STDCALL*)();
using GetMeshAccessFn = int32_t(TESSOID_STDCALL*)(HostHandle, void* table);

// The inert notification slots the plug-in writes into record 0.
using Notify1Fn = int32_t(TESSOID_STDCALL*)(int32_t);
using Notify2Fn = int32_t(TESSOID_STDCALL*)(int32_t, int32_t);
using Notify3Fn = int32_t(TESSOID_STDCALL*)(int32_t, int32_t, int32_t);
using Notify4Fn = int32_t(TESSOID_STDCALL*)(int32_t, int32_t, int32_t, int32_t);
using NotifyVoid1Fn = void(TESSOID_STDCALL*)(int32_t);
using NotifyVoid2Fn = void(TESSOID_STDCALL*)(int32_t, int32_t);

constexpr int32_t HOST_INTERFACE_MAJOR = 2;
constexpr int32_t HOST_INTERFACE_VERSION = 204;

struct HostInterface {
    InterfaceHeader header;                    // 0
    uint8_t reserved16[256];                   // 16
    AcceptImportResultFn acceptImportResult;   // 272
    GetCurrentObjectFn getCurrentObject;       // 276
    void* reserved280;                         // 280
    CreateObjectFn createObject;               // 284
    RemoveObjectFn removeObject;               // 288
    void* reserved292;                         // 292
    SetObjectAttributesFn setObjectAttributes; // 296
    GetObjectTransformFn getObjectTransform;   // 300
    SetObjectInfoFn setObjectInfo;             // 304
    GetObjectInfoFn getObjectInfo;             // 308
    AddToGroupFn addToGroup;                   // 312
    void* reserved316;                         // 316
    OpenChildListFn openChildList;             // 320
    GetChildFn getChild;                       // 324
    CloseChildListFn closeChildList;           // 328
    void* reserved332[3];                      // 332
    SetHostStateFn setHostState;               // 344
    void* reserved348;                         // 348
    GetHostSettingFn getHostSetting;           // 352
    SetHostSettingFn setHostSetting;           // 356
    void* reserved360[10];                     // 360
    FinishMaterialsFn finishMaterials;         // 400
    void* reserved404[10];                     // 404
    GetMeshAccessFn getMeshAccess;             // 444
    void* reserved448[49];                     // 448
    Notify2Fn notify644;                       // 644
    Notify3Fn notify648;                       // 648
    Notify4Fn notify652;                       // 652
    Notify1Fn notify656;                       // 656
    Notify3Fn notify660;                       // 660
    Notify3Fn notify664;                       // 664
    Notify2Fn notify668;                       // 668
    Notify3Fn notify672;                       // 672
    NotifyVoid2Fn notify676;                   // 676
    NotifyVoid1Fn notify680;                   // 680
    uint8_t reserved684[232];                  // 684
};
// The least size the host may announce: the modeller's on 32-bit, the layout's own on 64-bit.
constexpr uint32_t HOST_INTERFACE_MIN_SIZE = TESSOID_ILP32 ? 916 : sizeof(HostInterface);
static_assert(sizeof(HostInterface) == HOST_INTERFACE_MIN_SIZE);
static_assert(offsetof(HostInterface, acceptImportResult) == 272);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getCurrentObject) == 276);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, createObject) == 284);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, removeObject) == 288);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, setObjectAttributes) == 296);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getObjectTransform) == 300);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, setObjectInfo) == 304);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getObjectInfo) == 308);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, addToGroup) == 312);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, openChildList) == 320);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getChild) == 324);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, closeChildList) == 328);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, setHostState) == 344);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getHostSetting) == 352);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, setHostSetting) == 356);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, finishMaterials) == 400);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, getMeshAccess) == 444);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify644) == 644);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify656) == 656);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify676) == 676);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify680) == 680);
static_assert(offsetof(HostInterface, header) == 0);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify648) == 648);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify652) == 652);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify660) == 660);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify664) == 664);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify668) == 668);
TESSOID_PIN_LAYOUT(offsetof(HostInterface, notify672) == 672);

// Host states the import announces (SetHostState) around its meshes, and the host
// setting it turns off while it adds them (Get/SetHostSetting).
constexpr int32_t HOST_STATE_MESHES_BEGIN = 2;
constexpr int32_t HOST_STATE_MESHES_END = 5;
constexpr int32_t SETTING_GROUP_UPDATES = 111;

// ---- record 1: file selection ----------------------------------------------

using AskFileNameFn = int32_t(TESSOID_STDCALL*)(int32_t dialogValue, char* buffer, int32_t mode);
using GetFileNameFn = int32_t(TESSOID_STDCALL*)(int32_t dialogValue, char* buffer);

constexpr int32_t FILE_TYPE_INTERFACE_MAJOR = 1;
constexpr int32_t FILE_TYPE_INTERFACE_VERSION = 100;
// AskFileName's mode for choosing a file to open.
constexpr int32_t FILE_DIALOG_OPEN = 2;
// The dialog value GetFileName reads a scratch file name through (the host's own is
// the one it stores in defaultDialogValue).
constexpr int32_t SCRATCH_DIALOG_VALUE = 8;

struct FileTypeInterface {
    InterfaceHeader header;     // 0
    char filter[247];           // 16
    char defaultPattern[9];     // 263
    int32_t defaultDialogValue; // 272, host
    AskFileNameFn askFileName;  // 276, host
    GetFileNameFn getFileName;  // 280, host
    uint8_t reserved284[64];    // 284
};
// The least size the host may announce: the modeller's on 32-bit, the layout's own on 64-bit.
constexpr uint32_t FILE_TYPE_INTERFACE_MIN_SIZE = TESSOID_ILP32 ? 348 : sizeof(FileTypeInterface);
static_assert(sizeof(FileTypeInterface) == FILE_TYPE_INTERFACE_MIN_SIZE);
static_assert(offsetof(FileTypeInterface, filter) == 16);
static_assert(offsetof(FileTypeInterface, defaultPattern) == 263);
static_assert(offsetof(FileTypeInterface, defaultDialogValue) == 272);
TESSOID_PIN_LAYOUT(offsetof(FileTypeInterface, askFileName) == 276);
TESSOID_PIN_LAYOUT(offsetof(FileTypeInterface, getFileName) == 280);
static_assert(offsetof(FileTypeInterface, header) == 0);

// ---- record 2: the import command ------------------------------------------

using ImportCommandFn = int32_t(TESSOID_STDCALL*)();

constexpr int32_t IMPORTER_INTERFACE_MAJOR = 1;
constexpr int32_t IMPORTER_INTERFACE_VERSION = 100;

struct ImporterInterface {
    InterfaceHeader header;        // 0
    char commandName[32];          // 16
    ImportCommandFn importCommand; // 48
    uint8_t reserved52[64];        // 52
};
// The least size the host may announce: the modeller's on 32-bit, the layout's own on 64-bit.
constexpr uint32_t IMPORTER_INTERFACE_MIN_SIZE = TESSOID_ILP32 ? 116 : sizeof(ImporterInterface);
static_assert(sizeof(ImporterInterface) == IMPORTER_INTERFACE_MIN_SIZE);
static_assert(offsetof(ImporterInterface, commandName) == 16);
static_assert(offsetof(ImporterInterface, importCommand) == 48);
static_assert(offsetof(ImporterInterface, header) == 0);

// ---- record 3: the mesh object type ----------------------------------------

// Objects cross the boundary as opaque pointers; the forwarders know the class.
using ObjectPtr = void*;
using StreamFn = int32_t(TESSOID_STDCALL*)(int32_t cookie, void* buffer, int32_t bytes);
using TextFn = int32_t(TESSOID_STDCALL*)(int32_t cookie, const char* text);
using VertexFn = void(TESSOID_STDCALL*)(void* context, double x, double y, double z);
using EdgeFn = void(TESSOID_STDCALL*)(void* context, int32_t first, int32_t second);
using SegmentFn = void(TESSOID_STDCALL*)(void* context, const double* sixDoubles);
struct HostBuilder;
struct ValueDescriptor;

using CreateFn = ObjectPtr(TESSOID_STDCALL*)(void* context);
using TakePendingMeshFn = int32_t(TESSOID_STDCALL*)(ObjectPtr);
using LoadFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, StreamFn read, int32_t cookie, int32_t arg);
using SaveFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, StreamFn write, int32_t cookie);
using SavedSizeFn = int32_t(TESSOID_STDCALL*)(ObjectPtr);
using CopyFn = int32_t(TESSOID_STDCALL*)(ObjectPtr target, ObjectPtr source);
using DestroyFn = void(TESSOID_STDCALL*)(ObjectPtr);
using AuxQueryFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t, int32_t, int32_t, int32_t* out,
                                             int32_t);
using GetMasksFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, uint32_t* first, uint32_t* second);
using EnumVerticesAndEdgesFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, void* context, VertexFn,
                                                         EdgeFn);
using WriteSceneFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t cookie, const char* name, TextFn);
using MarkDeclaredFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t cookie, TextFn);
using SceneQueryFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t cookie, int32_t arg, TextFn);
using UpdateFlagsFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t keepMask, int32_t setBits);
using EnumEdgesFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, void* context, SegmentFn);
using OptionalQueryFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t, int32_t);
using BuildMeshFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t ignored, HostBuilder*);
using GetPropertyPageFn = void*(TESSOID_STDCALL*)();
using ReleasePropertyPageFn = void(TESSOID_STDCALL*)(void* resource);
using GetValueInfoFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t id, ValueDescriptor* out);
using ValueChangedFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t id, double value);
using ProbeFn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t);
// A window procedure: the word-sized parameters are 32-bit on the modeller's side.
using PageWindowProcFn = intptr_t(TESSOID_STDCALL*)(void* hwnd, uint32_t msg, uintptr_t wParam,
                                                    intptr_t lParam);
// Slots the host fills and the object's hooks call.
using HostHook1Fn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t);
using HostHook2Fn = int32_t(TESSOID_STDCALL*)(ObjectPtr, int32_t, int32_t);

constexpr int32_t OBJECT_TYPE_INTERFACE_VERSION = 112;
constexpr uint32_t OBJECT_TYPE_FLAGS = 543;
constexpr uint32_t TYPE_FLAG_NO_DIALOG = 1u << 28;
constexpr int32_t TYPE_BITMAP_ID = 107;

struct ObjectTypeInterface {
    InterfaceHeader header;                      // 0
    char typeName[32];                           // 16
    char nameTemplate[32];                       // 48
    uint32_t typeFlags;                          // 80
    CreateFn create;                             // 84
    TakePendingMeshFn takePendingMesh;           // 88
    LoadFn load;                                 // 92
    SaveFn save;                                 // 96
    SavedSizeFn savedSize;                       // 100
    CopyFn copy;                                 // 104
    DestroyFn destroy;                           // 108
    AuxQueryFn auxQuery;                         // 112
    GetMasksFn getMasks;                         // 116
    EnumVerticesAndEdgesFn enumVerticesAndEdges; // 120
    WriteSceneFn writeScene;                     // 124
    MarkDeclaredFn markDeclared;                 // 128
    SceneQueryFn sceneQuery;                     // 132
    MarkDeclaredFn markDeclaredAgain;            // 136
    UpdateFlagsFn updateFlags;                   // 140
    EnumEdgesFn enumEdges;                       // 144
    HostHook2Fn hostSlot148;                     // 148, host
    HostHook1Fn hostSlot152;                     // 152, host
    OptionalQueryFn optionalQuery;               // 156
    BuildMeshFn buildMesh;                       // 160
    HostHook1Fn hostSlot164;                     // 164, host
    HostHook2Fn hostSlot168;                     // 168, host
    void* reserved172[10];                       // 172
    GetPropertyPageFn getPropertyPage;           // 212
    ReleasePropertyPageFn releasePropertyPage;   // 216
    GetValueInfoFn getValueInfo;                 // 220
    ValueChangedFn valueChanged;                 // 224
    int32_t bitmapId;                            // 228
    PageWindowProcFn pageWindowProc;             // 232
    void* reserved236[3];                        // 236
    ProbeFn probe;                               // 248
    int32_t zero252;                             // 252
    void* reserved256[5];                        // 256
    HostHook1Fn hostSlot276;                     // 276, host
    uint8_t reserved280[20];                     // 280
};
// The least size the host may announce: the modeller's on 32-bit, the layout's own on 64-bit.
constexpr uint32_t OBJECT_TYPE_INTERFACE_MIN_SIZE =
    TESSOID_ILP32 ? 300 : sizeof(ObjectTypeInterface);
static_assert(sizeof(ObjectTypeInterface) == OBJECT_TYPE_INTERFACE_MIN_SIZE);
static_assert(offsetof(ObjectTypeInterface, typeName) == 16);
static_assert(offsetof(ObjectTypeInterface, nameTemplate) == 48);
static_assert(offsetof(ObjectTypeInterface, typeFlags) == 80);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, create) == 84);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, takePendingMesh) == 88);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, load) == 92);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, save) == 96);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, savedSize) == 100);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, copy) == 104);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, destroy) == 108);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, auxQuery) == 112);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, getMasks) == 116);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, enumVerticesAndEdges) == 120);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, writeScene) == 124);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, markDeclared) == 128);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, sceneQuery) == 132);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, markDeclaredAgain) == 136);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, updateFlags) == 140);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, enumEdges) == 144);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, hostSlot148) == 148);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, hostSlot152) == 152);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, optionalQuery) == 156);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, buildMesh) == 160);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, hostSlot164) == 164);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, hostSlot168) == 168);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, getPropertyPage) == 212);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, releasePropertyPage) == 216);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, getValueInfo) == 220);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, valueChanged) == 224);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, bitmapId) == 228);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, pageWindowProc) == 232);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, probe) == 248);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, zero252) == 252);
TESSOID_PIN_LAYOUT(offsetof(ObjectTypeInterface, hostSlot276) == 276);
static_assert(offsetof(ObjectTypeInterface, header) == 0);

// ---- the builder record of BuildMesh ---------------------------------------

using DeclareCountsFn = int32_t(TESSOID_STDCALL*)(void* ctx, int32_t vertices, int32_t edges,
                                                  int32_t normals, int32_t uvs);
using BeginMeshFn = int32_t(TESSOID_STDCALL*)(void* ctx, int32_t faces, int32_t zero);
using SetDoubleTriplesFn = int32_t(TESSOID_STDCALL*)(void* ctx, int32_t count,
                                                     const double* triples);
using SetEdgesFn = int32_t(TESSOID_STDCALL*)(void* ctx, int32_t count, const int32_t* pairs);
using AddTriangleFn = int32_t(TESSOID_STDCALL*)(void* ctx, int32_t a, int32_t b, int32_t c,
                                                int32_t* outId);
using SetTriangleIndicesFn = int32_t(TESSOID_STDCALL*)(int32_t id, int32_t a, int32_t b, int32_t c);
struct TriangleRecord;
using EmitTriangleFn = int32_t(TESSOID_STDCALL*)(void* ctx, const TriangleRecord*);

struct HostBuilder {
    int32_t reserved0;                       // 0
    void* context;                           // 4
    DeclareCountsFn declareCounts;           // 8
    BeginMeshFn beginMesh;                   // 12
    SetDoubleTriplesFn setVertices;          // 16
    SetDoubleTriplesFn setNormals;           // 20
    SetDoubleTriplesFn setUVs;               // 24
    SetEdgesFn setEdges;                     // 28
    AddTriangleFn addTriangle;               // 32
    void* reserved36;                        // 36
    SetTriangleIndicesFn setTriangleNormals; // 40
    SetTriangleIndicesFn setTriangleUVs;     // 44
    void* reserved48[4];                     // 48
    EmitTriangleFn emitTriangle;             // 64
};
TESSOID_PIN_LAYOUT(sizeof(HostBuilder) == 68);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, context) == 4);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, declareCounts) == 8);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, beginMesh) == 12);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setVertices) == 16);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setNormals) == 20);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setUVs) == 24);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setEdges) == 28);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, addTriangle) == 32);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setTriangleNormals) == 40);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, setTriangleUVs) == 44);
TESSOID_PIN_LAYOUT(offsetof(HostBuilder, emitTriangle) == 64);

constexpr int32_t TRIANGLE_RECORD_TAG = 100;
constexpr int32_t TRIANGLE_HAS_NORMALS = 1;
constexpr int32_t TRIANGLE_HAS_UVS = 2;

TESSOID_PACK_BEGIN
struct TriangleRecord {
    int32_t tag;         // 0: 100
    int32_t contents;    // 4
    double positions[9]; // 8
    double normals[9];   // 80
    double uvs[9];       // 152
};
TESSOID_PACK_END
static_assert(sizeof(TriangleRecord) == 224);
static_assert(offsetof(TriangleRecord, positions) == 8);
static_assert(offsetof(TriangleRecord, normals) == 80);
static_assert(offsetof(TriangleRecord, uvs) == 152);
static_assert(offsetof(TriangleRecord, tag) == 0);
static_assert(offsetof(TriangleRecord, contents) == 4);

// ---- the value descriptor of GetValueInfo (host format, 4-byte alignment) ----

constexpr int32_t SMOOTH_ANGLE_PROPERTY = 1003;
constexpr int32_t VALUE_DESCRIPTOR_TAG = 100; // the host's descriptor format
constexpr int32_t VALUE_DESCRIPTOR_KIND = 1;

TESSOID_PACK_BEGIN
struct ValueDescriptor {
    int32_t tag;     // 0: 100
    int32_t kind;    // 4: 1
    double value;    // 8
    double minimum;  // 16
    double maximum;  // 24
    int32_t hasStep; // 32: 1
    double step;     // 36
    int32_t zero;    // 44
};
TESSOID_PACK_END
TESSOID_PIN_LAYOUT(sizeof(ValueDescriptor) == 48);
static_assert(offsetof(ValueDescriptor, kind) == 4);
static_assert(offsetof(ValueDescriptor, value) == 8);
static_assert(offsetof(ValueDescriptor, minimum) == 16);
static_assert(offsetof(ValueDescriptor, maximum) == 24);
static_assert(offsetof(ValueDescriptor, hasStep) == 32);
TESSOID_PIN_LAYOUT(offsetof(ValueDescriptor, step) == 36);
TESSOID_PIN_LAYOUT(offsetof(ValueDescriptor, zero) == 44);
static_assert(offsetof(ValueDescriptor, tag) == 0);

} // namespace tessoid
