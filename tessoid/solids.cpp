#include "tessoid/solids.h"

#include <cmath>
#include <iterator>

#include "mesh/pending_mesh.h"

namespace tessoid {

namespace {

// Computed once at load, then rounded to single precision like the other tables.
const Float3 TETRAHEDRON_VERTICES[] = {
    {0.0f, 0.0f, float(std::sqrt(3.0))},
    {0.0f, float(2.0 * std::sqrt(6.0) / 3.0), float(-std::sqrt(3.0) / 3.0)},
    {float(-std::sqrt(2.0)), float(-std::sqrt(6.0) / 3.0), float(-std::sqrt(3.0) / 3.0)},
    {float(std::sqrt(2.0)), float(-std::sqrt(6.0) / 3.0), float(-std::sqrt(3.0) / 3.0)},
};
constexpr IndexTriple TETRAHEDRON_FACES[] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}};

constexpr Float3 CUBE_VERTICES[] = {
    {1, 1, 1},    {-1, 1, 1},  {-1, -1, 1}, {1, -1, 1},
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1},  {-1, 1, -1},
};
constexpr IndexTriple CUBE_FACES[] = {
    {0, 1, 2}, {0, 2, 3}, {0, 3, 5}, {0, 5, 6}, {0, 6, 7}, {0, 7, 1},
    {1, 7, 4}, {1, 4, 2}, {4, 7, 6}, {4, 6, 5}, {2, 4, 5}, {2, 5, 3},
};

constexpr Float3 OCTAHEDRON_VERTICES[] = {
    {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {-1, 0, 0}, {0, -1, 0},
};
constexpr IndexTriple OCTAHEDRON_FACES[] = {
    {0, 1, 2}, {0, 2, 4}, {0, 4, 5}, {0, 5, 1}, {1, 5, 3}, {1, 3, 2}, {3, 5, 4}, {2, 3, 4},
};

constexpr Float3 DODECAHEDRON_VERTICES[] = {
    {0.11711339f, -1.0005115f, -0.36215892f}, {-0.29840368f, -0.5817988f, -0.8475632f},
    {0.7957196f, -0.6599726f, -0.27778503f},  {-0.23544244f, -0.9954405f, 0.3155363f},
    {0.12339888f, 0.01751888f, -1.0631857f},  {0.7996043f, -0.030795189f, -0.7110434f},
    {-0.9077632f, -0.317949f, -0.46986437f},  {-0.868851f, -0.5735936f, 0.24897067f},
    {0.8625655f, -0.44443685f, 0.4520561f},   {0.22527231f, -0.6517674f, 0.81874883f},
    {-0.22527231f, 0.6517674f, -0.81874883f}, {-0.8625655f, 0.44443685f, -0.4520561f},
    {0.868851f, 0.5735936f, -0.24897067f},    {0.9077632f, 0.317949f, 0.46986437f},
    {-0.7996043f, 0.030795189f, 0.7110434f},  {-0.12339888f, -0.01751888f, 1.0631857f},
    {0.23544244f, 0.9954405f, -0.3155363f},   {-0.7957196f, 0.6599726f, 0.27778503f},
    {0.29840368f, 0.5817988f, 0.8475632f},    {-0.11711339f, 1.0005115f, 0.36215892f},
};
// Each pentagon is three triangles fanned from its first corner.
constexpr IndexTriple DODECAHEDRON_FACES[] = {
    {2, 0, 1},    {2, 1, 4},    {2, 4, 5},    {11, 10, 4},  {11, 4, 1},   {11, 1, 6},
    {16, 12, 5},  {16, 5, 4},   {16, 4, 10},  {13, 8, 2},   {13, 2, 5},   {13, 5, 12},
    {9, 3, 0},    {9, 0, 2},    {9, 2, 8},    {7, 6, 1},    {7, 1, 0},    {7, 0, 3},
    {3, 9, 15},   {3, 15, 14},  {3, 14, 7},   {8, 13, 18},  {8, 18, 15},  {8, 15, 9},
    {12, 16, 19}, {12, 19, 18}, {12, 18, 13}, {10, 11, 17}, {10, 17, 19}, {10, 19, 16},
    {6, 7, 14},   {6, 14, 17},  {6, 17, 11},  {17, 14, 15}, {17, 15, 18}, {17, 18, 19},
};

constexpr Float3 ICOSAHEDRON_VERTICES[] = {
    {0.42493588f, -0.62342125f, -0.90152174f}, {-0.5999407f, 0.05914133f, -1.0092272f},
    {0.49806726f, 0.610145f, -0.87270737f},    {1.170388f, -0.06734654f, -0.087306716f},
    {0.48789713f, -1.0370629f, 0.26157779f},   {-0.6062262f, -0.9588891f, -0.30820042f},
    {-0.42493588f, 0.62342125f, 0.90152174f},  {0.5999407f, -0.05914133f, 1.0092272f},
    {-0.49806726f, -0.610145f, 0.87270737f},   {-1.170388f, 0.06734654f, 0.087306716f},
    {-0.48789713f, 1.0370629f, -0.26157779f},  {0.6062262f, 0.9588891f, 0.30820042f},
};
constexpr IndexTriple ICOSAHEDRON_FACES[] = {
    {0, 5, 1},  {0, 1, 2},  {0, 2, 3},   {0, 3, 4},  {0, 4, 5},   {1, 10, 2}, {1, 5, 9},
    {1, 9, 10}, {2, 11, 3}, {2, 10, 11}, {3, 7, 4},  {3, 11, 7},  {4, 8, 5},  {4, 7, 8},
    {5, 8, 9},  {6, 8, 7},  {6, 9, 8},   {6, 10, 9}, {6, 11, 10}, {6, 7, 11},
};

template <size_t V, size_t F>
constexpr Solid makeSolid(const char* name, const Float3 (&v)[V], const IndexTriple (&f)[F]) {
    return {name, v, int32_t(V), f, int32_t(F)};
}

const Solid SOLIDS[SOLID_COUNT] = {
    makeSolid("Tetrahedron", TETRAHEDRON_VERTICES, TETRAHEDRON_FACES),
    makeSolid("Cube", CUBE_VERTICES, CUBE_FACES),
    makeSolid("Octahedron", OCTAHEDRON_VERTICES, OCTAHEDRON_FACES),
    makeSolid("Dodecahedron", DODECAHEDRON_VERTICES, DODECAHEDRON_FACES),
    makeSolid("Icosahedron", ICOSAHEDRON_VERTICES, ICOSAHEDRON_FACES),
};

} // namespace

const Solid* SolidAt(int32_t index) {
    if (index < 0 || index >= SOLID_COUNT)
        return nullptr;
    return &SOLIDS[index];
}

bool FillPendingWithSolid(int32_t index) {
    const Solid* solid = SolidAt(index);
    if (!solid)
        return false;
    PendingMesh& pending = Pending();
    pending.vertices.assign(solid->vertices, solid->vertices + solid->vertexCount);
    pending.faces.assign(solid->faces, solid->faces + solid->faceCount);
    // Leftovers of a producer whose object was never created do not belong to a solid.
    pending.normals.clear();
    pending.uvs.clear();
    return true;
}

} // namespace tessoid
