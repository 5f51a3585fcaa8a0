// The 3DS file the chunk benchmark loads: meshes of 60,000 vertices with texture
// vertices, five materials each covering a fifth of the faces, smoothing groups and a
// keyframer section; 20 meshes make 42 MB.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

constexpr uint16_t kThreeDSVertices = 60000;
constexpr uint16_t kThreeDSFaces = 65000;
constexpr int kThreeDSMaterials = 5;

// Writes the file of `meshes` meshes unless it is there already (through a ".part"
// file, so an interrupted run leaves no short file under the real name).
bool ensureThreeDSFile(const std::string& path, int meshes);

} // namespace bench
