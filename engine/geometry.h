// Small vector, affine and polygon types of the engine stand-in.
#pragma once

#include <cmath>
#include <vector>

namespace engine {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(double s, Vec3 a) {
    return a * s;
}
inline double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
inline Vec3 lerp(Vec3 a, Vec3 b, double t) {
    return a + (b - a) * t;
}
inline bool finite(Vec3 a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

// Unit vector, or `fallback` when `a` has no usable direction.
inline Vec3 normalised(Vec3 a, Vec3 fallback = {0, 0, 1}) {
    double len = length(a);
    if (!(len > 1e-300) || !std::isfinite(len))
        return fallback;
    return a * (1.0 / len);
}

// Orthonormal u, v completing the unit axis w; for w = +z they are x and y so
// canonical shapes get the natural texture orientation.
void frameFromAxis(Vec3 w, Vec3& u, Vec3& v);

// p' = m * p + t.
struct Affine {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;

    Vec3 applyLinear(Vec3 p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z,
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
    }
    Vec3 applyPoint(Vec3 p) const { return applyLinear(p) + t; }
    double determinant() const;
    // Normals go through the inverse transpose of the linear part.
    Vec3 applyNormal(Vec3 n) const;
    Affine inverse() const; // requires a non-zero determinant
    bool isIdentity() const;
};

// this-after-other: (a * b)(p) = a(b(p)).
Affine compose(const Affine& a, const Affine& b);
Affine scaling(Vec3 s);
Affine translation(Vec3 t);
// Degrees, right-handed, about x, then y, then z.
Affine rotation(Vec3 degrees);

struct Vertex {
    Vec3 pos;
    Vec3 local; // the leaf shape's untransformed position: the callback's second attribute
    Vec3 normal;
    Vec3 uv;
};

struct Polygon {
    std::vector<Vertex> v; // a convex fan around v[0], counter-clockwise seen from the normal side
    int tag = 0;
};

using PolygonList = std::vector<Polygon>;

// Drops repeated consecutive corners and appends the polygon if at least three remain.
void emitPolygon(PolygonList& out, Polygon poly);

void transformPolygons(PolygonList& polys, const Affine& xf);
void reversePolygon(Polygon& poly); // winding and normals

} // namespace engine
