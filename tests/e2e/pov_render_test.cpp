// The complete scene file rendered by the ray tracer (when installed): models fill the
// picture, the model's right is the picture's right, and --render's command line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "e2e_support.h"
#include "tests/real_files.h"

namespace {

const char RENDERER[] = "/usr/bin/povray";
const int WIDTH = 80, HEIGHT = 60;

// Which pixels the model covers (top row first), from an uncompressed TGA with alpha.
struct Coverage {
    int width = 0, height = 0;
    std::vector<bool> covered;
    int count() const { return static_cast<int>(std::count(covered.begin(), covered.end(), true)); }
};

Coverage readTga(const std::string& path) {
    Coverage c;
    std::string b = e2e::readFile(path);
    if (b.size() < 18 || b[2] != 2 || static_cast<uint8_t>(b[16]) != 32)
        return c;
    auto u16 = [&](size_t at) {
        return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
    };
    int w = u16(12), h = u16(14);
    bool topFirst = (static_cast<uint8_t>(b[17]) & 0x20) != 0;
    size_t start = 18 + static_cast<uint8_t>(b[0]);
    if (b.size() < start + 4u * w * h)
        return c;
    c.width = w;
    c.height = h;
    c.covered.resize(static_cast<size_t>(w * h));
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            size_t at = start + 4u * (static_cast<size_t>(row) * w + col) + 3;
            int y = topFirst ? row : h - 1 - row;
            c.covered[static_cast<size_t>(y * w + col)] = static_cast<uint8_t>(b[at]) > 0;
        }
    return c;
}

// Renders a scene file to a TGA whose alpha tells the model from the background (made
// see-through for this, whatever colour the scene gives it).
Coverage renderCoverage(const std::string& scene, std::string& log) {
    std::string text = e2e::readFile(scene);
    size_t background = text.find("\nbackground {");
    if (background != std::string::npos)
        text.replace(background + 1, text.find('\n', background + 1) - background - 1,
                     "background { color rgbt <0, 0, 0, 1> }");
    const std::string seeThrough = scene + ".alpha.pov", picture = scene + ".tga";
    std::ofstream(seeThrough) << text;
    e2e::RunResult run = e2e::runCommand(std::string(RENDERER) + " '+I" + seeThrough + "' '+O" +
                                         picture + "' +FT +UA +W" + std::to_string(WIDTH) + " +H" +
                                         std::to_string(HEIGHT) + " -D -V");
    log = run.out;
    return readTga(picture);
}

class PovRenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access(RENDERER, X_OK) != 0)
            GTEST_SKIP() << "no renderer installed at " << RENDERER;
    }
    tds::test::TempDir dir;
};

// A red square on the +X, +Z side, seen by the file's camera from -Y toward +Y.
std::vector<uint8_t> markedScene() {
    tds::test::ChunkWriter w;
    w.begin(0x4D4D).begin(0x3D3D);
    w.begin(0xAFFF).stringChunk(0xA000, "RED");
    w.begin(0xA020).colorByte(255, 0, 0).end();
    w.end();
    w.begin(0x4000).str("Mark").begin(0x4100);
    w.vertices({{1, 0, 1}, {3, 0, 1}, {3, 0, 3}, {1, 0, 3}});
    w.beginFaces({0, 1, 2, 0, 0, 2, 3, 0}).faceMaterial("RED", {0, 1}).end();
    w.end().end();
    w.begin(0x4000).str("Lamp").begin(0x4600).point(0, -10, 5).colorByte(255, 255, 255);
    w.end().end();
    w.begin(0x4000).str("Front").begin(0x4700).point(0, -10, 0).point(0, 0, 0);
    w.f32(0).f32(35).end().end();
    w.end().end();
    return w.take();
}

} // namespace

TEST_F(PovRenderTest, TheModelsRightIsThePicturesRightAndItsZIsUp) {
    tds::test::writeFile(dir.file("marked.3ds"), markedScene());
    e2e::RunResult made = e2e::runHost("import '" + dir.file("marked.3ds") + "' --pov '" +
                                       dir.file("marked.pov") + "'");
    ASSERT_EQ(made.exitCode, 0) << made.out;
    std::string log;
    Coverage c = renderCoverage(dir.file("marked.pov"), log);
    ASSERT_EQ(c.width, WIDTH) << log;
    ASSERT_GT(c.count(), 20) << log;
    int left = 0, below = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.covered[static_cast<size_t>(y * c.width + x)]) {
                left += x < c.width / 2;
                below += y >= c.height / 2;
            }
    EXPECT_EQ(left, 0) << "the square shows on the left: the view is mirrored";
    EXPECT_EQ(below, 0) << "the square shows below the middle: Z is not up";
}

TEST_F(PovRenderTest, RealModelsAndAnObjWithoutCameraFillThePicture) {
    // indochine.3DS is in both sets of real files.
    const std::vector<std::string> models = {e2e::sourceDir() + "/examples/lprism.obj",
                                             e2e::sourceDir() + "/examples/showroom.3ds",
                                             realfiles::path("3ds", "indochine.3DS")};
    for (const std::string& model : models) {
        SCOPED_TRACE(model);
        std::string scene = dir.file("scene.pov"), picture = dir.file("out.png");
        e2e::RunResult made = e2e::runHost("import '" + model + "' --pov '" + scene +
                                           "' --render '" + picture + "' --size 80x60");
        ASSERT_EQ(made.exitCode, 0) << made.out;
        EXPECT_NE(made.out.find("rendering " + picture + ": 100%\n"), std::string::npos)
            << made.out;
        EXPECT_EQ(e2e::readFile(picture).rfind("\x89PNG", 0), 0u);
        std::string log;
        Coverage c = renderCoverage(scene, log);
        ASSERT_EQ(c.width, WIDTH) << log;
        double share = static_cast<double>(c.count()) / (c.width * c.height);
        EXPECT_GT(share, 0.05);
        EXPECT_LT(share, 0.95);
    }
}

TEST(PovRenderCommandLine, AMissingOrFailingRendererAndABadSize) {
    tds::test::TempDir dir;
    const std::string obj = "import '" + e2e::sourceDir() + "/examples/lprism.obj' ";
    e2e::RunResult missing =
        e2e::runCommand("TESSOID_RAYTRACER=/nonexistent/povray '" + e2e::hostPath() + "' " + obj +
                        "--render '" + dir.file("out.png") + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("tessoid-host: cannot render: the ray tracer '/nonexistent/povray' "
                               "is not installed (Debian: apt install povray)\n"),
              std::string::npos)
        << missing.out;
    EXPECT_EQ(access(dir.file("out.tessoid-render.pov").c_str(), F_OK), -1)
        << "the temporary scene file stays behind";

    const std::string fake = dir.file("fake-renderer");
    std::ofstream(fake) << "#!/bin/sh\necho 'Rendered 10 of 100 pixels (10%)' >&2\n"
                           "echo 'Parse Error: No matching } in camera' >&2\nexit 2\n";
    ASSERT_EQ(e2e::runCommand("chmod +x '" + fake + "'").exitCode, 0);
    e2e::RunResult failing =
        e2e::runCommand("TESSOID_RAYTRACER='" + fake + "' '" + e2e::hostPath() + "' " + obj +
                        "--render '" + dir.file("out.png") + "'");
    EXPECT_EQ(failing.exitCode, 1);
    EXPECT_NE(failing.out.find("rendering " + dir.file("out.png") + ": 10%"), std::string::npos)
        << failing.out;
    EXPECT_NE(failing.out.find("cannot render: the ray tracer failed (exit 2)\n"
                               "  Parse Error: No matching } in camera"),
              std::string::npos)
        << failing.out;

    for (const char* size : {"0x10", "640", "64x48x2", "axb", "640x99999"}) {
        e2e::RunResult bad =
            e2e::runHost(obj + "--render '" + dir.file("out.png") + "' --size " + size);
        EXPECT_EQ(bad.exitCode, 2) << size;
        EXPECT_NE(bad.out.find("--size needs WIDTHxHEIGHT"), std::string::npos) << bad.out;
    }
}
