// Loads a generated chunk file of at least 40 MB (meshes of 60,000 vertices with
// texture vertices, materials, smoothing groups and a keyframer section) and
// reports the median time of reading the tree, of reading it and decoding every
// node, and the peak memory of each, beside the peer reader on the same file.
//
// Usage: chunk_bench [runs] [meshes]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "tds/chunk/chunk.h"

#ifdef TESSOID_HAVE_LIB3DS
#include <lib3ds/file.h>
#endif

namespace {

using tds::test::ChunkWriter;

constexpr uint16_t kVertices = 60000;
constexpr uint16_t kFaces = 65000;

void writeMesh(ChunkWriter& w, int index, int materials) {
    char name[16];
    std::snprintf(name, sizeof name, "Mesh%d", index);
    w.begin(tds::CK_NAMED_OBJECT).str(name).begin(tds::CK_TRIANGLE_MESH);
    w.begin(tds::CK_VERTICES).u16(kVertices);
    for (uint32_t i = 0; i < kVertices; ++i)
        w.point(std::sin(i * 0.01f) * 10, std::cos(i * 0.013f) * 10, i * 0.001f + index);
    w.end();
    w.begin(tds::CK_TEX_COORDS).u16(kVertices);
    for (uint32_t i = 0; i < kVertices; ++i)
        w.f32((i % 300) / 300.0f).f32((i / 300) / 200.0f);
    w.end();
    w.begin(tds::CK_LOCAL_AXES).point(1, 0, 0).point(0, 1, 0).point(0, 0, 1).point(0, 0, 0).end();
    w.begin(tds::CK_FACES).u16(kFaces);
    for (uint32_t i = 0; i < kFaces; ++i)
        w.u16(static_cast<uint16_t>(i % kVertices))
            .u16(static_cast<uint16_t>((i + 1) % kVertices))
            .u16(static_cast<uint16_t>((i + 300) % kVertices))
            .u16(7);
    for (int m = 0; m < materials; ++m) {
        char mat[16];
        std::snprintf(mat, sizeof mat, "Mat%d", m);
        w.begin(tds::CK_FACE_MATERIAL).str(mat).u16(kFaces / materials);
        for (uint32_t i = m; i < kFaces; i += materials)
            if ((i - m) / materials < static_cast<uint32_t>(kFaces / materials))
                w.u16(static_cast<uint16_t>(i));
        w.end();
    }
    w.begin(tds::CK_SMOOTH_GROUPS);
    for (uint32_t i = 0; i < kFaces; ++i)
        w.u32(1u << (i % 32));
    w.end();
    w.end().end().end(); // faces, mesh, object
}

std::vector<uint8_t> buildFile(int meshes) {
    ChunkWriter w;
    w.begin(tds::CK_MESH_FILE).begin(tds::CK_FILE_VERSION).u32(3).end();
    w.begin(tds::CK_EDITOR).begin(tds::CK_EDITOR_VERSION).u32(3).end();
    const int materials = 5;
    for (int m = 0; m < materials; ++m) {
        char mat[16];
        std::snprintf(mat, sizeof mat, "Mat%d", m);
        w.begin(tds::CK_MATERIAL).stringChunk(tds::CK_MATERIAL_NAME, mat);
        w.begin(tds::CK_MAT_AMBIENT).colorByte(10, 10, 10).end();
        w.begin(tds::CK_MAT_DIFFUSE).colorByte(200, static_cast<uint8_t>(40 * m), 30).end();
        w.begin(tds::CK_MAT_SPECULAR).colorByte(255, 255, 255).end();
        w.begin(tds::CK_MAT_SHININESS).percentInt(40).end();
        w.begin(tds::CK_MAT_TEXTURE_MAP).percentInt(100).stringChunk(tds::CK_MAP_FILE_NAME, "tex.png").end();
        w.end();
    }
    w.begin(tds::CK_MASTER_SCALE).f32(1).end();
    for (int i = 0; i < meshes; ++i)
        writeMesh(w, i, materials);
    w.end();
    w.begin(tds::CK_KEYFRAMER);
    w.begin(tds::CK_KF_HEADER).i16(5).str("bench").i32(100).end();
    w.begin(tds::CK_KF_SEGMENT).i32(0).i32(100).end();
    for (int i = 0; i < meshes; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Mesh%d", i);
        w.begin(tds::CK_NODE_OBJECT).int16Chunk(tds::CK_NODE_ID, static_cast<int16_t>(i));
        w.nodeHeader(name, 0, 0, static_cast<int16_t>(i == 0 ? -1 : 0));
        w.begin(tds::CK_PIVOT).point(0, 0, 0).end();
        w.begin(tds::CK_TRACK_POSITION).u16(0).u32(0).u32(0).u32(2);
        w.u32(0).u16(0).point(0, 0, 0).u32(100).u16(1).f32(0.5f).point(1, 2, 3).end();
        w.begin(tds::CK_TRACK_ROTATION).u16(0).u32(0).u32(0).u32(1).u32(0).u16(0).f32(0).point(0, 0, 1).end();
        w.begin(tds::CK_TRACK_SCALE).u16(0).u32(0).u32(0).u32(1).u32(0).u16(0).point(1, 1, 1).end();
        w.end();
    }
    w.end().end();
    return w.take();
}

template <class F> double seconds(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

size_t gDecoded = 0;

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
            if (tds::readChunkData(n))
                ++gDecoded;
            for (tds::ChunkNode* c = n->children; c; c = c->next)
                stack.push_back(c);
        }
        ok = !tds::errorPending();
    }
    tds::releaseDatabase(&db);
    tds::closeChunkFile(file);
    return ok;
}

#ifdef TESSOID_HAVE_LIB3DS
bool loadPeer(const char* path) {
    Lib3dsFile* f = lib3ds_file_load(path);
    if (!f)
        return false;
    lib3ds_file_free(f);
    return true;
}
#endif

// Peak resident memory (KiB) of one load in a fresh process (this program
// re-run with --run <mode> <path>), so that nothing of this process counts.
long peakKiB(const char* mode, const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/proc/self/exe", "chunk_bench", "--run", mode, path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--run") {
        const std::string mode = argv[2];
        bool ok = false;
        if (mode == "tree" || mode == "full")
            ok = loadTree(argv[3], mode == "full");
        else if (mode == "none")
            ok = true;
#ifdef TESSOID_HAVE_LIB3DS
        else if (mode == "peer")
            ok = loadPeer(argv[3]);
#endif
        return ok ? 0 : 1;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int meshes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const std::string path = "/tmp/tds_chunk_bench_" + std::to_string(getpid()) + ".3ds";
    size_t size = 0;
    {
        std::vector<uint8_t> bytes = buildFile(meshes);
        size = bytes.size();
        if (!tds::test::writeFile(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const double mb = size / 1e6;
    std::printf("file: %s, %.1f MB, %d meshes of %u vertices and %u faces, %d runs\n",
                path.c_str(), mb, meshes, kVertices, kFaces, runs);

    bool ok = true;
    std::vector<double> tree, full, peer;
    for (int r = 0; r < runs; ++r) {
        tree.push_back(seconds([&] { ok = loadTree(path.c_str(), false) && ok; }));
        full.push_back(seconds([&] { ok = loadTree(path.c_str(), true) && ok; }));
#ifdef TESSOID_HAVE_LIB3DS
        peer.push_back(seconds([&] { ok = loadPeer(path.c_str()) && ok; }));
#endif
    }
    if (!ok)
        std::printf("WARNING: a load failed\n");
    const double treeMs = median(tree) * 1e3, fullMs = median(full) * 1e3;
    std::printf("tree only (readDatabase)       : median %8.2f ms  %8.1f MB/s  peak %ld KiB\n",
                treeMs, mb / (treeMs / 1e3), peakKiB("tree", path));
    std::printf("tree + decode every node       : median %8.2f ms  %8.1f MB/s  peak %ld KiB\n",
                fullMs, mb / (fullMs / 1e3), peakKiB("full", path));
    std::printf("process without loading        : peak %ld KiB\n", peakKiB("none", path));
    std::printf("tree share of load + decode    : %.1f %%\n", 100.0 * treeMs / fullMs);
#ifdef TESSOID_HAVE_LIB3DS
    const double peerMs = median(peer) * 1e3;
    std::printf("peer (lib3ds_file_load + free) : median %8.2f ms  %8.1f MB/s  peak %ld KiB\n",
                peerMs, mb / (peerMs / 1e3), peakKiB("peer", path));
    std::printf("speed-up over peer             : %.2fx\n", peerMs / fullMs);
#else
    std::printf("peer: not built (bench/chunk_install_peer.sh)\n");
#endif
    if (!std::getenv("TDS_BENCH_KEEP"))
        std::remove(path.c_str());
    return ok ? 0 : 1;
}
