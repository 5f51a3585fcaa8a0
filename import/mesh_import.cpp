// 3DS meshes into host polygon-mesh objects: one object per mesh, or one per
// material group under a group named after the mesh; several results gathered
// under one top group.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "import/import_context.h"
#include "import/sanitize_name.h"
#include "platform/win32.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/import_records.h"

namespace tessoid {

namespace {

bool faceInRange(const tds::Face& f, uint32_t vertexCount) {
    return f.a < vertexCount && f.b < vertexCount && f.c < vertexCount;
}

// Adds `members` to a new group, named `name` when given (else it keeps the
// host's default name); false when the group cannot be created.
bool groupUnder(const std::vector<HostHandle>& members, HostHandle* group,
                const std::string* name) {
    if (host::CreateObject(KIND_GROUP, nullptr, group) != 0)
        return false;
    int32_t saved = 0;
    host::GetHostSetting(SETTING_GROUP_UPDATES, &saved);
    host::SetHostSetting(SETTING_GROUP_UPDATES, 0);
    for (HostHandle member : members)
        if (host::AddToGroup(*group, member) != 0)
            DebugLine("Failed to add to group\n");
    if (name) {
        auto record = std::make_unique<HostObjectRecord>();
        PrepareHostObjectRecord(record.get(), true, false);
        host::GetObjectInfo(*group, record.get());
        std::strncpy(record->base.name, name->c_str(), sizeof(record->base.name) - 1);
        host::SetObjectInfo(*group, record.get(), MASK_NAME);
    }
    host::SetHostSetting(SETTING_GROUP_UPDATES, saved);
    return true;
}

// Three values onto an array reserved beforehand (an initializer-list insert costs a
// range check and a call per corner on these hot loops).
template <typename T> void append3(std::vector<T>& values, T a, T b, T c) {
    values.push_back(a);
    values.push_back(b);
    values.push_back(c);
}

const char* groupMaterial(const tds::MeshRecord& mesh) {
    return mesh.materialGroupCount > 0 ? mesh.materialGroups[0].name : nullptr;
}

void importWholeMesh(const tds::MeshRecord& mesh, const std::string& baseName,
                     std::vector<HostHandle>& results) {
    const uint32_t n = mesh.vertexCount;
    std::vector<int32_t> faces;
    faces.reserve(3 * mesh.faces.size());
    int32_t dropped = 0;
    for (const tds::Face& f : mesh.faces) {
        if (!faceInRange(f, n)) {
            ++dropped;
            continue;
        }
        append3<int32_t>(faces, f.a, f.c, f.b);
    }
    if (dropped)
        DebugLine("Mesh '%s': %d faces with vertex indices outside the mesh dropped\n",
                  baseName.c_str(), dropped);
    if (faces.empty())
        return;
    PolygonMeshSource source;
    source.vertexCount = static_cast<int32_t>(n);
    source.points = mesh.vertices.data();
    if (mesh.texVertexCount == mesh.vertexCount)
        source.texCoords = mesh.texVertices.data();
    source.faceCount = static_cast<int32_t>(faces.size() / 3);
    source.faces = faces.data();
    HostHandle handle = BuildPolygonMesh(groupMaterial(mesh), baseName, source);
    if (handle)
        results.push_back(handle);
}

void importSplitMesh(const tds::MeshRecord& mesh, const std::string& baseName,
                     std::vector<HostHandle>& results) {
    const bool textured = mesh.texVertexCount == mesh.vertexCount;
    std::vector<HostHandle> parts;
    std::vector<uint16_t> corners;
    for (size_t k = 0; k < mesh.materialGroups.size(); ++k) {
        const tds::MaterialGroup& group = mesh.materialGroups[k];
        corners.clear();
        corners.reserve(3 * group.faces.size());
        int32_t dropped = 0;
        for (uint16_t faceIndex : group.faces) {
            if (faceIndex >= mesh.faces.size() ||
                !faceInRange(mesh.faces[faceIndex], mesh.vertexCount)) {
                ++dropped;
                continue;
            }
            const tds::Face& f = mesh.faces[faceIndex];
            append3(corners, f.a, f.b, f.c);
        }
        if (dropped)
            DebugLine("Mesh '%s' group %d: %d faces outside the mesh dropped\n", baseName.c_str(),
                      static_cast<int>(k), dropped);
        // Files carry groups without faces; they make no object.
        if (corners.empty())
            continue;
        char name[64];
        std::snprintf(name, sizeof(name), "%s_%d", baseName.c_str(), static_cast<int>(k));
        PolygonMeshSource source;
        source.vertexCount = static_cast<int32_t>(corners.size());
        source.points = mesh.vertices.data();
        source.texCoords = textured ? mesh.texVertices.data() : nullptr;
        source.corners = corners.data();
        source.faceCount = static_cast<int32_t>(corners.size() / 3);
        HostHandle handle = BuildPolygonMesh(group.name, name, source);
        if (handle)
            parts.push_back(handle);
    }
    if (parts.size() == 1) {
        results.push_back(parts[0]);
    } else if (parts.size() >= 2) {
        HostHandle group = 0;
        if (groupUnder(parts, &group, &baseName))
            results.push_back(group);
    }
}

} // namespace

HostHandle BuildPolygonMesh(const char* materialName, const std::string& objectName,
                            const PolygonMeshSource& source) {
    const int32_t vertexCount = source.vertexCount;
    const int32_t texVertexCount = source.texCoords ? vertexCount : 0;
    const int32_t faceCount = source.faceCount;
    // Two host object records of 7.7 KB each, on the heap: `named` carries the name and
    // material we set, `builderQuery` the builder table the host fills in.
    auto named = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(named.get(), true, false);
    HostHandle handle = 0;
    if (host::CreateObject(KIND_POLYGON_MESH, nullptr, &handle) != 0)
        return 0;
    auto builderQuery = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(builderQuery.get(), true, false);
    MeshBuilderTable table;
    std::memset(&table, 0, sizeof(table));
    table.size = MESH_BUILDER_TABLE_SIZE;
    WriteRecordField<MeshBuilderTable*>(*builderQuery, OFFSET_MESH_BUILDER_TABLE, &table);
    if (host::GetObjectInfo(handle, builderQuery.get()) != 0) {
        host::RemoveObject(handle);
        return 0;
    }
    host::GetObjectInfo(handle, named.get());
    std::strncpy(named->base.name, objectName.c_str(), sizeof(named->base.name) - 1);
    if (materialName) {
        std::string material = SanitizeName(materialName, MESH_MATERIAL_MAX);
        auto assign = ReadRecordField<AssignMaterialFn>(*builderQuery, OFFSET_ASSIGN_MATERIAL);
        if (assign)
            assign(handle, material.c_str());
        std::strncpy(named->base.textureName, material.c_str(),
                     sizeof(named->base.textureName) - 1);
        if (host::SetObjectInfo(handle, named.get(), MASK_NAME_AND_TEXTURE) != 0)
            DebugLine("Failed to assign mesh texture, '%s'\n", materialName);
    } else if (host::SetObjectInfo(handle, named.get(), MASK_NAME) != 0) {
        DebugLine("Failed to assign mesh name\n");
    }
    if (!table.allocateMesh || !table.allocateFaces || !table.addVertex || !table.addEdge ||
        !table.addFace || (texVertexCount > 0 && !table.addTextureVertex))
        return handle; // the host gave no builder: the object stays empty
    const MeshDataHandle mesh = table.mesh;
    // Filling what the host did not allocate would write outside its arrays: a mesh
    // the host cannot hold is not made at all.
    if (table.allocateMesh(mesh, vertexCount, 3 * faceCount, 0, texVertexCount) != 0 ||
        table.allocateFaces(mesh, faceCount, 0) != 0) {
        DebugLine("Failed to allocate mesh '%s'\n", objectName.c_str());
        host::RemoveObject(handle);
        return 0;
    }
    // Read in place: vertex i of the object is point i, or the point of corner i.
    const auto vertexOf = [&source](int32_t i) {
        return source.corners ? source.corners[i] : static_cast<uint32_t>(i);
    };
    const auto faceOf = [&source](int32_t j, int32_t* f) {
        if (source.faces) {
            std::memcpy(f, source.faces + 3 * j, 3 * sizeof(int32_t));
        } else {
            f[0] = 3 * j;
            f[1] = 3 * j + 2;
            f[2] = 3 * j + 1;
        }
    };
    for (int32_t i = 0; i < vertexCount; ++i) {
        const tds::Point& p = source.points[vertexOf(i)];
        table.addVertex(mesh, p.x, p.y, p.z);
    }
    for (int32_t j = 0; j < faceCount; ++j) {
        int32_t f[3];
        faceOf(j, f);
        table.addEdge(mesh, f[0], f[1]);
        table.addEdge(mesh, f[1], f[2]);
        table.addEdge(mesh, f[2], f[0]);
    }
    // The third coordinate is 0. Left a constant, it goes onto the stack as two 4-byte
    // pushes, and a host that loads it as one double stalls on every call (a load
    // spanning two stores cannot be forwarded); hidden from the optimizer, it is stored
    // as one double like the other two.
    for (int32_t i = 0; i < texVertexCount; ++i) {
        const tds::TexCoord& t = source.texCoords[vertexOf(i)];
        double w = 0.0;
        asm volatile("" : "+t"(w)); // in an x87 register: stored as one 8-byte double
        table.addTextureVertex(mesh, t.u, t.v, w);
    }
    for (int32_t j = 0; j < faceCount; ++j) {
        int32_t f[3];
        faceOf(j, f);
        int32_t unused = 0;
        table.addFace(mesh, f[0], f[1], f[2], &unused);
    }
    return handle;
}

MeshStage BeginMeshes() {
    host::SetHostState(HOST_STATE_MESHES_BEGIN);
    return {};
}

void ImportMesh(MeshStage& stage, const tds::MeshRecord& mesh) {
    if (mesh.vertexCount < 3 || mesh.faceCount < 1)
        return;
    std::string baseName = SanitizeName(mesh.name, MESH_NAME_MAX);
    uint32_t grouped = 0;
    for (const tds::MaterialGroup& g : mesh.materialGroups)
        grouped += g.faceCount;
    if (mesh.materialGroupCount < 2 || grouped != mesh.faceCount)
        importWholeMesh(mesh, baseName, stage.results);
    else
        importSplitMesh(mesh, baseName, stage.results);
}

void FinishMeshes(MeshStage& stage, const char* fileName) {
    const std::vector<HostHandle>& results = stage.results;
    HostHandle top = 0;
    bool grouped = results.size() >= 2 && groupUnder(results, &top, nullptr);
    host::SetHostState(HOST_STATE_MESHES_END);
    if (grouped) {
        host::AcceptImportResult(top);
    } else if (results.size() == 1) {
        host::AcceptImportResult(results[0]);
    } else if (results.empty()) {
        char text[600];
        std::snprintf(text, sizeof(text), "No valid meshes found in '%s'", fileName);
        MessageBoxA(nullptr, text, "Error", MB_OK);
    }
}

} // namespace tessoid
