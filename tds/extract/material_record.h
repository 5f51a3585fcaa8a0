// Materials of a loaded 3DS database (mesh file, project or material library)
// as self-contained records.
//
// Usage: start with `MaterialRecord* r = nullptr`, PrepareMaterialRecord(&r),
// FetchMaterialByIndex(db, i, &r) for i below CountMaterials(db), then
// FreeMaterialRecord(&r). Failures go to the toolkit's error list.
#pragma once

#include <cstdint>
#include <vector>

#include "tds/chunk/chunk_tree.h"
#include "tds/extract/record_types.h"

namespace tds {

// One image map or mask of a material. Fields not in the file keep their defaults.
struct TextureMap {
    char fileName[kFileNameSize] = {}; // image file, at most 12 characters (longer names are cut)
    float percent = 0.0f;              // strength, 0..1
    int32_t tiling = 1;                // 1 no tiling flag, 2 decal (bit 4), 3 tiled
    uint8_t ignoreAlpha = 0;           // tiling word bit 8
    int32_t filter = 0;                // summed-area filtering (tiling word bit 5)
    float blur = 0.0f;                 // filter blur
    uint8_t mirror = 0;                // tiling word bit 1
    uint8_t negative = 0;              // tiling word bit 3
    float uScale = 1.0f;               // u scale
    float vScale = 1.0f;               // v scale
    float uOffset = 0.0f;              // u offset
    float vOffset = 0.0f;              // v offset
    float rotation = 0.0f;             // rotation in degrees
    int32_t tintType = 0;              // 0 none, 1 alpha tint, 2 tint 1/2, 3 tint alpha, 4 RGB tint
    Color tint1;                       // first tint colour
    Color tint2{1.0f, 1.0f, 1.0f};     // second tint colour
    Color redTint{1.0f, 0.0f, 0.0f};   // RGB tint: red channel colour
    Color greenTint{0.0f, 1.0f, 0.0f}; // RGB tint: green channel colour
    Color blueTint{0.0f, 0.0f, 1.0f};  // RGB tint: blue channel colour
    uint32_t procedureSize = 0;        // bytes in `procedureData`
    std::vector<uint8_t> procedureData; // opaque procedural-map parameters
};

// One material. Colours are 0..1; percentages 0..1.
struct MaterialRecord {
    char name[kMaterialNameSize] = {}; // material name, at most 16 characters
    Color ambient;                     // ambient colour
    Color diffuse;                     // diffuse colour
    Color specular;                    // specular colour
    float shininess = 0.0f;            // shininess percentage
    float shininessStrength = 0.0f;    // shininess strength percentage
    float reflectionBlur = 0.0f;       // reflection blur percentage
    float transparency = 0.0f;        // transparency percentage; negated by a later falloff-in flag
    float transparencyFalloff = 0.0f; // transparency falloff percentage
    float selfIllumination = 0.0f;    // self-illumination percentage
    float wireSize = 1.0f;            // wire thickness
    int32_t shading = 3;              // shading mode; 0 for wire frame
    uint8_t useReflectionBlur = 0;    // reflection blur is on
    uint8_t useTransparencyFalloff = 0;  // transparency falloff is on
    uint8_t twoSided = 0;                // faces render from both sides
    uint8_t selfIlluminated = 0;         // self-illumination is on
    uint8_t additive = 0;                // additive transparency
    uint8_t wireAbsolute = 0;            // wire size in units, not pixels
    uint8_t faceMapped = 0;              // map applied per face
    uint8_t soften = 0;                  // soft highlights
    TextureMap texture1;                 // first texture map
    TextureMap texture1Mask;             // its mask
    TextureMap texture2;                 // second texture map
    TextureMap texture2Mask;             // its mask
    TextureMap opacityMap;               // opacity map
    TextureMap opacityMask;              // its mask
    TextureMap bumpMap;                  // bump map
    TextureMap bumpMask;                 // its mask
    TextureMap specularMap;              // specular map
    TextureMap specularMask;             // its mask
    TextureMap shininessMap;             // shininess map
    TextureMap shininessMask;            // its mask
    TextureMap selfIllumMap;             // self-illumination map
    TextureMap selfIllumMask;            // its mask
    TextureMap reflectionMap;            // reflection map (never has procedural data)
    uint8_t useAutoReflection = 0;       // automatic reflection map is on
    uint8_t autoReflectionFlagA = 0;     // auto-reflection flags bits 0 and 3 both set
    uint8_t autoReflectionFlagB = 0;     // auto-reflection flags bits 0 and 4 both set
    int32_t autoReflectionSize = 100;    // auto-reflection map size
    int32_t autoReflectionFrameStep = 1; // frames between auto-reflection renders
    TextureMap reflectionMask;           // reflection map mask
};

// Allocates a record when `*record` is nullptr, then resets every field
// (including the sixteen maps) to its default. ERR_INVALID_ARG, ERR_NO_MEM.
void PrepareMaterialRecord(MaterialRecord** record);

// Releases the record with its procedural data; `*record` becomes nullptr.
void FreeMaterialRecord(MaterialRecord** record);

// Rebuilds db->materialIndex (material entries of the scene section, or of a
// material library) when db->materialIndexStale is set.
void RefreshMaterialIndex(ChunkDatabase* db);

// Number of materials; 0 without an index. A null database records ERR_INVALID_ARG.
uint32_t CountMaterials(ChunkDatabase* db);

// Fills `*record` from the index-th material entry. An entry child the material
// layout does not know records ERR_INVALID_CHUNK and ends the fill, keeping the
// fields read before it; a colour without its 24-bit child records
// ERR_UNFOUND_CHUNK. With an error pending after the index refresh, or an index
// past the end, the record is left untouched.
void FetchMaterialByIndex(ChunkDatabase* db, uint32_t index, MaterialRecord** record);

} // namespace tds
