// Analytic shapes, clones and CSG.
#include "engine/shapes.h"

#include <algorithm>
#include <numbers>

namespace engine {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kDefaultAround = 32;
constexpr int kDefaultRings = 16;

Vertex vertex(Vec3 pos, Vec3 normal, Vec3 uv) {
    return Vertex{pos, pos, normal, uv};
}

// Exact cos/sin at the quarter turns so seams and poles close without cracks.
void angle(int i, int n, double& c, double& s) {
    if (n % 4 == 0 && i % (n / 4) == 0) {
        const double cs[4] = {1, 0, -1, 0}, sn[4] = {0, 1, 0, -1};
        int q = (i / (n / 4)) % 4;
        c = cs[q];
        s = sn[q];
        return;
    }
    double a = kTwoPi * i / n;
    c = std::cos(a);
    s = std::sin(a);
}

} // namespace

void Prim::tessellate(TessContext& ctx, PolygonList& out) const {
    if (ctx.failed)
        return;
    if (ctx.depth >= TessContext::maxDepth) {
        ctx.failed = true;
        return;
    }
    ++ctx.depth;
    PolygonList local;
    tessellateLocal(ctx, local);
    --ctx.depth;
    if (ctx.failed)
        return;
    transformPolygons(local, xf);
    ctx.produced += local.size();
    if (ctx.produced > TessContext::maxPolygons) {
        ctx.failed = true;
        return;
    }
    if (out.empty()) {
        out = std::move(local);
    } else {
        out.insert(out.end(), std::make_move_iterator(local.begin()),
                   std::make_move_iterator(local.end()));
    }
}

bool Prim::inside(Vec3 p) const {
    if (xf.isIdentity())
        return insideLocal(p);
    return insideLocal(xf.inverse().applyPoint(p));
}

// ---- box

BoxPrim::BoxPrim(Vec3 a, Vec3 b) : Prim(PrimKind::Box) {
    lo = {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
    hi = {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

void BoxPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    const double l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
    for (int axis = 0; axis < 3; ++axis) {
        int b = (axis + 1) % 3, c = (axis + 2) % 3;
        for (int side = 0; side < 2; ++side) {
            double sign = side ? 1.0 : -1.0;
            // Corners in (b, c) order; counter-clockwise about +axis, reversed for the -axis face.
            const double square[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            Polygon poly;
            poly.tag = TagSurface;
            for (int k = 0; k < 4; ++k) {
                int idx = side ? k : (4 - k) % 4;
                double fb = square[idx][0], fc = square[idx][1];
                double coord[3];
                coord[axis] = side ? h[axis] : l[axis];
                coord[b] = fb ? h[b] : l[b];
                coord[c] = fc ? h[c] : l[c];
                double n[3] = {0, 0, 0};
                n[axis] = sign;
                poly.v.push_back(
                    vertex({coord[0], coord[1], coord[2]}, {n[0], n[1], n[2]}, {fb, fc, 0}));
            }
            emitPolygon(out, std::move(poly));
        }
    }
}

bool BoxPrim::insideLocal(Vec3 p) const {
    return p.x > lo.x && p.x < hi.x && p.y > lo.y && p.y < hi.y && p.z > lo.z && p.z < hi.z;
}

// ---- sphere

void SpherePrim::tessellateLocal(TessContext&, PolygonList& out) const {
    int around = steps(uSteps, kDefaultAround), rings = steps(vSteps, kDefaultRings);
    around = std::max(around, 3);
    rings = std::max(rings, 2);
    auto at = [&](int i, int j) {
        double ct, st;
        angle(i, around, ct, st);
        double phi = std::numbers::pi * j / rings - std::numbers::pi / 2;
        double cp = (j == 0 || j == rings) ? 0.0 : std::cos(phi);
        double sp = j == 0 ? -1.0 : j == rings ? 1.0 : std::sin(phi);
        if (2 * j == rings) {
            cp = 1.0;
            sp = 0.0;
        }
        Vec3 n{cp * ct, cp * st, sp};
        return vertex(centre + n * radius, n, {double(i) / around, double(j) / rings, 0});
    };
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < around; ++i) {
            Polygon poly;
            poly.v = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            emitPolygon(out, std::move(poly));
        }
}

bool SpherePrim::insideLocal(Vec3 p) const {
    return length(p - centre) < radius;
}

// ---- cylinder and cone

ConePrim::ConePrim(PrimKind k, Vec3 b, double baseRadius, Vec3 cap, double capRadius)
    : Prim(k), base(b), r0(baseRadius), r1(capRadius) {
    Vec3 d = cap - b;
    height = length(d);
    axis = normalised(d);
    frameFromAxis(axis, u, v);
}

void ConePrim::tessellateLocal(TessContext&, PolygonList& out) const {
    int around = std::max(steps(uSteps, kDefaultAround), 3);
    int along = std::max(steps(vSteps, 1), 1);
    double slope = (r1 - r0) / height;
    auto side = [&](int i, int j) {
        double c, s;
        angle(i, around, c, s);
        double t = height * j / along;
        Vec3 radial = u * c + v * s;
        Vec3 n = normalised(radial - axis * slope, radial);
        return vertex(base + axis * t + radial * (r0 + slope * t), n,
                      {double(i) / around, double(j) / along, 0});
    };
    for (int j = 0; j < along; ++j)
        for (int i = 0; i < around; ++i) {
            Polygon poly;
            poly.v = {side(i, j), side(i + 1, j), side(i + 1, j + 1), side(i, j + 1)};
            emitPolygon(out, std::move(poly));
        }
    if (!closed)
        return;
    for (int top = 0; top < 2; ++top) {
        double r = top ? r1 : r0;
        if (r <= 0)
            continue;
        Polygon cap;
        cap.tag = top ? TagTopCap : TagBottomCap;
        Vec3 centre = base + axis * (top ? height : 0.0);
        for (int k = 0; k < around; ++k) {
            int i = top ? k : (around - k) % around; // counter-clockwise seen from outside
            double c, s;
            angle(i, around, c, s);
            cap.v.push_back(vertex(centre + (u * c + v * s) * r, top ? axis : -axis,
                                   {0.5 + 0.5 * c, 0.5 + 0.5 * s, 0}));
        }
        emitPolygon(out, std::move(cap));
    }
}

bool ConePrim::insideLocal(Vec3 p) const {
    Vec3 q = p - base;
    double t = dot(q, axis);
    if (!(t > 0 && t < height))
        return false;
    double r = r0 + (r1 - r0) * t / height;
    return length(q - axis * t) < r;
}

// ---- torus

TorusPrim::TorusPrim(Vec3 c, Vec3 axis, double maj, double min)
    : Prim(PrimKind::Torus), centre(c), w(normalised(axis)), major(maj), minor(min) {
    frameFromAxis(w, u, v);
}

void TorusPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    int around = std::max(steps(uSteps, kDefaultAround), 3);
    int tube = std::max(steps(vSteps, kDefaultRings), 3);
    auto at = [&](int i, int j) {
        double ct, st, cp, sp;
        angle(i, around, ct, st);
        angle(j, tube, cp, sp);
        Vec3 radial = u * ct + v * st;
        Vec3 n = radial * cp + w * sp;
        return vertex(centre + radial * major + n * minor, n,
                      {double(i) / around, double(j) / tube, 0});
    };
    for (int j = 0; j < tube; ++j)
        for (int i = 0; i < around; ++i) {
            Polygon poly;
            poly.v = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            emitPolygon(out, std::move(poly));
        }
}

bool TorusPrim::insideLocal(Vec3 p) const {
    Vec3 q = p - centre;
    double h = dot(q, w);
    double rho = length(q - w * h);
    return (rho - major) * (rho - major) + h * h < minor * minor;
}

// ---- disc

DiscPrim::DiscPrim(Vec3 c, Vec3 n, double h, double r)
    : Prim(PrimKind::Disc), centre(c), w(normalised(n)), hole(h), radius(r) {
    frameFromAxis(w, u, v);
}

void DiscPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    int around = std::max(steps(uSteps, kDefaultAround), 3);
    auto at = [&](int i, double r) {
        double c, s;
        angle(i, around, c, s);
        double k = r / radius;
        return vertex(centre + (u * c + v * s) * r, w, {0.5 + 0.5 * c * k, 0.5 + 0.5 * s * k, 0});
    };
    if (hole <= 0) {
        // A convex polygon is its own fan: one polygon for the whole disc.
        Polygon poly;
        for (int i = 0; i < around; ++i)
            poly.v.push_back(at(i, radius));
        emitPolygon(out, std::move(poly));
        return;
    }
    for (int i = 0; i < around; ++i) {
        Polygon poly;
        poly.v = {at(i, hole), at(i, radius), at(i + 1, radius), at(i + 1, hole)};
        emitPolygon(out, std::move(poly));
    }
}

// ---- superquadric

namespace {
double signedPow(double base, double e) {
    double r = std::pow(std::fabs(base), e);
    return base < 0 ? -r : r;
}
} // namespace

void SuperQPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    int around = std::max(steps(uSteps, kDefaultAround), 4);
    int rings = std::max(steps(vSteps, kDefaultRings), 2);
    auto at = [&](int i, int j) {
        double cu, su;
        angle(i, around, cu, su);
        double phi = std::numbers::pi * j / rings - std::numbers::pi / 2;
        double cv = (j == 0 || j == rings) ? 0.0 : std::cos(phi);
        double sv = j == 0 ? -1.0 : j == rings ? 1.0 : std::sin(phi);
        Vec3 p{signedPow(cv, n) * signedPow(cu, e), signedPow(cv, n) * signedPow(su, e),
               signedPow(sv, n)};
        Vec3 nn{signedPow(cv, 2 - n) * signedPow(cu, 2 - e),
                signedPow(cv, 2 - n) * signedPow(su, 2 - e), signedPow(sv, 2 - n)};
        if (!finite(nn))
            nn = p;
        return vertex(p, normalised(nn, normalised(p)), {double(i) / around, double(j) / rings, 0});
    };
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < around; ++i) {
            Polygon poly;
            poly.v = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            emitPolygon(out, std::move(poly));
        }
}

bool SuperQPrim::insideLocal(Vec3 p) const {
    double xy = std::pow(std::fabs(p.x), 2 / e) + std::pow(std::fabs(p.y), 2 / e);
    return std::pow(xy, e / n) + std::pow(std::fabs(p.z), 2 / n) < 1.0;
}

// ---- clone

void ClonePrim::tessellateLocal(TessContext& ctx, PolygonList& out) const {
    source->tessellate(ctx, out);
}
bool ClonePrim::insideLocal(Vec3 p) const {
    return source->inside(p);
}

// ---- CSG

namespace {

// Splits a polygon where it crosses the other operand's surface (found by
// bisection along each crossing edge) into the parts inside and outside it.
void splitPolygon(const Polygon& poly, const Prim& other, PolygonList* inPart,
                  PolygonList* outPart) {
    std::size_t n = poly.v.size();
    std::vector<char> in(n);
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i)
        count += (in[i] = other.inside(poly.v[i].pos)) ? 1 : 0;
    if (count == n) {
        if (inPart)
            inPart->push_back(poly);
        return;
    }
    if (count == 0) {
        if (outPart)
            outPart->push_back(poly);
        return;
    }
    Polygon inside, outside;
    inside.tag = outside.tag = poly.tag;
    for (std::size_t i = 0; i < n; ++i) {
        const Vertex& a = poly.v[i];
        const Vertex& b = poly.v[(i + 1) % n];
        (in[i] ? inside : outside).v.push_back(a);
        if (in[i] == in[(i + 1) % n])
            continue;
        double lo = 0, hi = 1; // lo keeps a's side
        for (int k = 0; k < 30; ++k) {
            double mid = 0.5 * (lo + hi);
            if (other.inside(lerp(a.pos, b.pos, mid)) == bool(in[i]))
                lo = mid;
            else
                hi = mid;
        }
        double t = 0.5 * (lo + hi);
        Vertex x{lerp(a.pos, b.pos, t), lerp(a.local, b.local, t),
                 normalised(lerp(a.normal, b.normal, t), a.normal), lerp(a.uv, b.uv, t)};
        inside.v.push_back(x);
        outside.v.push_back(x);
    }
    if (inPart)
        emitPolygon(*inPart, std::move(inside));
    if (outPart)
        emitPolygon(*outPart, std::move(outside));
}

void keep(const PolygonList& polys, const Prim& other, bool wantInside, bool flip,
          PolygonList& out) {
    PolygonList kept;
    for (const Polygon& p : polys)
        splitPolygon(p, other, wantInside ? &kept : nullptr, wantInside ? nullptr : &kept);
    for (Polygon& p : kept) {
        if (flip)
            reversePolygon(p);
        out.push_back(std::move(p));
    }
}

} // namespace

void CsgPrim::tessellateLocal(TessContext& ctx, PolygonList& out) const {
    if (kind == PrimKind::CsgOperand) {
        left->tessellate(ctx, out);
        return;
    }
    PolygonList a, b;
    left->tessellate(ctx, a);
    right->tessellate(ctx, b);
    if (ctx.failed)
        return;
    switch (operation) {
    case 1: // union: every part as it is
        out = std::move(a);
        out.insert(out.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
        break;
    case 2:
        keep(a, *right, true, false, out);
        keep(b, *left, true, false, out);
        break;
    case 3:
        keep(a, *right, false, false, out);
        keep(b, *left, true, true, out); // the cut surface faces into the hole
        break;
    case 4:
        keep(a, *right, false, false, out);
        keep(b, *left, false, false, out);
        break;
    default:
        break;
    }
}

bool CsgPrim::insideLocal(Vec3 p) const {
    if (kind == PrimKind::CsgOperand)
        return left->inside(p);
    switch (operation) {
    case 2:
        return left->inside(p) && right->inside(p);
    case 3:
        return left->inside(p) && !right->inside(p);
    default:
        return left->inside(p) || right->inside(p);
    }
}

} // namespace engine
