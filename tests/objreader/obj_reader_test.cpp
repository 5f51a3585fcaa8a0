#include "objreader/obj_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <fstream>
#include <string>
#include <vector>

using namespace tessoid::obj;

namespace {

struct Read {
    ObjResult result;
    ObjFailure failure;
    std::vector<float> vertices;
    std::vector<int32_t> triangles;
};

Read readText(const std::string& text) {
    ObjMesh mesh;
    Read r;
    r.result = readObjText(text.data(), text.size(), &mesh, &r.failure);
    if (r.result == ObjResult::Ok) {
        r.vertices.assign(mesh.vertices.get(), mesh.vertices.get() + 3 * mesh.vertexCount);
        r.triangles.assign(mesh.triangles.get(), mesh.triangles.get() + 3 * mesh.triangleCount);
    } else {
        EXPECT_EQ(mesh.vertices, nullptr);
        EXPECT_EQ(mesh.triangles, nullptr);
    }
    return r;
}

std::string positions(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "v " + std::to_string(i) + " " + std::to_string(i % 3) + " 0\n";
    return s;
}

using Ints = std::vector<int32_t>;

} // namespace

TEST(ObjVertex, NumberCountsDecideAcceptance) {
    // Two numbers: ignored, so "2" now names the position written third.
    Read r = readText("v 1 1\nv 1 2 3 0.5\nv 4 5 6 7 8\nv 7 8\n  v 9 9 9\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices, (std::vector<float>{1, 2, 3, 4, 5, 6, 9, 9, 9}));
    EXPECT_EQ(r.triangles, (Ints{0, 1, 2}));
}

TEST(ObjVertex, NumberTextsReadAsFloats) {
    Read r = readText("v 1e2 -2.e1 +3.1+e2\nv 0x1p-1 .25 16777217\nv 1 2 3\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices, (std::vector<float>{100, -20, 3.1f, 0.5f, 0.25f, 16777216.0f, 1, 2, 3}));
}

TEST(ObjFace, CornerFormsAndReferences) {
    Read r = readText(positions(9) + "f 1/2/3 4//6 7/8 9\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    ASSERT_EQ(r.triangles.size(), 6u);
    EXPECT_EQ(std::set<int32_t>(r.triangles.begin(), r.triangles.end()), (std::set<int32_t>{0, 3, 6, 8}));

    r = readText(positions(3) + "f 1.9 2/x 3/\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 1, 2}));

    // Negative references count back from the positions read so far, forward ones are fine.
    r = readText(positions(5) + "f -3 -2 -1\nf 6 -1 1\nv 0 0 7\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{5, 4, 0, 2, 3, 4}));
}

TEST(ObjFace, FacesAreEmittedLastFirst) {
    Read r = readText(positions(4) + "f 1 2 3\nf 1 3 4\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 2, 3, 0, 1, 2}));
}

TEST(ObjFace, SixteenCornersAtMost) {
    std::string text;
    for (int i = 0; i < 20; ++i) text += "v " + std::to_string(std::cos(i * 0.3)) + " " + std::to_string(std::sin(i * 0.3)) + " 0\n";
    text += "f";
    for (int i = 1; i <= 20; ++i) text += " " + std::to_string(i);
    Read r = readText(text + "\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    ASSERT_EQ(r.triangles.size(), 14u * 3);
    for (int32_t index : r.triangles) EXPECT_LT(index, 16);
}

TEST(ObjFace, BackslashContinuesTheCornerList) {
    Read r = readText(positions(4) + "f 1 2 \\ dropped\n3 4\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles.size(), 6u);
    // A continuation at the end of the file just ends the list.
    r = readText(positions(3) + "f 1 2 3 \\");
    EXPECT_EQ(r.result, ObjResult::Ok);
}

TEST(ObjFace, PolygonsAreCutInTheirDominantPlane) {
    // The arrowhead (0,0) (4,-2) (2,0) (4,2) in the y-z plane (x dominant), the x-z plane
    // (y dominant) and the x-y plane (z dominant): always (0, 2, 3) then (0, 1, 2).
    const char* planes[] = {"v 5 %g %g\n", "v %g 5 %g\n", "v %g %g 5\n"};
    for (const char* format : planes) {
        std::string text;
        for (auto [u, v] : {std::pair{0, 0}, {4, -2}, {2, 0}, {4, 2}}) {
            char line[64];
            std::snprintf(line, sizeof line, format, double(u), double(v));
            text += line;
        }
        Read r = readText(text + "f 1 2 3 4\n");
        ASSERT_EQ(r.result, ObjResult::Ok) << format;
        EXPECT_EQ(r.triangles, (Ints{0, 2, 3, 0, 1, 2})) << format;
    }
    // A convex quad keeps its winding whichever way it turns.
    Read r = readText("v 0 0 0\nv 0 1 0\nv 1 1 0\nv 1 0 0\nf 1 2 3 4\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 1, 3, 1, 2, 3}));
}

TEST(ObjFailures, FaceStatements) {
    EXPECT_EQ(readText(positions(3) + "f 1 2\n").result, ObjResult::TooFewCorners);
    EXPECT_EQ(readText(positions(3) + "f 1 2 3 # comment\n").result, ObjResult::BadCorner);
    EXPECT_EQ(readText(positions(3) + " f 1 2 3\n").result, ObjResult::BadCorner);
    EXPECT_EQ(readText(positions(3) + "f 1 2 /3\n").result, ObjResult::BadCorner);
    EXPECT_EQ(readText(positions(3) + "f\n").result, ObjResult::TooFewCorners);
    EXPECT_EQ(readText(positions(3) + "f 0 1 2\n").result, ObjResult::BadVertexReference);
    EXPECT_EQ(readText(positions(3) + "f 1 2 4\n").result, ObjResult::BadVertexReference);
    EXPECT_EQ(readText(positions(3) + "f -4 1 2\n").result, ObjResult::BadVertexReference);
    EXPECT_EQ(readText(positions(3) + "f 1 2 3e10\n").result, ObjResult::BadVertexReference);
    EXPECT_EQ(readText(positions(3) + "f 1 2 nan\n").result, ObjResult::BadVertexReference);
    Read r = readText(positions(3) + "f 1 2 3\n\nf 1 2 5\nf 1 2 3\n");
    EXPECT_EQ(r.result, ObjResult::BadVertexReference);
    EXPECT_EQ(r.failure.line, 6);
}

TEST(ObjFailures, WholeFile) {
    EXPECT_EQ(readText(positions(3)).result, ObjResult::NoTriangles);
    EXPECT_EQ(readText("f 1 2 3\n").result, ObjResult::NoVertices);
    EXPECT_EQ(readText("").result, ObjResult::NoVertices);
    Read r = readText(positions(3) + "f 1 2 3\ncstype bspline\n");
    EXPECT_EQ(r.result, ObjResult::FreeFormGeometry);
    EXPECT_EQ(r.failure.line, 5);
    ObjMesh mesh;
    EXPECT_EQ(readObjFile("/nonexistent/dir/x.obj", &mesh), ObjResult::CannotOpen);
}

TEST(ObjLines, LongLinesAreReadInPieces) {
    // Characters 512 onwards of a 600-character line form a line of their own.
    std::string comment = "#" + std::string(510, 'x');
    std::string text = positions(3) + comment + "v 7 8 9" + std::string(82, ' ') + "\nf 1 2 4\n";
    Read r = readText(text);
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 12u);
    EXPECT_EQ(r.vertices[9], 7.0f);
    // 511 characters and then the newline: the newline alone is the next piece.
    text = positions(3) + "#" + std::string(510, 'x') + "\nf 1 2 3\n";
    EXPECT_EQ(readText(text).result, ObjResult::Ok);
}

TEST(ObjLines, TextAfterANulIsIgnored) {
    std::string text = positions(4) + "f 1 2 3";
    text += '\0';
    text += " 4\n";
    Read r = readText(text);
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles.size(), 3u);
}

TEST(ObjLines, CrLfReadsAsLfAcrossBufferEnds) {
    // Trailing blanks before CR LF would leave a CR as an extra corner if it weren't removed.
    // Line lengths vary so that CR LF pairs straddle every read boundary eventually.
    std::string text;
    int faces = 0;
    text += "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\n";
    while (text.size() < 1200000) {
        text += "f 1 2 3 " + std::string(size_t(faces % 7), ' ') + "\r\n";
        ++faces;
    }
    Read r = readText(text);
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles.size(), size_t(faces) * 3);

    const std::filesystem::path path = std::filesystem::temp_directory_path() / "objreader_crlf.obj";
    std::ofstream(path, std::ios::binary) << text;
    ObjMesh mesh;
    ASSERT_EQ(readObjFile(path.string().c_str(), &mesh), ObjResult::Ok);
    EXPECT_EQ(mesh.triangleCount, faces);
    std::filesystem::remove(path);
    // A lone CR is not a line end.
    EXPECT_EQ(readText("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3 \r \n").result, ObjResult::BadCorner);
}

TEST(ObjOtherStatements, DegreeAndBasisConsumeContinuations) {
    // The continued "v" line belongs to "deg", so only three positions count.
    Read r = readText(positions(3) + "deg 1 \\\nv 9 9 9\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 9u);
    r = readText(positions(3) + "deg 1 1\nbmat u 1 0 \\\nv 9 9 9\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 9u);
    // Once bmat has its (1 + 1)^2 numbers, a later backslash is left alone.
    r = readText(positions(3) + "deg 1\nbmat u 1 0 0 1 5 \\\nv 9 9 9\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 12u);
    // Everything else is ignored, including statements with trailing junk.
    r = readText(positions(3) + "vt 1 \\\nvn x\nusemtl\ng a b\ns 1\nF 1 2 3\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 9u);
    EXPECT_EQ(r.triangles.size(), 3u);
}

TEST(ObjRealFiles, EveryTestFileReadsOrFailsForItsReason) {
    const std::filesystem::path dir = std::filesystem::path(TESSOID_SHARED_DIR) / "testdata" / "obj";
    const std::map<std::string, ObjResult> failing = {
        {"point_cloud.obj", ObjResult::NoTriangles},                 // points only, no "f"
        {"issue-140-zero-face-idx.obj", ObjResult::BadVertexReference}, // references 0
    };
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".obj") continue;
        ++files;
        const std::string name = entry.path().filename().string();
        ObjMesh mesh;
        const ObjResult result = readObjFile(entry.path().string().c_str(), &mesh);
        const auto expected = failing.find(name);
        if (expected != failing.end()) {
            EXPECT_EQ(result, expected->second) << name;
            continue;
        }
        ASSERT_EQ(result, ObjResult::Ok) << name;
        EXPECT_GT(mesh.triangleCount, 0) << name;
        for (int32_t i = 0; i < 3 * mesh.triangleCount; ++i)
            ASSERT_TRUE(mesh.triangles[i] >= 0 && mesh.triangles[i] < mesh.vertexCount) << name;
    }
    EXPECT_GE(files, 30);
}
