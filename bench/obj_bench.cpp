// OBJ benchmark: median throughput and peak memory of
//   (a) readObjFile,
//   (b) the whole import through the host boundary (read, triangulate, hand over, edge list),
//   (c) the peer library's LoadObj,
// each run in a child process of its own so that every peak is measured from a clean start.
//
// Usage: obj_bench [file.obj] [runs]  (the file is generated when missing; default 5 runs)
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "objreader/obj_reader.h"

namespace {

constexpr int GRID = 560; // GRID x GRID quads: about 56 MB

struct Sample {
    double seconds = 0;
    double peakBytes = 0;  // resident high-water mark above the start of the run
    double finalBytes = 0; // size of the arrays the run hands over
    int ok = 0;
};

long statusKb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, len) == 0) kb = std::atol(line + len);
    std::fclose(f);
    return kb;
}

void resetPeak() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void generate(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const int n = GRID + 1;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double x = i * 0.01, y = j * 0.01;
            std::fprintf(f, "v %.6f %.6f %.6f\n", x, y, 0.25 * std::sin(x * 3) * std::cos(y * 2));
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) std::fprintf(f, "vt %.6f %.6f\n", double(i) / GRID, double(j) / GRID);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double a = i * 0.03, b = j * 0.02;
            const double nx = -0.75 * std::cos(a) * std::cos(b), ny = 0.5 * std::sin(a) * std::sin(b);
            const double len = std::sqrt(nx * nx + ny * ny + 1);
            std::fprintf(f, "vn %.6f %.6f %.6f\n", nx / len, ny / len, 1 / len);
        }
    for (int j = 0; j < GRID; ++j)
        for (int i = 0; i < GRID; ++i) {
            const int a = j * n + i + 1, b = a + 1, c = a + n + 1, d = a + n;
            std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c, d, d, d);
        }
    std::fclose(f);
}

// (a) The reader alone.
bool runReader(const char* path, Sample* s) {
    tessoid::obj::ObjMesh mesh;
    if (tessoid::obj::readObjFile(path, &mesh) != tessoid::obj::ObjResult::Ok) return false;
    s->finalBytes = 12.0 * mesh.vertexCount + 12.0 * mesh.triangleCount;
    return true;
}

// (b) The whole import through the host boundary: the reference host loads the plug-in
// beside this program and runs its "Mesh" command, which reads the file, hands the arrays
// over through PendingMesh and TakePendingMesh with its edge list.
bool runBoundaryImport(const char* path, Sample* s) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0) return false;
    self[n] = 0;
    std::string plugin(self);
    plugin = plugin.substr(0, plugin.rfind('/')) + "/libTessoid.so";
    host::PluginHost h;
    if (!h.load(plugin)) return false;
    h.chosenFile = path;
    const int32_t handle = h.runImportCommand();
    if (handle == 0) return false;
    host::SceneObject* object = h.scene().find(static_cast<uint32_t>(handle));
    int32_t counts[2] = {0, 0};
    h.objectType().enumVerticesAndEdges(
        object->pluginObject, counts,
        [](void* c, double, double, double) __attribute__((stdcall)) { ++static_cast<int32_t*>(c)[0]; },
        [](void* c, int32_t, int32_t) __attribute__((stdcall)) { ++static_cast<int32_t*>(c)[1]; });
    // Faces from the saved size (289 + 12 per vertex and face + 8 per edge), which
    // the object measures without allocating.
    const double faces = double(h.objectType().savedSize(object->pluginObject) - 289 -
                                12.0 * counts[0] - 8.0 * counts[1]) / 12.0;
    s->finalBytes = 12.0 * counts[0] + 12.0 * faces + 8.0 * counts[1];
    return true;
}

// (c) The peer library.
bool runPeer(const char* path, Sample* s) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path)) return false;
    double indices = 0;
    for (const auto& shape : shapes) indices += double(shape.mesh.indices.size());
    s->finalBytes = 4.0 * attrib.vertices.size() + 4.0 * indices;
    return true;
}

Sample measure(bool (*run)(const char*, Sample*), const char* path) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Sample s;
        resetPeak();
        const long startKb = statusKb("VmRSS:");
        const auto t0 = std::chrono::steady_clock::now();
        s.ok = run(path, &s);
        s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        s.peakBytes = 1024.0 * double(statusKb("VmHWM:") - startKb);
        if (write(fds[1], &s, sizeof s) != sizeof s) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    Sample s;
    if (read(fds[0], &s, sizeof s) != sizeof s) s.ok = 0;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "obj_bench_grid.obj";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!std::ifstream(path).good()) {
        std::printf("generating %s\n", path.c_str());
        generate(path);
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const double megabytes = double(in.tellg()) / 1e6;

    struct Contender {
        const char* name;
        bool (*run)(const char*, Sample*);
        std::vector<Sample> samples;
    } contenders[] = {{"(a) readObjFile", runReader, {}},
                      {"(b) import through the boundary", runBoundaryImport, {}},
                      {"(c) peer LoadObj", runPeer, {}}};
    for (int r = 0; r < runs; ++r) // interleaved so that drift hits everyone alike
        for (auto& c : contenders) c.samples.push_back(measure(c.run, path.c_str()));

    std::printf("file %s: %.1f MB, %d runs each, 32-bit build\n", path.c_str(), megabytes, runs);
    std::printf("%-34s %10s %12s %12s %8s\n", "", "MB/s", "peak MB", "arrays MB", "peak/arr");
    double peerSpeed = 0;
    for (auto& c : contenders) {
        std::vector<double> speeds, peaks;
        double arrays = 0;
        bool ok = true;
        for (const Sample& s : c.samples) {
            ok = ok && s.ok;
            speeds.push_back(megabytes / s.seconds);
            peaks.push_back(s.peakBytes / 1e6);
            arrays = s.finalBytes / 1e6;
        }
        if (!ok) {
            std::printf("%-34s %10s\n", c.name, "n/a (not available)");
            continue;
        }
        const double speed = median(speeds);
        if (c.run == runPeer) peerSpeed = speed;
        std::printf("%-34s %10.1f %12.1f %12.1f %8.2f\n", c.name, speed,
                    *std::max_element(peaks.begin(), peaks.end()), arrays,
                    *std::max_element(peaks.begin(), peaks.end()) / arrays);
    }
    for (auto& c : contenders) {
        if (c.run == runPeer || !c.samples[0].ok || peerSpeed <= 0) continue;
        std::vector<double> speeds;
        for (const Sample& s : c.samples) speeds.push_back(megabytes / s.seconds);
        std::printf("%s: %.2fx the peer\n", c.name, median(speeds) / peerSpeed);
    }
    return 0;
}
