// Profiles (lathe, sweep), patch meshes, triangle bags and blobs.
#include <numbers>

#include "tests/engine/engine_test_util.h"

using namespace enginetest;

namespace {

constexpr double kPi = std::numbers::pi;

TEST_F(EngineTest, LatheOfAPolylineFollowsItAndFacesOutwardEitherWay) {
    // A cylinder-like lathe, profile given upwards and downwards.
    const double up[] = {1, 0, 1, 1, 1, 1};
    const double down[] = {1, 1, 1, 1, 0, 1};
    for (const double* profile : {up, down}) {
        Capture cap = tessellate(CreateLathe(scene, 1, 2, profile));
        expectWellFormed(cap);
        EXPECT_NEAR(cap.area(), 2 * kPi, 0.05);
        cap.forEachCorner([](const Corner& c, const Poly&) {
            EXPECT_NEAR(std::hypot(c.pos[0], c.pos[1]), 1.0, 1e-12);
            EXPECT_GT(c.normal[0] * c.pos[0] + c.normal[1] * c.pos[1], 0.99);
        });
    }
}

TEST_F(EngineTest, LatheCurveTypes) {
    // Type 3: (1,0) and (1,1) are anchors, (2,0.5) a control point (w = 0): a
    // quadratic Bezier whose radius is 1 + 2t(1 - t) at height t.
    const double bezier[] = {1, 0, 1, 2, 0.5, 0, 1, 1, 1};
    EngineHandle b = CreateLathe(scene, 3, 3, bezier);
    ASSERT_EQ(SetPrimUV(scene, b, 16, 8), 0);
    Capture cap = tessellate(b);
    expectWellFormed(cap);
    double maxRadius = 0;
    cap.forEachCorner([&](const Corner& c, const Poly&) {
        double t = c.pos[2], rho = std::hypot(c.pos[0], c.pos[1]);
        EXPECT_NEAR(rho, 1 + 2 * t * (1 - t), 1e-12);
        maxRadius = std::max(maxRadius, rho);
    });
    EXPECT_NEAR(maxRadius, 1.5, 1e-12);

    // Type 2 passes through every given point and bulges smoothly between them.
    const double spline[] = {1, 0, 1, 2, 0.5, 1, 1, 1, 1};
    Capture smooth = tessellate(CreateLathe(scene, 2, 3, spline));
    expectWellFormed(smooth);
    bool throughMiddle = false;
    smooth.forEachCorner([&](const Corner& c, const Poly&) {
        if (std::fabs(c.pos[2] - 0.5) < 1e-12 &&
            std::fabs(std::hypot(c.pos[0], c.pos[1]) - 2) < 1e-12)
            throughMiddle = true;
    });
    EXPECT_TRUE(throughMiddle);
    // The same points as a polyline give straight segments: fewer, flat-shaded rings.
    Capture straight = tessellate(CreateLathe(scene, 1, 3, spline));
    EXPECT_LT(straight.polys.size(), smooth.polys.size());
}

TEST_F(EngineTest, SweepIsAClosedPrismWithOutwardFaces) {
    // An L of three unit squares, given clockwise and with its closing point.
    const double l[] = {0, 0, 1, 0, 2, 1, 1, 2, 1, 1, 1, 1, 2, 1, 1, 2, 0, 1, 0, 0, 1};
    EngineHandle sweep = CreateSweep(scene, 1, 7, l);
    Capture cap = tessellate(sweep);
    expectWellFormed(cap);
    // Caps 2 * 3, sides perimeter 8 * height 1.
    EXPECT_NEAR(cap.area(), 14.0, 1e-9);
    cap.forEachCorner([](const Corner& c, const Poly& p) {
        EXPECT_TRUE(c.pos[2] == 0.0 || c.pos[2] == 1.0);
        if (p.tag != 0) {
            EXPECT_EQ(c.normal[2], p.tag == 1 ? -1.0 : 1.0);
        }
    });
    // Closed: every edge is shared by exactly two polygons' fan outlines in opposite directions.
    std::map<std::pair<V3, V3>, int> edges;
    for (const Poly& p : cap.polys)
        for (std::size_t k = 0; k < p.c.size(); ++k)
            edges[{p.c[k].pos, p.c[(k + 1) % p.c.size()].pos}]++;
    int unmatched = 0;
    for (const auto& [e, count] : edges) {
        auto back = edges.find({e.second, e.first});
        if (back == edges.end() || back->second != count)
            ++unmatched;
    }
    EXPECT_EQ(unmatched, 0);
}

TEST_F(EngineTest, GlyphExtrusionTapersTheFarEnd) {
    const double square[] = {-1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1};
    EngineHandle glyph = CreateSweep(scene, 1, 4, square);
    ASSERT_EQ(SetGlyphConeFlag(scene, glyph, 1), 0);
    ASSERT_EQ(SetGlyphExtrusion(scene, glyph, 2, 0.5), 0);
    Capture cap = tessellate(glyph);
    expectWellFormed(cap);
    cap.forEachCorner([](const Corner& c, const Poly&) {
        double half = c.pos[2] == 0 ? 1.0 : 0.5;
        EXPECT_TRUE(c.pos[2] == 0 || c.pos[2] == 2);
        EXPECT_EQ(std::max(std::fabs(c.pos[0]), std::fabs(c.pos[1])), half);
    });
}

TEST_F(EngineTest, BicubicPatchReproducesTheSaddle) {
    // Control points (i/3, j/3, ij/9) make the bicubic patch exactly z = xy.
    std::vector<double> pts;
    int patch[16];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            pts.insert(pts.end(), {i / 3.0, j / 3.0, i * j / 9.0});
            patch[4 * j + i] = 4 * j + i;
        }
    EngineHandle mesh = CreateSplineMesh(scene, 0, 16, pts.data(), 1, patch);
    ASSERT_EQ(SetPrimUV(scene, mesh, 5, 3), 0); // samples per side
    Capture cap = tessellate(mesh);
    expectWellFormed(cap);
    EXPECT_EQ(cap.polys.size(), 4u * 2u);
    cap.forEachCorner([](const Corner& c, const Poly&) {
        EXPECT_NEAR(c.pos[2], c.pos[0] * c.pos[1], 1e-12);
        V3 expected{-c.pos[1], -c.pos[0], 1}; // (-dz/dx, -dz/dy, 1)
        EXPECT_NEAR(dot(c.normal, expected) / norm(expected), 1.0, 1e-9);
        EXPECT_NEAR(c.uv[0], c.pos[0], 1e-12);
        EXPECT_NEAR(c.uv[1], c.pos[1], 1e-12);
    });
}

// A unit cube -1..1 as 8 shared vertices and 12 outward triangles.
struct CubeBag {
    std::vector<float> v;
    std::vector<int> f;
    CubeBag() {
        for (int i = 0; i < 8; ++i)
            v.insert(v.end(), {i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f});
        f = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
             2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    }
    // The same cube as a soup: three vertices of its own per triangle.
    void soup(std::vector<float>& sv, std::vector<int>& sf) const {
        for (std::size_t k = 0; k < f.size(); ++k) {
            for (int i = 0; i < 3; ++i)
                sv.push_back(v[3 * std::size_t(f[k]) + std::size_t(i)]);
            sf.push_back(int(k));
        }
    }
};

TEST_F(EngineTest, TriangleBagFlatThenSmoothedByAngle) {
    CubeBag cube;
    EngineHandle flat = CreateTriBagF(scene, 8, cube.v.data(), nullptr, 12, cube.f.data(), 1);
    Capture cap = tessellate(flat);
    expectWellFormed(cap);
    EXPECT_EQ(cap.polys.size(), 12u);
    EXPECT_NEAR(cap.area(), 24.0, 1e-9);
    cap.forEachCorner([](const Corner& c, const Poly& p) {
        EXPECT_EQ(c.normal, p.c[0].normal); // flat
        EXPECT_NEAR(std::fabs(dot(c.normal, c.pos)), 1.0, 1e-12);
    });

    // Faces meet at 90 degrees: a limit of 45 keeps them flat, 91 rounds every corner
    // to its diagonal whether the cube shares vertices or is a triangle soup.
    std::vector<float> sv;
    std::vector<int> sf;
    cube.soup(sv, sf);
    for (bool shared : {true, false}) {
        EngineHandle sharp =
            shared ? CreateTriBagF(scene, 8, cube.v.data(), nullptr, 12, cube.f.data(), 1)
                   : CreateTriBagF(scene, 36, sv.data(), nullptr, 12, sf.data(), 1);
        EngineHandle round =
            shared ? CreateTriBagF(scene, 8, cube.v.data(), nullptr, 12, cube.f.data(), 1)
                   : CreateTriBagF(scene, 36, sv.data(), nullptr, 12, sf.data(), 1);
        ASSERT_EQ(SmoothTriBag(scene, sharp, 45), 0);
        ASSERT_EQ(SmoothTriBag(scene, round, 91), 0);
        tessellate(sharp).forEachCorner(
            [](const Corner& c, const Poly& p) { EXPECT_EQ(c.normal, p.c[0].normal); });
        Capture r = tessellate(round);
        expectWellFormed(r);
        r.forEachCorner([](const Corner& c, const Poly&) {
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(c.normal[std::size_t(i)], c.pos[std::size_t(i)] / std::sqrt(3.0),
                            1e-12);
        });
    }
}

TEST_F(EngineTest, TriangleBagCarriesTextureCoordinates) {
    const float v[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float uv[] = {0.25f, 0.5f, 0, 0.75f, 0.5f, 0, 0.25f, 1, 0};
    const int f[] = {0, 1, 2};
    Capture cap = tessellate(CreateTriBag2F(scene, 3, v, nullptr, uv, 1, f, 1));
    expectWellFormed(cap);
    ASSERT_EQ(cap.polys.size(), 1u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(cap.polys[0].c[k].uv[0], uv[3 * k]);
        EXPECT_EQ(cap.polys[0].c[k].uv[1], uv[3 * k + 1]);
        EXPECT_EQ(cap.polys[0].c[k].normal, (V3{0, 0, 1}));
    }
}

TEST_F(EngineTest, BlobSurfaceIsTheThresholdIsosurface) {
    // One sphere component: field s(1 - d^2/r^2)^2 = t at d = r sqrt(1 - sqrt(t/s)).
    EngineHandle one = CreateBlob(scene);
    ASSERT_EQ(SetBlobThreshold(scene, one, 0.25), 0);
    ASSERT_EQ(AddBlobSphereComponent(scene, one, 1, 2, 3, 2, 1), 0);
    ASSERT_EQ(UpdatePrim(scene, one), 0);
    Capture cap = tessellate(one);
    expectWellFormed(cap);
    double radius = 2 * std::sqrt(0.5);
    EXPECT_NEAR(cap.area(), 4 * kPi * radius * radius, 4 * kPi * radius * radius * 0.03);
    cap.forEachCorner([&](const Corner& c, const Poly&) {
        V3 d = sub(c.pos, {1, 2, 3});
        EXPECT_NEAR(norm(d), radius, 1e-9);
        EXPECT_NEAR(dot(c.normal, d) / norm(d), 1.0, 1e-9);
    });

    // Two spheres and a cylinder, one of them subtractive: vertices on the
    // isosurface, normals along the falling field.
    EngineHandle many = CreateBlob(scene);
    SetBlobThreshold(scene, many, 0.5);
    AddBlobSphereComponent(scene, many, -0.6, 0, 0, 1, 1);
    AddBlobSphereComponent(scene, many, 0.6, 0, 0, 1, 1);
    AddBlobSphereComponent(scene, many, 0, 0, 0.8, 0.5, -1);
    AddBlobCylinderComponent(scene, many, 0, -1, 0, 0, 1, 0, 0.5, 1.5);
    SetBlobSolver(scene, many, 2);
    Capture mixed = tessellate(many);
    expectWellFormed(mixed);
    auto field = [](V3 p) {
        auto bump = [](double d2, double r, double s) {
            return d2 < r * r ? s * std::pow(1 - d2 / (r * r), 2) : 0.0;
        };
        double yc = std::clamp(p[1], -1.0, 1.0);
        return bump(dot(sub(p, {-0.6, 0, 0}), sub(p, {-0.6, 0, 0})), 1, 1) +
               bump(dot(sub(p, {0.6, 0, 0}), sub(p, {0.6, 0, 0})), 1, 1) +
               bump(dot(sub(p, {0, 0, 0.8}), sub(p, {0, 0, 0.8})), 0.5, -1) +
               bump(dot(sub(p, {0, yc, 0}), sub(p, {0, yc, 0})), 0.5, 1.5);
    };
    mixed.forEachCorner([&](const Corner& c, const Poly&) {
        EXPECT_NEAR(field(c.pos), 0.5, 1e-9);
        V3 step{c.pos[0] + 1e-4 * c.normal[0], c.pos[1] + 1e-4 * c.normal[1],
                c.pos[2] + 1e-4 * c.normal[2]};
        EXPECT_LT(field(step), 0.5);
    });

    // Nothing positive to enclose: no polygons.
    EngineHandle empty = CreateBlob(scene);
    AddBlobSphereComponent(scene, empty, 0, 0, 0, 1, -1);
    EXPECT_TRUE(tessellate(empty).polys.empty());
}

} // namespace
