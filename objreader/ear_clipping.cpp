#include "objreader/ear_clipping.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <vector>

namespace tessoid::obj {
namespace {

class EarClipper {
  public:
    EarClipper(int32_t n, const float* corners, int uAxis, int vAxis)
        : n_(n), u_(size_t(n)), v_(size_t(n)), prev_(size_t(n)), next_(size_t(n)),
          clipped_(size_t(n), 0), blocker_(size_t(n), -1) {
        for (int32_t i = 0; i < n; ++i) {
            u_[size_t(i)] = corners[3 * i + uAxis];
            v_[size_t(i)] = corners[3 * i + vAxis];
            prev_[size_t(i)] = i == 0 ? n - 1 : i - 1;
            next_[size_t(i)] = i == n - 1 ? 0 : i + 1;
        }
        // The outline's turning sense, so that "convex" means turning its way.
        double area = 0;
        for (int32_t i = 1; i + 1 < n; ++i)
            area += cross(0, i, i + 1);
        orientation_ = area < 0 ? -1.0 : 1.0;
        buildGrid();
    }

    void run(int64_t budget, int32_t* triangleCount, int32_t* triangles) {
        int32_t* out = triangles;
        const auto emit = [&](int32_t a, int32_t b, int32_t c) {
            out[0] = a;
            out[1] = b;
            out[2] = c;
            out += 3;
            ++*triangleCount;
        };
        int32_t remaining = n_;
        int32_t cur = 0;
        int32_t sinceClip = 0;
        // A whole round without an ear only happens to self-intersecting or degenerate
        // outlines (a simple one always has two): the rest is then cut as a fan at once.
        while (remaining > 3 && work_ <= budget && sinceClip < remaining) {
            if (isEar(cur)) {
                const int32_t a = prev_[size_t(cur)];
                const int32_t c = next_[size_t(cur)];
                emit(a, cur, c);
                next_[size_t(a)] = c;
                prev_[size_t(c)] = a;
                clipped_[size_t(cur)] = 1;
                --remaining;
                sinceClip = 0;
                // Going on past c rather than at it: clipping at c next would fan out from
                // a, whose triangles grow over the whole outline and each scan it.
                cur = next_[size_t(c)];
            } else {
                cur = next_[size_t(cur)];
                ++sinceClip;
            }
        }
        // The last triangle, or a fan over what an earless round or the budget left.
        for (int32_t k = next_[size_t(cur)]; next_[size_t(k)] != cur; k = next_[size_t(k)])
            emit(cur, k, next_[size_t(k)]);
        assert(*triangleCount == n_ - 2);
    }

    int64_t stepsTaken() const { return work_; }

  private:
    double cross(int32_t a, int32_t b, int32_t c) const {
        return (u(b) - u(a)) * (v(c) - v(a)) - (v(b) - v(a)) * (u(c) - u(a));
    }
    // > 0 where a, b, c turn the outline's way, < 0 against it, 0 when collinear.
    double turn(int32_t a, int32_t b, int32_t c) const { return orientation_ * cross(a, b, c); }
    double u(int32_t i) const { return u_[size_t(i)]; }
    double v(int32_t i) const { return v_[size_t(i)]; }
    bool sameCorner(int32_t a, int32_t b) const { return u(a) == u(b) && v(a) == v(b); }

    static int cellOf(double x, double min, double scale, int cells) {
        const double f = (x - min) * scale;
        if (!(f >= 0))
            return 0; // below the grid, or not a number
        if (f >= cells)
            return cells - 1;
        return static_cast<int>(f);
    }
    int cellU(double x) const { return cellOf(x, minU_, scaleU_, gridU_); }
    int cellV(double x) const { return cellOf(x, minV_, scaleV_, gridV_); }

    // Only corners that are not convex can block an ear: the grid holds those, about one
    // per cell, over their bounding box. Clipping never makes a convex corner of a simple
    // polygon reflex, so corners that turned convex leave the grid for good.
    void buildGrid() {
        std::vector<int32_t> candidates;
        for (int32_t i = 0; i < n_; ++i)
            if (!(turn(prev_[size_t(i)], i, next_[size_t(i)]) > 0))
                candidates.push_back(i);
        constexpr double INF = std::numeric_limits<double>::infinity();
        minU_ = minV_ = INF;
        double maxU = -INF, maxV = -INF;
        for (int32_t i : candidates) {
            if (u(i) < minU_)
                minU_ = u(i);
            if (u(i) > maxU)
                maxU = u(i);
            if (v(i) < minV_)
                minV_ = v(i);
            if (v(i) > maxV)
                maxV = v(i);
        }
        const double width = maxU - minU_;
        const double height = maxV - minV_;
        const bool wide = width > 0 && std::isfinite(width);
        const bool tall = height > 0 && std::isfinite(height);
        const double cells = std::max<double>(1, double(candidates.size()));
        double across = 1;
        double down = 1;
        if (wide && tall) {
            across = std::clamp(std::sqrt(cells * width / height), 1.0, cells);
            down = std::clamp(cells / across, 1.0, cells);
        } else if (wide) {
            across = cells;
        } else if (tall) {
            down = cells;
        }
        gridU_ = static_cast<int>(across);
        gridV_ = static_cast<int>(down);
        scaleU_ = wide ? gridU_ / width : 0;
        scaleV_ = tall ? gridV_ / height : 0;
        if (!std::isfinite(scaleU_))
            scaleU_ = 0;
        if (!std::isfinite(scaleV_))
            scaleV_ = 0;

        cellStart_.assign(size_t(gridU_) * size_t(gridV_) + 1, 0);
        const auto cellOfCorner = [&](int32_t i) {
            return size_t(cellU(u(i))) + size_t(gridU_) * size_t(cellV(v(i)));
        };
        for (int32_t i : candidates)
            ++cellStart_[cellOfCorner(i) + 1];
        for (size_t c = 1; c < cellStart_.size(); ++c)
            cellStart_[c] += cellStart_[c - 1];
        cellEnd_.assign(cellStart_.begin(), cellStart_.end() - 1);
        cellCorners_.resize(candidates.size());
        for (int32_t i : candidates)
            cellCorners_[size_t(cellEnd_[cellOfCorner(i)]++)] = i;
        // The last entry stands for "past the grid" and is never skipped.
        skip_.resize(cellStart_.size());
        for (size_t c = 0; c < skip_.size(); ++c)
            skip_[c] =
                c + 1 < skip_.size() && cellEnd_[c] == cellStart_[c] ? int32_t(c + 1) : int32_t(c);
    }

    // The first cell at or after `cell` that still holds corners (path halving keeps the
    // chains of emptied cells short).
    size_t firstHeldCell(size_t cell) {
        while (size_t(skip_[cell]) != cell) {
            skip_[cell] = skip_[size_t(skip_[cell])];
            cell = size_t(skip_[cell]);
        }
        return cell;
    }

    // b is an ear when it is convex and no corner that is not lies in the triangle
    // (a, b, c), edges included. A corner without area is always cut: the outline stays.
    bool isEar(int32_t b) {
        ++work_;
        const int32_t a = prev_[size_t(b)];
        const int32_t c = next_[size_t(b)];
        const double t = turn(a, b, c);
        if (t == 0)
            return true;
        if (!(t > 0))
            return false;
        // The corner that blocked b last time usually still does: try it first, so that
        // corners passed on every round (a comb's base) cost one test, not a grid scan.
        const int32_t last = blocker_[size_t(b)];
        if (last >= 0 && blocks(last, a, b, c))
            return false;
        const int u0 = cellU(std::min({u(a), u(b), u(c)}));
        const int u1 = cellU(std::max({u(a), u(b), u(c)}));
        const int v0 = cellV(std::min({v(a), v(b), v(c)}));
        const int v1 = cellV(std::max({v(a), v(b), v(c)}));
        for (int cv = v0; cv <= v1; ++cv) {
            const size_t rowStart = size_t(gridU_) * size_t(cv);
            for (size_t cell = firstHeldCell(rowStart + size_t(u0)); cell <= rowStart + size_t(u1);
                 cell = firstHeldCell(cell + 1)) {
                ++work_;
                for (int32_t k = cellStart_[cell]; k < cellEnd_[cell];) {
                    const int32_t p = cellCorners_[size_t(k)];
                    ++work_;
                    // Clipped corners, and corners that turned convex, never block again:
                    // they leave the grid, so that each costs one visit in all.
                    if (clipped_[size_t(p)] || turn(prev_[size_t(p)], p, next_[size_t(p)]) > 0) {
                        cellCorners_[size_t(k)] = cellCorners_[size_t(--cellEnd_[cell])];
                        if (cellEnd_[cell] == cellStart_[cell])
                            skip_[cell] = int32_t(cell + 1);
                        continue;
                    }
                    if (inside(p, a, b, c)) {
                        blocker_[size_t(b)] = p;
                        return false;
                    }
                    ++k;
                }
            }
        }
        return true;
    }

    // p, a corner still on the outline and not convex, lies in the triangle (a, b, c),
    // edges included.
    bool blocks(int32_t p, int32_t a, int32_t b, int32_t c) const {
        if (clipped_[size_t(p)] || turn(prev_[size_t(p)], p, next_[size_t(p)]) > 0)
            return false;
        return inside(p, a, b, c);
    }
    bool inside(int32_t p, int32_t a, int32_t b, int32_t c) const {
        if (p == a || p == b || p == c)
            return false;
        if (sameCorner(p, a) || sameCorner(p, b) || sameCorner(p, c))
            return false;
        return turn(a, b, p) >= 0 && turn(b, c, p) >= 0 && turn(c, a, p) >= 0;
    }

    int32_t n_;
    std::vector<double> u_, v_;
    std::vector<int32_t> prev_, next_; // the outline still to cut, as a ring
    std::vector<uint8_t> clipped_;
    std::vector<int32_t> blocker_; // per corner, the corner that last kept it from being an ear
    double orientation_ = 1;
    int gridU_ = 1, gridV_ = 1;
    double minU_ = 0, minV_ = 0, scaleU_ = 0, scaleV_ = 0;
    std::vector<int32_t> cellStart_;   // grid cell -> first entry in cellCorners_
    std::vector<int32_t> cellEnd_;     // grid cell -> end of its corners still held
    std::vector<int32_t> cellCorners_; // corner numbers, cell by cell
    std::vector<int32_t> skip_;        // grid cell -> a later cell to look at when it is empty
    int64_t work_ = 0;
};

} // namespace

void clipEars(int32_t n, const float* corners, int uAxis, int vAxis, int32_t* triangleCount,
              int32_t* triangles, ClippingBudget* budget) {
    assert(n >= 3 && uAxis >= 0 && uAxis < vAxis && vAxis <= 2);
    *triangleCount = 0;
    ClippingBudget own;
    if (!budget)
        budget = &own;
    const int64_t available = budget->stepsLeft + ClippingBudget::STEPS_PER_CORNER * int64_t(n);
    EarClipper clipper(n, corners, uAxis, vAxis);
    clipper.run(available, triangleCount, triangles);
    budget->stepsLeft = std::max<int64_t>(0, available - clipper.stepsTaken());
}

} // namespace tessoid::obj
