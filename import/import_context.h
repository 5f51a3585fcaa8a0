// What the stages of one 3DS import share, and the stages themselves.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/interface_records.h"
#include "tds/chunk/chunk_file.h"
#include "tds/chunk/chunk_tree.h"
#include "tds/extract/extract.h"

namespace tessoid {

struct ImportContext {
    tds::ChunkFile* file = nullptr;
    tds::ChunkDatabase* database = nullptr;
    HostInterface* services = nullptr;
};

void ImportMaterial(ImportContext& context, const tds::MaterialRecord& material);
HostHandle BuildSolidColourPigment(ImportContext& context, const tds::MaterialRecord& material,
                                   HostHandle pigment);
void BuildImageMapPigment(ImportContext& context, const tds::MaterialRecord& material,
                          HostHandle pigment);
void ImportCamera(ImportContext& context, const tds::CameraRecord& camera);
void ImportLight(ImportContext& context, const tds::LightRecord& light);
int32_t ImportMeshes(ImportContext& context, const char* fileName);

// One host polygon-mesh object from work arrays; its handle, or 0.
HostHandle BuildPolygonMesh(ImportContext& context, const char* materialName,
                            const std::string& objectName, int32_t vertexCount,
                            const float* vertices, int32_t texVertexCount,
                            const float* texVertices, int32_t faceCount, const int32_t* faces);

// A line for the debugger output.
void DebugLine(const char* format, ...);

} // namespace tessoid
