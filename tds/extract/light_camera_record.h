// Lights and cameras of a loaded 3DS database as self-contained records.
//
// They are named objects of the scene section, walked in the order of the
// database's object index (RefreshObjectIndex, mesh_record.h). A light with a
// spotlight chunk is a spotlight, one without is an omni light; the two kinds
// are counted and fetched apart.
//
// Usage: start with a nullptr record, Prepare...Record, Fetch...ByIndex for each
// index below the matching Count..., then Free...Record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tds/chunk/chunk_data.h"
#include "tds/chunk/chunk_tree.h"
#include "tds/extract/record_types.h"

namespace tds {

// Spotlight part of a light.
struct SpotParameters {
    Point target{1.0f, 1.0f, 1.0f}; // point the spot aims at
    float hotspot = 44.0f;          // full-intensity cone angle, degrees
    float falloff = 45.0f;          // outer cone angle, degrees
    float roll = 0.0f;              // roll about the spot axis, degrees
    float aspect = 1.0f;            // width / height of a rectangular spot
    uint8_t shadowed = 0;           // casts shadows
    int32_t rayShadows = 0;         // ray-traced rather than mapped shadows
    uint8_t localShadow = 0;        // shadow parameters below came from the light
    float shadowBias = 1.0f;        // shadow map bias
    float shadowFilter = 3.0f;      // shadow map filter size
    int16_t shadowMapSize = 512;    // shadow map size, pixels
    float rayBias = 1.0f;           // ray-traced shadow bias
    int32_t rectangular = 0;        // rectangular rather than round cone
    uint8_t seeCone = 0;            // cone shown in the viewports
    uint8_t overshoot = 0;          // lights outside the cone too
    uint8_t hasProjector = 0;       // projects an image
    std::string projectorName;      // projected image file, at most 12 characters
};

// One omni light or spotlight.
struct LightRecord {
    char name[kObjectNameSize] = {};              // object name, at most 10 characters
    Point position;                               // light position
    Color color{0.708852f, 0.708852f, 0.708852f}; // light colour
    float multiplier = 1.0f;                      // intensity multiplier
    uint8_t off = 0;                              // light switched off
    uint8_t attenuated = 0;                       // attenuation on
    float innerRange = 10.0f;                     // attenuation start distance
    float outerRange = 100.0f;                    // attenuation end distance
    std::unique_ptr<StringList> excludeList;      // names of objects the light ignores
    std::unique_ptr<SpotParameters> spot;         // spotlight part; nullptr for omni lights
};

// One camera.
struct CameraRecord {
    char name[kObjectNameSize] = {}; // object name, at most 10 characters
    Point position;                  // eye position
    Point target{1.0f, 1.0f, 1.0f};  // point looked at
    float roll = 0.0f;               // roll about the view axis, degrees
    float fieldOfView =
        45.0f;            // degrees: 2400 / focal length (kept when that is not a positive number)
    uint8_t showCone = 0; // cone shown in the viewports
    float nearRange = 10.0f;  // near range
    float farRange = 1000.0f; // far range
};

// Omni light: allocates a record when there is none, resets every field and
// gives it a fresh empty exclude list (and no spot part). ERR_INVALID_ARG, ERR_NO_MEM.
void PrepareLightRecord(LightRecord** record);
// As PrepareLightRecord, plus a fresh spot part with its defaults.
void PrepareSpotlightRecord(LightRecord** record);
// Releases the record, its exclude list and spot part; `*record` becomes nullptr.
void FreeLightRecord(LightRecord** record);

// Allocates when needed and sets the defaults. ERR_INVALID_ARG, ERR_NO_MEM.
void PrepareCameraRecord(CameraRecord** record);
// Releases the record; `*record` becomes nullptr.
void FreeCameraRecord(CameraRecord** record);

// Numbers of lights without and with a spotlight part, and of cameras.
// A null database records ERR_INVALID_ARG and gives 0.
uint32_t CountOmniLights(ChunkDatabase* db);
uint32_t CountSpotlights(ChunkDatabase* db);
uint32_t CountCameras(ChunkDatabase* db);

// Fill `*record` from the index-th object of the kind (from 0, object index
// order), preparing it for that kind first; an index past the last object of
// the kind leaves the record as it was.
void FetchOmniLightByIndex(ChunkDatabase* db, uint32_t index, LightRecord** record);
void FetchSpotlightByIndex(ChunkDatabase* db, uint32_t index, LightRecord** record);
void FetchCameraByIndex(ChunkDatabase* db, uint32_t index, CameraRecord** record);

} // namespace tds
