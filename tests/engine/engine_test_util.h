// Shared helpers of the engine tests: a scene fixture and polygon capture.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "engine/engine_api.h"
#include "engine/engine_trace.h"

namespace enginetest {

using V3 = std::array<double, 3>;

inline V3 sub(V3 a, V3 b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline double dot(V3 a, V3 b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline V3 cross(V3 a, V3 b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double norm(V3 a) {
    return std::sqrt(dot(a, a));
}

struct Corner {
    V3 pos, second, normal, uv;
};

struct Poly {
    std::vector<Corner> c;
    int tag = 0;
    // Area vector of the fan (sum of its triangles' cross products / 2).
    V3 areaVector() const {
        V3 s{0, 0, 0};
        for (std::size_t k = 1; k + 1 < c.size(); ++k) {
            V3 x = cross(sub(c[k].pos, c[0].pos), sub(c[k + 1].pos, c[0].pos));
            for (int i = 0; i < 3; ++i)
                s[std::size_t(i)] += 0.5 * x[std::size_t(i)];
        }
        return s;
    }
};

struct Capture {
    std::vector<Poly> polys;
    int stopAfter = -1; // return non-zero once this many polygons arrived

    static int ENGINE_CALL collect(int n, const double* data, int tag, void* context) {
        auto* self = static_cast<Capture*>(context);
        Poly p;
        p.tag = tag;
        std::size_t un = std::size_t(n);
        for (std::size_t k = 0; k < un; ++k) {
            auto at = [&](std::size_t array) {
                const double* d = data + array * 3 * un + 3 * k;
                return V3{d[0], d[1], d[2]};
            };
            p.c.push_back({at(0), at(1), at(2), at(3)});
        }
        self->polys.push_back(std::move(p));
        return self->stopAfter >= 0 && int(self->polys.size()) >= self->stopAfter ? 1 : 0;
    }

    double area() const {
        double a = 0;
        for (const Poly& p : polys)
            a += norm(p.areaVector());
        return a;
    }
    void forEachCorner(const std::function<void(const Corner&, const Poly&)>& f) const {
        for (const Poly& p : polys)
            for (const Corner& c : p.c)
                f(c, p);
    }
};

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine::ClearTrace();
        scene = NewScene();
        view = CreateView(scene);
        ASSERT_NE(scene, 0u);
        ASSERT_NE(view, 0u);
    }
    void TearDown() override { FreeScene(scene); }

    Capture tessellate(EngineHandle prim) {
        Capture cap;
        int r = TesselatePrim(scene, view, prim, 0, &Capture::collect, &cap);
        EXPECT_EQ(r, int(cap.polys.size()));
        return cap;
    }

    EngineHandle scene = 0, view = 0;
};

// Every corner: unit normal, texture coordinates in [0, 1], and the fan's
// winding agreeing with the corner normals (counter-clockwise seen from outside).
inline void expectWellFormed(const Capture& cap) {
    ASSERT_FALSE(cap.polys.empty());
    for (const Poly& p : cap.polys) {
        ASSERT_GE(p.c.size(), 3u);
        V3 area = p.areaVector();
        V3 nsum{0, 0, 0};
        for (const Corner& c : p.c) {
            EXPECT_NEAR(norm(c.normal), 1.0, 1e-9);
            for (int i = 0; i < 3; ++i) {
                EXPECT_GE(c.uv[std::size_t(i)], -1e-12);
                EXPECT_LE(c.uv[std::size_t(i)], 1 + 1e-12);
                nsum[std::size_t(i)] += c.normal[std::size_t(i)];
            }
        }
        if (norm(area) > 1e-12) {
            EXPECT_GT(dot(area, nsum), 0) << "fan winding against its normals";
        }
    }
}

} // namespace enginetest
