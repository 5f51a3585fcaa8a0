// Cuts one planar polygon into triangles: up to 16 corners along diagonals from its
// leftmost corner, beyond that by clipping ears (objreader/ear_clipping.h).
#pragma once

#include <cstdint>

namespace tessoid::obj {

struct ClippingBudget;

// Triangulates the polygon whose n corners (n >= 3) are given as x, y, z float triples
// in `corners`, projected onto the coordinates uAxis < vAxis (0 = x, 1 = y, 2 = z).
// Writes exactly n - 2 triangles into `triangles` (3 corner numbers 0..n-1 each, in the
// polygon's own cyclic order, so the winding is kept) and their number into
// *triangleCount. Degenerate or self-intersecting input still yields n - 2 triangles.
// Safe to call from several threads: the working arrays are the call's own. Polygons of
// more than 16 corners draw on `budget` (one per file; a fresh one when null).
void triangulatePolygon(int32_t n, const float* corners, int uAxis, int vAxis,
                        int32_t* triangleCount, int32_t* triangles,
                        ClippingBudget* budget = nullptr);

// The cut triangulatePolygon gives a quad (corners as there) that is convex beyond doubt in
// its projection, found with fewer tests; false, with nothing written, for any other quad.
// It is not a step inside triangulatePolygon: there it would change how the x87 code of the
// general quad path rounds near-ties, which must stay as it is.
bool cutConvexQuad(const float* corners, int uAxis, int vAxis, int32_t* triangles);

// The split at the leftmost corner that triangulatePolygon uses for 3 to 16 corners; quads
// take a shorter way to the same triangles, which tests compare with this one.
void splitAtLeftmost(int32_t n, const float* corners, int uAxis, int vAxis, int32_t* triangleCount,
                     int32_t* triangles);

} // namespace tessoid::obj
