#include "objreader/number_scan.h"
#include "objreader/obj_reader.h"
#include "objreader/scratch_array.h"

#include <gtest/gtest.h>

#include "tests/real_files.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace tessoid::obj;
using tessoid::Float3;
using tessoid::IndexTriple;

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
        EXPECT_EQ(mesh.vertices.size(), size_t(mesh.vertexCount));
        EXPECT_EQ(mesh.triangles.size(), size_t(mesh.triangleCount));
        for (const Float3& v : mesh.vertices)
            r.vertices.insert(r.vertices.end(), {v.x, v.y, v.z});
        for (const IndexTriple& t : mesh.triangles)
            r.triangles.insert(r.triangles.end(), {t.a, t.b, t.c});
    } else {
        EXPECT_TRUE(mesh.vertices.empty());
        EXPECT_TRUE(mesh.triangles.empty());
    }
    return r;
}

std::string positions(int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += "v " + std::to_string(i) + " " + std::to_string(i % 3) + " 0\n";
    return s;
}

using Ints = std::vector<int32_t>;

} // namespace

TEST(ObjVertex, EveryVertexCountsWithMissingCoordinatesZero) {
    // A fourth number is dropped, more are ignored; missing ones are 0, so "2" names the
    // position written second.
    Read r = readText("v 1 1\nv 1 2 3 0.5\nv 4 5 6 7 8\nv 7 8 # z?\n  v 9\nf 1 2 3\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices, (std::vector<float>{1, 1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 0, 0}));
    EXPECT_EQ(r.triangles, (Ints{0, 1, 2}));
    // Without a single number the position can't count: the read fails there.
    for (const char* bad : {"v\n", "v x 1 2\n", "v # 1 2 3\n", "\tv  \n"}) {
        r = readText(positions(3) + bad + "f 1 2 3\n");
        EXPECT_EQ(r.result, ObjResult::BadVertex) << bad;
        EXPECT_EQ(r.failure.line, 4) << bad;
    }
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
    EXPECT_EQ(std::set<int32_t>(r.triangles.begin(), r.triangles.end()),
              (std::set<int32_t>{0, 3, 6, 8}));

    r = readText(positions(3) + "f 1.9 2/x 3/\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 1, 2}));

    // Negative references count back from the positions read so far, forward ones are fine.
    r = readText(positions(5) + "f -3 -2 -1\nf 6 -1 1\nv 0 0 7\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{5, 4, 0, 2, 3, 4}));
}

TEST(ObjFace, LargeReferencesAreWhatTheFloatScannerReads) {
    // Integer corners take a path of their own; around each power of two where floats get
    // coarser, the reference must still be the float "%g" reads, truncated.
    for (int64_t power : {int64_t(1) << 24, int64_t(1) << 25, int64_t(1) << 26}) {
        for (int64_t n = power - 5; n <= power + 5; ++n) {
            for (const char* sign : {"", "-"}) {
                const std::string number = sign + std::to_string(n);
                float expected = 0;
                ASSERT_NE(scanFloat(number.data(), number.data() + number.size(), &expected),
                          nullptr);
                const Read r = readText(positions(3) + "f 1 2 " + number + "/7\n");
                ASSERT_EQ(r.result, ObjResult::BadVertexReference) << number;
                EXPECT_EQ(r.failure.reference, int64_t(expected)) << number;
            }
        }
    }
}

TEST(ObjFace, FacesAreEmittedLastFirst) {
    Read r = readText(positions(4) + "f 1 2 3\nf 1 3 4\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 2, 3, 0, 1, 2}));
}

// A regular n-gon in the plane z = 5 and one face over all of it.
std::string polygonFile(int n, const char* cornerSuffix = "") {
    std::string text;
    for (int i = 0; i < n; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "v %.6f %.6f 5\n", 100 * std::cos(2 * M_PI * i / n),
                      100 * std::sin(2 * M_PI * i / n));
        text += line;
    }
    text += "f";
    for (int i = 1; i <= n; ++i)
        text += " " + std::to_string(i) + cornerSuffix;
    return text + "\n";
}

// Twice the signed area in the x-y plane of the triangles, and of the polygon 0..n-1.
double doubledArea(const Read& r, const std::vector<int32_t>& triangles) {
    double sum = 0;
    for (size_t t = 0; t < triangles.size(); t += 3) {
        const float* a = &r.vertices[3 * size_t(triangles[t])];
        const float* b = &r.vertices[3 * size_t(triangles[t + 1])];
        const float* c = &r.vertices[3 * size_t(triangles[t + 2])];
        sum += (double(b[0]) - a[0]) * (double(c[1]) - a[1]) -
               (double(c[0]) - a[0]) * (double(b[1]) - a[1]);
    }
    return sum;
}

TEST(ObjFace, FacesOfAnySizeKeepEveryCorner) {
    for (int n : {17, 20, 200, 4096, 100000}) {
        SCOPED_TRACE(n);
        Read r = readText(polygonFile(n, n % 2 ? "/1/1" : ""));
        ASSERT_EQ(r.result, ObjResult::Ok);
        ASSERT_EQ(r.triangles.size(), 3 * size_t(n - 2));
        EXPECT_EQ(std::set<int32_t>(r.triangles.begin(), r.triangles.end()).size(), size_t(n));
        std::vector<int32_t> outline;
        for (int i = 0; i < n; ++i)
            outline.insert(outline.end(), {0, i, (i + 1) % n});
        EXPECT_NEAR(doubledArea(r, r.triangles), doubledArea(r, outline),
                    1e-6 * doubledArea(r, outline));
    }
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

TEST(ObjFailures, EveryFailureSaysWhyAndWhere) {
    struct Case {
        std::string text;
        ObjResult result;
        int32_t line;
        const char* because; // part of explainObjFailure's sentence
    };
    const std::string three = positions(3);
    const std::string binary = std::string("\x4d\x4d\x10\0\0\0\x02\0", 8) + "f 1 2\n" + three;
    const Case cases[] = {
        {three + "f 1 2\n", ObjResult::TooFewCorners, 4, "fewer than 3 corners"},
        {three + "f\n", ObjResult::TooFewCorners, 4, "fewer than 3 corners"},
        {three + "f 1 2 /3\n", ObjResult::BadCorner, 4, "not a number"},
        {three + "f 0 1 2\n", ObjResult::BadVertexReference, 4, "vertex 0 (vertices count from 1)"},
        {three + "f 1 2 3\n\nf 1 2 5\nf 1 2 3\n", ObjResult::BadVertexReference, 6,
         "refers to vertex 5, but the file has 3 vertices"},
        {three + "f -4 1 2\n", ObjResult::BadVertexReference, 4,
         "refers to vertex -4, but only 3 vertices come before it"},
        {three + "f 1 2 3e10\n", ObjResult::BadVertexReference, 4, "not a usable index"},
        // Beyond 2^24 a reference is the float nearest to it, as "%g" reads it.
        {three + "f 1 2 16777219\n", ObjResult::BadVertexReference, 4,
         "refers to vertex 16777220, but the file has 3 vertices"},
        {three + "f 1 2 -16777219/1\n", ObjResult::BadVertexReference, 4,
         "refers to vertex -16777220, but only 3 vertices come before it"},
        {three + "f 1 2 nan\n", ObjResult::BadVertexReference, 4, "not a usable index"},
        {three + "f 1 2 3\ncstype bspline\n", ObjResult::FreeFormGeometry, 5, "free-form"},
        {three + "v\n", ObjResult::BadVertex, 4, "no readable coordinate"},
        {three, ObjResult::NoTriangles, 0, "no faces"},
        {"f 1 2 3\n", ObjResult::NoVertices, 0, "no vertices"},
        {"", ObjResult::NoVertices, 0, "no vertices"},
        {binary, ObjResult::NotText, 0, "not a text file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Read r = readText(c.text);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.failure.line, c.line);
        EXPECT_NE(explainObjFailure(r.result, r.failure).find(c.because), std::string::npos)
            << explainObjFailure(r.result, r.failure);
    }
    ObjMesh mesh;
    ObjFailure failure;
    EXPECT_EQ(readObjFile("/nonexistent/dir/x.obj", &mesh, &failure), ObjResult::CannotOpen);
    EXPECT_NE(explainObjFailure(ObjResult::CannotOpen, failure).find("No such file"),
              std::string::npos);
    // A stray NUL deep in a text file that reads well changes nothing.
    EXPECT_EQ(readText(three + std::string(5000, '#') + "\n" + std::string(1, '\0') + "\nf 1 2 3\n")
                  .result,
              ObjResult::Ok);
}

TEST(ObjLines, LinesOfAnyLengthAreOneStatement) {
    // A 600-character comment stays a comment, however its tail looks.
    std::string text = positions(3) + "#" + std::string(510, 'x') + "v 7 8 9" +
                       std::string(82, ' ') + "\nf 1 2 3\n";
    Read r = readText(text);
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 9u);
    // A 1,500-character face line keeps all its corners, and the line count stays right.
    std::string face = "f";
    for (int i = 0; i < 300; ++i)
        face += " " + std::to_string(i % 2 ? 1 + i / 2 : 300 - i / 2) + "  ";
    ASSERT_GE(face.size(), 1500u);
    const std::string ring = polygonFile(300).substr(0, polygonFile(300).rfind("f "));
    r = readText(ring + face + "\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles.size(), 3u * 298);
    r = readText(ring + face + "\nf 1 2 0\n");
    EXPECT_EQ(r.result, ObjResult::BadVertexReference);
    EXPECT_EQ(r.failure.line, 302);
    // A line longer than the reader's first buffer, with its end beyond it.
    r = readText(positions(3) + "v 1 2 3" + std::string(600000, ' ') + "4\nf 1 2 -1\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices.size(), 12u);
}

TEST(ObjLines, CommentsEndTheStatementAnywhere) {
    const std::string after[] = {"f 1 2 3 # inline comment\n", "f 1 2 3# right after\n",
                                 "f 1/1/1 2/2/2 3/3/3 #\n", "f 1 2 3 \\ # continued\n4\n",
                                 "f 1 2 3 4#5\n"};
    for (const std::string& face : after) {
        Read r = readText(positions(5) + "v 1 2 3 # and after numbers\n" + face);
        ASSERT_EQ(r.result, ObjResult::Ok) << face;
        EXPECT_EQ(r.vertices.size(), 18u) << face;
        EXPECT_EQ(r.triangles.size(), face.find('4') == std::string::npos ? 3u : 6u) << face;
    }
    // A comment sign right after a coordinate ends the vertex there.
    Read v = readText("v 1 2#3\nv 4 5 6\nv 7#8 9\nf 1 2 3\n");
    ASSERT_EQ(v.result, ObjResult::Ok);
    EXPECT_EQ(v.vertices, (std::vector<float>{1, 2, 0, 4, 5, 6, 7, 0, 0}));
    // The comment sign inside the corner list ends it: two corners are too few.
    Read r = readText(positions(3) + "f 1 2 # 3\n");
    EXPECT_EQ(r.result, ObjResult::TooFewCorners);
    EXPECT_EQ(readText(positions(3) + "f 1/1/1# 2 3\n").result, ObjResult::TooFewCorners);
    EXPECT_EQ(readText(positions(3) + "f 1/1/1 2/1#/2 3\n").result, ObjResult::TooFewCorners);
}

// The rest of a corner after its vertex ("/vt/vn", "//vn", "/vt", or anything else up to a
// blank) is skipped however it ends: a blank, a tab, a comment, other text, or the end of
// the text with no line end after it.
TEST(ObjLines, CornerTailsEndWhereverTheCornerEnds) {
    const std::string faces[] = {"f 1/1/1 2/2/2 3/3/3#4/4/4\n", "f 1//1 2/1 3/1/#\n",
                                 "f 1/2/3x 2/+ 3/1.5e3\n",      "f 1/2/3\t2/2\t\t3//9\n",
                                 "f 1/1/1 2/2/2 3/3/3\r\n",     "f 1/1/1 2/2/2 3/3/3"};
    for (const std::string& face : faces) {
        Read r = readText(positions(4) + face);
        ASSERT_EQ(r.result, ObjResult::Ok) << face;
        EXPECT_EQ(r.triangles, (Ints{0, 1, 2})) << face;
    }
    // Tails of every length, ending at every place within a word of the buffer, before a
    // blank, a line end (the last corner) or the byte just past either end of '/'..'9'.
    for (int length = 0; length < 10; ++length) {
        for (int shift = 0; shift < 4; ++shift) {
            for (const char* after : {" ", "\t", ". ", ": "}) {
                const std::string tail = "/" + std::string(size_t(length), '7');
                const std::string face = "f" + std::string(size_t(shift) + 1, ' ') + "1" + tail +
                                         after + "2" + tail + " 3" + tail + "\n";
                Read r = readText(positions(4) + face + "f 4 3 2\n");
                ASSERT_EQ(r.result, ObjResult::Ok) << face;
                EXPECT_EQ(r.triangles, (Ints{3, 2, 1, 0, 1, 2})) << face;
            }
        }
    }
}

TEST(ObjLines, BlanksMayIndentAnyKeyword) {
    Read r = readText(" v 0 0 0\n\tv 1 0 0\n  v 0 1 0\n \t f 1 2 3\n   deg 1\n");
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_EQ(r.triangles, (Ints{0, 1, 2}));
    EXPECT_EQ(readText(positions(3) + "  f 1 2 3\n  cstype bezier\n").result,
              ObjResult::FreeFormGeometry);
}

TEST(ObjLines, ByteOrderMarksAndUtf16) {
    const std::string text = "# comment\nv 0 0 0\r\nv 1 0 0\nv 0 1 0\ng \xe9t\xe9\nf 1 2 3\n";
    const Read plain = readText(text);
    ASSERT_EQ(plain.result, ObjResult::Ok);
    EXPECT_EQ(readText("\xEF\xBB\xBF" + text).vertices, plain.vertices);
    for (bool bigEndian : {false, true}) {
        std::string wide = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        std::u16string units(text.begin(), text.end());
        units += u"g \u3001\n"; // beyond 8 bits, in a name the reader skips
        for (char16_t unit : units) {
            const char low = char(unit & 0xFF), high = char(unit >> 8);
            wide += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        const Read r = readText(wide);
        ASSERT_EQ(r.result, ObjResult::Ok) << bigEndian;
        EXPECT_EQ(r.vertices, plain.vertices);
        EXPECT_EQ(r.triangles, plain.triangles);
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / "objreader_utf16.obj";
        std::ofstream(path, std::ios::binary) << wide;
        ObjMesh mesh;
        EXPECT_EQ(readObjFile(path.string().c_str(), &mesh), ObjResult::Ok);
        EXPECT_EQ(mesh.triangleCount, 1);
        std::filesystem::remove(path);
    }
    // Without the mark, UTF-16 is binary data to the reader.
    std::string unmarked;
    for (char c : text)
        unmarked += std::string{c, '\0'};
    EXPECT_EQ(readText(unmarked).result, ObjResult::NotText);
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

    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "objreader_crlf.obj";
    std::ofstream(path, std::ios::binary) << text;
    ObjMesh mesh;
    ASSERT_EQ(readObjFile(path.string().c_str(), &mesh), ObjResult::Ok);
    EXPECT_EQ(mesh.triangleCount, faces);
    std::filesystem::remove(path);
    // A lone CR ends a line too (old Macintosh files), at a buffer end as well.
    Read old = readText("v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 3\r\rf 1 2 x\r");
    EXPECT_EQ(old.result, ObjResult::BadCorner);
    EXPECT_EQ(old.failure.line, 6);
    std::string mac = "v 0 0 0\rv 1 0 0\rv 0 1 0\r";
    while (mac.size() < 600000)
        mac += "f 1 2 3 \r";
    std::ofstream(path, std::ios::binary) << mac;
    ObjMesh macMesh;
    ASSERT_EQ(readObjFile(path.string().c_str(), &macMesh), ObjResult::Ok);
    EXPECT_EQ(size_t(macMesh.triangleCount), (mac.size() - 24) / 9);
    std::filesystem::remove(path);
}

// Plain lines ("v" or "f" and single blanks) are read in one pass up to their line end; any
// other line, and a plain-looking one that turns out otherwise halfway, by the general path.
// The same statements with tabs for blanks all take the general path and must give the
// same mesh, with lines straddling the reader's buffer ends, and the same failure line.
TEST(ObjLines, PlainLinesReadAsTheGeneralPathReadsThem) {
    const char* const turnsOtherwise[] = {"f 1 2 3 4#5\n",   "f 1 2 3 \n",          "f 3/1x 2 1\n",
                                          "f 1 -1 2  \n",    "v 1.5 2.5 3.5 1.0\n", "v 0.5 1.5\n",
                                          "v 0.5 1.5 2e1\n", "f 2 3 1 # c\n"};
    std::string plain;
    int vertices = 0;
    int lines = 0;
    while (plain.size() < 700000) {
        for (int i = 0; i < 4; ++i, ++vertices, ++lines)
            plain += "v " + std::to_string(vertices % 97) + "." + std::to_string(vertices % 1000) +
                     " -0.5 " + std::to_string(vertices % 13) + ".25\n";
        const std::string a = std::to_string(vertices - 3), b = std::to_string(vertices - 2),
                          c = std::to_string(vertices - 1), d = std::to_string(vertices);
        plain += "f " + a + "/" + a + "/" + a + " " + b + "/" + b + " " + c + "//" + c + " " + d +
                 "\nf -1 -2 -3\n";
        plain += turnsOtherwise[lines % std::size(turnsOtherwise)];
        lines += 3;
    }
    std::string tabbed = plain;
    std::replace(tabbed.begin(), tabbed.end(), ' ', '\t');
    const Read r = readText(plain);
    ASSERT_EQ(r.result, ObjResult::Ok);
    EXPECT_GT(r.vertices.size(), 3u * size_t(vertices));
    const Read general = readText(tabbed);
    ASSERT_EQ(general.result, ObjResult::Ok);
    EXPECT_EQ(r.vertices, general.vertices);
    EXPECT_EQ(r.triangles, general.triangles);
    // A reference past the last vertex is reported at its line, however the line was read.
    const std::string tooFar = "f 1 2 " + std::to_string(r.vertices.size() + 9) + "\n";
    for (const std::string& text : {plain + tooFar + plain, tabbed + tooFar + tabbed}) {
        const Read bad = readText(text);
        ASSERT_EQ(bad.result, ObjResult::BadVertexReference);
        EXPECT_EQ(bad.failure.line, lines + 1);
    }
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
    const std::filesystem::path dir = realfiles::dir("obj");
    const std::map<std::string, ObjResult> failing = {
        {"point_cloud.obj", ObjResult::NoTriangles},                    // points only, no "f"
        {"issue-140-zero-face-idx.obj", ObjResult::BadVertexReference}, // references 0
    };
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".obj")
            continue;
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
        for (const IndexTriple& t : mesh.triangles)
            for (int32_t i : {t.a, t.b, t.c})
                ASSERT_TRUE(i >= 0 && i < mesh.vertexCount) << name;
    }
    EXPECT_GE(size_t(files), realfiles::atLeast(30, 20));
}

// The corner arrays grow by realloc: every value survives each move of the block, and a
// released array starts again from nothing.
TEST(ScratchArray, KeepsEveryValueAcrossItsGrowthAndStartsOverWhenReleased) {
    ScratchArray<int32_t> values;
    for (int32_t i = 0; i < 300000; ++i)
        values.push_back(i * 7 - 5);
    ASSERT_EQ(values.size(), 300000u);
    bool same = true;
    for (int32_t i = 0; i < 300000; ++i)
        same = same && values[size_t(i)] == i * 7 - 5 && values.data()[i] == values[size_t(i)];
    EXPECT_TRUE(same);
    values.release();
    EXPECT_EQ(values.size(), 0u);
    EXPECT_EQ(values.data(), nullptr);
    values.push_back(42);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], 42);
}
