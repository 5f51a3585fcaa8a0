#include "engine/geometry.h"

#include <algorithm>
#include <numbers>

namespace engine {

void frameFromAxis(Vec3 w, Vec3& u, Vec3& v) {
    // Start from x unless the axis is close to it, then make u orthogonal to w.
    Vec3 seed = std::fabs(w.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    u = normalised(seed - w * dot(seed, w), {1, 0, 0});
    v = cross(w, u);
}

double Affine::determinant() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Vec3 Affine::applyNormal(Vec3 n) const {
    // Cofactor matrix = det * inverse transpose; the scale vanishes on normalising.
    double c[3][3];
    c[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    c[0][1] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    c[0][2] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    c[1][0] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    c[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    c[1][2] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    c[2][0] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    c[2][1] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    c[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    Vec3 r{c[0][0] * n.x + c[0][1] * n.y + c[0][2] * n.z,
           c[1][0] * n.x + c[1][1] * n.y + c[1][2] * n.z,
           c[2][0] * n.x + c[2][1] * n.y + c[2][2] * n.z};
    if (determinant() < 0)
        r = -r;
    return normalised(r, n);
}

Affine Affine::inverse() const {
    Affine r;
    double d = determinant();
    double inv = 1.0 / d;
    r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * inv;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
    r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) * inv;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
    r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * inv;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
    r.t = -r.applyLinear(t);
    return r;
}

bool Affine::isIdentity() const {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != (i == j ? 1.0 : 0.0))
                return false;
    return t.x == 0 && t.y == 0 && t.z == 0;
}

Affine compose(const Affine& a, const Affine& b) {
    Affine r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    r.t = a.applyPoint(b.t);
    return r;
}

Affine scaling(Vec3 s) {
    Affine r;
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Affine translation(Vec3 t) {
    Affine r;
    r.t = t;
    return r;
}

Affine rotation(Vec3 degrees) {
    const double k = std::numbers::pi / 180.0;
    auto about = [](int axis, double rad) {
        Affine r;
        if (rad == 0)
            return r;
        // Exact quarter turns keep canonical shapes exact.
        double c = std::cos(rad), s = std::sin(rad);
        double q = rad / (std::numbers::pi / 2);
        if (q == std::round(q)) {
            long turns = ((static_cast<long>(std::fmod(q, 4.0)) % 4) + 4) % 4;
            const double cs[4] = {1, 0, -1, 0}, sn[4] = {0, 1, 0, -1};
            c = cs[turns];
            s = sn[turns];
        }
        int a = (axis + 1) % 3, b = (axis + 2) % 3;
        r.m[a][a] = c;
        r.m[a][b] = -s;
        r.m[b][a] = s;
        r.m[b][b] = c;
        return r;
    };
    Affine rx = about(0, degrees.x * k), ry = about(1, degrees.y * k), rz = about(2, degrees.z * k);
    return compose(rz, compose(ry, rx));
}

void emitPolygon(PolygonList& out, Polygon poly) {
    std::vector<Vertex> kept;
    kept.reserve(poly.v.size());
    for (const Vertex& c : poly.v) {
        if (!kept.empty()) {
            Vec3 d = c.pos - kept.back().pos;
            if (d.x == 0 && d.y == 0 && d.z == 0)
                continue;
        }
        kept.push_back(c);
    }
    while (kept.size() > 1) {
        Vec3 d = kept.back().pos - kept.front().pos;
        if (d.x != 0 || d.y != 0 || d.z != 0)
            break;
        kept.pop_back();
    }
    if (kept.size() < 3)
        return;
    poly.v = std::move(kept);
    out.push_back(std::move(poly));
}

void transformPolygons(PolygonList& polys, const Affine& xf) {
    if (xf.isIdentity())
        return;
    bool mirror = xf.determinant() < 0;
    for (Polygon& p : polys) {
        for (Vertex& c : p.v) {
            c.pos = xf.applyPoint(c.pos);
            c.normal = xf.applyNormal(c.normal);
        }
        // A mirror turns the winding; keep it counter-clockwise about the normal.
        if (mirror)
            std::reverse(p.v.begin() + 1, p.v.end());
    }
}

void reversePolygon(Polygon& poly) {
    std::reverse(poly.v.begin() + 1, poly.v.end());
    for (Vertex& c : poly.v)
        c.normal = -c.normal;
}

} // namespace engine
