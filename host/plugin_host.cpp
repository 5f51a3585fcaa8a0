#include "host/plugin_host.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>

#include "host/new_interface_record.h"
#include "host/shape_services.h"

namespace host {

using namespace tessoid;

namespace detail {
PluginHost* activeHost = nullptr;
}

namespace {

using detail::activeHost;

constexpr int32_t HOST_DIALOG_VALUE = 7; // what the host stores at offset 272 of record 1
constexpr size_t PLUGIN_PATH_BUFFER = 512;

// ---- the stdcall slots of record 0 and 1 -----------------------------------

int32_t TESSOID_STDCALL slotAcceptImportResult(HostHandle handle) {
    PluginHost* h = ActiveHost();
    if (!h->scene().find(handle))
        return h->fail("AcceptImportResult: unknown handle");
    h->importResult = handle;
    return 0;
}
int32_t TESSOID_STDCALL slotGetCurrentObject(HostHandle* out) {
    if (!out)
        return ActiveHost()->fail("GetCurrentObject: null out pointer");
    *out = ActiveHost()->scene().current;
    return 0;
}
// A refused call answers as a failing host would, touching nothing.
bool refused(Service service) {
    return ActiveHost()->faults.refuses(service);
}

int32_t TESSOID_STDCALL slotCreateObject(int32_t kind, const void* typeOrSpec, HostHandle* out) {
    if (refused(Service::CreateObject)) {
        if (out)
            *out = 0;
        return SERVICE_REFUSED;
    }
    return ActiveHost()->serviceCreateObject(kind, typeOrSpec, out);
}
int32_t TESSOID_STDCALL slotRemoveObject(HostHandle handle) {
    return ActiveHost()->serviceRemoveObject(handle);
}
int32_t TESSOID_STDCALL slotSetObjectInfo(HostHandle handle, HostObjectRecord* record,
                                          uint32_t mask) {
    if (refused(Service::SetObjectInfo))
        return SERVICE_REFUSED;
    return ActiveHost()->serviceSetObjectInfo(handle, record, mask);
}
int32_t TESSOID_STDCALL slotGetObjectInfo(HostHandle handle, HostObjectRecord* record) {
    if (refused(Service::GetObjectInfo)) {
        if (SceneObject* object = ActiveHost()->scene().find(handle))
            object->lastReadRefused = true;
        return SERVICE_REFUSED;
    }
    return ActiveHost()->serviceGetObjectInfo(handle, record);
}
int32_t TESSOID_STDCALL slotAddToGroup(HostHandle group, HostHandle child, int32_t one) {
    if (refused(Service::AddToGroup))
        return SERVICE_REFUSED;
    return ActiveHost()->serviceAddToGroup(group, child, one);
}
int32_t TESSOID_STDCALL slotOpenChildList(HostHandle handle, uint32_t* out) {
    return ActiveHost()->serviceOpenChildList(handle, out);
}
int32_t TESSOID_STDCALL slotGetChild(uint32_t list, int32_t index, HostHandle* out) {
    return ActiveHost()->serviceGetChild(list, index, out);
}
int32_t TESSOID_STDCALL slotCloseChildList(uint32_t list) {
    return ActiveHost()->serviceCloseChildList(list);
}
int32_t TESSOID_STDCALL slotSetHostState(int32_t state) {
    ActiveHost()->hostStates.push_back(state);
    return 0;
}
int32_t TESSOID_STDCALL slotGetHostSetting(int32_t id, int32_t* out) {
    if (id != SETTING_GROUP_UPDATES || !out)
        return ActiveHost()->fail("GetHostSetting: unknown setting or null out pointer");
    *out = ActiveHost()->setting111;
    return 0;
}
int32_t TESSOID_STDCALL slotSetHostSetting(int32_t id, int32_t value) {
    if (id != SETTING_GROUP_UPDATES)
        return ActiveHost()->fail("SetHostSetting: unknown setting");
    ActiveHost()->setting111 = value;
    return 0;
}
int32_t TESSOID_STDCALL slotFinishMaterials() {
    ActiveHost()->finishMaterialsCalls++;
    return 0;
}
int32_t TESSOID_STDCALL slotAskFileName(int32_t dialogValue, char* buffer, int32_t mode) {
    if (refused(Service::AskFileName))
        return SERVICE_REFUSED;
    return ActiveHost()->serviceAskFileName(dialogValue, buffer, mode);
}
int32_t TESSOID_STDCALL slotGetFileName(int32_t dialogValue, char* buffer) {
    return ActiveHost()->serviceGetFileName(dialogValue, buffer);
}

void copyField(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

// Reads a NUL-terminated text out of a fixed field; nullopt when it has no terminator.
bool fieldText(const char* field, size_t size, std::string& out) {
    const void* end = std::memchr(field, 0, size);
    if (!end)
        return false;
    out.assign(field, static_cast<const char*>(end));
    return true;
}

template <size_t Size> bool extensionHeaderOk(const void* extension, int32_t version) {
    int32_t header[2];
    std::memcpy(header, extension, sizeof(header));
    return header[0] == static_cast<int32_t>(Size) && header[1] == version;
}

} // namespace

PluginHost::PluginHost() {
    activeHost = this;
}

PluginHost::~PluginHost() {
    for (SceneObject* object : scene_.objects())
        destroyPluginObject(*object);
    if (activeHost == this)
        activeHost = nullptr;
}

int32_t PluginHost::fail(const char* what) {
    return fail(std::string(what));
}

int32_t PluginHost::fail(const std::string& what) {
    misuses.push_back(what);
    std::fprintf(stderr, "tessoid-host: plug-in misuse: %s\n", what.c_str());
    return 1;
}

bool PluginHost::load(const std::string& path) {
    if (!library_.open(path)) {
        error_ = "cannot load " + path + ": " + library_.error();
        return false;
    }
    auto getInfo = reinterpret_cast<GetDLLInfoFn>(library_.symbol("GetDLLInfo"));
    auto getInterfaces =
        reinterpret_cast<GetInterfaceFunctionsFn>(library_.symbol("GetInterfaceFunctions"));
    if (!getInfo || !getInterfaces) {
        error_ = path + " does not export GetDLLInfo and GetInterfaceFunctions";
        return false;
    }
    return attach(getInfo, getInterfaces);
}

bool PluginHost::attach(GetDLLInfoFn getInfo, GetInterfaceFunctionsFn getInterfaces) {
    if (getInfo(&info_) != 1 || !info_) {
        error_ = "GetDLLInfo failed";
        return false;
    }
    if (info_->version != PLUGIN_INFO_VERSION || info_->interfaceCount != INTERFACE_COUNT) {
        error_ = "unexpected information record (version " + std::to_string(info_->version) + ", " +
                 std::to_string(info_->interfaceCount) + " interfaces)";
        return false;
    }

    services_ = NewInterfaceRecord<HostInterface>(sizeof(HostInterface), HOST_INTERFACE_VERSION);
    services_->acceptImportResult = slotAcceptImportResult;
    services_->getCurrentObject = slotGetCurrentObject;
    services_->createObject = slotCreateObject;
    services_->removeObject = slotRemoveObject;
    services_->setObjectInfo = slotSetObjectInfo;
    services_->getObjectInfo = slotGetObjectInfo;
    services_->addToGroup = slotAddToGroup;
    services_->openChildList = slotOpenChildList;
    services_->getChild = slotGetChild;
    services_->closeChildList = slotCloseChildList;
    services_->setHostState = slotSetHostState;
    services_->getHostSetting = slotGetHostSetting;
    services_->setHostSetting = slotSetHostSetting;
    services_->finishMaterials = slotFinishMaterials;
    InstallShapeServices(*services_);
    InstallImportServices(*services_);

    fileType_ = NewInterfaceRecord<FileTypeInterface>(sizeof(FileTypeInterface),
                                                      FILE_TYPE_INTERFACE_VERSION);
    fileType_->defaultDialogValue = HOST_DIALOG_VALUE;
    fileType_->askFileName = slotAskFileName;
    fileType_->getFileName = slotGetFileName;
    importer_ = NewInterfaceRecord<ImporterInterface>(sizeof(ImporterInterface),
                                                      IMPORTER_INTERFACE_VERSION);
    objectType_ = NewInterfaceRecord<ObjectTypeInterface>(sizeof(ObjectTypeInterface),
                                                          OBJECT_TYPE_INTERFACE_VERSION);

    void* records[INTERFACE_COUNT] = {services_.get(), fileType_.get(), importer_.get(),
                                      objectType_.get()};
    for (int32_t index = 0; index < INTERFACE_COUNT; ++index) {
        int32_t result = getInterfaces(index, records[index]);
        if (result != 0) {
            error_ = "GetInterfaceFunctions(" + std::to_string(index) + ") answered " +
                     std::to_string(result);
            return false;
        }
    }
    return true;
}

std::string PluginHost::nextObjectName() {
    char name[64];
    std::string pattern;
    if (!fieldText(objectType_->nameTemplate, sizeof(objectType_->nameTemplate), pattern) ||
        pattern.find("%d") == std::string::npos || pattern.find('%') != pattern.rfind('%'))
        pattern = "Object%d";
    std::snprintf(name, sizeof(name), pattern.c_str(), ++objectCounter_);
    return name;
}

int32_t PluginHost::createPluginObject(HostHandle* out) {
    return serviceCreateObject(KIND_PLUGIN_OBJECT, objectType_->header.identifier, out);
}

int32_t PluginHost::runImportCommand() {
    if (!importer_ || !importer_->importCommand)
        return fail("the plug-in registered no import command");
    return importer_->importCommand();
}

void PluginHost::destroyPluginObject(SceneObject& object) {
    if (object.pluginObject && object.type && object.type->destroy)
        object.type->destroy(object.pluginObject);
    object.pluginObject = nullptr;
}

// ---- services ----------------------------------------------------------------

int32_t PluginHost::serviceCreateObject(int32_t kind, const void* typeOrSpec, HostHandle* out) {
    if (!out)
        return fail("CreateObject: null out pointer");
    *out = 0;
    if (kind == KIND_PLUGIN_OBJECT) {
        if (!typeOrSpec || std::memcmp(typeOrSpec, objectType_->header.identifier, 8) != 0)
            return fail("CreateObject: kind 29 without a known type identifier");
        if (!objectType_->create || !objectType_->takePendingMesh)
            return fail("CreateObject: the type has no Create or TakePendingMesh slot");
        void* object = objectType_->create(objectType_.get());
        if (!object)
            return 2; // the type declined (the user cancelled)
        objectType_->takePendingMesh(object);
        SceneObject& created = scene_.add(kind, nextObjectName());
        created.pluginObject = object;
        created.type = objectType_.get();
        *out = created.handle;
        return 0;
    }
    if (kind == KIND_LIBRARY_ITEM)
        return createLibraryItem(typeOrSpec, out);
    std::string base;
    switch (kind) {
    case KIND_CAMERA:
        base = "Camera";
        break;
    case KIND_LIGHT:
        base = "Light";
        break;
    case KIND_GROUP:
        base = "Group";
        break;
    case KIND_POLYGON_MESH:
        base = "Mesh";
        break;
    case KIND_CONTAINER:
        base = "Container";
        break;
    default:
        return fail("CreateObject: kind " + std::to_string(kind) + " is not creatable");
    }
    if (typeOrSpec)
        return fail("CreateObject: kind " + std::to_string(kind) + " takes no type identifier");
    SceneObject& created = scene_.add(kind, base + std::to_string(scene_.size() + 1));
    *out = created.handle;
    return 0;
}

int32_t PluginHost::serviceRemoveObject(HostHandle handle) {
    std::unique_ptr<SceneObject> object = scene_.remove(handle);
    if (!object)
        return fail("RemoveObject: unknown handle");
    destroyPluginObject(*object);
    return 0;
}

int32_t PluginHost::serviceGetObjectInfo(HostHandle handle, HostObjectRecord* record) {
    if (!record)
        return fail("GetObjectInfo: null record");
    if (record->base.size != BASE_RECORD_SIZE || record->base.version != BASE_RECORD_VERSION)
        return fail("GetObjectInfo: base record not prepared");
    SceneObject* object = scene_.find(handle);
    if (!object)
        return fail("GetObjectInfo: unknown handle");
    HostObjectBase& base = record->base;
    base.kind = object->kind;
    copyField(base.name, sizeof(base.name), object->name);
    copyField(base.textureName, sizeof(base.textureName), object->textureName);
    base.stateFlags = object->stateFlags;
    object->lastReadRefused = false;
    if (base.extension1) {
        if (!extensionHeaderOk<EXTENSION1_SIZE>(base.extension1, EXTENSION1_VERSION))
            return fail("GetObjectInfo: extension record 1 not prepared");
        auto* ext = static_cast<uint8_t*>(base.extension1);
        if (object->kind == KIND_POLYGON_MESH)
            fillPolygonMeshRecord(*object, ext);
        else
            std::memcpy(ext + EXTENSION_HEADER_SIZE,
                        object->extension1.data() + EXTENSION_HEADER_SIZE,
                        EXTENSION1_SIZE - EXTENSION_HEADER_SIZE);
        if (object->kind == KIND_PLUGIN_OBJECT) {
            void* typeRecord = object->type;
            constexpr size_t EXTENSION1_START = offsetof(HostObjectRecord, extension1);
            std::memcpy(ext + (OFFSET_PLUGIN_OBJECT - EXTENSION1_START), &object->pluginObject,
                        sizeof(void*));
            std::memcpy(ext + (OFFSET_PLUGIN_TYPE_RECORD - EXTENSION1_START), &typeRecord,
                        sizeof(void*));
        }
    }
    if (base.extension2) {
        if (!extensionHeaderOk<EXTENSION2_SIZE>(base.extension2, EXTENSION2_VERSION))
            return fail("GetObjectInfo: extension record 2 not prepared");
        std::memcpy(static_cast<uint8_t*>(base.extension2) + EXTENSION_HEADER_SIZE,
                    object->extension2.data() + EXTENSION_HEADER_SIZE,
                    EXTENSION2_SIZE - EXTENSION_HEADER_SIZE);
    }
    if (base.extension3 && !extensionHeaderOk<EXTENSION3_SIZE>(base.extension3, EXTENSION3_VERSION))
        return fail("GetObjectInfo: extension record 3 not prepared");
    return 0;
}

int32_t PluginHost::serviceSetObjectInfo(HostHandle handle, HostObjectRecord* record,
                                         uint32_t mask) {
    constexpr uint32_t known =
        MASK_NAME | MASK_TEXTURE_NAME | MASK_LIBRARY_ITEM | MASK_KIND_PROPERTIES;
    if (!record)
        return fail("SetObjectInfo: null record");
    if (mask == 0 || (mask & ~known))
        return fail("SetObjectInfo: unknown field mask " + std::to_string(mask));
    if (record->base.size != BASE_RECORD_SIZE || record->base.version != BASE_RECORD_VERSION)
        return fail("SetObjectInfo: base record not prepared");
    SceneObject* object = scene_.find(handle);
    if (!object)
        return fail("SetObjectInfo: unknown handle");
    if ((mask & (MASK_KIND_PROPERTIES | MASK_LIBRARY_ITEM)) && object->lastReadRefused)
        return fail("SetObjectInfo: writes back the values of a record the host never filled");
    std::string name, texture;
    if ((mask & MASK_NAME) &&
        (!fieldText(record->base.name, sizeof(record->base.name), name) || name.empty()))
        return fail("SetObjectInfo: object name empty or unterminated");
    if ((mask & MASK_TEXTURE_NAME) &&
        !fieldText(record->base.textureName, sizeof(record->base.textureName), texture))
        return fail("SetObjectInfo: texture name unterminated");
    if ((mask & MASK_KIND_PROPERTIES) &&
        (!record->base.extension1 ||
         !extensionHeaderOk<EXTENSION1_SIZE>(record->base.extension1, EXTENSION1_VERSION)))
        return fail("SetObjectInfo: mask 0x1000 without extension record 1");
    if ((mask & MASK_LIBRARY_ITEM) &&
        (!record->base.extension2 ||
         !extensionHeaderOk<EXTENSION2_SIZE>(record->base.extension2, EXTENSION2_VERSION)))
        return fail("SetObjectInfo: mask 0x8000 without extension record 2");
    // A texture name must name a material the scene holds; the host refuses others.
    if ((mask & MASK_TEXTURE_NAME) && !texture.empty() && !materialDefined(texture))
        return 4;
    if (mask & MASK_NAME)
        object->name = name;
    if (mask & MASK_TEXTURE_NAME)
        object->textureName = texture;
    if (mask & MASK_KIND_PROPERTIES)
        std::memcpy(object->extension1.data() + EXTENSION_HEADER_SIZE,
                    static_cast<const uint8_t*>(record->base.extension1) + EXTENSION_HEADER_SIZE,
                    EXTENSION1_SIZE - EXTENSION_HEADER_SIZE);
    if (mask & MASK_LIBRARY_ITEM)
        std::memcpy(object->extension2.data() + EXTENSION_HEADER_SIZE,
                    static_cast<const uint8_t*>(record->base.extension2) + EXTENSION_HEADER_SIZE,
                    EXTENSION2_SIZE - EXTENSION_HEADER_SIZE);
    return 0;
}

int32_t PluginHost::serviceAddToGroup(HostHandle group, HostHandle child, int32_t one) {
    SceneObject* g = scene_.find(group);
    SceneObject* c = scene_.find(child);
    if (one != 1)
        return fail("AddToGroup: third argument is not 1");
    if (!g || !c || g == c)
        return fail("AddToGroup: unknown or identical handles");
    if (g->kind != KIND_GROUP && g->kind != KIND_CONTAINER)
        return fail("AddToGroup: the target is not a group");
    for (HostHandle up = group; up; up = scene_.find(up) ? scene_.find(up)->parent : 0)
        if (up == child)
            return fail("AddToGroup: would make a cycle");
    if (SceneObject* old = scene_.find(c->parent))
        std::erase(old->children, child);
    c->parent = group;
    g->children.push_back(child);
    return 0;
}

int32_t PluginHost::serviceOpenChildList(HostHandle handle, uint32_t* outList) {
    SceneObject* object = scene_.find(handle);
    if (!object || !outList)
        return fail("OpenChildList: unknown handle or null out pointer");
    uint32_t list = nextChildList_++;
    childLists_[list] = object->children;
    *outList = list;
    return 0;
}

int32_t PluginHost::serviceGetChild(uint32_t list, int32_t index, HostHandle* out) {
    auto it = childLists_.find(list);
    if (it == childLists_.end() || !out || index < 0)
        return fail("GetChild: unknown list, null out pointer or negative index");
    if (static_cast<size_t>(index) >= it->second.size())
        return RESULT_NO_MORE;
    *out = it->second[index];
    return 0;
}

int32_t PluginHost::serviceCloseChildList(uint32_t list) {
    if (childLists_.erase(list) == 0)
        return fail("CloseChildList: unknown list");
    return 0;
}

int32_t PluginHost::serviceAskFileName(int32_t dialogValue, char* buffer, int32_t mode) {
    if (!buffer)
        return fail("AskFileName: null buffer");
    if (dialogValue != HOST_DIALOG_VALUE)
        return fail("AskFileName: dialog value " + std::to_string(dialogValue) +
                    " is not the one the host stored");
    if (mode != FILE_DIALOG_OPEN)
        return fail("AskFileName: mode " + std::to_string(mode) + ", expected 2 (open)");
    buffer[0] = '\0';
    fileAsked_ = false;
    if (chosenFile.empty())
        return 1; // the user cancelled
    if (chosenFile.size() >= PLUGIN_PATH_BUFFER) {
        std::fprintf(stderr, "tessoid-host: path longer than %zu characters: not offered\n",
                     PLUGIN_PATH_BUFFER - 1);
        return 1;
    }
    fileAsked_ = true;
    return 0;
}

int32_t PluginHost::serviceGetFileName(int32_t dialogValue, char* buffer) {
    if (!buffer)
        return fail("GetFileName: null buffer");
    if (dialogValue == SCRATCH_DIALOG_VALUE)
        return 0; // a query the host answers by leaving the buffer as it is
    if (dialogValue != HOST_DIALOG_VALUE || !fileAsked_)
        return fail("GetFileName: no file was chosen through AskFileName");
    std::memcpy(buffer, chosenFile.c_str(), chosenFile.size() + 1);
    return 0;
}

} // namespace host
