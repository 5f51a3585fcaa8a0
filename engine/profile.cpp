// Profile curves, and the lathe and sweep built from them.
#include <algorithm>
#include <numbers>

#include "engine/shapes.h"

namespace engine {
namespace {

struct P2 {
    double x, y;
};

double signedArea(const std::vector<P2>& ring) {
    double a = 0;
    for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
        const P2& p = ring[i];
        const P2& q = ring[(i + 1) % n];
        a += p.x * q.y - q.x * p.y;
    }
    return 0.5 * a;
}

P2 catmullRom(P2 p0, P2 p1, P2 p2, P2 p3, double t) {
    double t2 = t * t, t3 = t2 * t;
    auto f = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                      (3 * b - a - 3 * c + d) * t3);
    };
    return {f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)};
}

P2 bezier(std::vector<P2> ctrl, double t) {
    for (std::size_t n = ctrl.size(); n > 1; --n)
        for (std::size_t i = 0; i + 1 < n; ++i)
            ctrl[i] = {ctrl[i].x + (ctrl[i + 1].x - ctrl[i].x) * t,
                       ctrl[i].y + (ctrl[i + 1].y - ctrl[i].y) * t};
    return ctrl[0];
}

} // namespace

std::vector<ProfileSample> sampleProfile(const Profile& profile, int stepsPerSegment, bool closed) {
    std::vector<P2> pts;
    std::vector<bool> anchor;
    for (const Vec3& p : profile.points) {
        pts.push_back({p.x, p.y});
        anchor.push_back(p.z != 0);
    }
    if (closed && (pts.front().x != pts.back().x || pts.front().y != pts.back().y)) {
        pts.push_back(pts.front());
        anchor.push_back(anchor.front());
    }
    std::size_t m = pts.size();
    int steps = std::max(stepsPerSegment, 1);
    std::vector<ProfileSample> out;
    auto add = [&](P2 p, bool corner) { out.push_back({p.x, p.y, 0, corner}); };

    if (profile.curveType == 2 && m >= 3) {
        // Through every point; a closed curve wraps its neighbours so the seam is smooth too.
        auto at = [&](long i) -> P2 {
            if (closed) {
                long n = long(m) - 1;
                return pts[std::size_t(((i % n) + n) % n)];
            }
            return pts[std::size_t(std::clamp(i, 0L, long(m) - 1))];
        };
        for (long i = 0; i + 1 < long(m); ++i)
            for (int s = 0; s < steps; ++s)
                add(catmullRom(at(i - 1), at(i), at(i + 1), at(i + 2), double(s) / steps), false);
        add(pts.back(), false);
    } else if (profile.curveType == 3) {
        // Anchors lie on the curve; the control points between two anchors shape a Bezier segment.
        anchor.front() = anchor.back() = true;
        std::size_t a = 0;
        while (a + 1 < m) {
            std::size_t b = a + 1;
            while (!anchor[b])
                ++b;
            std::vector<P2> ctrl(pts.begin() + long(a), pts.begin() + long(b) + 1);
            int n = b - a == 1 ? 1 : steps;
            for (int s = 0; s < n; ++s)
                add(bezier(ctrl, double(s) / n), s == 0);
            a = b;
        }
        add(pts.back(), true);
    } else {
        for (const P2& p : pts)
            add(p, true);
    }
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].param = out.size() > 1 ? double(i) / double(out.size() - 1) : 0;
    return out;
}

// ---- 2D polygon helpers

bool insidePolygon2D(const std::vector<double>& xy, double px, double py) {
    std::size_t n = xy.size() / 2;
    bool in = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

std::vector<int> triangulatePolygon2D(const std::vector<double>& xy) {
    std::size_t n = xy.size() / 2;
    std::vector<int> tris;
    if (n < 3)
        return tris;
    std::vector<int> idx(n);
    double area = 0;
    for (std::size_t i = 0; i < n; ++i) {
        idx[i] = int(i);
        std::size_t j = (i + 1) % n;
        area += xy[2 * i] * xy[2 * j + 1] - xy[2 * j] * xy[2 * i + 1];
    }
    if (area < 0)
        std::reverse(idx.begin(), idx.end());
    auto X = [&](int i) { return xy[2 * std::size_t(i)]; };
    auto Y = [&](int i) { return xy[2 * std::size_t(i) + 1]; };
    auto cross = [&](int a, int b, int c) {
        return (X(b) - X(a)) * (Y(c) - Y(a)) - (Y(b) - Y(a)) * (X(c) - X(a));
    };
    while (idx.size() > 3) {
        std::size_t count = idx.size();
        bool clipped = false;
        for (std::size_t k = 0; k < count && !clipped; ++k) {
            int a = idx[(k + count - 1) % count], b = idx[k], c = idx[(k + 1) % count];
            if (cross(a, b, c) <= 0)
                continue;
            bool empty = true;
            for (int p : idx) {
                if (p == a || p == b || p == c)
                    continue;
                if (cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0) {
                    empty = false;
                    break;
                }
            }
            if (!empty)
                continue;
            tris.insert(tris.end(), {a, b, c});
            idx.erase(idx.begin() + long(k));
            clipped = true;
        }
        if (!clipped) {
            // Self-touching or degenerate outline: cut the first corner anyway so we always finish.
            tris.insert(tris.end(), {idx[count - 1], idx[0], idx[1]});
            idx.erase(idx.begin());
        }
    }
    tris.insert(tris.end(), {idx[0], idx[1], idx[2]});
    return tris;
}

// ---- lathe

namespace {

// Per-sample 2D normals (x: radial or in-plane, y: along the profile's y), outward
// for the given orientation; smooth where the curve is, per segment at corners.
struct SampleNormals {
    std::vector<P2> before, after; // at sample k for the segment ending / starting there
};

SampleNormals profileNormals(const std::vector<ProfileSample>& s, double orient, bool wrap) {
    std::size_t n = s.size();
    std::vector<P2> seg(n ? n - 1 : 0);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        double dx = s[k + 1].x - s[k].x, dy = s[k + 1].y - s[k].y;
        double len = std::hypot(dx, dy);
        seg[k] = len > 0 ? P2{orient * dy / len, -orient * dx / len} : P2{0, 0};
    }
    SampleNormals r{std::vector<P2>(n), std::vector<P2>(n)};
    for (std::size_t k = 0; k < n; ++k) {
        bool hasPrev = k > 0 || wrap, hasNext = k + 1 < n || wrap;
        P2 prev = k > 0 ? seg[k - 1] : (wrap && !seg.empty() ? seg.back() : P2{0, 0});
        P2 next = k + 1 < n ? seg[k] : (wrap && !seg.empty() ? seg.front() : P2{0, 0});
        if (!hasPrev)
            prev = next;
        if (!hasNext)
            next = prev;
        if (s[k].corner) {
            r.before[k] = prev;
            r.after[k] = next;
        } else {
            P2 m{prev.x + next.x, prev.y + next.y};
            double len = std::hypot(m.x, m.y);
            if (len > 0)
                m = {m.x / len, m.y / len};
            r.before[k] = r.after[k] = m;
        }
    }
    return r;
}

int defaultSteps(const Profile& p, int requested) {
    return requested > 0 ? requested : (p.curveType == 1 ? 1 : 8);
}

} // namespace

void LathePrim::tessellateLocal(TessContext& ctx, PolygonList& out) const {
    int around = std::max(uSteps > 0 ? uSteps : 32, 3);
    if (!ctx.allow(double(profile.points.size()) * defaultSteps(profile, vSteps) * around))
        return;
    std::vector<ProfileSample> s = sampleProfile(profile, defaultSteps(profile, vSteps), false);
    // The swept region is the profile closed along the axis; its orientation says which side is
    // out.
    std::vector<P2> region{{0, s.front().y}};
    for (const ProfileSample& p : s)
        region.push_back({p.x, p.y});
    region.push_back({0, s.back().y});
    double orient = signedArea(region) < 0 ? -1.0 : 1.0;
    SampleNormals nrm = profileNormals(s, orient, false);
    auto at = [&](std::size_t k, int i, bool startOfSegment) {
        double a = 2 * std::numbers::pi * i / around;
        double c = i % around == 0 ? 1.0 : std::cos(a), sn = i % around == 0 ? 0.0 : std::sin(a);
        P2 n2 = startOfSegment ? nrm.after[k] : nrm.before[k];
        Vec3 pos{s[k].x * c, s[k].x * sn, s[k].y};
        return Vertex{
            pos, pos, normalised({n2.x * c, n2.x * sn, n2.y}), {double(i) / around, s[k].param, 0}};
    };
    for (std::size_t k = 0; k + 1 < s.size(); ++k)
        for (int i = 0; i < around; ++i) {
            Polygon poly;
            poly.v = {at(k, i, true), at(k, i + 1, true), at(k + 1, i + 1, false),
                      at(k + 1, i, false)};
            if (orient < 0)
                std::reverse(poly.v.begin() + 1, poly.v.end());
            emitPolygon(out, std::move(poly));
        }
}

bool LathePrim::insideLocal(Vec3 p) const {
    std::vector<ProfileSample> s = sampleProfile(profile, defaultSteps(profile, vSteps), false);
    std::vector<double> xy{0, s.front().y};
    for (const ProfileSample& q : s)
        xy.insert(xy.end(), {std::fabs(q.x), q.y});
    xy.insert(xy.end(), {0, s.back().y});
    return insidePolygon2D(xy, std::hypot(p.x, p.y), p.z);
}

// ---- sweep

void SweepPrim::tessellateLocal(TessContext& ctx, PolygonList& out) const {
    if (!ctx.allow(3.0 * double(profile.points.size() + 1) * defaultSteps(profile, vSteps)))
        return;
    std::vector<ProfileSample> s = sampleProfile(profile, defaultSteps(profile, vSteps), true);
    s.pop_back(); // the closing sample repeats the first
    std::size_t n = s.size();
    if (n < 3)
        return;
    std::vector<P2> ring;
    for (const ProfileSample& p : s)
        ring.push_back({p.x, p.y});
    double area = signedArea(ring);
    if (area == 0)
        return;
    double orient = area < 0 ? -1.0 : 1.0;
    double top = cone ? endScale : 1.0;
    bool flip = (orient < 0) != (depth < 0);

    // Side faces: flat normals from each quad, averaged where the profile is smooth.
    auto corner3 = [&](std::size_t k, bool far) {
        double sc = far ? top : 1.0;
        return Vec3{s[k % n].x * sc, s[k % n].y * sc, far ? depth : 0.0};
    };
    std::vector<Vec3> faceNormal(n);
    for (std::size_t k = 0; k < n; ++k) {
        Vec3 a = corner3(k, false), b = corner3(k + 1, false), c = corner3(k + 1, true),
             d = corner3(k, true);
        Vec3 nn = cross(b - a, c - a) + cross(c - a, d - a);
        faceNormal[k] = normalised(flip ? -nn : nn, {0, 0, 0});
    }
    auto sideNormal = [&](std::size_t k, std::size_t face) {
        if (s[k % n].corner)
            return faceNormal[face];
        return normalised(faceNormal[(k + n - 1) % n] + faceNormal[k % n], faceNormal[face]);
    };
    for (std::size_t k = 0; k < n; ++k) {
        double u0 = s[k].param, u1 = k + 1 < n ? s[k + 1].param : 1.0;
        Polygon poly;
        Vec3 a = corner3(k, false), b = corner3(k + 1, false), c = corner3(k + 1, true),
             d = corner3(k, true);
        poly.v = {{a, a, sideNormal(k, k), {u0, 0, 0}},
                  {b, b, sideNormal(k + 1, k), {u1, 0, 0}},
                  {c, c, sideNormal(k + 1, k), {u1, 1, 0}},
                  {d, d, sideNormal(k, k), {u0, 1, 0}}};
        if (flip)
            std::reverse(poly.v.begin() + 1, poly.v.end());
        emitPolygon(out, std::move(poly));
    }

    // Caps: the outline cut into triangles, facing away from the prism.
    std::vector<double> xy;
    double minX = ring[0].x, maxX = ring[0].x, minY = ring[0].y, maxY = ring[0].y;
    for (const P2& p : ring) {
        xy.insert(xy.end(), {p.x, p.y});
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    double w = maxX > minX ? maxX - minX : 1, h = maxY > minY ? maxY - minY : 1;
    std::vector<int> tris = triangulatePolygon2D(xy);
    double up = depth < 0 ? -1.0 : 1.0;
    for (int far = 0; far < 2; ++far) {
        double sc = far ? top : 1.0;
        Vec3 nn{0, 0, far ? up : -up};
        for (std::size_t t = 0; t + 2 < tris.size(); t += 3) {
            Polygon poly;
            poly.tag = far ? TagTopCap : TagBottomCap;
            for (int j = 0; j < 3; ++j) {
                const P2& p = ring[std::size_t(tris[t + std::size_t(j)])];
                Vec3 pos{p.x * sc, p.y * sc, far ? depth : 0.0};
                poly.v.push_back({pos, pos, nn, {(p.x - minX) / w, (p.y - minY) / h, 0}});
            }
            // Triangles come counter-clockwise about +z.
            if (nn.z < 0)
                std::reverse(poly.v.begin() + 1, poly.v.end());
            emitPolygon(out, std::move(poly));
        }
    }
}

bool SweepPrim::insideLocal(Vec3 p) const {
    double t = p.z / depth;
    if (!(t > 0 && t < 1))
        return false;
    double sc = 1.0 + ((cone ? endScale : 1.0) - 1.0) * t;
    if (!(sc > 0))
        return false;
    std::vector<ProfileSample> s = sampleProfile(profile, defaultSteps(profile, vSteps), true);
    std::vector<double> xy;
    for (const ProfileSample& q : s)
        xy.insert(xy.end(), {q.x, q.y});
    return insidePolygon2D(xy, p.x / sc, p.y / sc);
}

} // namespace engine
