// Each analytic shape lies on its surface with outward unit normals, and
// transformations apply in call order.
#include <numbers>

#include "tests/engine/engine_test_util.h"

using namespace enginetest;

namespace {

constexpr double kPi = std::numbers::pi;

TEST_F(EngineTest, BoxFacesLieAtPlusMinusOne) {
    Capture cap = tessellate(CreateBox(scene, 1, -1, 1, -1, 1, -1)); // corners in any order
    expectWellFormed(cap);
    EXPECT_EQ(cap.polys.size(), 6u);
    EXPECT_NEAR(cap.area(), 24.0, 1e-12);
    cap.forEachCorner([](const Corner& c, const Poly&) {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(std::fabs(c.pos[std::size_t(i)]), 1.0);
        // The normal is the axis of the face the corner is on.
        int axis = c.normal[0] != 0 ? 0 : c.normal[1] != 0 ? 1 : 2;
        EXPECT_EQ(c.normal[std::size_t(axis)], c.pos[std::size_t(axis)]);
    });
}

TEST_F(EngineTest, SphereIsTheUnitSphere) {
    Capture cap = tessellate(CreateSphere(scene, 0, 0, 0, 1));
    expectWellFormed(cap);
    EXPECT_NEAR(cap.area(), 4 * kPi, 4 * kPi * 0.02);
    cap.forEachCorner([](const Corner& c, const Poly&) {
        EXPECT_NEAR(norm(c.pos), 1.0, 1e-12);
        EXPECT_NEAR(dot(c.normal, c.pos), 1.0, 1e-12);
    });
}

TEST_F(EngineTest, CylinderSideAndClosedCaps) {
    EngineHandle open = CreateCylinder(scene, 0, 0, 0, 0, 0, 1, 1);
    Capture side = tessellate(open);
    expectWellFormed(side);
    for (const Poly& p : side.polys)
        EXPECT_EQ(p.tag, 0);
    side.forEachCorner([](const Corner& c, const Poly&) {
        EXPECT_NEAR(std::hypot(c.pos[0], c.pos[1]), 1.0, 1e-12);
        EXPECT_GE(c.pos[2], 0.0);
        EXPECT_LE(c.pos[2], 1.0);
        EXPECT_NEAR(c.normal[0], c.pos[0], 1e-12);
        EXPECT_EQ(c.normal[2], 0.0);
    });

    EngineHandle closed = CreateCylinder(scene, 0, 0, 0, 0, 0, 1, 1);
    ASSERT_EQ(SetConeEndcaps(scene, closed, 1), 0);
    Capture all = tessellate(closed);
    expectWellFormed(all);
    EXPECT_EQ(all.polys.size(), side.polys.size() + 2);
    EXPECT_NEAR(all.area(), 4 * kPi, 4 * kPi * 0.02);
    all.forEachCorner([](const Corner& c, const Poly& p) {
        if (p.tag == 0)
            return;
        EXPECT_EQ(c.pos[2], p.tag == 1 ? 0.0 : 1.0);
        EXPECT_EQ(c.normal[2], p.tag == 1 ? -1.0 : 1.0);
    });
}

TEST_F(EngineTest, ConeRadiusVariesLinearlyAlongZ) {
    EngineHandle cone = CreateCone(scene, 0, 0, 0, 1, 0, 0, 1, 0.25);
    ASSERT_EQ(SetConeEndcaps(scene, cone, 1), 0);
    Capture cap = tessellate(cone);
    expectWellFormed(cap);
    double slantArea = kPi * (1 + 0.25) * std::hypot(0.75, 1.0);
    EXPECT_NEAR(cap.area(), slantArea + kPi * (1 + 0.0625), 0.3);
    cap.forEachCorner([](const Corner& c, const Poly& p) {
        double rho = std::hypot(c.pos[0], c.pos[1]);
        if (p.tag == 0) {
            EXPECT_NEAR(rho, 1 - 0.75 * c.pos[2], 1e-12);
            // Outward and tilted up: the surface narrows towards +z.
            EXPECT_GT(c.normal[0] * c.pos[0] + c.normal[1] * c.pos[1], 0);
            EXPECT_NEAR(c.normal[2], 0.75 / std::hypot(0.75, 1.0), 1e-12);
        }
    });
}

TEST_F(EngineTest, TorusLiesAtTheTubeRadiusFromItsRing) {
    Capture cap = tessellate(CreateTorus(scene, 0, 0, 0, 0, 0, 1, 1, 0.25));
    expectWellFormed(cap);
    EXPECT_NEAR(cap.area(), 4 * kPi * kPi * 0.25, 0.2);
    cap.forEachCorner([](const Corner& c, const Poly&) {
        double rho = std::hypot(c.pos[0], c.pos[1]);
        EXPECT_NEAR(std::hypot(rho - 1, c.pos[2]), 0.25, 1e-12);
        V3 ring{c.pos[0] / rho, c.pos[1] / rho, 0};
        EXPECT_GT(dot(c.normal, sub(c.pos, ring)), 0);
    });
}

TEST_F(EngineTest, DiscWithHoleAndLargePlaneDisc) {
    Capture ring = tessellate(CreateDisc(scene, 0, 0, 0, 0, 0, 1, 0.5, 1));
    expectWellFormed(ring);
    EXPECT_NEAR(ring.area(), kPi * 0.75, 0.05);
    ring.forEachCorner([](const Corner& c, const Poly&) {
        EXPECT_EQ(c.pos[2], 0.0);
        double rho = std::hypot(c.pos[0], c.pos[1]);
        EXPECT_TRUE(std::fabs(rho - 0.5) < 1e-12 || std::fabs(rho - 1) < 1e-12);
    });
    // The modeller's plane: one polygon, however large.
    Capture plane = tessellate(CreateDisc(scene, 0, 0, 0, 0, 0, 1, 0, 10000));
    expectWellFormed(plane);
    EXPECT_EQ(plane.polys.size(), 1u);
}

TEST_F(EngineTest, SuperquadricSatisfiesItsImplicitEquation) {
    for (auto [e, n] : {std::pair{1.0, 1.0}, {0.3, 0.6}, {2.0, 0.5}}) {
        Capture cap = tessellate(CreateSuperQ(scene, e, n));
        expectWellFormed(cap);
        cap.forEachCorner([&](const Corner& c, const Poly&) {
            double xy = std::pow(std::fabs(c.pos[0]), 2 / e) + std::pow(std::fabs(c.pos[1]), 2 / e);
            EXPECT_NEAR(std::pow(xy, e / n) + std::pow(std::fabs(c.pos[2]), 2 / n), 1.0, 1e-9);
            EXPECT_GT(dot(c.normal, c.pos), 0);
        });
    }
}

TEST_F(EngineTest, TransformationsApplyInCallOrderWithRotationsInDegrees) {
    // Translate then rotate a quarter turn about z: the box ends up centred at (0, 2, 0).
    EngineHandle a = CreateBox(scene, -1, -1, -1, 1, 1, 1);
    TranslatePrim(scene, a, 2, 0, 0);
    RotatePrim(scene, a, 0, 0, 90);
    // Rotate then translate: centred at (2, 0, 0).
    EngineHandle b = CreateBox(scene, -1, -1, -1, 1, 1, 1);
    RotatePrim(scene, b, 0, 0, 90);
    TranslatePrim(scene, b, 2, 0, 0);
    auto centre = [&](EngineHandle h) {
        Capture cap = tessellate(h);
        V3 s{0, 0, 0};
        std::size_t n = 0;
        cap.forEachCorner([&](const Corner& c, const Poly&) {
            for (int i = 0; i < 3; ++i)
                s[std::size_t(i)] += c.pos[std::size_t(i)];
            ++n;
        });
        return V3{s[0] / double(n), s[1] / double(n), s[2] / double(n)};
    };
    V3 ca = centre(a), cb = centre(b);
    EXPECT_NEAR(ca[0], 0, 1e-12);
    EXPECT_NEAR(ca[1], 2, 1e-12);
    EXPECT_NEAR(cb[0], 2, 1e-12);
    EXPECT_NEAR(cb[1], 0, 1e-12);

    // Scale, rotate 30 degrees about x, translate: an ellipsoid with known equation.
    EngineHandle s = CreateSphere(scene, 0, 0, 0, 1);
    ScalePrim(scene, s, 1, 2, 1);
    RotatePrim(scene, s, 30, 0, 0);
    TranslatePrim(scene, s, 0, 0, 5);
    Capture cap = tessellate(s);
    expectWellFormed(cap);
    double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
    cap.forEachCorner([&](const Corner& c, const Poly&) {
        // Undo: translate, rotate by -30 about x, scale.
        double x = c.pos[0], y = c.pos[1], z = c.pos[2] - 5;
        double y0 = c30 * y + s30 * z, z0 = -s30 * y + c30 * z;
        EXPECT_NEAR(x * x + (y0 / 2) * (y0 / 2) + z0 * z0, 1.0, 1e-9);
        // Outward: the normal points away from the centre.
        EXPECT_GT(dot(c.normal, {x, y, z}), 0);
    });
}

TEST_F(EngineTest, MirroringKeepsNormalsOutwardAndWindingConsistent) {
    EngineHandle torus = CreateTorus(scene, 0, 0, 0, 0, 0, 1, 1, 0.25);
    ScalePrim(scene, torus, -1, 1, 2);
    Capture cap = tessellate(torus);
    expectWellFormed(cap); // includes the winding check
    cap.forEachCorner([](const Corner& c, const Poly&) {
        double rho = std::hypot(c.pos[0], c.pos[1]);
        V3 ring{c.pos[0] / rho, c.pos[1] / rho, 0};
        EXPECT_GT(dot(c.normal, sub(c.pos, ring)), 0);
    });
}

TEST_F(EngineTest, CloneInstancesItsSourceUnderItsOwnTransformation) {
    EngineHandle sphere = CreateSphere(scene, 0, 0, 0, 1);
    ScalePrim(scene, sphere, 2, 2, 2);
    EngineHandle clone = CreateClone(scene, sphere);
    TranslatePrim(scene, clone, 10, 0, 0);
    Capture original = tessellate(sphere), copy = tessellate(clone);
    ASSERT_EQ(original.polys.size(), copy.polys.size());
    copy.forEachCorner([](const Corner& c, const Poly&) {
        EXPECT_NEAR(norm(sub(c.pos, {10, 0, 0})), 2.0, 1e-12);
    });
}

} // namespace
