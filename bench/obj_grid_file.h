// The OBJ files the benchmark reads: a grid of quads with v, vt, vn and f v/vt/vn
// corners. About 164 bytes per quad, so the grid side sets the size (560: 51 MB).
#pragma once

#include <string>

namespace bench {

// Writes the file of `grid` x `grid` quads unless it is there already; an interrupted
// run leaves only a ".part" file behind, never a short grid under the real name.
void ensureObjGrid(const std::string& path, int grid);

} // namespace bench
