#include "host/shape_services.h"

#include <map>
#include <string>

#include "host/plugin_host.h"

namespace host {

using namespace tessoid;

namespace {

std::map<HostHandle, ShapeData>& shapes() {
    static std::map<HostHandle, ShapeData> all;
    return all;
}

// One getter for every kind of item: copies item `index` of the object's list.
// A bad handle or index is the plug-in breaking the contract (it read the count
// from our record).
template <typename Item, std::vector<Item> ShapeData::*Items>
int32_t TESSOID_STDCALL itemGetter(HostHandle handle, int32_t index, void* out) {
    static_assert(std::is_trivially_copyable_v<Item>);
    const ShapeData* shape = FindShape(handle);
    if (!out || !shape || index < 0 || static_cast<size_t>(index) >= (shape->*Items).size())
        return ActiveHost()->fail("shape getter: unknown object, null output or index " +
                                  std::to_string(index) + " out of range");
    std::memcpy(out, &(shape->*Items)[static_cast<size_t>(index)], sizeof(Item));
    return 0;
}

constexpr RecordGetterFn profilePointGetter = itemGetter<ProfilePoint, &ShapeData::profile>;
constexpr RecordGetterFn pointGetter = itemGetter<std::array<double, 3>, &ShapeData::points>;
constexpr RecordGetterFn patchGetter = itemGetter<std::array<int32_t, 16>, &ShapeData::patches>;
constexpr RecordGetterFn faceGetter = itemGetter<std::array<int32_t, 3>, &ShapeData::faces>;
constexpr RecordGetterFn blobGetter = itemGetter<BlobComponent, &ShapeData::blobs>;

int32_t TESSOID_STDCALL meshCounts(int32_t context, int32_t* vertices, int32_t* faces,
                                   int32_t* out2, int32_t* out3, int32_t* out4, int32_t* out5) {
    int32_t* outs[] = {vertices, faces, out2, out3, out4, out5};
    for (int32_t* out : outs)
        if (!out)
            return ActiveHost()->fail("mesh counts: null output word");
    const ShapeData* shape = FindShape(static_cast<HostHandle>(context));
    *vertices = shape ? static_cast<int32_t>(shape->points.size()) : 0;
    *faces = shape ? static_cast<int32_t>(shape->faces.size()) : 0;
    *out2 = *out3 = *out4 = *out5 = 0;
    return 0;
}

void copyTriple(double (&to)[3], const double (&from)[3]) {
    std::memcpy(to, from, sizeof(to));
}

int32_t TESSOID_STDCALL slotGetObjectTransform(HostHandle handle, ObjectTransform* transform) {
    PluginHost* h = ActiveHost();
    if (!transform || transform->tag != OBJECT_TRANSFORM_TAG)
        return h->fail("GetObjectTransform: null record or its first int32 is not 101");
    if (!h->scene().find(handle))
        return h->fail("GetObjectTransform: unknown handle");
    static const ShapeData neutral;
    const ShapeData* shape = FindShape(handle);
    if (!shape)
        shape = &neutral;
    copyTriple(transform->scale, shape->transform.scale);
    copyTriple(transform->rotation, shape->transform.rotation);
    copyTriple(transform->translation, shape->transform.translation);
    transform->hasPre = shape->hasPre ? 1 : 0;
    copyTriple(transform->preScale, shape->pre.scale);
    copyTriple(transform->preRotation, shape->pre.rotation);
    copyTriple(transform->preTranslation, shape->pre.translation);
    return 0;
}

int32_t TESSOID_STDCALL slotGetMeshAccess(HostHandle handle, void* table) {
    PluginHost* h = ActiveHost();
    auto* access = static_cast<MeshAccessTable*>(table);
    if (!access || access->size != MESH_ACCESS_TABLE_SIZE)
        return h->fail("GetMeshAccess: null table or its first int32 is not 200");
    if (!h->scene().find(handle))
        return h->fail("GetMeshAccess: unknown handle");
    access->context = static_cast<int32_t>(handle);
    access->meshCounts = meshCounts;
    return 0;
}

int32_t countOf(size_t n) {
    return static_cast<int32_t>(n);
}

} // namespace

ShapeData& ShapeOf(HostHandle handle) {
    return shapes()[handle];
}

const ShapeData* FindShape(HostHandle handle) {
    auto it = shapes().find(handle);
    return it == shapes().end() ? nullptr : &it->second;
}

void WireShapeGetters(SceneObject& object) {
    const ShapeData& shape = ShapeOf(object.handle);
    switch (object.kind) {
    case KIND_SWEEP:
    case KIND_LATHE:
    case KIND_GLYPH:
        PutExtensionField(object, OFFSET_PROFILE_COUNT, countOf(shape.profile.size()));
        PutExtensionField<RecordGetterFn>(object, OFFSET_PROFILE_GETTER, profilePointGetter);
        break;
    case KIND_PATCH_MESH:
        PutExtensionField(object, OFFSET_PATCH_POINT_COUNT, countOf(shape.points.size()));
        PutExtensionField(object, OFFSET_PATCH_COUNT, countOf(shape.patches.size()));
        PutExtensionField<RecordGetterFn>(object, OFFSET_PATCH_POINT_GETTER, pointGetter);
        PutExtensionField<RecordGetterFn>(object, OFFSET_PATCH_GETTER, patchGetter);
        break;
    case KIND_TRIANGLE_MESH:
        PutExtensionField(object, OFFSET_MESH_VERTEX_COUNT, countOf(shape.points.size()));
        PutExtensionField(object, OFFSET_MESH_FACE_COUNT, countOf(shape.faces.size()));
        PutExtensionField<RecordGetterFn>(object, OFFSET_MESH_VERTEX_GETTER, pointGetter);
        PutExtensionField<RecordGetterFn>(object, OFFSET_MESH_FACE_GETTER, faceGetter);
        break;
    case KIND_BLOB:
        PutExtensionField(object, OFFSET_BLOB_COUNT, countOf(shape.blobs.size()));
        PutExtensionField<RecordGetterFn>(object, OFFSET_BLOB_GETTER, blobGetter);
        break;
    default:
        break;
    }
}

void InstallShapeServices(HostInterface& services) {
    shapes().clear();
    services.getObjectTransform = slotGetObjectTransform;
    services.getMeshAccess = slotGetMeshAccess;
}

} // namespace host
