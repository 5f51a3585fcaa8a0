#include "fake_host.h"

#include <cstring>
#include <stdexcept>

#include "host/new_interface_record.h"
#include "mesh/pending_mesh.h"
#include "plugin/exports.h"
#include "plugin/plugin_state.h"

using namespace tessoid;

namespace testhost {

FakeHost* FakeHost::active = nullptr;

namespace {

FakeHost& host() {
    return *FakeHost::active;
}

int32_t TESSOID_STDCALL slotGetCurrentObject(HostHandle* out) {
    *out = host().current;
    return 0;
}
int32_t TESSOID_STDCALL slotGetObjectInfo(HostHandle h, HostObjectRecord* r) {
    return host().getObjectInfo(h, r);
}
int32_t TESSOID_STDCALL slotGetObjectTransform(HostHandle h, ObjectTransform* t) {
    return host().getObjectTransform(h, t);
}
int32_t TESSOID_STDCALL slotOpenChildList(HostHandle h, uint32_t* out) {
    return host().openChildList(h, out);
}
int32_t TESSOID_STDCALL slotGetChild(uint32_t list, int32_t index, HostHandle* out) {
    return host().getChild(list, index, out);
}
int32_t TESSOID_STDCALL slotCloseChildList(uint32_t list) {
    return host().closeChildList(list);
}
int32_t TESSOID_STDCALL slotGetMeshAccess(HostHandle h, void* table) {
    return host().getMeshAccess(h, static_cast<MeshAccessTable*>(table));
}
int32_t TESSOID_STDCALL slotGetFileName(int32_t value, char* buffer) {
    host().fileNameQueries.push_back(std::to_string(value) + ":" + buffer);
    return 0;
}

// Getters: copy item `index` of the object's list, or fail without writing.
template <typename Item, std::vector<Item> FakeObject::*Items>
int32_t TESSOID_STDCALL itemGetter(HostHandle h, int32_t index, void* out) {
    FakeObject& o = host().find(h);
    ++host().getterCalls;
    if (index < 0 || static_cast<size_t>(index) >= (o.*Items).size())
        return 1;
    std::memcpy(out, &(o.*Items)[index], sizeof(Item));
    return 0;
}

// A patch getter that also fails at the object's chosen patch.
int32_t TESSOID_STDCALL patchGetter(HostHandle h, int32_t index, void* out) {
    if (index == host().find(h).failingPatch) {
        ++host().getterCalls;
        return 1;
    }
    return itemGetter<std::array<int32_t, 16>, &FakeObject::patches>(h, index, out);
}

constexpr RecordGetterFn profileGetter = itemGetter<ProfilePoint, &FakeObject::profile>;
constexpr RecordGetterFn pointGetter = itemGetter<std::array<double, 3>, &FakeObject::points>;
constexpr RecordGetterFn faceGetter = itemGetter<std::array<int32_t, 3>, &FakeObject::faces>;
constexpr RecordGetterFn blobGetter = itemGetter<BlobComponent, &FakeObject::blobs>;

int32_t TESSOID_STDCALL meshCounts(int32_t context, int32_t* v, int32_t* f, int32_t* a, int32_t* b,
                                   int32_t* c, int32_t* d) {
    *v = host().find(static_cast<HostHandle>(context)).countedVertices;
    *f = 1;
    *a = *b = *c = *d = 0;
    return 0;
}

} // namespace

FakeObject& FakeObject::scale(double x, double y, double z) {
    transform.scale[0] = x, transform.scale[1] = y, transform.scale[2] = z;
    return *this;
}
FakeObject& FakeObject::rotate(double x, double y, double z) {
    transform.rotation[0] = x, transform.rotation[1] = y, transform.rotation[2] = z;
    return *this;
}
FakeObject& FakeObject::translate(double x, double y, double z) {
    transform.translation[0] = x, transform.translation[1] = y, transform.translation[2] = z;
    return *this;
}

FakeHost::FakeHost() {
    active = this;
    services_ =
        host::NewInterfaceRecord<HostInterface>(sizeof(HostInterface), HOST_INTERFACE_VERSION);
    services_->getCurrentObject = slotGetCurrentObject;
    services_->getObjectInfo = slotGetObjectInfo;
    services_->getObjectTransform = slotGetObjectTransform;
    services_->openChildList = slotOpenChildList;
    services_->getChild = slotGetChild;
    services_->closeChildList = slotCloseChildList;
    services_->getMeshAccess = slotGetMeshAccess;
    files_ = host::NewInterfaceRecord<FileTypeInterface>(sizeof(FileTypeInterface),
                                                         FILE_TYPE_INTERFACE_VERSION);
    files_->defaultDialogValue = 7;
    files_->getFileName = slotGetFileName;
    type_ = host::NewInterfaceRecord<ObjectTypeInterface>(sizeof(ObjectTypeInterface),
                                                          OBJECT_TYPE_INTERFACE_VERSION);
    if (GetInterfaceFunctions(0, services_.get()) != 0 ||
        GetInterfaceFunctions(1, files_.get()) != 0 || GetInterfaceFunctions(3, type_.get()) != 0)
        throw std::runtime_error("the plug-in refused the fake host's records");
    Pending().Clear();
}

FakeHost::~FakeHost() {
    for (ObjectPtr object : live_)
        type_->destroy(object);
    Pending().Clear();
    State().hostInterface = nullptr;
    State().fileTypeInterface = nullptr;
    active = nullptr;
}

FakeObject& FakeHost::add(int32_t kind, const std::string& name) {
    auto object = std::make_unique<FakeObject>();
    object->handle = nextHandle_++;
    object->record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(object->record.get(), true, false);
    object->record->base.kind = kind;
    std::strncpy(object->record->base.name, name.c_str(), sizeof(object->record->base.name) - 1);
    object->record->base.stateFlags = STATE_TESSELLABLE;
    object->transform.tag = OBJECT_TRANSFORM_TAG;
    object->scale(1, 1, 1);
    FakeObject& ref = *object;
    objects_[ref.handle] = std::move(object);
    return ref;
}

FakeObject& FakeHost::addReference(HostHandle target) {
    return add(KIND_REFERENCE, "Reference").set<HostHandle>(OFFSET_REFERRED_HANDLE, target);
}

FakeObject& FakeHost::addCurrentMesh(ObjectPtr object) {
    FakeObject& o = add(KIND_PLUGIN_OBJECT, "Mesh");
    o.set<void*>(OFFSET_PLUGIN_OBJECT, object);
    o.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, type_.get());
    current = o.handle;
    return o;
}

ObjectPtr FakeHost::create() {
    ObjectPtr object = type_->create(type_.get());
    if (object) {
        type_->takePendingMesh(object);
        live_.push_back(object);
    }
    return object;
}

ObjectPtr FakeHost::createForFilling() {
    const uint32_t saved = type_->typeFlags;
    type_->typeFlags |= TYPE_FLAG_NO_DIALOG;
    ObjectPtr object = create();
    type_->typeFlags = saved;
    return object;
}

void FakeHost::destroy(ObjectPtr object) {
    std::erase(live_, object);
    type_->destroy(object);
}

TessoidObject& Mesh(ObjectPtr object) {
    return *static_cast<TessoidObject*>(static_cast<ObjectBase*>(object));
}

void FakeHost::wireGetters(FakeObject& o) {
    switch (o.record->base.kind) {
    case 6:
    case 7:
    case 8:
        o.set<int32_t>(OFFSET_PROFILE_COUNT, static_cast<int32_t>(o.profile.size()));
        o.set<RecordGetterFn>(OFFSET_PROFILE_GETTER, profileGetter);
        break;
    case 13:
        o.set<int32_t>(OFFSET_PATCH_POINT_COUNT, static_cast<int32_t>(o.points.size()));
        o.set<int32_t>(OFFSET_PATCH_COUNT, static_cast<int32_t>(o.patches.size()));
        o.set<RecordGetterFn>(OFFSET_PATCH_POINT_GETTER, pointGetter);
        o.set<RecordGetterFn>(OFFSET_PATCH_GETTER, patchGetter);
        break;
    case 23:
        o.set<int32_t>(OFFSET_MESH_VERTEX_COUNT, static_cast<int32_t>(o.points.size()));
        o.set<int32_t>(OFFSET_MESH_FACE_COUNT, static_cast<int32_t>(o.faces.size()));
        o.set<RecordGetterFn>(OFFSET_MESH_VERTEX_GETTER, pointGetter);
        o.set<RecordGetterFn>(OFFSET_MESH_FACE_GETTER, faceGetter);
        break;
    case 26:
        o.set<int32_t>(OFFSET_BLOB_COUNT, static_cast<int32_t>(o.blobs.size()));
        o.set<RecordGetterFn>(OFFSET_BLOB_GETTER, blobGetter);
        break;
    default:
        break;
    }
}

int32_t FakeHost::getObjectInfo(HostHandle handle, HostObjectRecord* record) {
    // A real host checks the record it is given before filling it.
    auto it = objects_.find(handle);
    if (it == objects_.end() || !record || record->base.size != BASE_RECORD_SIZE ||
        record->base.version != BASE_RECORD_VERSION ||
        record->base.extension1 != &record->extension1)
        return 1;
    const HostObjectRecord& source = *it->second->record;
    record->base.kind = source.base.kind;
    std::memcpy(record->base.name, source.base.name, sizeof(record->base.name));
    record->base.stateFlags = source.base.stateFlags;
    if (record->base.extension1)
        std::memcpy(static_cast<uint8_t*>(record->base.extension1) + 8, source.extension1.data,
                    sizeof(source.extension1.data));
    return 0;
}

int32_t FakeHost::getObjectTransform(HostHandle handle, ObjectTransform* transform) {
    auto it = objects_.find(handle);
    if (it == objects_.end() || !transform || transform->tag != OBJECT_TRANSFORM_TAG ||
        it->second->transformFails)
        return 1;
    *transform = it->second->transform;
    return 0;
}

int32_t FakeHost::openChildList(HostHandle handle, uint32_t* out) {
    auto it = objects_.find(handle);
    if (it == objects_.end())
        return 1;
    lists_[nextList_] = it->second->children;
    *out = nextList_++;
    ++openLists;
    return 0;
}

int32_t FakeHost::getChild(uint32_t list, int32_t index, HostHandle* out) {
    auto it = lists_.find(list);
    if (it == lists_.end() || index < 0)
        return 1;
    if (static_cast<size_t>(index) >= it->second.size())
        return RESULT_NO_MORE;
    *out = it->second[index];
    return 0;
}

int32_t FakeHost::closeChildList(uint32_t list) {
    if (lists_.erase(list) == 0)
        return 1;
    --openLists;
    return 0;
}

int32_t FakeHost::getMeshAccess(HostHandle handle, MeshAccessTable* table) {
    auto it = objects_.find(handle);
    if (it == objects_.end() || !table || table->size != MESH_ACCESS_TABLE_SIZE)
        return 1;
    table->context = static_cast<int32_t>(handle);
    table->meshCounts = meshCounts;
    return 0;
}

} // namespace testhost
