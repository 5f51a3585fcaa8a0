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

constexpr int32_t HOST_STATE_MESHES_BEGIN = 2;
constexpr int32_t HOST_STATE_MESHES_END = 5;
constexpr int32_t SETTING_GROUP_UPDATES = 111;

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
template <typename T>
void append3(std::vector<T>& values, T a, T b, T c) {
    values.push_back(a);
    values.push_back(b);
    values.push_back(c);
}

const char* groupMaterial(const tds::MeshRecord& mesh) {
    return mesh.materialGroupCount > 0 ? mesh.materialGroups[0].name : nullptr;
}

void importWholeMesh(ImportContext& context, const tds::MeshRecord& mesh,
                     const std::string& baseName, std::vector<HostHandle>& results) {
    const uint32_t n = mesh.vertexCount;
    std::vector<float> vertices;
    vertices.reserve(3 * n);
    for (const tds::Point& p : mesh.vertices)
        append3(vertices, p.x, p.y, p.z);
    std::vector<float> texVertices;
    if (mesh.texVertexCount == mesh.vertexCount) {
        texVertices.reserve(3 * n);
        for (const tds::TexCoord& t : mesh.texVertices)
            append3(texVertices, t.u, t.v, 0.0f);
    }
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
    HostHandle handle = BuildPolygonMesh(
        context, groupMaterial(mesh), baseName, static_cast<int32_t>(n), vertices.data(),
        texVertices.empty() ? 0 : static_cast<int32_t>(n),
        texVertices.empty() ? nullptr : texVertices.data(), static_cast<int32_t>(faces.size() / 3),
        faces.data());
    if (handle)
        results.push_back(handle);
}

void importSplitMesh(ImportContext& context, const tds::MeshRecord& mesh,
                     const std::string& baseName, std::vector<HostHandle>& results) {
    const bool textured = mesh.texVertexCount == mesh.vertexCount;
    std::vector<HostHandle> parts;
    for (size_t k = 0; k < mesh.materialGroups.size(); ++k) {
        const tds::MaterialGroup& group = mesh.materialGroups[k];
        std::vector<float> vertices, texVertices;
        std::vector<int32_t> faces;
        vertices.reserve(9 * group.faces.size());
        if (textured)
            texVertices.reserve(9 * group.faces.size());
        faces.reserve(3 * group.faces.size());
        int32_t dropped = 0;
        for (uint16_t faceIndex : group.faces) {
            if (faceIndex >= mesh.faces.size() || !faceInRange(mesh.faces[faceIndex],
                                                               mesh.vertexCount)) {
                ++dropped;
                continue;
            }
            const tds::Face& f = mesh.faces[faceIndex];
            const int32_t j = static_cast<int32_t>(faces.size() / 3);
            for (uint16_t corner : {f.a, f.b, f.c}) {
                const tds::Point& p = mesh.vertices[corner];
                append3(vertices, p.x, p.y, p.z);
                if (textured) {
                    const tds::TexCoord& t = mesh.texVertices[corner];
                    append3(texVertices, t.u, t.v, 0.0f);
                }
            }
            append3(faces, 3 * j, 3 * j + 2, 3 * j + 1);
        }
        if (dropped)
            DebugLine("Mesh '%s' group %d: %d faces outside the mesh dropped\n",
                      baseName.c_str(), static_cast<int>(k), dropped);
        // Files carry groups without faces; they make no object.
        if (faces.empty())
            continue;
        char name[64];
        std::snprintf(name, sizeof(name), "%s_%d", baseName.c_str(), static_cast<int>(k));
        const int32_t m = static_cast<int32_t>(faces.size() / 3);
        HostHandle handle = BuildPolygonMesh(context, group.name, name, 3 * m, vertices.data(),
                                             textured ? 3 * m : 0,
                                             textured ? texVertices.data() : nullptr, m,
                                             faces.data());
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

HostHandle BuildPolygonMesh(ImportContext&, const char* materialName,
                            const std::string& objectName, int32_t vertexCount,
                            const float* vertices, int32_t texVertexCount,
                            const float* texVertices, int32_t faceCount, const int32_t* faces) {
    auto a = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(a.get(), true, false);
    HostHandle handle = 0;
    if (host::CreateObject(KIND_POLYGON_MESH, nullptr, &handle) != 0)
        return 0;
    auto b = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(b.get(), true, false);
    MeshBuilderTable table;
    std::memset(&table, 0, sizeof(table));
    table.size = MESH_BUILDER_TABLE_SIZE;
    WriteRecordField<MeshBuilderTable*>(*b, OFFSET_MESH_BUILDER_TABLE, &table);
    if (host::GetObjectInfo(handle, b.get()) != 0) {
        host::RemoveObject(handle);
        return 0;
    }
    host::GetObjectInfo(handle, a.get());
    std::strncpy(a->base.name, objectName.c_str(), sizeof(a->base.name) - 1);
    if (materialName) {
        std::string material = SanitizeName(materialName, MESH_MATERIAL_MAX);
        auto assign = ReadRecordField<AssignMaterialFn>(*b, OFFSET_ASSIGN_MATERIAL);
        if (assign)
            assign(handle, material.c_str());
        std::strncpy(a->base.textureName, material.c_str(), sizeof(a->base.textureName) - 1);
        if (host::SetObjectInfo(handle, a.get(), MASK_NAME_AND_TEXTURE) != 0)
            DebugLine("Failed to assign mesh texture, '%s'\n", materialName);
    } else if (host::SetObjectInfo(handle, a.get(), MASK_NAME) != 0) {
        DebugLine("Failed to assign mesh name\n");
    }
    if (!table.allocateMesh || !table.allocateFaces || !table.addVertex || !table.addEdge ||
        !table.addFace || (texVertexCount > 0 && !table.addTextureVertex))
        return handle;  // the host gave no builder: the object stays empty
    const MeshDataHandle mesh = table.mesh;
    // Filling what the host did not allocate would write outside its arrays: a mesh
    // the host cannot hold is not made at all.
    if (table.allocateMesh(mesh, vertexCount, 3 * faceCount, 0, texVertexCount) != 0 ||
        table.allocateFaces(mesh, faceCount, 0) != 0) {
        DebugLine("Failed to allocate mesh '%s'\n", objectName.c_str());
        host::RemoveObject(handle);
        return 0;
    }
    for (int32_t i = 0; i < vertexCount; ++i)
        table.addVertex(mesh, vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]);
    for (int32_t i = 0; i < faceCount; ++i) {
        const int32_t* f = faces + 3 * i;
        table.addEdge(mesh, f[0], f[1]);
        table.addEdge(mesh, f[1], f[2]);
        table.addEdge(mesh, f[2], f[0]);
    }
    for (int32_t i = 0; i < texVertexCount; ++i)
        table.addTextureVertex(mesh, texVertices[3 * i], texVertices[3 * i + 1],
                               texVertices[3 * i + 2]);
    for (int32_t i = 0; i < faceCount; ++i) {
        int32_t unused = 0;
        table.addFace(mesh, faces[3 * i], faces[3 * i + 1], faces[3 * i + 2], &unused);
    }
    return handle;
}

int32_t ImportMeshes(ImportContext& context, const char* fileName) {
    host::SetHostState(HOST_STATE_MESHES_BEGIN);
    const uint32_t count = tds::CountMeshes(context.database);
    std::vector<HostHandle> results;
    results.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        tds::clearErrors();
        tds::MeshRecord* mesh = nullptr;
        tds::PrepareMeshRecord(&mesh, 0, 0, 0);
        tds::FetchMeshByIndex(context.database, i, &mesh);
        if (mesh && mesh->vertexCount >= 3 && mesh->faceCount >= 1) {
            std::string baseName = SanitizeName(mesh->name, MESH_NAME_MAX);
            uint32_t grouped = 0;
            for (const tds::MaterialGroup& g : mesh->materialGroups)
                grouped += g.faceCount;
            if (mesh->materialGroupCount < 2 || grouped != mesh->faceCount)
                importWholeMesh(context, *mesh, baseName, results);
            else
                importSplitMesh(context, *mesh, baseName, results);
        }
        tds::FreeMeshRecord(&mesh);
    }
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
    return 0;
}

} // namespace tessoid
