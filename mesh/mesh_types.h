// Plain element types of the mesh arrays. Each matches the stream layout of one
// array item (little-endian, no padding), so arrays can be written as they are.
#pragma once

#include <cstdint>

namespace tessoid {

struct Float3 {
    float x, y, z; // a position or normal; for texture coordinates u, v, w
};
static_assert(sizeof(Float3) == 12);

struct IndexTriple {
    int32_t a, b, c; // vertex indices of one triangle, corner order as stored
};
static_assert(sizeof(IndexTriple) == 12);

struct EdgePair {
    int32_t first, second; // vertex indices, first <= second
};
static_assert(sizeof(EdgePair) == 8);

inline bool operator==(const Float3& l, const Float3& r) {
    return l.x == r.x && l.y == r.y && l.z == r.z;
}
inline bool operator==(const IndexTriple& l, const IndexTriple& r) {
    return l.a == r.a && l.b == r.b && l.c == r.c;
}
inline bool operator==(const EdgePair& l, const EdgePair& r) {
    return l.first == r.first && l.second == r.second;
}

} // namespace tessoid
