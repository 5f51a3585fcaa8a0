#include "counting_host.h"

#include <cstring>
#include <vector>

#include "bench_measure.h"
#include "host/plugin_host.h"
#include "plugin/host_object_record.h"
#include "plugin/import_records.h"

namespace bench {

namespace {

using namespace tessoid;

ImportCounts counts;
std::vector<int32_t> kinds{0}; // kind of every handle handed out; handle 0 is none

int32_t TESSOID_STDCALL createObject(int32_t kind, const void* spec, HostHandle* out) {
    if (!out)
        return 1;
    if (kind == KIND_POLYGON_MESH)
        ++counts.meshes;
    else if (kind == KIND_GROUP)
        ++counts.groups;
    else if (kind == KIND_LIBRARY_ITEM && spec) {
        ++counts.libraryItems;
        LibraryItemSpec item;
        std::memcpy(&item, spec, sizeof(item));
        if (item.type == ITEM_MATERIAL)
            ++counts.materials;
    } else
        ++counts.otherObjects;
    *out = static_cast<HostHandle>(kinds.size());
    kinds.push_back(kind);
    return 0;
}

int32_t TESSOID_STDCALL removeObject(HostHandle) {
    ++counts.removed;
    return 0;
}

int32_t TESSOID_STDCALL allocateMesh(MeshDataHandle, int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL allocateFaces(MeshDataHandle, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL addVertex(MeshDataHandle, double, double, double) {
    ++counts.vertices;
    return 0;
}
int32_t TESSOID_STDCALL addTextureVertex(MeshDataHandle, double, double, double) {
    ++counts.textureVertices;
    return 0;
}
int32_t TESSOID_STDCALL addEdge(MeshDataHandle, int32_t, int32_t) {
    ++counts.edges;
    return 0;
}
int32_t TESSOID_STDCALL addFace(MeshDataHandle, int32_t, int32_t, int32_t, int32_t* unused) {
    if (unused)
        *unused = static_cast<int32_t>(counts.faces);
    ++counts.faces;
    return 0;
}
int32_t TESSOID_STDCALL assignMaterial(HostHandle, const char*) {
    return 0;
}

// The kind, and for a polygon mesh its builder table and material slot; the rest of the
// record stays as the plug-in prepared it.
int32_t TESSOID_STDCALL getObjectInfo(HostHandle handle, HostObjectRecord* record) {
    if (!record || handle == 0 || handle >= kinds.size())
        return 1;
    record->base.kind = kinds[handle];
    if (kinds[handle] != KIND_POLYGON_MESH || !record->base.extension1)
        return 0;
    auto* table = ReadRecordField<MeshBuilderTable*>(*record, OFFSET_MESH_BUILDER_TABLE);
    WriteRecordField<AssignMaterialFn>(*record, OFFSET_ASSIGN_MATERIAL, assignMaterial);
    if (table && table->size == MESH_BUILDER_TABLE_SIZE) {
        table->mesh = handle;
        table->allocateMesh = allocateMesh;
        table->allocateFaces = allocateFaces;
        table->addFace = addFace;
        table->addVertex = addVertex;
        table->addTextureVertex = addTextureVertex;
        table->addEdge = addEdge;
    }
    return 0;
}

int32_t TESSOID_STDCALL setObjectInfo(HostHandle, HostObjectRecord*, uint32_t) {
    return 0;
}
int32_t TESSOID_STDCALL setObjectAttributes(HostHandle, PlacementRecord*, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL addToGroup(HostHandle, HostHandle, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL acceptImportResult(HostHandle handle) {
    counts.accepted = static_cast<int32_t>(handle);
    return 0;
}
int32_t TESSOID_STDCALL getHostSetting(int32_t, int32_t* out) {
    if (out)
        *out = 1;
    return 0;
}
int32_t TESSOID_STDCALL setHostSetting(int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL setHostState(int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL finishMaterials() {
    return 0;
}

} // namespace

bool CountedImport(const std::string& pluginPath, const std::string& file, ImportCounts* out) {
    host::PluginHost h;
    if (!h.load(pluginPath))
        return false;
    // The plug-in keeps the address of record 0, so slots written now are the ones it calls.
    HostInterface& services = h.services();
    services.createObject = createObject;
    services.removeObject = removeObject;
    services.getObjectInfo = getObjectInfo;
    services.setObjectInfo = setObjectInfo;
    services.setObjectAttributes = setObjectAttributes;
    services.addToGroup = addToGroup;
    services.acceptImportResult = acceptImportResult;
    services.getHostSetting = getHostSetting;
    services.setHostSetting = setHostSetting;
    services.setHostState = setHostState;
    services.finishMaterials = finishMaterials;
    h.chosenFile = file;
    const Stopwatch import;
    h.runImportCommand();
    const double seconds = import.seconds();
    *out = counts;
    out->importSeconds = seconds;
    return true;
}

} // namespace bench
