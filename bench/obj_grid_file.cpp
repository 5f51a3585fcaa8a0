#include "obj_grid_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bench_measure.h"

namespace bench {

namespace {

void generate(std::FILE* f, int grid) {
    const int n = grid + 1;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double x = i * 0.01, y = j * 0.01;
            std::fprintf(f, "v %.6f %.6f %.6f\n", x, y, 0.25 * std::sin(x * 3) * std::cos(y * 2));
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            std::fprintf(f, "vt %.6f %.6f\n", double(i) / grid, double(j) / grid);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double a = i * 0.03, b = j * 0.02;
            const double nx = -0.75 * std::cos(a) * std::cos(b),
                         ny = 0.5 * std::sin(a) * std::sin(b);
            const double len = std::sqrt(nx * nx + ny * ny + 1);
            std::fprintf(f, "vn %.6f %.6f %.6f\n", nx / len, ny / len, 1 / len);
        }
    for (int j = 0; j < grid; ++j)
        for (int i = 0; i < grid; ++i) {
            const int a = j * n + i + 1, b = a + 1, c = a + n + 1, d = a + n;
            std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c, d,
                         d, d);
        }
}

} // namespace

void ensureObjGrid(const std::string& path, int grid) {
    if (fileMegabytes(path) > 0)
        return;
    std::printf("generating %s (%d x %d quads)\n", path.c_str(), grid, grid);
    std::fflush(stdout);
    const std::string part = path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "w");
    if (!f) {
        std::perror(part.c_str());
        std::exit(1);
    }
    generate(f, grid);
    if (std::fclose(f) != 0 || std::rename(part.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

} // namespace bench
