// Triangle-mesh objects of a loaded 3DS database as self-contained records.
//
// Usage: start with `MeshRecord* r = nullptr`, PrepareMeshRecord(&r, 0, 0, 0),
// FetchMeshByIndex(db, i, &r) for i below CountMeshes(db), then FreeMeshRecord(&r).
// Failures go to the toolkit's error list (tds/chunk/errors.h); every operation
// returns early while an error is pending unless errors are being ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "tds/chunk/chunk_data.h"
#include "tds/chunk/chunk_tree.h"
#include "tds/extract/record_types.h"

namespace tds {

// One material's share of a mesh.
struct MaterialGroup {
    char name[kMaterialNameSize] = {}; // material name, at most 16 characters
    uint16_t faceCount = 0;            // number of entries in `faces`
    std::vector<uint16_t> faces;       // indices into MeshRecord::faces, as read (unchecked)
};

// Planar, cylindrical or spherical mapping icon of a mesh (CK_MAPPING_INFO).
struct MapInfo {
    uint16_t mapType = 0;                                    // mapping kind as stored in the file
    float tilingX = 1.0f;                                    // repetitions along u
    float tilingY = 1.0f;                                    // repetitions along v
    Point iconPosition;                                      // centre of the icon
    float iconScale = 1.0f;                                  // uniform scale of the icon
    float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}; // 4 x 3, rows of three
    float planarWidth = 1.0f;                                // icon width for planar mapping
    float planarHeight = 1.0f;                               // icon height for planar mapping
    float cylinderHeight = 1.0f;                             // icon height for cylindrical mapping
};

// Bit flags naming the separately sized arrays of a MeshRecord.
enum MeshPart : uint32_t {
    kMeshVertices = 1,         // vertices, by vertexCount
    kMeshTexVertices = 2,      // texVertices, by texVertexCount
    kMeshFaces = 4,            // faces, by faceCount
    kMeshMaterialGroups = 8,   // materialGroups, by materialGroupCount
    kMeshSmoothingGroups = 16, // smoothingGroups, by faceCount
    kMeshProcedureData = 32,   // procedureData, by procedureSize
    kMeshVertexFlags = 64,     // vertexFlags, by vertexFlagCount
    kMeshAllParts = 127,
};

// One triangle mesh. The record owns every array; each count field gives the
// size of its array after every operation here (smoothingGroups, which has no
// count of its own, is either empty or holds faceCount masks).
struct MeshRecord {
    char name[kObjectNameSize] = {};       // object name, at most 10 characters
    uint8_t hidden = 0;                    // CK_OBJECT_FLAG_0 present
    uint8_t lofterVisible = 0;             // CK_OBJECT_FLAG_1 present
    uint8_t matte = 0;                     // CK_OBJECT_FLAG_3 present
    uint8_t castsNoShadow = 0;             // CK_OBJECT_FLAG_2 present
    uint8_t fastDisplay = 0;               // CK_OBJECT_FLAG_4 present
    uint8_t frozen = 0;                    // CK_OBJECT_FLAG_7 present
    uint8_t receivesNoShadow = 0;          // CK_OBJECT_FLAG_6 present
    uint16_t vertexCount = 0;              // entries in `vertices`
    std::vector<Point> vertices;           // positions x, y, z
    uint16_t vertexFlagCount = 0;          // entries in `vertexFlags`
    std::vector<uint16_t> vertexFlags;     // one flag word per vertex
    uint16_t texVertexCount = 0;           // entries in `texVertices`
    std::vector<TexCoord> texVertices;     // u, v per texture vertex
    uint8_t useMapInfo = 0;                // 1 when `mapInfo` came from the file
    MapInfo mapInfo;                       // mapping icon
    float localMatrix[12] = {};            // object axes x, y, z and origin, rows of three
    uint16_t faceCount = 0;                // entries in `faces`
    std::vector<Face> faces;               // vertex indices a, b, c and flags, as read (unchecked)
    std::vector<uint32_t> smoothingGroups; // one bit mask per face: empty, or faceCount masks
    uint8_t useBoxMap = 0;                 // 1 when `boxMapNames` came from the file
    char boxMapNames[6][kMaterialNameSize] = {}; // box-map material per side
    uint8_t meshColor = 0;                       // user-interface colour index
    uint16_t materialGroupCount = 0;             // entries in `materialGroups`
    std::vector<MaterialGroup> materialGroups;   // per-material face lists, in file order
    uint8_t useProcedure = 0;                    // CK_OBJECT_FLAG_5 present
    uint32_t procedureSize = 0;                  // bytes in `procedureData`
    char procedureName[kMaterialNameSize] = {};  // procedure name, at most 12 characters in files
    std::vector<uint8_t> procedureData;          // opaque procedure parameters
};

// Makes `*record` ready: allocates one when there is none, resets every field,
// sets vertexCount and faceCount, and sizes vertices and faces plus the parts in
// `parts` that follow vertexCount or faceCount (texture vertices and vertex flags
// take vertexCount). ERR_INVALID_ARG for a null reference, ERR_NO_MEM.
void PrepareMeshRecord(MeshRecord** record, uint16_t vertexCount, uint16_t faceCount,
                       uint32_t parts);

// Brings each array named in `parts` to the size its count gives: count 0
// empties it, new entries get their defaults (face 0, 1, 2), kept entries stay.
void SizeMeshParts(MeshRecord* record, uint32_t parts);

// Empties the arrays of the named parts, releasing their memory, and zeroes the
// counts that belong to them. Dropping faces drops the per-face smoothing masks too.
void DropMeshParts(MeshRecord* record, uint32_t parts);

// Releases the record with all its arrays; `*record` becomes nullptr. A null
// pointer does nothing.
void FreeMeshRecord(MeshRecord** record);

// Rebuilds db->objectIndex (every named object of the scene section, in file
// order) when db->objectIndexStale is set.
void RefreshObjectIndex(ChunkDatabase* db);

// Number of named objects with a triangle mesh; 0 on failure.
uint32_t CountMeshes(ChunkDatabase* db);

// Fills `*record` from the index-th triangle-mesh object (from 0, object index
// order). Arrays move out of a private copy of the object's chunks; the tree
// stays intact. An index past the last mesh leaves the record as it was.
void FetchMeshByIndex(ChunkDatabase* db, uint32_t index, MeshRecord** record);

} // namespace tds
