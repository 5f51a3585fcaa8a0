// The engine's polygons cut into triangles, as TesselatePrim hands them over.
#pragma once

#include <vector>

#include "engine/engine_api.h"
#include "mesh/mesh_types.h"

namespace tessoid {

// One triangle of the soup, each corner with its own data.
struct TessTriangle {
    Float3 positions[3];
    Float3 uvs[3]; // u, v, w
    Float3 normals[3];
};

// Upper bound on the triangles one tessellation collects, so that three
// corners per triangle still fit the mesh's 32-bit counts.
constexpr size_t MAX_TESS_TRIANGLES = 1u << 24;

// The TesselatePrim callback. `context` is a std::vector<TessTriangle>; a polygon
// of n corners becomes the fan (0, k + 1, k + 2) for k = 0 .. n - 3. Answers 1
// (stop) without a list or when the list is full, 0 otherwise.
int ENGINE_CALL collectPolygon(int n, const double* data, int tag, void* context);

} // namespace tessoid
