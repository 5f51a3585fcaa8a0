// OBJ benchmark: median throughput and peak memory of
//   (a) readObjFile,
//   (b) the whole import through the host boundary (read, triangulate, hand over, edge list),
//   (c) tinyobjloader's LoadObj,
//   (d) fast_obj's fast_obj_read (when the peers folder has it),
//   (e) the scene text of the imported mesh object,
// each run in a child process of its own so that every peak is measured from a clean start;
// then the command-line host importing the same file, and the import's throughput on files
// of about 5, 50 and 200 MB.
//
// Usage: obj_bench [file.obj] [runs]  (files are generated beside it when missing; 5 runs)
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#ifdef TESSOID_HAVE_FAST_OBJ
#include <fast_obj.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "host/plugin_host.h"
#include "obj_grid_file.h"
#include "objreader/obj_reader.h"

namespace {

using bench::Contender;
using bench::Sample;

constexpr int GRID = 560;        // the main file: 51 MB
constexpr int GRID_SMALL = 175;  // about 5 MB
constexpr int GRID_LARGE = 1106; // about 200 MB
constexpr int LARGE_RUNS = 3;

// (a) The reader alone.
bool runReader(const char* path, Sample* s) {
    tessoid::obj::ObjMesh mesh;
    if (tessoid::obj::readObjFile(path, &mesh) != tessoid::obj::ObjResult::Ok)
        return false;
    s->finalBytes = 12.0 * mesh.vertexCount + 12.0 * mesh.triangleCount;
    return true;
}

// (b) The whole import through the host boundary: the reference host loads the plug-in
// beside this program and runs its "Mesh" command, which reads the file, hands the arrays
// over through PendingMesh and TakePendingMesh with its edge list. Timed from the command
// until it returns, once CreateObject has: loading the plug-in happens once per session
// in the modeller, and the counts below only size the result.
bool runBoundaryImport(const char* path, Sample* s) {
    host::PluginHost h;
    if (!h.load(bench::programFolder() + "/libTessoid.so"))
        return false;
    h.chosenFile = path;
    const bench::Stopwatch import;
    const int32_t handle = h.runImportCommand();
    s->seconds = import.seconds();
    if (handle == 0)
        return false;
    host::SceneObject* object = h.scene().find(static_cast<uint32_t>(handle));
    int32_t counts[2] = {0, 0};
    h.objectType().enumVerticesAndEdges(
        object->pluginObject, counts,
        [](void* c, double, double, double) TESSOID_STDCALL { ++static_cast<int32_t*>(c)[0]; },
        [](void* c, int32_t, int32_t) TESSOID_STDCALL { ++static_cast<int32_t*>(c)[1]; });
    // Faces from the saved size (289 + 12 per vertex and face + 8 per edge), which
    // the object measures without allocating.
    const double faces = double(h.objectType().savedSize(object->pluginObject) - 289 -
                                12.0 * counts[0] - 8.0 * counts[1]) /
                         12.0;
    s->finalBytes = 12.0 * counts[0] + 12.0 * faces + 8.0 * counts[1];
    return counts[0] > 0 && faces > 0;
}

// (e) The scene text of the imported mesh object, which the modeller asks for at every
// render: WriteScene's pieces counted as a sink that writes them would take them. Timed
// from the call until it returns; finalBytes holds the text's size.
size_t sceneTextBytes = 0;
int32_t TESSOID_STDCALL countText(int32_t, const char* text) {
    sceneTextBytes += std::strlen(text);
    return 0;
}

bool runSceneText(const char* path, Sample* s) {
    host::PluginHost h;
    if (!h.load(bench::programFolder() + "/libTessoid.so"))
        return false;
    h.chosenFile = path;
    const int32_t handle = h.runImportCommand();
    if (handle == 0)
        return false;
    host::SceneObject* object = h.scene().find(static_cast<uint32_t>(handle));
    sceneTextBytes = 0;
    const bench::Stopwatch write;
    h.objectType().writeScene(object->pluginObject, 0, "Grid", countText);
    s->seconds = write.seconds();
    s->finalBytes = double(sceneTextBytes);
    return sceneTextBytes > 0;
}

// (c) tinyobjloader.
bool runTinyObj(const char* path, Sample* s) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path))
        return false;
    double indices = 0;
    for (const auto& shape : shapes)
        indices += double(shape.mesh.indices.size());
    s->finalBytes = 4.0 * attrib.vertices.size() + 4.0 * indices;
    return true;
}

#ifdef TESSOID_HAVE_FAST_OBJ
// (d) fast_obj: positions and the position index of every corner.
bool runFastObj(const char* path, Sample* s) {
    fastObjMesh* mesh = fast_obj_read(path);
    if (!mesh)
        return false;
    s->finalBytes = 12.0 * mesh->position_count + 4.0 * mesh->index_count;
    const bool ok = mesh->position_count > 1 && mesh->face_count > 0;
    fast_obj_destroy(mesh);
    return ok;
}
#endif

std::string beside(const std::string& path, const std::string& name) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

void printTable(std::vector<Contender>& contenders, double megabytes) {
    std::printf("  %-36s %10s %10s %10s %9s\n", "", "MB/s", "peak MB", "arrays MB", "peak/arr");
    for (Contender& c : contenders) {
        if (!bench::allOk(c.samples)) {
            std::printf("  %-36s %10s\n", c.name, "failed");
            continue;
        }
        const double peak = bench::maxPeakBytes(c.samples) / 1e6;
        const double arrays = c.samples.back().finalBytes / 1e6;
        std::printf("  %-36s %10.1f %10.1f %10.1f %9.2f\n", c.name,
                    megabytes / bench::medianSeconds(c.samples), peak, arrays, peak / arrays);
    }
}

// Median MB/s of the whole import on one file.
double importThroughput(const std::string& path, int runs) {
    std::vector<Sample> samples;
    for (int r = 0; r < runs; ++r)
        samples.push_back(bench::measureInChild(runBoundaryImport, path.c_str()));
    if (!bench::allOk(samples))
        return 0;
    return bench::fileMegabytes(path) / bench::medianSeconds(samples);
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "obj_bench_grid.obj";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string small = beside(path, "obj_bench_grid_5mb.obj");
    const std::string large = beside(path, "obj_bench_grid_200mb.obj");
    bench::ensureObjGrid(path, GRID);
    bench::ensureObjGrid(small, GRID_SMALL);
    bench::ensureObjGrid(large, GRID_LARGE);
    const double megabytes = bench::fileMegabytes(path);

    std::vector<Contender> contenders = {{"(a) readObjFile", runReader, {}},
                                         {"(b) import through the boundary", runBoundaryImport, {}},
                                         {"(c) tinyobjloader LoadObj", runTinyObj, {}}};
#ifdef TESSOID_HAVE_FAST_OBJ
    contenders.push_back({"(d) fast_obj_read", runFastObj, {}});
#endif
    std::vector<double> cliSeconds;
    const bool cliOk = bench::measureRounds(contenders, path, runs, &cliSeconds);

    std::printf("file %s: %.1f MB, %d runs each, %d-bit build\n", path.c_str(), megabytes, runs,
                int(8 * sizeof(void*)));
    printTable(contenders, megabytes);
#ifndef TESSOID_HAVE_FAST_OBJ
    std::printf("  (d) fast_obj skipped: %s\n", TESSOID_FAST_OBJ_MISSING);
#endif

    [[maybe_unused]] const Contender& reader = contenders[0];
    const Contender& import = contenders[1];
    const bool importOk = bench::allOk(import.samples);
    std::printf("targets:\n");
#ifdef TESSOID_HAVE_FAST_OBJ
    const Contender& fast = contenders[3];
    if (bench::allOk(fast.samples) && importOk && bench::allOk(reader.samples)) {
        const double fastSeconds = bench::medianSeconds(fast.samples);
        bench::atLeast("OBJ import (b) vs fast_obj read",
                       fastSeconds / bench::medianSeconds(import.samples), 1.0);
        bench::atLeast("readObjFile (a) vs fast_obj read",
                       fastSeconds / bench::medianSeconds(reader.samples), 1.5);
    } else {
        bench::notMeasured("OBJ (a), (b) vs fast_obj read", "a run failed");
    }
#else
    bench::notMeasured("OBJ import (b) vs fast_obj read", "fast_obj skipped (see above)");
    bench::notMeasured("readObjFile (a) vs fast_obj read", "fast_obj skipped (see above)");
#endif
    if (importOk) {
        bench::atMost("OBJ import (b) peak / its final arrays",
                      bench::maxPeakBytes(import.samples) / import.samples.back().finalBytes, 1.5);
    } else {
        bench::notMeasured("OBJ import (b) peak / its final arrays", "the import failed");
    }
    if (cliOk && importOk) {
        bench::atMost("CLI tessoid-host import vs import (b) time",
                      bench::median(cliSeconds) / bench::medianSeconds(import.samples), 1.3);
    } else {
        bench::notMeasured("CLI tessoid-host import vs import (b) time",
                           "tessoid-host did not run or failed");
    }

    // The scene text against the import of the same file.
    std::vector<Sample> text;
    for (int r = 0; r < runs; ++r)
        text.push_back(bench::measureInChild(runSceneText, path.c_str()));
    const bool textOk = bench::allOk(text);
    if (textOk && importOk) {
        const double textSeconds = bench::medianSeconds(text);
        std::printf("scene text of the imported mesh: %.1f MB in %.3f s, %.1f MB/s\n",
                    text.back().finalBytes / 1e6, textSeconds,
                    text.back().finalBytes / 1e6 / textSeconds);
        bench::atLeast("scene text time vs import (b) time (import / text)",
                       bench::medianSeconds(import.samples) / textSeconds, 1.0);
    } else {
        bench::notMeasured("scene text time vs import (b) time", "the import or the text failed");
    }

    std::printf("import (b) throughput by file size (%d runs, %d for the largest):\n", runs,
                std::min(runs, LARGE_RUNS));
    const double smallSpeed = importThroughput(small, runs);
    const double largeSpeed = importThroughput(large, std::min(runs, LARGE_RUNS));
    const double mainSpeed = importOk ? megabytes / bench::medianSeconds(import.samples) : 0;
    std::printf("  %6.1f MB %10.1f MB/s\n", bench::fileMegabytes(small), smallSpeed);
    std::printf("  %6.1f MB %10.1f MB/s\n", megabytes, mainSpeed);
    std::printf("  %6.1f MB %10.1f MB/s\n", bench::fileMegabytes(large), largeSpeed);
    if (smallSpeed > 0 && largeSpeed > 0)
        bench::atLeast("OBJ import MB/s, 200 MB vs 5 MB file", largeSpeed / smallSpeed, 0.85);
    else
        bench::notMeasured("OBJ import MB/s, 200 MB vs 5 MB file", "an import failed");
    bool ok = cliOk && textOk && smallSpeed > 0 && largeSpeed > 0;
    for (const Contender& c : contenders)
        ok = ok && bench::allOk(c.samples);
    return ok ? 0 : 1;
}
