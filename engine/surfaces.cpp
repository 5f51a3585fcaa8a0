// Bicubic patch meshes, triangle bags and blobs.
#include <algorithm>
#include <array>
#include <numbers>

#include "engine/shapes.h"

namespace engine {

// ---- bicubic patches

namespace {

void bernstein(double t, double b[4], double d[4]) {
    double s = 1 - t;
    b[0] = s * s * s;
    b[1] = 3 * t * s * s;
    b[2] = 3 * t * t * s;
    b[3] = t * t * t;
    d[0] = -3 * s * s;
    d[1] = 3 * s * s - 6 * t * s;
    d[2] = 6 * t * s - 3 * t * t;
    d[3] = 3 * t * t;
}

struct PatchSample {
    Vec3 pos, du, dv;
};

PatchSample evalPatch(const Vec3 (&c)[4][4], double u, double v) {
    double bu[4], du[4], bv[4], dv[4];
    bernstein(u, bu, du);
    bernstein(v, bv, dv);
    PatchSample r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            r.pos = r.pos + c[row][col] * (bu[col] * bv[row]);
            r.du = r.du + c[row][col] * (du[col] * bv[row]);
            r.dv = r.dv + c[row][col] * (bu[col] * dv[row]);
        }
    return r;
}

} // namespace

void SplineMeshPrim::tessellateLocal(TessContext& ctx, PolygonList& out) const {
    // The steps are samples per patch side (2^k + 1 from the modeller).
    int nu = uSteps > 1 ? uSteps - 1 : 8, nv = vSteps > 1 ? vSteps - 1 : 8;
    if (!ctx.allow(double(patches.size() / 16) * nu * nv))
        return;
    for (std::size_t p = 0; p + 16 <= patches.size(); p += 16) {
        Vec3 c[4][4];
        for (int k = 0; k < 16; ++k)
            c[k / 4][k % 4] = points[std::size_t(patches[p + std::size_t(k)])];
        std::vector<Vertex> grid(std::size_t(nu + 1) * std::size_t(nv + 1));
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i) {
                double u = double(i) / nu, v = double(j) / nv;
                PatchSample s = evalPatch(c, u, v);
                Vec3 n = cross(s.du, s.dv);
                if (!(length(n) > 1e-12 * (1 + dot(s.pos, s.pos)))) {
                    // Collapsed edge: take the normal from just inside the patch.
                    PatchSample t = evalPatch(c, u + (0.5 - u) * 1e-3, v + (0.5 - v) * 1e-3);
                    n = cross(t.du, t.dv);
                }
                grid[std::size_t(j) * std::size_t(nu + 1) + std::size_t(i)] = {
                    s.pos, s.pos, normalised(n), {u, v, 0}};
            }
        auto g = [&](int i, int j) {
            return grid[std::size_t(j) * std::size_t(nu + 1) + std::size_t(i)];
        };
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                Polygon poly;
                poly.v = {g(i, j), g(i + 1, j), g(i + 1, j + 1), g(i, j + 1)};
                emitPolygon(out, std::move(poly));
            }
    }
}

// ---- triangle bags

namespace {

Vec3 faceNormalOf(const TriBagPrim& bag, std::size_t f) {
    const Vec3& a = bag.vertices[std::size_t(bag.faces[3 * f])];
    const Vec3& b = bag.vertices[std::size_t(bag.faces[3 * f + 1])];
    const Vec3& c = bag.vertices[std::size_t(bag.faces[3 * f + 2])];
    return cross(b - a, c - a);
}

double cornerAngle(const TriBagPrim& bag, std::size_t corner) {
    std::size_t f = corner / 3, j = corner % 3;
    const Vec3& p = bag.vertices[std::size_t(bag.faces[3 * f + j])];
    Vec3 a = bag.vertices[std::size_t(bag.faces[3 * f + (j + 1) % 3])] - p;
    Vec3 b = bag.vertices[std::size_t(bag.faces[3 * f + (j + 2) % 3])] - p;
    return std::atan2(length(cross(a, b)), dot(a, b));
}

// Corner normals averaged over the faces that meet at the same position (not
// just the same index, so triangle soups smooth too) and bend by at most `angle`.
std::vector<Vec3> smoothNormals(const TriBagPrim& bag, const std::vector<Vec3>& faceN) {
    std::size_t corners = bag.faces.size();
    std::vector<std::size_t> order(corners);
    for (std::size_t i = 0; i < corners; ++i)
        order[i] = i;
    auto key = [&](std::size_t c) {
        const Vec3& p = bag.vertices[std::size_t(bag.faces[c])];
        return std::array<double, 3>{p.x, p.y, p.z};
    };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    double cosLimit = std::cos(std::min(bag.smoothAngle, 180.0) * std::numbers::pi / 180.0);
    std::vector<Vec3> result(corners);
    for (std::size_t first = 0; first < corners;) {
        std::size_t last = first;
        while (last < corners && key(order[last]) == key(order[first]))
            ++last;
        for (std::size_t i = first; i < last; ++i) {
            std::size_t c = order[i];
            Vec3 mine = faceN[c / 3], sum;
            for (std::size_t j = first; j < last; ++j) {
                Vec3 other = faceN[order[j] / 3];
                // Weighted by the corner's angle, so how a face was cut into triangles doesn't
                // matter.
                if (dot(mine, other) >= cosLimit - 1e-12)
                    sum = sum + other * cornerAngle(bag, order[j]);
            }
            result[c] = normalised(sum, mine);
        }
        first = last;
    }
    return result;
}

} // namespace

void TriBagPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    std::size_t faceCount = faces.size() / 3;
    std::vector<Vec3> faceN(faceCount);
    for (std::size_t f = 0; f < faceCount; ++f)
        faceN[f] = normalised(faceNormalOf(*this, f), {0, 0, 0});
    std::vector<Vec3> smooth;
    if (smoothAngle > 0)
        smooth = smoothNormals(*this, faceN);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (faceN[f].x == 0 && faceN[f].y == 0 && faceN[f].z == 0)
            continue; // no area
        Polygon poly;
        for (std::size_t j = 0; j < 3; ++j) {
            std::size_t vi = std::size_t(faces[3 * f + j]);
            Vec3 n = faceN[f];
            if (!smooth.empty())
                n = smooth[3 * f + j];
            else if (!normals.empty())
                n = normalised(normals[vi], faceN[f]);
            poly.v.push_back({vertices[vi], vertices[vi], n, uvs.empty() ? Vec3{} : uvs[vi]});
        }
        emitPolygon(out, std::move(poly));
    }
}

bool TriBagPrim::insideLocal(Vec3 p) const {
    // Parity of crossings along a slightly skewed ray, so edges and vertices are rarely hit.
    const Vec3 dir = normalised({1, 0.000123456, 0.000234567});
    int hits = 0;
    for (std::size_t f = 0; f + 2 < faces.size(); f += 3) {
        const Vec3& a = vertices[std::size_t(faces[f])];
        Vec3 e1 = vertices[std::size_t(faces[f + 1])] - a,
             e2 = vertices[std::size_t(faces[f + 2])] - a;
        Vec3 h = cross(dir, e2);
        double det = dot(e1, h);
        if (std::fabs(det) < 1e-300)
            continue;
        double inv = 1.0 / det;
        Vec3 s = p - a;
        double u = dot(s, h) * inv;
        if (u < 0 || u > 1)
            continue;
        Vec3 q = cross(s, e1);
        double v = dot(dir, q) * inv;
        if (v < 0 || u + v > 1)
            continue;
        if (dot(e2, q) * inv > 0)
            ++hits;
    }
    return hits % 2 == 1;
}

// ---- blobs

namespace {

// Squared distance to the component's core (centre or segment) and the vector from it.
double coreDistance2(const BlobComponent& c, Vec3 p, Vec3& away) {
    Vec3 closest = c.a;
    if (c.cylinder) {
        Vec3 d = c.b - c.a;
        double len2 = dot(d, d);
        if (len2 > 0)
            closest = c.a + d * std::clamp(dot(p - c.a, d) / len2, 0.0, 1.0);
    }
    away = p - closest;
    return dot(away, away);
}

} // namespace

double BlobPrim::field(Vec3 p) const {
    double sum = 0;
    for (const BlobComponent& c : components) {
        Vec3 away;
        double q = coreDistance2(c, p, away) / (c.radius * c.radius);
        if (q < 1)
            sum += c.strength * (1 - q) * (1 - q);
    }
    return sum;
}

Vec3 BlobPrim::gradient(Vec3 p) const {
    Vec3 g;
    for (const BlobComponent& c : components) {
        Vec3 away;
        double r2 = c.radius * c.radius;
        double q = coreDistance2(c, p, away) / r2;
        if (q < 1)
            g = g + away * (-4 * c.strength * (1 - q) / r2);
    }
    return g;
}

bool BlobPrim::insideLocal(Vec3 p) const {
    return field(p) > threshold;
}

void BlobPrim::tessellateLocal(TessContext&, PolygonList& out) const {
    // Only positive components can lift the field over a positive threshold.
    bool any = false;
    Vec3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (const BlobComponent& c : components) {
        if (c.strength <= 0)
            continue;
        any = true;
        for (Vec3 e : {c.a, c.cylinder ? c.b : c.a}) {
            lo = {std::min(lo.x, e.x - c.radius), std::min(lo.y, e.y - c.radius),
                  std::min(lo.z, e.z - c.radius)};
            hi = {std::max(hi.x, e.x + c.radius), std::max(hi.y, e.y + c.radius),
                  std::max(hi.z, e.z + c.radius)};
        }
    }
    if (!any)
        return;
    int cells = std::clamp(uSteps > 0 ? uSteps : 40, 4, 160);
    double extent = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
    double h = extent / cells;
    lo = lo - Vec3{h, h, h};
    int dim[3] = {int(std::ceil((hi.x - lo.x) / h)) + 2, int(std::ceil((hi.y - lo.y) / h)) + 2,
                  int(std::ceil((hi.z - lo.z) / h)) + 2};
    auto gridPoint = [&](int i, int j, int k) {
        return Vec3{lo.x + i * h, lo.y + j * h, lo.z + k * h};
    };
    std::size_t nx = std::size_t(dim[0]), ny = std::size_t(dim[1]);
    std::vector<double> value(nx * ny * std::size_t(dim[2]));
    for (int k = 0; k < dim[2]; ++k)
        for (int j = 0; j < dim[1]; ++j)
            for (int i = 0; i < dim[0]; ++i)
                value[(std::size_t(k) * ny + std::size_t(j)) * nx + std::size_t(i)] =
                    field(gridPoint(i, j, k)) - threshold;

    Vec3 mid = (lo + hi) * 0.5;
    double zSpan = hi.z - lo.z;
    auto surfaceVertex = [&](Vec3 a, double fa, Vec3 b, double fb) {
        // Regula falsi (Illinois) along the edge, so vertices sit on the isosurface.
        double ta = 0, tb = 1;
        double t = fa / (fa - fb);
        for (int it = 0; it < 40; ++it) {
            double f = field(lerp(a, b, t)) - threshold;
            if (std::fabs(f) < 1e-12)
                break;
            if ((f > 0) == (fa > 0)) {
                ta = t;
                fa = f;
                fb *= 0.5;
            } else {
                tb = t;
                fb = f;
                fa *= 0.5;
            }
            t = ta + (tb - ta) * fa / (fa - fb);
        }
        Vec3 p = lerp(a, b, t);
        Vec3 n = normalised(-gradient(p), normalised(p - mid));
        double u = 0.5 + std::atan2(p.y - mid.y, p.x - mid.x) / (2 * std::numbers::pi);
        return Vertex{
            p, p, n, {std::clamp(u, 0.0, 1.0), std::clamp((p.z - lo.z) / zSpan, 0.0, 1.0), 0}};
    };
    // Six tetrahedra about the cube's main diagonal; neighbouring cubes share their faces' splits.
    static const int tets[6][4] = {{0, 1, 3, 7}, {0, 3, 2, 7}, {0, 2, 6, 7},
                                   {0, 6, 4, 7}, {0, 4, 5, 7}, {0, 5, 1, 7}};
    for (int k = 0; k + 1 < dim[2]; ++k)
        for (int j = 0; j + 1 < dim[1]; ++j)
            for (int i = 0; i + 1 < dim[0]; ++i) {
                Vec3 cp[8];
                double cv[8];
                bool mixed = false, first = false;
                for (int c = 0; c < 8; ++c) {
                    int ci = i + (c & 1), cj = j + ((c >> 1) & 1), ck = k + ((c >> 2) & 1);
                    cp[c] = gridPoint(ci, cj, ck);
                    cv[c] = value[(std::size_t(ck) * ny + std::size_t(cj)) * nx + std::size_t(ci)];
                    bool in = cv[c] > 0;
                    if (c == 0)
                        first = in;
                    else if (in != first)
                        mixed = true;
                }
                if (!mixed)
                    continue;
                for (const auto& t : tets) {
                    int ins[4], outs[4], ni = 0, no = 0;
                    for (int c : t)
                        (cv[c] > 0 ? ins[ni++] : outs[no++]) = c;
                    if (ni == 0 || no == 0)
                        continue;
                    Polygon poly;
                    auto edge = [&](int a, int b) {
                        poly.v.push_back(surfaceVertex(cp[a], cv[a], cp[b], cv[b]));
                    };
                    if (ni == 1) {
                        edge(ins[0], outs[0]), edge(ins[0], outs[1]), edge(ins[0], outs[2]);
                    } else if (no == 1) {
                        edge(ins[0], outs[0]), edge(ins[1], outs[0]), edge(ins[2], outs[0]);
                    } else {
                        edge(ins[0], outs[0]), edge(ins[0], outs[1]), edge(ins[1], outs[1]),
                            edge(ins[1], outs[0]);
                    }
                    Vec3 g = cross(poly.v[1].pos - poly.v[0].pos, poly.v[2].pos - poly.v[0].pos);
                    if (poly.v.size() == 4)
                        g = g + cross(poly.v[2].pos - poly.v[0].pos, poly.v[3].pos - poly.v[0].pos);
                    Vec3 nsum;
                    for (const Vertex& v : poly.v)
                        nsum = nsum + v.normal;
                    if (dot(g, nsum) < 0)
                        std::reverse(poly.v.begin() + 1, poly.v.end());
                    emitPolygon(out, std::move(poly));
                }
            }
}

} // namespace engine
