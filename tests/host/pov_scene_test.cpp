// The complete scene file's pieces: the camera for a Z-up model, a camera framed on
// the vertices, pictures found in any letter case, and the colour when one is unusable.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "host/pov_scene.h"
#include "threeds_fixture.h"

namespace {

using host::Point3;
using host::ViewCamera;

// A 2 x 2 true-colour TGA, uncompressed.
std::vector<uint8_t> tga() {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;
    out[12] = 2;
    out[14] = 2;
    out[16] = 24;
    out.insert(out.end(), 12, 128);
    return out;
}

std::vector<uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(CameraText, AThreeDsCameraLooksWithZAsSkyAndAnUnmirroredRightVector) {
    ViewCamera c;
    c.location = {10, -20, 5};
    c.lookAt = {0, 0, 1.5};
    c.angle = 48;
    EXPECT_EQ(host::CameraText(c), "camera {\n"
                                   "  location <10, -20, 5>\n"
                                   "  sky <0, 0, 1>\n"
                                   "  up y\n"
                                   "  right -x*image_width/image_height\n"
                                   "  angle 48\n"
                                   "  look_at <0, 0, 1.5>\n"
                                   "}\n");
}

TEST(CameraText, NoAngleWithoutAFieldOfViewAndAnotherSkyLookingStraightDown) {
    ViewCamera c;
    c.location = {1, 2, 30};
    c.lookAt = {1, 2, 0};
    std::string text = host::CameraText(c);
    EXPECT_EQ(text.find("angle"), std::string::npos) << text;
    // Z along the view cannot be the sky: +Y is up in the picture instead.
    EXPECT_NE(text.find("sky <0, 1, 0>"), std::string::npos) << text;
    c.lookAt = {1, 2, 60};
    EXPECT_NE(host::CameraText(c).find("sky <0, -1, 0>"), std::string::npos);
}

// Where each vertex lands in the picture of `c`, in units of half the picture's width
// and height, computed here from the camera's direction, angle and aspect alone.
std::vector<std::pair<double, double>> project(const ViewCamera& c, const std::vector<double>& v,
                                               double aspect) {
    auto sub = [](Point3 a, Point3 b) { return Point3{a.x - b.x, a.y - b.y, a.z - b.z}; };
    auto dot = [](Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    auto unit = [&](Point3 a) {
        double l = std::sqrt(dot(a, a));
        return Point3{a.x / l, a.y / l, a.z / l};
    };
    Point3 f = unit(sub(c.lookAt, c.location));
    Point3 r = unit({f.y, -f.x, 0}); // forward x Z
    Point3 u = {r.y * f.z - r.z * f.y, r.z * f.x - r.x * f.z, r.x * f.y - r.y * f.x};
    double halfWidth = std::tan(c.angle * M_PI / 360), halfHeight = halfWidth / aspect;
    std::vector<std::pair<double, double>> out;
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        Point3 q = sub({v[i], v[i + 1], v[i + 2]}, c.location);
        double depth = dot(q, f);
        if (depth <= 0)
            out.push_back({1e9, 1e9});
        else
            out.push_back({dot(q, r) / depth / halfWidth, dot(q, u) / depth / halfHeight});
    }
    return out;
}

TEST(FrameVertices, EveryVertexIsInsideTheViewAndTheModelFillsIt) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(-1, 1);
    std::vector<std::pair<std::string, std::vector<double>>> models = {
        {"bar along X", {-50, 0, 0, 50, 0.5, 0.2, 0, 0, 0}},
        {"tower along Z", {0, 0, 0, 1, 1, 0, 0.5, 0.5, 80}},
        {"plate", {-5, -5, 0, 5, -5, 0, 5, 5, 0, -5, 5, 0}},
    };
    std::vector<double> cloud;
    for (int i = 0; i < 3000; ++i) // far from the origin, stretched
        cloud.insert(cloud.end(), {1000 + 30 * spread(random), -400 + 5 * spread(random),
                                   70 + 12 * spread(random)});
    models.push_back({"cloud", cloud});
    for (double aspect : {4.0 / 3.0, 1.0, 0.5, 16.0 / 9.0})
        for (const auto& [name, vertices] : models) {
            SCOPED_TRACE(name + ", aspect " + std::to_string(aspect));
            ViewCamera c = host::FrameVertices(vertices, aspect);
            ASSERT_GT(c.angle, 10);
            ASSERT_LT(c.angle, 120);
            double reach = 0;
            for (auto [x, y] : project(c, vertices, aspect)) {
                EXPECT_LE(std::fabs(x), 1.0);
                EXPECT_LE(std::fabs(y), 1.0);
                reach = std::max({reach, std::fabs(x), std::fabs(y)});
            }
            // Framed, not merely far away: the farthest vertex is near an edge.
            EXPECT_GT(reach, 0.6);
            // From the front (-Y), the right (+X) and above the model's centre.
            EXPECT_GT(c.location.x, c.lookAt.x);
            EXPECT_LT(c.location.y, c.lookAt.y);
            EXPECT_GT(c.location.z, c.lookAt.z);
        }
}

TEST(FrameVertices, APointOrNothingStillGivesAUsableCamera) {
    for (const std::vector<double>& v : {std::vector<double>{}, std::vector<double>{3, 4, 5}}) {
        ViewCamera c = host::FrameVertices(v, 4.0 / 3.0);
        Point3 d{c.lookAt.x - c.location.x, c.lookAt.y - c.location.y, c.lookAt.z - c.location.z};
        EXPECT_GT(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 0);
        if (!v.empty()) {
            EXPECT_EQ(c.lookAt.x, 3);
        }
    }
}

TEST(ResolvePicture, FoundInAnyCaseAndToldByItsContent) {
    tds::test::TempDir dir;
    tds::test::writeFile(dir.file("nj-brk-t.tga"), tga());
    tds::test::writeFile(dir.file("Photo.JPG"), bytesOf("\x89PNG\r\n\x1a\n...."));
    tds::test::writeFile(dir.file("wall.bmp"), bytesOf("BM........"));
    tds::test::writeFile(dir.file("sky.cel"), bytesOf("\x19\x91 cel frame"));
    tds::test::writeFile(dir.file("odd.tga"), bytesOf("not a targa at all, 18+ bytes"));

    host::PictureFile p = host::ResolvePicture(dir.path(), "NJ-BRK-T.TGA");
    EXPECT_EQ(p.path, dir.file("nj-brk-t.tga"));
    EXPECT_EQ(p.keyword, "tga");
    EXPECT_EQ(host::ResolvePicture(dir.path(), "photo.jpg").keyword, "png");
    EXPECT_EQ(host::ResolvePicture(dir.path(), "WALL.BMP").keyword, "bmp");
    // A picture named with a folder of the modeller's machine is looked for beside the model.
    EXPECT_EQ(host::ResolvePicture(dir.path(), "C:\\MAPS\\WALL.BMP").path, dir.file("wall.bmp"));

    host::PictureFile cel = host::ResolvePicture(dir.path(), "SKY.CEL");
    EXPECT_EQ(cel.path, dir.file("sky.cel"));
    EXPECT_EQ(cel.keyword, "");
    EXPECT_EQ(host::ResolvePicture(dir.path(), "odd.tga").keyword, "");
    EXPECT_EQ(host::ResolvePicture(dir.path(), "MISSING.TGA").path, "");
    EXPECT_EQ(host::ResolvePicture(dir.path() + "/no-such-folder", "nj-brk-t.tga").path, "");
}

class SceneFileTest : public e2e::PluginHostTest {
  protected:
    // Imports `spec` written as model.3ds in `dir`; the scene file and its warnings.
    std::string sceneFile(const import_test::FileSpec& spec, std::vector<std::string>& warnings) {
        const std::string model = dir.file("model.3ds");
        EXPECT_TRUE(tds::test::writeFile(model, import_test::build(spec)));
        h.chosenFile = model;
        h.runImportCommand();
        host::SceneFileOptions options;
        options.modelFile = model;
        std::ostringstream out;
        host::WriteSceneFile(h, options, out, warnings);
        return out.str();
    }
    // The texture declared for `material`.
    static std::string texture(const std::string& scene, const std::string& material) {
        size_t start = scene.find("#declare T_" + material + " = texture {");
        if (start == std::string::npos)
            return "";
        return scene.substr(start, scene.find("\n}\n", start) - start);
    }
    tds::test::TempDir dir;
};

TEST_F(SceneFileTest, PicturesAreFoundBesideTheModelOrBecomeTheMaterialsColour) {
    import_test::FileSpec spec;
    import_test::MaterialSpec brick{
        .name = "BRICK", .ambient = {51, 102, 204}, .mapFile = "NJ-BRK-T.CEL"};
    import_test::MaterialSpec sky{.name = "SKY", .mapFile = "SKY.CEL"};
    import_test::MaterialSpec wood{.name = "WOOD", .mapFile = "WOOD.TGA"};
    spec.materials = {brick, sky, wood};
    spec.meshes = {import_test::quad("Wall")};
    tds::test::writeFile(dir.file("wood.tga"), tga());
    tds::test::writeFile(dir.file("sky.cel"), bytesOf("\x19\x91 a cel file's frame"));

    std::vector<std::string> warnings;
    std::string scene = sceneFile(spec, warnings);

    EXPECT_NE(texture(scene, "WOOD").find("image_map { tga \"" + dir.file("wood.tga") + "\""),
              std::string::npos)
        << scene;
    EXPECT_NE(texture(scene, "BRICK").find("pigment { color rgb <0.2, 0.4, 0.8> }"),
              std::string::npos)
        << "the ambient colour stands in\n"
        << scene;
    EXPECT_NE(texture(scene, "SKY").find("pigment { color rgb"), std::string::npos) << scene;
    EXPECT_EQ(scene.find(".CEL"), std::string::npos) << scene;
    EXPECT_EQ(scene.find(".cel"), std::string::npos) << scene;
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "picture 'NJ-BRK-T.CEL' for material 'BRICK' not found beside "
                           "'model.3ds'; using its colour");
    EXPECT_EQ(warnings[1], "picture 'SKY.CEL' for material 'SKY' is in a format the ray tracer "
                           "cannot read; using its colour");
}

TEST_F(SceneFileTest, TheFirstCameraIsUsedAndTheRestAreCommentedOut) {
    import_test::FileSpec spec;
    spec.meshes = {import_test::quad("Floor")};
    spec.cameras = {{.name = "Front", .position = {0, -10, 2}, .target = {0, 0, 0}},
                    {.name = "Top", .position = {0, 0, 10}, .target = {0, 0, 0}}};
    std::vector<std::string> warnings;
    std::string scene = sceneFile(spec, warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(scene.rfind("#version 3.7;\nglobal_settings { assumed_gamma 1.0 }\n", 0), 0u);
    size_t camera = scene.find("\ncamera {\n  location <0, -10, 2>\n  sky <0, 0, 1>\n");
    EXPECT_NE(camera, std::string::npos) << scene;
    EXPECT_EQ(scene.find("\ncamera", camera + 1), std::string::npos) << "one camera\n" << scene;
    EXPECT_NE(scene.find("// camera {\n//   location <0, 0, 10>"), std::string::npos) << scene;
    // The file has no light: one is added, with the mesh itself.
    EXPECT_NE(scene.find("light_source {"), std::string::npos);
    EXPECT_NE(scene.find("mesh {"), std::string::npos);
}

} // namespace
