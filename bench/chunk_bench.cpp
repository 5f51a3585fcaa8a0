// 3DS benchmark on one generated file of at least 40 MB: median time and peak memory of
// reading the chunk tree, of reading it and decoding every node, of the whole import
// through the plug-in boundary (a counting host, and the reference host for comparison),
// of the peer reader, and of the command-line host importing the file. Every run is a
// child process of its own.
//
// Usage: chunk_bench [runs] [meshes] [file.3ds]  (the file is generated when missing)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "counting_host.h"
#include "host/plugin_host.h"
#include "tds/chunk/chunk.h"
#include "threeds_grid_file.h"

#ifdef TESSOID_HAVE_LIB3DS
#include <lib3ds/file.h>
#endif

namespace {

using bench::Contender;
using bench::Sample;

int gMeshes = 20; // what the file holds, for checking the import's counts

bool loadTree(const char* path, bool decode) {
    tds::clearErrors();
    tds::ChunkFile* file = tds::openChunkFile(path, "rb");
    tds::ChunkDatabase* db = nullptr;
    tds::createDatabase(&db);
    tds::readDatabase(file, db);
    bool ok = file && !tds::errorPending();
    if (!ok) {
        std::fprintf(stderr, "load failed:");
        for (const tds::ErrorEntry& e : tds::errorList().entries) {
            if (e.code == 0)
                break;
            std::fprintf(stderr, " %d", e.code);
        }
        std::fprintf(stderr, "\n");
    }
    if (ok && decode) {
        std::vector<tds::ChunkNode*> stack{db->top};
        while (!stack.empty()) {
            tds::ChunkNode* n = stack.back();
            stack.pop_back();
            tds::readChunkData(n);
            for (tds::ChunkNode* c = n->children; c; c = c->next)
                stack.push_back(c);
        }
        ok = !tds::errorPending();
    }
    tds::releaseDatabase(&db);
    tds::closeChunkFile(file);
    return ok;
}

bool runTree(const char* path, Sample*) {
    return loadTree(path, false);
}
bool runTreeAndDecode(const char* path, Sample*) {
    return loadTree(path, true);
}

// Every material group of every mesh becomes an object of its own corners.
bool countsMatchFile(const bench::ImportCounts& c) {
    const int64_t faces = int64_t(gMeshes) * bench::kThreeDSFaces;
    return c.meshes == gMeshes * bench::kThreeDSMaterials && c.faces == faces &&
           c.vertices == 3 * faces && c.textureVertices == 3 * faces && c.edges == 3 * faces &&
           c.materials == bench::kThreeDSMaterials && c.removed == 0 && c.accepted != 0;
}

bool runImport(const char* path, Sample* s) {
    bench::ImportCounts counts;
    if (!bench::CountedImport(bench::programFolder() + "/libTessoid.so", path, &counts))
        return false;
    if (!countsMatchFile(counts)) {
        std::fprintf(stderr,
                     "import counts differ from the file: %d meshes, %d materials, "
                     "%lld vertices, %lld faces\n",
                     counts.meshes, counts.materials, static_cast<long long>(counts.vertices),
                     static_cast<long long>(counts.faces));
        return false;
    }
    s->finalBytes = 24.0 * double(counts.vertices + counts.textureVertices) +
                    8.0 * double(counts.edges) + 12.0 * double(counts.faces);
    s->seconds = counts.importSeconds;
    return true;
}

// The same import against the reference host, whose checks and scene are what the
// command-line host adds to the import's own time.
bool runReferenceImport(const char* path, Sample* s) {
    host::PluginHost h;
    if (!h.load(bench::programFolder() + "/libTessoid.so"))
        return false;
    h.chosenFile = path;
    const bench::Stopwatch import;
    h.runImportCommand();
    s->seconds = import.seconds();
    return h.importResult != 0 && h.misuses.empty();
}

#ifdef TESSOID_HAVE_LIB3DS
bool runLib3ds(const char* path, Sample*) {
    Lib3dsFile* f = lib3ds_file_load(path);
    if (!f)
        return false;
    lib3ds_file_free(f);
    return true;
}
#endif

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    gMeshes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const std::string path =
        argc > 3 ? argv[3] : "chunk_bench_" + std::to_string(gMeshes) + "_meshes.3ds";
    if (!bench::ensureThreeDSFile(path, gMeshes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const double mb = bench::fileMegabytes(path);

    std::vector<Contender> contenders = {
        {"tree only (readDatabase)", runTree, {}},
        {"tree + decode every node", runTreeAndDecode, {}},
        {"import through the boundary (counting host)", runImport, {}},
        {"import through the reference host", runReferenceImport, {}}};
#ifdef TESSOID_HAVE_LIB3DS
    contenders.push_back({"lib3ds_file_load + free", runLib3ds, {}});
#endif
    std::vector<double> cliSeconds;
    const bool cliOk = bench::measureRounds(contenders, path, runs, &cliSeconds);

    std::printf("file %s: %.1f MB, %d meshes of %u vertices and %u faces, %d runs each\n",
                path.c_str(), mb, gMeshes, bench::kThreeDSVertices, bench::kThreeDSFaces, runs);
    std::printf("  %-46s %9s %9s %9s\n", "", "ms", "MB/s", "peak MB");
    for (Contender& c : contenders) {
        if (!bench::allOk(c.samples)) {
            std::printf("  %-46s %9s\n", c.name, "failed");
            continue;
        }
        const double seconds = bench::medianSeconds(c.samples);
        std::printf("  %-46s %9.1f %9.1f %9.1f\n", c.name, seconds * 1e3, mb / seconds,
                    bench::maxPeakBytes(c.samples) / 1e6);
    }
    if (cliOk)
        std::printf("  %-46s %9.1f %9.1f %9s\n", "tessoid-host import (whole process)",
                    bench::median(cliSeconds) * 1e3, mb / bench::median(cliSeconds), "");
    const Contender& import = contenders[2];
    const bool importOk = bench::allOk(import.samples);
    if (importOk)
        std::printf("  import counts checked in every run: %d mesh objects, %d materials, "
                    "%lld vertices, %lld faces\n",
                    gMeshes * bench::kThreeDSMaterials, bench::kThreeDSMaterials,
                    3LL * gMeshes * bench::kThreeDSFaces, 1LL * gMeshes * bench::kThreeDSFaces);

    std::printf("targets:\n");
#ifdef TESSOID_HAVE_LIB3DS
    const Contender& peer = contenders[4];
    if (importOk && bench::allOk(peer.samples))
        bench::atLeast("3DS import vs lib3ds_file_load",
                       bench::medianSeconds(peer.samples) / bench::medianSeconds(import.samples),
                       6.0);
    else
        bench::notMeasured("3DS import vs lib3ds_file_load", "a run failed");
#else
    bench::notMeasured("3DS import vs lib3ds_file_load",
                       "lib3ds not built in (bench/chunk_install_peer.sh)");
#endif
    if (importOk && cliOk)
        bench::atMost("CLI tessoid-host import vs 3DS import time",
                      bench::median(cliSeconds) / bench::medianSeconds(import.samples), 1.3);
    else
        bench::notMeasured("CLI tessoid-host import vs 3DS import time",
                           "tessoid-host or the import failed");
    bool ok = true;
    for (const Contender& c : contenders)
        ok = ok && bench::allOk(c.samples);
    return ok && cliOk ? 0 : 1;
}
