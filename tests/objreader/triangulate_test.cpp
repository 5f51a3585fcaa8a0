#include "objreader/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using tessoid::obj::cutConvexQuad;
using tessoid::obj::splitAtLeftmost;
using tessoid::obj::triangulatePolygon;

namespace {

using Triangles = std::vector<std::array<int32_t, 3>>;

// Places (u, v) pairs on the axes uAxis and vAxis; the third coordinate is noise that
// must not matter.
std::vector<float> embed(const std::vector<std::pair<float, float>>& uv, int uAxis, int vAxis) {
    std::vector<float> corners;
    float noise = 17.0f;
    for (auto [u, v] : uv) {
        float c[3] = {noise, noise, noise};
        c[uAxis] = u;
        c[vAxis] = v;
        corners.insert(corners.end(), c, c + 3);
        noise = -noise * 1.5f;
    }
    return corners;
}

Triangles run(const std::vector<std::pair<float, float>>& uv, int uAxis = 0, int vAxis = 1) {
    const int32_t n = static_cast<int32_t>(uv.size());
    const std::vector<float> corners = embed(uv, uAxis, vAxis);
    std::vector<int32_t> buffer(3 * (n - 2) + 3, -7); // one spare triangle catches overruns
    int32_t count = -1;
    triangulatePolygon(n, corners.data(), uAxis, vAxis, &count, buffer.data());
    EXPECT_EQ(count, n - 2);
    for (int i = 3 * (n - 2); i < 3 * (n - 2) + 3; ++i)
        EXPECT_EQ(buffer[i], -7);
    Triangles out;
    for (int32_t t = 0; t < count; ++t)
        out.push_back({buffer[3 * t], buffer[3 * t + 1], buffer[3 * t + 2]});
    return out;
}

double signedArea(const std::vector<std::pair<float, float>>& p, const std::array<int32_t, 3>& t) {
    const auto [ax, ay] = p[t[0]];
    const auto [bx, by] = p[t[1]];
    const auto [cx, cy] = p[t[2]];
    return 0.5 * ((double(bx) - ax) * (double(cy) - ay) - (double(cx) - ax) * (double(by) - ay));
}

double polygonArea(const std::vector<std::pair<float, float>>& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto [x0, y0] = p[i];
        const auto [x1, y1] = p[(i + 1) % p.size()];
        a += double(x0) * y1 - double(x1) * y0;
    }
    return 0.5 * a;
}

bool insidePolygon(const std::vector<std::pair<float, float>>& p, double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        const double xi = p[i].first, yi = p[i].second, xj = p[j].first, yj = p[j].second;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

TEST(TriangulatePolygon, AcceptanceShapes) {
    EXPECT_EQ(run({{0, 0}, {1, 0}, {0, 1}}), (Triangles{{0, 1, 2}}));
    EXPECT_EQ(run({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), (Triangles{{0, 1, 3}, {1, 2, 3}}));
    // Arrowhead: the diagonal runs to the reflex corner, leaving the notch uncovered.
    EXPECT_EQ(run({{0, 0}, {4, -2}, {2, 0}, {4, 2}}), (Triangles{{0, 2, 3}, {0, 1, 2}}));
    EXPECT_EQ(run({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}),
              (Triangles{{0, 3, 4}, {0, 2, 3}, {0, 1, 2}}));
}

TEST(TriangulatePolygon, LeftmostTieTakesTheLowerPosition) {
    // Corners 1 and 2 share the smallest U; starting at 1 cuts the ear at 1 (starting at
    // 2 would give (0, 1, 3), (1, 2, 3)).
    EXPECT_EQ(run({{2, 0}, {0, 0}, {0, 2}, {2, 2}}), (Triangles{{0, 2, 3}, {0, 1, 2}}));
    // Same square rotated in the list: now corner 0 is the leftmost with the lower position.
    EXPECT_EQ(run({{0, 2}, {2, 2}, {2, 0}, {0, 0}}), (Triangles{{0, 1, 3}, {1, 2, 3}}));
}

TEST(TriangulatePolygon, UsesOnlyTheChosenAxes) {
    const std::vector<std::pair<float, float>> arrow = {{0, 0}, {4, -2}, {2, 0}, {4, 2}};
    const Triangles expected = {{0, 2, 3}, {0, 1, 2}};
    EXPECT_EQ(run(arrow, 0, 2), expected);
    EXPECT_EQ(run(arrow, 1, 2), expected);
}

using Polygon = std::vector<std::pair<float, float>>;

// Every triangle turns the polygon's way and their areas add up to the polygon's: no gap,
// no overlap. With `centroids`, each triangle's centroid also lies inside (O(n^2)).
void expectTiled(const Polygon& poly, const Triangles& tris, bool centroids = true) {
    const size_t n = poly.size();
    ASSERT_EQ(tris.size(), n - 2);
    const double area = polygonArea(poly);
    double sum = 0;
    for (const auto& t : tris) {
        for (int32_t c : t)
            ASSERT_TRUE(c >= 0 && size_t(c) < n);
        const double a = signedArea(poly, t);
        ASSERT_GE(a * (area > 0 ? 1 : -1), -1e-9 * std::fabs(area))
            << "against the winding, n=" << n;
        sum += a;
        if (centroids && std::fabs(a) > 1e-6) {
            const double cx = (poly[t[0]].first + poly[t[1]].first + poly[t[2]].first) / 3.0;
            const double cy = (poly[t[0]].second + poly[t[1]].second + poly[t[2]].second) / 3.0;
            ASSERT_TRUE(insidePolygon(poly, cx, cy)) << "triangle outside, n=" << n;
        }
    }
    ASSERT_NEAR(sum, area, 1e-6 * std::max(1.0, std::fabs(area))) << "n=" << n;
}

// A comb: a bar along the bottom (with `bottomExtras` collinear corners on it) and
// `teeth` teeth of width 1 and height 10, one unit apart: 4 * teeth + bottomExtras corners,
// counter-clockwise.
Polygon comb(int teeth, int bottomExtras = 0) {
    Polygon p;
    const float right = float(2 * teeth - 1);
    for (int i = 0; i <= bottomExtras; ++i)
        p.push_back({right * float(i) / float(bottomExtras + 1), -1});
    p.push_back({right, -1});
    for (int i = teeth - 1; i >= 0; --i) {
        p.push_back({float(2 * i + 1), 10});
        p.push_back({float(2 * i), 10});
        if (i > 0) {
            p.push_back({float(2 * i), 0});
            p.push_back({float(2 * i - 1), 0});
        }
    }
    return p;
}

Polygon circle(int n, double radius = 100) {
    Polygon p;
    for (int i = 0; i < n; ++i)
        p.push_back({float(radius * std::cos(2 * M_PI * i / n)),
                     float(radius * std::sin(2 * M_PI * i / n))});
    return p;
}

} // namespace

TEST(TriangulatePolygon, RandomSimplePolygonsAreCoveredExactlyWithTheirWinding) {
    std::mt19937 rng(12345);
    for (int iteration = 0; iteration < 20000; ++iteration) {
        const int n = 3 + static_cast<int>(rng() % 60); // both sides of the 16-corner switch
        // Star-shaped around the origin: sorted angles, wildly varying radii (deep notches).
        std::vector<double> angles(n);
        for (double& a : angles)
            a = std::uniform_real_distribution<double>(0, 2 * M_PI)(rng);
        std::sort(angles.begin(), angles.end());
        // Around the origin only while no angular gap reaches half a turn; else not simple.
        double gap = angles[0] + 2 * M_PI - angles[n - 1];
        for (int i = 1; i < n; ++i)
            gap = std::max(gap, angles[i] - angles[i - 1]);
        if (gap >= 0.95 * M_PI)
            continue;
        Polygon poly;
        for (double a : angles) {
            const double r = std::uniform_real_distribution<double>(0.05, 10.0)(rng);
            poly.push_back({float(r * std::cos(a)), float(r * std::sin(a))});
        }
        if (rng() % 2)
            std::reverse(poly.begin(), poly.end());
        if (std::fabs(polygonArea(poly)) < 1e-3)
            continue;
        expectTiled(poly, run(poly, 0, 1));
        if (HasFatalFailure())
            return;
    }
}

// The quad shortcut must cut every quad as the general splitter does: random quads,
// integer ones full of collinear corners, tiny steps like a fine grid's, wide ranges of
// magnitude, and corners on or next to a diagonal, on every pair of axes.
TEST(TriangulatePolygon, QuadsAreCutAsTheGeneralSplitterCutsThem) {
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> unit(-1, 1);
    const auto coordinate = [&](int kind) {
        switch (kind) {
        case 0:
            return unit(rng);
        case 1:
            return float(int(rng() % 7) - 3);
        case 2:
            return float(int(rng() % 5)) * 0.01f + (rng() % 4 == 0 ? unit(rng) * 1e-6f : 0.f);
        case 3:
            return unit(rng) * std::pow(10.f, float(int(rng() % 17) - 8));
        default:
            return float(int(rng() % 3));
        }
    };
    int differing = 0, convexAnswers = 0, convexDiffering = 0;
    for (int i = 0; i < 300000; ++i) {
        float corners[12];
        const int kind = i % 6;
        for (float& c : corners)
            c = coordinate(kind % 5);
        if (kind == 5) { // a corner on or next to the diagonal of two others
            const int a = int(rng() % 4), b = (a + 2) % 4, m = (a + 1) % 4;
            const float t = unit(rng) * 0.5f + 0.5f;
            for (int d = 0; d < 3; ++d)
                corners[3 * m + d] = corners[3 * a + d] +
                                     t * (corners[3 * b + d] - corners[3 * a + d]) +
                                     (rng() % 2 ? unit(rng) * 1e-4f : 0.f);
        }
        static const int axes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        const int* ax = axes[rng() % 3];
        int32_t quick[6], general[6], quickCount = 0, generalCount = 0;
        triangulatePolygon(4, corners, ax[0], ax[1], &quickCount, quick);
        splitAtLeftmost(4, corners, ax[0], ax[1], &generalCount, general);
        ASSERT_EQ(quickCount, 2);
        ASSERT_EQ(generalCount, 2);
        if (!std::equal(quick, quick + 6, general))
            ++differing;
        int32_t convex[6];
        if (cutConvexQuad(corners, ax[0], ax[1], convex)) {
            ++convexAnswers;
            if (!std::equal(convex, convex + 6, general))
                ++convexDiffering;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(convexDiffering, 0);
    EXPECT_GT(convexAnswers, 50000); // the shortcut took a fair share
}

// The convex shortcut answers only where no rounding could make the general test disagree.
TEST(TriangulatePolygon, ConvexQuadShortcutRefusesAllButClearlyConvexQuads) {
    const auto cut = [](const std::vector<std::pair<float, float>>& uv, int32_t* out) {
        const std::vector<float> corners = embed(uv, 0, 2);
        return cutConvexQuad(corners.data(), 0, 2, out);
    };
    int32_t out[6];
    ASSERT_TRUE(cut({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, out)); // leftmost 0: through 1 and 3
    EXPECT_EQ(std::vector<int32_t>(out, out + 6), (std::vector<int32_t>{0, 1, 3, 1, 2, 3}));
    ASSERT_TRUE(cut({{1, 0}, {0, 0}, {0, 1}, {1, 1}}, out)); // leftmost 1: through 0 and 2
    EXPECT_EQ(std::vector<int32_t>(out, out + 6), (std::vector<int32_t>{0, 2, 3, 0, 1, 2}));
    // The smallest float steps still give certain sides.
    EXPECT_TRUE(cut({{0, 0}, {0x1p-149f, 0}, {0x1p-149f, 0x1p-149f}, {0, 0x1p-149f}}, out));
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::vector<std::pair<float, float>>> refused = {
        {{0, 0}, {2, -1}, {0.5f, 0}, {2, 1}}, // a dart: the far corner on m's side
        {{0, 0}, {1, -1}, {1, 0}, {1, 1}},    // the far corner on the chord
        // Convex, but the far corner lies one unit off a chord of 2^23: within rounding.
        {{0, 0}, {8388594, 8388618}, {2446674, 2446681}, {1, 1}},
        {{0, 0}, {0, 0}, {0, 0}, {0, 0}},   // all in one point
        {{0, 0}, {1, 0}, {inf, 1}, {0, 1}}, // an infinite coordinate
    };
    for (const auto& quad : refused) {
        std::fill(out, out + 6, -7);
        EXPECT_FALSE(cut(quad, out)) << quad[2].first;
        EXPECT_TRUE(std::all_of(out, out + 6, [](int32_t t) { return t == -7; }));
    }
}

TEST(TriangulatePolygon, LargeCombsAndCirclesAreTiledExactly) {
    expectTiled(comb(16, 2), run(comb(16, 2))); // 66 corners
    Polygon reversed = comb(16, 2);
    std::reverse(reversed.begin(), reversed.end());
    expectTiled(reversed, run(reversed));
    expectTiled(comb(5), run(comb(5)));       // 20 corners
    expectTiled(comb(50), run(comb(50)));     // 200 corners
    expectTiled(comb(1024), run(comb(1024))); // 4,096 corners
    expectTiled(circle(200), run(circle(200)));
    expectTiled(circle(4096), run(circle(4096)));
    // 100,000 corners: the centroid check alone would be quadratic.
    expectTiled(comb(25000), run(comb(25000)), false);
    expectTiled(circle(100000, 1e4), run(circle(100000, 1e4)), false);
}

TEST(TriangulatePolygon, DegenerateLargePolygonsStillGiveEveryTriangle) {
    // All corners on one point, all on one line, a self-intersecting star, NaN corners:
    // n - 2 triangles of valid corner numbers each time (run checks the count and bounds).
    for (int n : {17, 1000, 100000}) {
        SCOPED_TRACE(n);
        run(Polygon(size_t(n), {1, 1}));
        Polygon line, star, broken;
        for (int i = 0; i < n; ++i) {
            line.push_back({float(i % 7), float(i % 7)});
            const double a = 2 * M_PI * 0.45 * i; // a pentagram-like winding star
            star.push_back({float(std::cos(a)), float(std::sin(a))});
            broken.push_back({i % 3 ? float(i) : NAN, float(i % 5)});
        }
        for (const Polygon& p : {line, star, broken}) {
            const Triangles tris = run(p);
            for (const auto& t : tris)
                for (int32_t c : t)
                    ASSERT_TRUE(c >= 0 && c < n);
        }
    }
}
