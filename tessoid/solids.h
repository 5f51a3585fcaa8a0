// The five predefined solids of the "Select Predefined Mesh" dialog.
#pragma once

#include <cstdint>

#include "mesh/mesh_types.h"

namespace tessoid {

enum : int32_t {
    SOLID_TETRAHEDRON = 0,
    SOLID_CUBE = 1,
    SOLID_OCTAHEDRON = 2,
    SOLID_DODECAHEDRON = 3,
    SOLID_ICOSAHEDRON = 4,
    SOLID_COUNT = 5,
};

struct Solid {
    const char* name;
    const Float3* vertices;
    int32_t vertexCount;
    const IndexTriple* faces;
    int32_t faceCount;
};

// The solid with this index (0 to 4); null for any other.
const Solid* SolidAt(int32_t index);

// Copies the solid's tables into PendingMesh; false for an unknown index.
bool FillPendingWithSolid(int32_t index);

} // namespace tessoid
