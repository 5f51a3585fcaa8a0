// Cuts a large planar polygon into triangles by clipping ears. The corners that could
// block an ear are found through a uniform grid, so a face of many thousand corners costs
// about as much as its corners, not their square.
#pragma once

#include <cstdint>

namespace tessoid::obj {

// The steps (ear tests, grid cells and grid entries looked at) that the large polygons
// of one file may spend: a shared allowance, which any single face of a hundred thousand
// corners stays well within, plus a few per corner of each polygon. Self-intersecting or
// degenerate outlines can need far more; once the steps run out, the rest of the polygon
// is cut as a fan. So a file costs at most a fixed amount plus a little per corner.
struct ClippingBudget {
    static constexpr int64_t SHARED_STEPS = int64_t(8) << 20;
    static constexpr int64_t STEPS_PER_CORNER = 4;
    int64_t stepsLeft = SHARED_STEPS;
};

// Same contract as triangulatePolygon: n >= 3 corners (x, y, z floats) projected onto
// uAxis < vAxis; writes exactly n - 2 triangles of corner numbers in the polygon's own
// cyclic order and sets *triangleCount. A simple polygon is tiled exactly while the
// budget lasts (a fresh one when none is given); a whole round of corners without an ear
// (only outlines that are not simple have none) or the end of the budget cut the rest as
// a fan, which still gives n - 2 triangles.
void clipEars(int32_t n, const float* corners, int uAxis, int vAxis, int32_t* triangleCount,
              int32_t* triangles, ClippingBudget* budget = nullptr);

} // namespace tessoid::obj
