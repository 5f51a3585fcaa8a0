#include "objreader/triangulate.h"

#include <cassert>
#include <cmath>
#include <initializer_list>

#include "objreader/ear_clipping.h"

namespace tessoid::obj {
namespace {

// Polygons up to this many corners are split at their leftmost corner, which is how small
// faces have always been cut (their triangles must not change); larger ones clip ears,
// whose cost grows with the corners rather than with their square.
constexpr int32_t LEFTMOST_SPLIT_MAX_CORNERS = 16;

struct Work {
    const float* corners;
    int uAxis;
    int vAxis;
    int32_t* order; // 3n corner numbers; each pending sub-polygon is a contiguous run
    float u(int32_t pos) const { return corners[order[pos] * 3 + uAxis]; }
    float v(int32_t pos) const { return corners[order[pos] * 3 + vAxis]; }
};

// Looks for a corner inside the ear (prev, m, next) that the diagonal (prev, next) would
// cross; returns next or prev when there is none. Of several, the one farthest from the
// line prev-next wins (then the smallest U, then the earliest): a line swept from m towards
// prev-next meets it first, so nothing crosses the diagonal from m to it. Choosing by U
// alone, or looking beyond the line prev-next, can pick a diagonal that leaves the polygon.
// Inlined at both of its calls, as it was at its one call before the quad shortcut: an x87
// build may round the same arithmetic differently in a function of its own.
[[gnu::always_inline]] inline int32_t findSplitCorner(const Work& w, int32_t m, int32_t next,
                                                      int32_t prev, int32_t lo, int32_t hi) {
    const float um = w.u(m);
    const float vm = w.v(m);
    float vmax = vm;
    float vmin = vm;
    for (float vv : {w.v(prev), w.v(next)}) {
        if (vv > vmax)
            vmax = vv;
        if (vv < vmin)
            vmin = vv;
    }
    // The upper neighbour is the one whose ray from m climbs more steeply. Comparing the
    // neighbours' V alone gets the wedge inside out when both lie on the same side of m.
    const double nextRise = (double(w.v(next)) - vm) * (double(w.u(prev)) - um);
    const double prevRise = (double(w.v(prev)) - vm) * (double(w.u(next)) - um);
    const int32_t upper = nextRise >= prevRise ? next : prev;
    const int32_t lower = upper == next ? prev : next;
    const double upperDu = double(w.u(upper)) - um;
    const double upperDv = double(w.v(upper)) - vm;
    const double lowerDu = double(w.u(lower)) - um;
    const double lowerDv = double(w.v(lower)) - vm;
    const double chordU = double(w.u(next)) - w.u(prev);
    const double chordV = double(w.v(next)) - w.v(prev);
    const auto side = [&](int32_t k) {
        return chordU * (double(w.v(k)) - w.v(prev)) - chordV * (double(w.u(k)) - w.u(prev));
    };
    const double mSide = side(m);
    int32_t best = -1;
    double bestDepth = 0;
    for (int32_t k = lo; k <= hi; ++k) {
        if (k == m || k == next || k == prev)
            continue;
        const float vk = w.v(k);
        if (!(vmin <= vk && vk <= vmax))
            continue;
        const double du = double(w.u(k)) - um;
        const double dv = double(vk) - vm;
        if (!(upperDv * du >= upperDu * dv && lowerDv * du <= lowerDu * dv))
            continue;
        const double kSide = side(k);
        if (!(mSide * kSide >= 0))
            continue;
        const double depth = std::fabs(kSide);
        if (best < 0 || depth > bestDepth || (depth == bestDepth && w.u(k) < w.u(best))) {
            best = k;
            bestDepth = depth;
        }
    }
    if (best >= 0)
        return best;
    return w.u(next) >= w.u(prev) ? next : prev;
}

// A quad's two triangles, in the order the general loop of triangulatePolygon emits them,
// when it is cut through corners 0 and 2, or through 1 and 3.
constexpr int32_t QUAD_CUT_02[6] = {0, 2, 3, 0, 1, 2};
constexpr int32_t QUAD_CUT_13[6] = {0, 1, 3, 1, 2, 3};

// A quad's leftmost corner (the first of equals) and its two neighbours.
struct QuadCorners {
    int32_t m, next, prev;
};
[[gnu::always_inline]] inline QuadCorners leftmostOfQuad(const Work& w) {
    int32_t m = 0;
    for (int32_t k = 1; k < 4; ++k)
        if (w.u(k) < w.u(m))
            m = k;
    return {m, m == 3 ? 0 : m + 1, m == 0 ? 3 : m - 1};
}

// Cut through m and the corner opposite, or through m's two neighbours.
void writeQuadCut(int32_t m, bool throughM, int32_t* triangles) {
    const int32_t* cut = throughM == (m % 2 == 0) ? QUAD_CUT_02 : QUAD_CUT_13;
    for (int i = 0; i < 6; ++i)
        triangles[i] = cut[i];
}

// A quad is cut along the diagonal the general loop of triangulatePolygon would choose, by
// the same choice of corner, without its bookkeeping.
void cutQuad(const Work& w, int32_t* triangles) {
    const auto [m, next, prev] = leftmostOfQuad(w);
    const int32_t r = findSplitCorner(w, m, next, prev, 0, 3);
    writeQuadCut(m, r != next && r != prev, triangles);
}

// A side of the chord prev-next is taken as certain when it clears its rounding error. Each
// difference under the two products, each product and their difference is rounded at most
// twice (an x87 register, then a spill to a double), which keeps the error below 2^-50 of
// the products' sum; the margin leaves a wide berth. A certain side is then at least
// 2^-44 * 2^-298 (the square of the smallest float step), so findSplitCorner's product of
// two of them cannot underflow to zero.
constexpr double SIDE_ERROR_MARGIN = 0x1p-44;

// +1 or -1 for the side of the chord prev-next corner k lies on, 0 when rounding could flip
// it (and for the NaN of infinite coordinates).
[[gnu::always_inline]] inline int certainSide(const Work& w, int32_t k, int32_t next,
                                              int32_t prev) {
    const double a = (double(w.u(next)) - w.u(prev)) * (double(w.v(k)) - w.v(prev));
    const double b = (double(w.v(next)) - w.v(prev)) * (double(w.u(k)) - w.u(prev));
    const double side = a - b;
    const double margin = SIDE_ERROR_MARGIN * (std::fabs(a) + std::fabs(b));
    if (side > margin)
        return 1;
    if (side < -margin)
        return -1;
    return 0;
}

} // namespace

bool cutConvexQuad(const float* corners, int uAxis, int vAxis, int32_t* triangles) {
    assert(uAxis >= 0 && uAxis < vAxis && vAxis <= 2);
    int32_t identity[4] = {0, 1, 2, 3};
    const Work w{corners, uAxis, vAxis, identity};
    const auto [m, next, prev] = leftmostOfQuad(w);
    // findSplitCorner could only pick the opposite corner, and only on m's side of the chord
    // prev-next; on the other side for certain (as in every convex quad) cutQuad cuts
    // through m's neighbours.
    if (certainSide(w, m, next, prev) * certainSide(w, m ^ 2, next, prev) >= 0)
        return false;
    writeQuadCut(m, false, triangles);
    return true;
}

void triangulatePolygon(int32_t n, const float* corners, int uAxis, int vAxis,
                        int32_t* triangleCount, int32_t* triangles, ClippingBudget* budget) {
    assert(n >= 3 && uAxis >= 0 && uAxis < vAxis && vAxis <= 2);
    if (n > LEFTMOST_SPLIT_MAX_CORNERS) {
        clipEars(n, corners, uAxis, vAxis, triangleCount, triangles, budget);
        return;
    }
    if (n == 4) { // most faces of most files
        int32_t identity[4] = {0, 1, 2, 3};
        cutQuad(Work{corners, uAxis, vAxis, identity}, triangles);
        *triangleCount = 2;
        return;
    }
    splitAtLeftmost(n, corners, uAxis, vAxis, triangleCount, triangles);
}

void splitAtLeftmost(int32_t n, const float* corners, int uAxis, int vAxis, int32_t* triangleCount,
                     int32_t* triangles) {
    assert(n >= 3 && n <= LEFTMOST_SPLIT_MAX_CORNERS && uAxis >= 0 && uAxis < vAxis && vAxis <= 2);
    *triangleCount = 0;

    int32_t order[3 * LEFTMOST_SPLIT_MAX_CORNERS];
    int32_t scratch[3 * LEFTMOST_SPLIT_MAX_CORNERS];
    int32_t stack[LEFTMOST_SPLIT_MAX_CORNERS];
    for (int32_t i = 0; i < n; ++i)
        order[i] = i;
    const Work w{corners, uAxis, vAxis, order};
    stack[0] = -1;
    stack[1] = n - 1;
    int32_t t = 1;
    while (t > 0) {
        const int32_t lo = stack[t - 1] + 1;
        const int32_t hi = stack[t];
        if (hi - lo == 2) {
            int32_t* tri = triangles + 3 * *triangleCount;
            tri[0] = order[lo];
            tri[1] = order[lo + 1];
            tri[2] = order[lo + 2];
            ++*triangleCount;
            --t;
            continue;
        }
        int32_t m = lo;
        for (int32_t k = lo + 1; k <= hi; ++k)
            if (w.u(k) < w.u(m))
                m = k;
        const int32_t next = m == hi ? lo : m + 1;
        const int32_t prev = m == lo ? hi : m - 1;
        const int32_t r = findSplitCorner(w, m, next, prev, lo, hi);
        int32_t a = m;
        int32_t b = r;
        if (r == next || r == prev) {
            a = prev;
            b = next;
        }
        if (a > b) {
            const int32_t x = a;
            a = b;
            b = x;
        }
        // One side from a to b along the boundary, then the other from b around to a.
        const int32_t count = hi - lo + 1;
        for (int32_t i = 0; i < count; ++i)
            scratch[i] = order[lo + i];
        int32_t out = lo;
        for (int32_t k = a; k <= b; ++k)
            order[out++] = scratch[k - lo];
        for (int32_t k = lo; k <= a; ++k)
            order[out++] = scratch[k - lo];
        for (int32_t k = b; k <= hi; ++k)
            order[out++] = scratch[k - lo];
        assert(out == hi + 3);
        stack[t] = lo + (b - a);
        stack[t + 1] = hi + 2;
        ++t;
    }
}

} // namespace tessoid::obj
