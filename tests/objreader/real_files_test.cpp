// The real-world OBJ files of the shared test data: the arrays of every file listed in
// golden/real_obj_arrays.tsv must stay byte for byte what they were when it was written.
#include "objreader/obj_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/objreader/digest.h"
#include "tests/real_files.h"

using namespace tessoid::obj;
using tessoid::Float3;
using tessoid::IndexTriple;

namespace {

const std::filesystem::path TABLE =
    std::filesystem::path(TESSOID_SOURCE_DIR) / "tests/objreader/golden/real_obj_arrays.tsv";
const std::filesystem::path OBJ_DIR = realfiles::dir("obj");

// "vertices<TAB>triangles<TAB>digest of the vertex floats, then the triangle indices".
std::string describeArrays(const ObjMesh& mesh) {
    testdigest::Fnv1a digest;
    // The element types have no padding: these are the same bytes as flat float and
    // index arrays, which the golden digests were taken of.
    digest.add(mesh.vertices.data(), mesh.vertices.size() * sizeof(Float3));
    digest.add(mesh.triangles.data(), mesh.triangles.size() * sizeof(IndexTriple));
    return std::to_string(mesh.vertexCount) + "\t" + std::to_string(mesh.triangleCount) + "\t" +
           digest.hex();
}

std::map<std::string, std::string> readTable() {
    std::map<std::string, std::string> rows;
    std::ifstream in(TABLE);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        rows[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return rows;
}

} // namespace

TEST(ObjRealFiles, ArraysMatchTheirDigests) {
    if (!std::filesystem::is_directory(OBJ_DIR))
        GTEST_SKIP() << "no " << OBJ_DIR;
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
        for (const auto& [name, row] : rows)
            out << name << '\t' << row << '\n';
        return;
    }
    const std::map<std::string, std::string> rows = readTable();
    ASSERT_GE(rows.size(), 20u) << "missing or short " << TABLE;
    size_t checked = 0;
    for (const auto& [name, expected] : rows) {
        // The bundled set holds some of the files the table pins; the full set all of them.
        if (!realfiles::fullSet() && !std::filesystem::exists(OBJ_DIR / name))
            continue;
        ++checked;
        ObjMesh mesh;
        const ObjResult result = readObjFile((OBJ_DIR / name).string().c_str(), &mesh);
        ASSERT_EQ(result, ObjResult::Ok) << name << ": " << describeObjResult(result);
        EXPECT_EQ(describeArrays(mesh), expected) << name;
    }
    EXPECT_GE(checked, realfiles::atLeast(rows.size(), 20));
}

namespace {

// An independent count of what a file's faces should give: the sum of (corners - 2) over
// its "f" statements, with "#" comments and backslash continuations taken into account.
int64_t expectedTriangles(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream whole;
    whole << in.rdbuf();
    std::string text = whole.str();
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    std::istringstream lines(text);
    std::string line, statement;
    int64_t triangles = 0;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        const size_t slash = line.find_last_not_of(" \t");
        if (slash != std::string::npos && line[slash] == '\\') {
            statement += line.substr(0, slash) + " ";
            continue;
        }
        statement += line;
        std::istringstream words(statement);
        statement.clear();
        std::string keyword, corner;
        int64_t corners = 0;
        if (!(words >> keyword) || keyword != "f")
            continue;
        while (words >> corner)
            ++corners;
        triangles += corners - 2;
    }
    return triangles;
}

} // namespace

TEST(ObjRealFiles, EveryPolygonOfEveryFileIsKept) {
    if (!std::filesystem::is_directory(OBJ_DIR))
        GTEST_SKIP() << "no " << OBJ_DIR;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(OBJ_DIR)) {
        ObjMesh mesh;
        if (readObjFile(entry.path().string().c_str(), &mesh) != ObjResult::Ok)
            continue;
        ++files;
        EXPECT_EQ(mesh.triangleCount, expectedTriangles(entry.path())) << entry.path().filename();
    }
    EXPECT_GE(size_t(files), realfiles::atLeast(30, 20));
}

// The 66-corner concave polygon: 64 triangles that tile it, all turning its way.
TEST(ObjRealFiles, ConcavePolygonIsTiledExactly) {
    const std::filesystem::path path = OBJ_DIR / "concave_polygon.obj";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no " << path;
    ObjMesh mesh;
    ASSERT_EQ(readObjFile(path.string().c_str(), &mesh), ObjResult::Ok);
    ASSERT_EQ(mesh.triangleCount, 64);
    // The face lies in the plane x = -1.146: areas in (y, z).
    const auto yz = [&](int32_t i, int axis) {
        const Float3& p = mesh.vertices[size_t(i)];
        return double(axis == 0 ? p.x : axis == 1 ? p.y : p.z);
    };
    const auto area = [&](int32_t a, int32_t b, int32_t c) {
        return (yz(b, 1) - yz(a, 1)) * (yz(c, 2) - yz(a, 2)) -
               (yz(c, 1) - yz(a, 1)) * (yz(b, 2) - yz(a, 2));
    };
    // The outline, in the face's corner order, straight from the file.
    std::ifstream in(path);
    std::string line;
    std::vector<int32_t> outline;
    while (std::getline(in, line))
        if (line.rfind("f ", 0) == 0) {
            std::istringstream corners(line.substr(2));
            std::string corner;
            while (corners >> corner)
                outline.push_back(std::stoi(corner) - 1);
        }
    ASSERT_EQ(outline.size(), 66u);
    double polygon = 0;
    for (size_t i = 1; i + 1 < outline.size(); ++i)
        polygon += area(outline[0], outline[i], outline[i + 1]);
    double sum = 0;
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const IndexTriple& corners = mesh.triangles[size_t(t)];
        const double a = area(corners.a, corners.b, corners.c);
        EXPECT_GE(a * polygon, -1e-12) << "triangle " << t << " against the winding";
        sum += a;
    }
    EXPECT_NEAR(sum, polygon, 1e-9 * std::fabs(polygon));
}
