// Host services of a 3DS import: polygon-mesh objects filled through the builder
// table, library items, camera and light placement.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/plugin_host.h"
#include "plugin/import_records.h"

namespace host {

using namespace tessoid;

namespace {

template <typename T> void append3(std::vector<T>& values, T a, T b, T c) {
    values.push_back(a);
    values.push_back(b);
    values.push_back(c);
}

[[gnu::noinline]] SceneObject* notAMesh(const char* what) {
    ActiveHost()->fail(std::string(what) + ": not the mesh handle of a polygon mesh");
    return nullptr;
}

// Inline into every builder service: the plug-in calls them millions of times.
inline SceneObject* meshObject(MeshDataHandle mesh, const char* what) {
    SceneObject* object = ActiveHost()->scene().findPolygonMesh(mesh);
    if (object) [[likely]]
        return object;
    return notAMesh(what);
}

int32_t TESSOID_STDCALL allocateMesh(MeshDataHandle mesh, int32_t vertices, int32_t edges,
                                     int32_t zero, int32_t textureVertices) {
    SceneObject* o = meshObject(mesh, "AllocateMesh");
    if (!o)
        return 1;
    if (ActiveHost()->faults.refuses(Service::MeshAllocation))
        return SERVICE_REFUSED;
    if (vertices < 0 || edges < 0 || zero != 0 || textureVertices < 0 || o->allocatedVertices >= 0)
        return ActiveHost()->fail("AllocateMesh: negative count, non-zero fourth argument or "
                                  "called twice");
    o->allocatedVertices = vertices;
    o->allocatedEdges = edges;
    o->allocatedTextureVertices = textureVertices;
    ReserveItems(o->mesh.vertices, vertices, 3);
    ReserveItems(o->mesh.edges, edges, 2);
    ReserveItems(o->mesh.uvs, textureVertices, 3);
    return 0;
}

int32_t TESSOID_STDCALL allocateFaces(MeshDataHandle mesh, int32_t faces, int32_t zero) {
    SceneObject* o = meshObject(mesh, "AllocateFaces");
    if (!o)
        return 1;
    if (ActiveHost()->faults.refuses(Service::MeshAllocation))
        return SERVICE_REFUSED;
    if (faces < 0 || zero != 0 || o->allocatedFaces >= 0 || o->allocatedVertices < 0)
        return ActiveHost()->fail("AllocateFaces: bad count, before AllocateMesh or twice");
    o->allocatedFaces = faces;
    if (ActiveHost()->keepsBuilderValues)
        ReserveItems(o->mesh.faces, faces, 3);
    return 0;
}

bool vertexIndex(const SceneObject& o, int32_t i) {
    return i >= 0 && i < o.allocatedVertices;
}

// A kind of vertex the builder counts: the service that adds one, its counts in the
// object, and what a plug-in that adds too many is told.
struct CountedVertexKind {
    const char* service;
    int32_t SceneObject::*filled;
    int32_t SceneObject::*allocated;
    const char* tooMany;
};
constexpr CountedVertexKind VERTICES{"AddVertex", &SceneObject::filledVertices,
                                     &SceneObject::allocatedVertices,
                                     "AddVertex: more vertices than allocated"};
constexpr CountedVertexKind TEXTURE_VERTICES{
    "AddTextureVertex", &SceneObject::filledTextureVertices, &SceneObject::allocatedTextureVertices,
    "AddTextureVertex: more texture vertices than allocated"};

// One more vertex of the mesh, checked and counted: its object, or null when refused.
inline SceneObject* countedVertex(MeshDataHandle mesh, const CountedVertexKind& kind) {
    SceneObject* o = meshObject(mesh, kind.service);
    if (!o)
        return nullptr;
    if (o->*kind.filled >= o->*kind.allocated) {
        ActiveHost()->fail(kind.tooMany);
        return nullptr;
    }
    ++(o->*kind.filled);
    return o;
}

int32_t TESSOID_STDCALL addVertex(MeshDataHandle mesh, double x, double y, double z) {
    SceneObject* o = countedVertex(mesh, VERTICES);
    if (!o)
        return 1;
    append3(o->mesh.vertices, x, y, z);
    return 0;
}
int32_t TESSOID_STDCALL addTextureVertex(MeshDataHandle mesh, double u, double v, double w) {
    SceneObject* o = countedVertex(mesh, TEXTURE_VERTICES);
    if (!o)
        return 1;
    append3(o->mesh.uvs, u, v, w);
    return 0;
}
// The forms a host that keeps no values hands out. Their coordinates are left unnamed, so
// the compiler reads none of them: it copies named double arguments into the frame on
// entry, and that is most of what a call costs here, millions of times per import.
int32_t TESSOID_STDCALL addVertexCounted(MeshDataHandle mesh, double, double, double) {
    return countedVertex(mesh, VERTICES) ? 0 : 1;
}
int32_t TESSOID_STDCALL addTextureVertexCounted(MeshDataHandle mesh, double, double, double) {
    return countedVertex(mesh, TEXTURE_VERTICES) ? 0 : 1;
}

int32_t TESSOID_STDCALL addEdge(MeshDataHandle mesh, int32_t from, int32_t to) {
    SceneObject* o = meshObject(mesh, "AddEdge");
    if (!o)
        return 1;
    if (!vertexIndex(*o, from) || !vertexIndex(*o, to) || o->filledEdges >= o->allocatedEdges)
        return ActiveHost()->fail("AddEdge: index outside the vertices or too many edges");
    ++o->filledEdges;
    if (ActiveHost()->keepsBuilderValues) {
        o->mesh.edges.push_back(from);
        o->mesh.edges.push_back(to);
    }
    return 0;
}

int32_t TESSOID_STDCALL addFace(MeshDataHandle mesh, int32_t a, int32_t b, int32_t c,
                                int32_t* unused) {
    SceneObject* o = meshObject(mesh, "AddFace");
    if (!o)
        return 1;
    if (!vertexIndex(*o, a) || !vertexIndex(*o, b) || !vertexIndex(*o, c) ||
        o->filledFaces >= o->allocatedFaces)
        return ActiveHost()->fail("AddFace: index outside the vertices or too many faces");
    if (ActiveHost()->keepsBuilderValues)
        append3(o->mesh.faces, a, b, c);
    if (unused)
        *unused = o->filledFaces;
    ++o->filledFaces;
    return 0;
}

int32_t TESSOID_STDCALL assignMaterial(HostHandle handle, const char* material) {
    SceneObject* o = ActiveHost()->scene().find(handle);
    if (!o || o->kind != KIND_POLYGON_MESH || !material)
        return ActiveHost()->fail("AssignMaterial: not a polygon mesh or null name");
    if (ActiveHost()->faults.refuses(Service::AssignMaterial))
        return SERVICE_REFUSED;
    o->assignedMaterial = material;
    return 0;
}

int32_t TESSOID_STDCALL setObjectAttributes(HostHandle handle, PlacementRecord* placement,
                                            int32_t mask) {
    PluginHost* h = ActiveHost();
    SceneObject* o = h->scene().find(handle);
    if (!o || !placement || placement->tag != 101)
        return h->fail("SetObjectAttributes: unknown handle or placement record without 101");
    if (mask == PLACE_LIGHT_POSITION && o->kind == KIND_LIGHT) {
        std::memcpy(o->position, placement->vector, sizeof(o->position));
        o->hasPosition = true;
    } else if (mask == PLACE_CAMERA_POSITION && o->kind == KIND_CAMERA) {
        std::memcpy(o->position, placement->vector, sizeof(o->position));
        o->hasPosition = true;
    } else if (mask == PLACE_CAMERA_TARGET && o->kind == KIND_CAMERA) {
        std::memcpy(o->target, placement->vector, sizeof(o->target));
        o->hasTarget = true;
    } else {
        return h->fail("SetObjectAttributes: mask " + std::to_string(mask) +
                       " does not fit an object of kind " + std::to_string(o->kind));
    }
    return 0;
}

// Which item type may hang under which.
int32_t parentTypeOf(int32_t type) {
    switch (type) {
    case ITEM_MATERIAL:
        return 0;
    case ITEM_STANDARD_TEXTURE:
        return ITEM_MATERIAL;
    case ITEM_PIGMENT:
    case ITEM_FINISH:
        return ITEM_STANDARD_TEXTURE;
    case ITEM_SOLID_COLOUR:
    case ITEM_IMAGE_MAP:
        return ITEM_PIGMENT;
    case ITEM_AMBIENT_COLOUR:
        return ITEM_FINISH;
    default:
        return -1;
    }
}

} // namespace

void InstallImportServices(HostInterface& services) {
    services.setObjectAttributes = setObjectAttributes;
}

int32_t PluginHost::createLibraryItem(const void* specBytes, HostHandle* out) {
    if (!specBytes)
        return fail("CreateObject: kind 11 without a library item descriptor");
    LibraryItemSpec spec;
    std::memcpy(&spec, specBytes, sizeof(spec));
    std::string name;
    const void* end = std::memchr(spec.name, 0, sizeof(spec.name));
    if (!end)
        return fail("CreateObject: library item name unterminated");
    name.assign(static_cast<const char*>(spec.name), static_cast<const char*>(end));
    int32_t parentType = parentTypeOf(spec.type);
    if (parentType < 0)
        return fail("CreateObject: unknown library item type " + std::to_string(spec.type));
    SceneObject* parent = spec.parent ? scene_.find(spec.parent) : nullptr;
    if (parentType == 0
            ? spec.parent != 0
            : (!parent || parent->kind != KIND_LIBRARY_ITEM || parent->itemType != parentType))
        return fail("CreateObject: library item type " + std::to_string(spec.type) +
                    " under the wrong parent");
    if (spec.type == ITEM_MATERIAL && name.empty())
        return fail("CreateObject: a material needs a name");
    SceneObject& item = scene_.add(KIND_LIBRARY_ITEM, name);
    item.itemType = spec.type;
    if (parent) {
        item.parent = parent->handle;
        parent->children.push_back(item.handle);
    }
    *out = item.handle;
    return 0;
}

void PluginHost::fillPolygonMeshRecord(SceneObject& object, uint8_t* extension1) {
    // The caller stored its builder table 28 bytes in; the host fills it.
    MeshBuilderTable* table = nullptr;
    std::memcpy(&table, extension1 + 28, sizeof(table));
    std::memcpy(extension1 + EXTENSION_HEADER_SIZE,
                object.extension1.data() + EXTENSION_HEADER_SIZE,
                EXTENSION1_SIZE - EXTENSION_HEADER_SIZE);
    std::memcpy(extension1 + 28, &table, sizeof(table));
    AssignMaterialFn assign = assignMaterial;
    std::memcpy(extension1 + 16, &assign, sizeof(assign));
    if (!table)
        return;
    if (table->size != MESH_BUILDER_TABLE_SIZE) {
        fail("GetObjectInfo: mesh builder table without its size 200");
        return;
    }
    table->mesh = object.handle;
    table->allocateMesh = allocateMesh;
    table->allocateFaces = allocateFaces;
    table->addFace = addFace;
    const bool keeps = keepsBuilderValues;
    table->addVertex = keeps ? addVertex : addVertexCounted;
    table->addTextureVertex = keeps ? addTextureVertex : addTextureVertexCounted;
    table->addEdge = addEdge;
}

bool PluginHost::materialDefined(const std::string& name) {
    for (SceneObject* o : scene_.objects())
        if (o->kind == KIND_LIBRARY_ITEM && o->itemType == ITEM_MATERIAL && o->name == name)
            return true;
    return false;
}

} // namespace host
