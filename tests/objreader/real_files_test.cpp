// The real-world OBJ files of the shared test data: the arrays of every file listed in
// golden/real_obj_arrays.tsv must stay byte for byte what they were when it was written.
#include "objreader/obj_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/objreader/digest.h"

using namespace tessoid::obj;

namespace {

const std::filesystem::path TABLE =
    std::filesystem::path(TESSOID_SOURCE_DIR) / "tests/objreader/golden/real_obj_arrays.tsv";
const std::filesystem::path OBJ_DIR = std::filesystem::path(TESSOID_SHARED_DIR) / "testdata/obj";

// "vertices<TAB>triangles<TAB>digest of the vertex floats, then the triangle indices".
std::string describeArrays(const ObjMesh& mesh) {
    testdigest::Fnv1a digest;
    digest.add(mesh.vertices.get(), size_t(mesh.vertexCount) * 3 * sizeof(float));
    digest.add(mesh.triangles.get(), size_t(mesh.triangleCount) * 3 * sizeof(int32_t));
    return std::to_string(mesh.vertexCount) + "\t" + std::to_string(mesh.triangleCount) + "\t" +
           digest.hex();
}

std::map<std::string, std::string> readTable() {
    std::map<std::string, std::string> rows;
    std::ifstream in(TABLE);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        rows[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return rows;
}

} // namespace

TEST(ObjRealFiles, ArraysMatchTheirDigests) {
    if (!std::filesystem::is_directory(OBJ_DIR)) GTEST_SKIP() << "no " << OBJ_DIR;
    if (std::getenv("TESSOID_UPDATE_GOLDEN")) {
        std::map<std::string, std::string> rows;
        for (const auto& entry : std::filesystem::directory_iterator(OBJ_DIR)) {
            ObjMesh mesh;
            if (readObjFile(entry.path().string().c_str(), &mesh) == ObjResult::Ok)
                rows[entry.path().filename().string()] = describeArrays(mesh);
        }
        std::ofstream out(TABLE);
        out << "# file\tvertices\ttriangles\tFNV-1a 64 of the vertex floats, then the triangle "
               "indices\n";
        for (const auto& [name, row] : rows) out << name << '\t' << row << '\n';
        return;
    }
    const std::map<std::string, std::string> rows = readTable();
    ASSERT_GE(rows.size(), 20u) << "missing or short " << TABLE;
    for (const auto& [name, expected] : rows) {
        ObjMesh mesh;
        const ObjResult result = readObjFile((OBJ_DIR / name).string().c_str(), &mesh);
        ASSERT_EQ(result, ObjResult::Ok) << name << ": " << describeObjResult(result);
        EXPECT_EQ(describeArrays(mesh), expected) << name;
    }
}
