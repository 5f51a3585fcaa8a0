#include "objreader/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

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
    for (int i = 3 * (n - 2); i < 3 * (n - 2) + 3; ++i) EXPECT_EQ(buffer[i], -7);
    Triangles out;
    for (int32_t t = 0; t < count; ++t) out.push_back({buffer[3 * t], buffer[3 * t + 1], buffer[3 * t + 2]});
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
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

} // namespace

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

TEST(TriangulatePolygon, RandomSimplePolygonsAreCoveredExactlyWithTheirWinding) {
    std::mt19937 rng(12345);
    for (int iteration = 0; iteration < 20000; ++iteration) {
        const int n = 3 + static_cast<int>(rng() % 30); // beyond the reader's 16 as well
        // Star-shaped around the origin: sorted angles, wildly varying radii (deep notches).
        std::vector<double> angles(n);
        for (double& a : angles) a = std::uniform_real_distribution<double>(0, 2 * M_PI)(rng);
        std::sort(angles.begin(), angles.end());
        // Around the origin only while no angular gap reaches half a turn; else not simple.
        double gap = angles[0] + 2 * M_PI - angles[n - 1];
        for (int i = 1; i < n; ++i) gap = std::max(gap, angles[i] - angles[i - 1]);
        if (gap >= 0.95 * M_PI) continue;
        std::vector<std::pair<float, float>> poly;
        for (double a : angles) {
            const double r = std::uniform_real_distribution<double>(0.05, 10.0)(rng);
            poly.push_back({float(r * std::cos(a)), float(r * std::sin(a))});
        }
        if (rng() % 2) std::reverse(poly.begin(), poly.end());
        const double area = polygonArea(poly);
        if (std::fabs(area) < 1e-3) continue;
        const Triangles tris = run(poly, 0, 1);
        double sum = 0;
        for (const auto& t : tris) {
            const double a = signedArea(poly, t);
            EXPECT_GE(a * (area > 0 ? 1 : -1), -1e-9) << "triangle against the winding, n=" << n;
            sum += a;
            if (std::fabs(a) > 1e-6) {
                const double cx = (poly[t[0]].first + poly[t[1]].first + poly[t[2]].first) / 3.0;
                const double cy = (poly[t[0]].second + poly[t[1]].second + poly[t[2]].second) / 3.0;
                EXPECT_TRUE(insidePolygon(poly, cx, cy)) << "triangle outside, n=" << n;
            }
        }
        ASSERT_NEAR(sum, area, 1e-6 * std::max(1.0, std::fabs(area))) << "n=" << n;
    }
}
