// Mesh records out of the named objects of a database.
#include <new>
#include <stdexcept>

#include "tds/chunk/errors.h"
#include "tds/extract/extract_util.h"
#include "tds/extract/mesh_record.h"

namespace tds {
namespace {

bool isMesh(const ChunkNode* object) {
    return detail::childWithId(object, CK_TRIANGLE_MESH) != nullptr;
}

using detail::childWithId;
using detail::copyName;

template <class T> void sizeArray(std::vector<T>& array, size_t count, const T& fill) {
    if (count == 0) {
        std::vector<T>().swap(array);
        return;
    }
    array.resize(count, fill);
}

template <class T> void dropArray(std::vector<T>& array) {
    std::vector<T>().swap(array);
}

// The chunk record keeps a consistent, empty array once its array has moved out.
template <class T> std::vector<T> takeArray(std::vector<T>& array) {
    std::vector<T> taken = std::move(array);
    array.clear();
    return taken;
}

uint16_t count16(size_t n) {
    return static_cast<uint16_t>(n > 0xFFFF ? 0xFFFF : n);
}

// Face array with its material groups, smoothing masks and box map.
void readFaces(MeshRecord& r, ChunkNode* facesNode) {
    FacesData* faces = readChunkDataAs<FacesData>(facesNode);
    if (!faces)
        return;
    r.faces = takeArray(faces->faces);
    r.faceCount = count16(r.faces.size());
    faces->count = 0;
    if (!facesNode->children)
        return;

    size_t groups = 0;
    for (ChunkNode* c = facesNode->children; c; c = c->next)
        if (c->id == CK_FACE_MATERIAL && groups < 0xFFFF)
            ++groups;
    if (groups) {
        r.materialGroups.assign(groups, MaterialGroup{});
        r.materialGroupCount = count16(groups);
        size_t k = 0;
        for (ChunkNode* c = facesNode->children; c && k < groups; c = c->next) {
            if (c->id != CK_FACE_MATERIAL)
                continue;
            MaterialGroup& g = r.materialGroups[k++];
            if (FaceMaterialData* m = readChunkDataAs<FaceMaterialData>(c)) {
                copyName(g.name, m->name);
                g.faces = takeArray(m->faces);
                g.faceCount = count16(g.faces.size());
                m->count = 0;
            }
            if (mustStop())
                return;
        }
    }

    if (ChunkNode* s = childWithId(facesNode, CK_SMOOTH_GROUPS)) {
        if (SmoothGroupsData* masks = readChunkDataAs<SmoothGroupsData>(s)) {
            r.smoothingGroups = takeArray(masks->masks);
            masks->count = 0;
            // One mask per face, whatever the chunk held: readers index it by face.
            r.smoothingGroups.resize(r.faceCount, 0u);
        }
        if (mustStop())
            return;
    }

    if (ChunkNode* b = childWithId(facesNode, CK_BOX_MAP)) {
        if (const BoxMapData* box = readChunkDataAs<BoxMapData>(b)) {
            for (int side = 0; side < 6; ++side)
                copyName(r.boxMapNames[side], box->names[side]);
            r.useBoxMap = 1;
        }
    }
}

void readMeshChild(MeshRecord& r, ChunkNode* c) {
    switch (c->id) {
    case CK_VERTICES:
        if (VerticesData* d = readChunkDataAs<VerticesData>(c)) {
            r.vertices = takeArray(d->points);
            r.vertexCount = count16(r.vertices.size());
            d->count = 0;
        }
        break;
    case CK_VERTEX_FLAGS:
        // The chunk layer reads the flags as int16; the record keeps flag words.
        if (const VertexFlagsData* d = readChunkDataAs<VertexFlagsData>(c)) {
            r.vertexFlags.assign(d->flags.begin(), d->flags.end());
            r.vertexFlagCount = count16(r.vertexFlags.size());
        }
        break;
    case CK_FACES:
        readFaces(r, c);
        break;
    case CK_TEX_COORDS:
        if (TexCoordsData* d = readChunkDataAs<TexCoordsData>(c)) {
            r.texVertices = takeArray(d->uv);
            r.texVertexCount = count16(r.texVertices.size());
            d->count = 0;
        }
        break;
    case CK_LOCAL_AXES:
        if (const LocalAxesData* d = readChunkDataAs<LocalAxesData>(c)) {
            const Point rows[4] = {d->xAxis, d->yAxis, d->zAxis, d->origin};
            for (int i = 0; i < 4; ++i) {
                r.localMatrix[3 * i] = rows[i].x;
                r.localMatrix[3 * i + 1] = rows[i].y;
                r.localMatrix[3 * i + 2] = rows[i].z;
            }
        }
        break;
    case CK_MESH_COLOR:
        if (const Uint8Data* d = readChunkDataAs<Uint8Data>(c))
            r.meshColor = d->value;
        break;
    case CK_MAPPING_INFO:
        if (const MappingInfoData* d = readChunkDataAs<MappingInfoData>(c)) {
            r.useMapInfo = 1;
            MapInfo& m = r.mapInfo;
            m.mapType = d->mappingType;
            m.tilingX = d->tilingX;
            m.tilingY = d->tilingY;
            m.iconPosition = d->iconPosition;
            m.iconScale = d->iconScale;
            for (int i = 0; i < 12; ++i)
                m.matrix[i] = d->matrix[i];
            m.planarWidth = d->planarWidth;
            m.planarHeight = d->planarHeight;
            m.cylinderHeight = d->cylinderHeight;
        }
        break;
    case CK_PROCEDURE_NAME:
        if (const StringData* d = readChunkDataAs<StringData>(c))
            copyName(r.procedureName, d->value);
        break;
    case CK_PROCEDURE_DATA:
        if (RawData* d = readChunkDataAs<RawData>(c)) {
            r.procedureData = takeArray(d->bytes);
            r.procedureSize = static_cast<uint32_t>(r.procedureData.size());
            d->count = 0;
        }
        break;
    default:
        break;
    }
}

void fillMesh(ChunkNode* object, MeshRecord** record) {
    if (!childWithId(object, CK_TRIANGLE_MESH)) {
        pushError(ERR_WRONG_OBJECT);
        return;
    }
    PrepareMeshRecord(record, 0, 0, 0);
    if (!*record)
        return;
    MeshRecord& r = **record;

    detail::PrivateCopy copy(object);
    if (!copy.get() || mustStop())
        return;
    if (const std::string* name = detail::objectName(copy.get()))
        copyName(r.name, *name);
    if (mustStop())
        return;

    ChunkNode* mesh = childWithId(copy.get(), CK_TRIANGLE_MESH);
    for (ChunkNode* c = mesh ? mesh->children : nullptr; c; c = c->next) {
        readMeshChild(r, c);
        if (mustStop())
            return;
    }

    const ChunkNode* o = copy.get();
    r.hidden = childWithId(o, CK_OBJECT_FLAG_0) ? 1 : 0;
    r.lofterVisible = childWithId(o, CK_OBJECT_FLAG_1) ? 1 : 0;
    r.castsNoShadow = childWithId(o, CK_OBJECT_FLAG_2) ? 1 : 0;
    r.matte = childWithId(o, CK_OBJECT_FLAG_3) ? 1 : 0;
    r.fastDisplay = childWithId(o, CK_OBJECT_FLAG_4) ? 1 : 0;
    r.useProcedure = childWithId(o, CK_OBJECT_FLAG_5) ? 1 : 0;
    r.receivesNoShadow = childWithId(o, CK_OBJECT_FLAG_6) ? 1 : 0;
    r.frozen = childWithId(o, CK_OBJECT_FLAG_7) ? 1 : 0;
}

} // namespace

void PrepareMeshRecord(MeshRecord** record, uint16_t vertexCount, uint16_t faceCount,
                       uint32_t parts) {
    detail::prepareRecord(record);
    if (!record || !*record)
        return;
    MeshRecord& r = **record;
    r.vertexCount = vertexCount;
    r.faceCount = faceCount;
    uint32_t sized = kMeshVertices | kMeshFaces;
    if (parts & kMeshTexVertices) {
        r.texVertexCount = vertexCount;
        sized |= kMeshTexVertices;
    }
    if (parts & kMeshVertexFlags) {
        r.vertexFlagCount = vertexCount;
        sized |= kMeshVertexFlags;
    }
    if (parts & kMeshSmoothingGroups)
        sized |= kMeshSmoothingGroups;
    SizeMeshParts(&r, sized);
}

void SizeMeshParts(MeshRecord* record, uint32_t parts) {
    if (!record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    MeshRecord& r = *record;
    try {
        if (parts & kMeshVertices)
            sizeArray(r.vertices, r.vertexCount, Point{});
        if (parts & kMeshTexVertices)
            sizeArray(r.texVertices, r.texVertexCount, TexCoord{});
        if (parts & kMeshFaces)
            sizeArray(r.faces, r.faceCount, Face{0, 1, 2, 0});
        if (parts & kMeshMaterialGroups)
            sizeArray(r.materialGroups, r.materialGroupCount, MaterialGroup{});
        if (parts & kMeshSmoothingGroups)
            sizeArray(r.smoothingGroups, r.faceCount, 0u);
        if (parts & kMeshProcedureData)
            sizeArray(r.procedureData, r.procedureSize, uint8_t{0});
        if (parts & kMeshVertexFlags)
            sizeArray(r.vertexFlags, r.vertexFlagCount, uint16_t{0});
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    } catch (const std::length_error&) {
        pushError(ERR_NO_MEM);
    }
}

void DropMeshParts(MeshRecord* record, uint32_t parts) {
    if (!record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    MeshRecord& r = *record;
    if (parts & kMeshVertices) {
        dropArray(r.vertices);
        r.vertexCount = 0;
    }
    if (parts & kMeshTexVertices) {
        dropArray(r.texVertices);
        r.texVertexCount = 0;
    }
    if (parts & kMeshFaces) {
        dropArray(r.faces);
        dropArray(r.smoothingGroups);
        r.faceCount = 0;
    }
    if (parts & kMeshMaterialGroups) {
        dropArray(r.materialGroups); // each group's face list goes with it
        r.materialGroupCount = 0;
    }
    if (parts & kMeshSmoothingGroups)
        dropArray(r.smoothingGroups);
    if (parts & kMeshProcedureData) {
        dropArray(r.procedureData);
        r.procedureSize = 0;
    }
    if (parts & kMeshVertexFlags) {
        dropArray(r.vertexFlags);
        r.vertexFlagCount = 0;
    }
}

void FreeMeshRecord(MeshRecord** record) {
    detail::freeRecord(record);
}

void RefreshObjectIndex(ChunkDatabase* db) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!db->objectIndexStale)
        return;
    db->objectIndexStale = false;
    freeChunkIndex(&db->objectIndex);
    if (mustStop())
        return;

    ChunkNode* editor = nullptr;
    findChunk(db->top, CK_EDITOR, &editor);
    uint32_t count = 0;
    for (ChunkNode* c = editor ? editor->children : nullptr; c; c = c->next)
        if (c->id == CK_NAMED_OBJECT)
            ++count;
    allocChunkIndex(&db->objectIndex, count);
    if (!db->objectIndex || db->objectIndex->count != count)
        return;
    // References first, so that a name that fails to decode leaves every entry usable.
    uint32_t i = 0;
    for (ChunkNode* c = editor ? editor->children : nullptr; c && i < count; c = c->next)
        if (c->id == CK_NAMED_OBJECT)
            db->objectIndex->entries[i++].chunk = c;
    try {
        for (ChunkIndexEntry& e : db->objectIndex->entries) {
            if (const std::string* name = detail::objectName(e.chunk))
                e.name = *name;
            if (mustStop())
                return;
        }
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

uint32_t CountMeshes(ChunkDatabase* db) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return 0;
    }
    RefreshObjectIndex(db);
    if (mustStop())
        return 0;
    return detail::countObjects(db, isMesh);
}

void FetchMeshByIndex(ChunkDatabase* db, uint32_t index, MeshRecord** record) {
    if (!db || !record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!detail::checkDatabase(db, {CK_MESH_FILE, CK_PROJECT_FILE}))
        return;
    try {
        if (ChunkNode* mesh = detail::nthObject(db, index, isMesh))
            fillMesh(mesh, record);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
