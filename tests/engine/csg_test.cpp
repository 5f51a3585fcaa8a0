// CSG: union is exactly the sum of its parts; the other operations keep the
// right pieces of each operand.
#include "tests/engine/engine_test_util.h"

using namespace enginetest;

namespace {

// Cuts are found on the operands' polygon edges, which are chords of the true
// surfaces: a default unit sphere's chords sag by less than this.
constexpr double kChord = 0.01;

bool samePolygons(const Capture& a, const Capture& b) {
    if (a.polys.size() != b.polys.size())
        return false;
    for (std::size_t i = 0; i < a.polys.size(); ++i) {
        if (a.polys[i].c.size() != b.polys[i].c.size() || a.polys[i].tag != b.polys[i].tag)
            return false;
        for (std::size_t k = 0; k < a.polys[i].c.size(); ++k) {
            const Corner &x = a.polys[i].c[k], &y = b.polys[i].c[k];
            if (x.pos != y.pos || x.second != y.second || x.normal != y.normal || x.uv != y.uv)
                return false;
        }
    }
    return true;
}

class CsgTest : public EngineTest {
  protected:
    // A unit sphere at (0.5, 0, 0) and another at (-0.5, 0, 0), as CSG operands.
    void SetUp() override {
        EngineTest::SetUp();
        right = CreateSphere(scene, 0, 0, 0, 1);
        TranslatePrim(scene, right, 0.5, 0, 0);
        left = CreateSphere(scene, 0, 0, 0, 1);
        TranslatePrim(scene, left, -0.5, 0, 0);
    }
    Capture combine(int op) {
        return tessellate(
            CreateCSG(scene, op, CreateCSGPrim(scene, left), CreateCSGPrim(scene, right)));
    }
    static double distTo(V3 p, double cx) { return norm(sub(p, {cx, 0, 0})); }
    EngineHandle left = 0, right = 0;
};

TEST_F(CsgTest, UnionIsExactlyTheSumOfItsParts) {
    EngineHandle box = CreateBox(scene, -1, -1, -1, 1, 1, 1);
    RotatePrim(scene, box, 10, 20, 30);
    // A balanced union of five operands, as groups are combined, with a transformation on top.
    EngineHandle parts[5] = {left, right, box, CreateTorus(scene, 0, 0, 0, 0, 0, 1, 2, 0.5),
                             CreateCylinder(scene, 0, 0, 0, 0, 0, 1, 1)};
    EngineHandle ops[5];
    for (int i = 0; i < 5; ++i)
        ops[i] = CreateCSGPrim(scene, parts[i]);
    EngineHandle tree = CreateCSG(scene, 1, CreateCSG(scene, 1, ops[0], ops[1]),
                                  CreateCSG(scene, 1, ops[2], CreateCSG(scene, 1, ops[3], ops[4])));
    ScalePrim(scene, tree, 2, 2, 2);
    Capture sum;
    for (EngineHandle p : parts) {
        EngineHandle copy = CreateClone(scene, p);
        ScalePrim(scene, copy, 2, 2, 2);
        Capture c = tessellate(copy);
        sum.polys.insert(sum.polys.end(), c.polys.begin(), c.polys.end());
    }
    EXPECT_TRUE(samePolygons(tessellate(tree), sum));
}

TEST_F(CsgTest, IntersectionKeepsWhatLiesInBoth) {
    Capture cap = combine(2);
    expectWellFormed(cap);
    double lens = 0;
    cap.forEachCorner([&](const Corner& c, const Poly&) {
        EXPECT_LE(distTo(c.pos, 0.5), 1 + 1e-6);
        EXPECT_LE(distTo(c.pos, -0.5), 1 + 1e-6);
        lens = std::max(lens, std::fabs(c.pos[0]));
    });
    EXPECT_NEAR(lens, 0.5, 1e-6); // the lens reaches x = +-0.5
    // Two spherical caps of height 0.5: area 2 * 2 pi r h.
    EXPECT_NEAR(cap.area(), 2 * std::numbers::pi, 0.15);
}

TEST_F(CsgTest, DifferenceCutsTheHoleAndTurnsItsSurfaceInward) {
    Capture cap = combine(3);
    expectWellFormed(cap);
    bool sawCut = false;
    cap.forEachCorner([&](const Corner& c, const Poly&) {
        V3 fromLeft = sub(c.pos, {-0.5, 0, 0}), fromRight = sub(c.pos, {0.5, 0, 0});
        double dl = norm(fromLeft), dr = norm(fromRight);
        if (dot(c.normal, fromLeft) / dl > 0.9) {
            // The left sphere's skin that survives lies outside the right one.
            EXPECT_NEAR(dl, 1, kChord);
            EXPECT_GE(dr, 1 - kChord);
        } else {
            // The right sphere's skin inside the left one, facing the right centre.
            sawCut = true;
            EXPECT_LT(dot(c.normal, fromRight) / dr, -0.9);
            EXPECT_NEAR(dr, 1, kChord);
            EXPECT_LE(dl, 1 + kChord);
        }
    });
    EXPECT_TRUE(sawCut);
}

TEST_F(CsgTest, MergeDropsTheInnerSurfaces) {
    Capture merged = combine(4), joined = combine(1);
    expectWellFormed(merged);
    merged.forEachCorner([&](const Corner& c, const Poly&) {
        EXPECT_GE(distTo(c.pos, 0.5), 1 - kChord);
        EXPECT_GE(distTo(c.pos, -0.5), 1 - kChord);
    });
    // Union keeps both whole spheres; merge keeps the outer skin only.
    EXPECT_NEAR(joined.area() - merged.area(), 2 * std::numbers::pi, 0.15);
}

TEST_F(CsgTest, NestedOperationsUseTheOperandsInsideTests) {
    // (left - right) intersected with a box that keeps only x < -1: what is left is the cap of the
    // left sphere.
    EngineHandle diff =
        CreateCSG(scene, 3, CreateCSGPrim(scene, left), CreateCSGPrim(scene, right));
    EngineHandle box = CreateBox(scene, -3, -3, -3, -1, 3, 3);
    Capture cap = tessellate(CreateCSG(scene, 2, diff, CreateCSGPrim(scene, box)));
    expectWellFormed(cap);
    cap.forEachCorner([&](const Corner& c, const Poly&) { EXPECT_LE(c.pos[0], -1 + 1e-6); });
}

TEST_F(CsgTest, DeepTreesFailCleanly) {
    EngineHandle acc = CreateCSGPrim(scene, left);
    for (int i = 0; i < 600; ++i)
        acc = CreateCSG(scene, 1, acc, CreateCSGPrim(scene, right));
    Capture cap;
    EXPECT_EQ(TesselatePrim(scene, view, acc, 0, &Capture::collect, &cap), -1);
    EXPECT_TRUE(cap.polys.empty());
}

} // namespace
