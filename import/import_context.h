// What the stages of one 3DS import share, and the stages themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/interface_records.h"
#include "tds/extract/extract.h"

namespace tessoid {

struct ImportContext {
    HostInterface* services = nullptr;
};

void ImportMaterial(ImportContext& context, const tds::MaterialRecord& material);
HostHandle BuildSolidColourPigment(ImportContext& context, const tds::MaterialRecord& material,
                                   HostHandle pigment);
void BuildImageMapPigment(ImportContext& context, const tds::MaterialRecord& material,
                          HostHandle pigment);
void ImportCamera(ImportContext& context, const tds::CameraRecord& camera);
void ImportLight(ImportContext& context, const tds::LightRecord& light);
// The mesh stage around the driver's loop over the meshes: BeginMeshes, ImportMesh
// for each mesh record, then FinishMeshes hands the objects made to the host as
// the import's result.
struct MeshStage {
    std::vector<HostHandle> results; // one object or group per mesh that made one
};
MeshStage BeginMeshes();
void ImportMesh(MeshStage& stage, const tds::MeshRecord& mesh);
void FinishMeshes(MeshStage& stage, const char* fileName);

// What one polygon mesh is built from, read in place from a mesh record.
struct PolygonMeshSource {
    int32_t vertexCount = 0;
    const tds::Point* points = nullptr;
    const tds::TexCoord* texCoords = nullptr; // one per vertex (w = 0), or null
    // When given, vertex i is points[corners[i]] (and its texture vertex likewise): the
    // unshared corners of a split mesh, whose face j is then (3j, 3j+2, 3j+1).
    const uint16_t* corners = nullptr;
    int32_t faceCount = 0;
    const int32_t* faces = nullptr; // index triples when there are no corners
};

// One host polygon-mesh object; its handle, or 0.
HostHandle BuildPolygonMesh(const char* materialName, const std::string& objectName,
                            const PolygonMeshSource& source);

// A line for the debugger output.
void DebugLine(const char* format, ...);

} // namespace tessoid
