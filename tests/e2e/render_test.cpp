// The scene text the host writes for imported and created objects is parsed and
// rendered by a renderer of that language (when one is installed), with small
// stand-in pictures for the image maps it names.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "e2e_support.h"
#include "tests/real_files.h"

namespace {

const char RENDERER[] = "/usr/bin/povray";

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBE(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 2 x 2 grey checker in the three formats the stand-ins need; the PNG uses a
// stored (uncompressed) deflate block, which every reader accepts.
std::vector<uint8_t> png() {
    std::vector<uint8_t> raw = {0, 200, 200, 200, 60, 60, 60, 0, 60, 60, 60, 200, 200, 200};
    std::vector<uint8_t> z = {
        0x78, 0x01, 0x01, static_cast<uint8_t>(raw.size()), 0, static_cast<uint8_t>(~raw.size()),
        0xff};
    z.insert(z.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBE(z, (b << 16) | a);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        putBE(out, static_cast<uint32_t>(data.size()));
        size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        putBE(out, crc32(out.data() + start, out.size() - start));
    };
    std::vector<uint8_t> header;
    putBE(header, 2);
    putBE(header, 2);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

std::vector<uint8_t> tga() {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = 2; // width
    out[14] = 2; // height
    out[16] = 24;
    for (int i = 0; i < 4; ++i)
        out.insert(out.end(), 3, static_cast<uint8_t>(i % 3 ? 60 : 200));
    return out;
}

std::vector<uint8_t> bmp() {
    std::vector<uint8_t> out = {'B', 'M'};
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    le(54 + 16, 4), le(0, 4), le(54, 4), le(40, 4), le(2, 4), le(2, 4), le(1, 2), le(24, 2);
    le(0, 4), le(16, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
    for (int row = 0; row < 2; ++row) {
        out.insert(out.end(), 6, static_cast<uint8_t>(row ? 60 : 200));
        out.insert(out.end(), 2, 0); // rows are padded to 4 bytes
    }
    return out;
}

struct Outcome {
    bool rendered = false;
    std::string skipped; // why the scene was not tried
    std::string log;
};

// Writes the host's scene text for `hostArgs`, the pictures it names, and renders it.
Outcome render(const std::string& hostArgs, const tds::test::TempDir& dir) {
    Outcome o;
    std::string text = dir.file("scene.inc");
    e2e::RunResult made = e2e::runHost(hostArgs + " --scene-text '" + text + "'");
    if (made.exitCode != 0) {
        o.log = made.out;
        return o;
    }
    std::string scene = e2e::readFile(text);
    static const std::regex imageMap("image_map \\{ ([a-z]+) \"([^\"]+)\"");
    for (std::sregex_iterator it(scene.begin(), scene.end(), imageMap), end; it != end; ++it) {
        std::string kind = (*it)[1], name = (*it)[2];
        std::vector<uint8_t> picture = kind == "png"   ? png()
                                       : kind == "tga" ? tga()
                                       : kind == "bmp" ? bmp()
                                                       : std::vector<uint8_t>{};
        if (picture.empty()) {
            o.skipped = "names a " + kind + " picture";
            return o;
        }
        tds::test::writeFile(dir.file(name), picture);
    }
    std::ofstream(dir.file("scene.pov")) << "#version 3.7;\nglobal_settings { assumed_gamma 1 }\n"
                                         << "#include \"scene.inc\"\n";
    e2e::RunResult run = e2e::runCommand("cd '" + dir.path() + "' && '" + RENDERER +
                                         "' +Iscene.pov +Oscene.png +W16 +H12 -D -V +FN");
    o.log = run.out;
    o.rendered = run.exitCode == 0 && access(dir.file("scene.png").c_str(), F_OK) == 0;
    return o;
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access(RENDERER, X_OK) != 0)
            GTEST_SKIP() << "no renderer installed at " << RENDERER;
    }
};

} // namespace

TEST_F(RenderTest, CreatedImportedAndTessellatedObjectsRender) {
    const std::string examples = e2e::sourceDir() + "/examples/";
    for (const std::string& args :
         {std::string("new dodecahedron --declare"), "import '" + examples + "showroom.3ds'",
          "import '" + examples + "lprism.obj'", "tessellate '" + examples + "tessellate.json'"}) {
        SCOPED_TRACE(args);
        tds::test::TempDir dir;
        Outcome o = render(args, dir);
        EXPECT_TRUE(o.rendered) << o.log;
    }
}

TEST_F(RenderTest, EveryRealThreeDsFileRendersUnlessItNamesPicturesWeCannotStandIn) {
    std::string folder = realfiles::dir("3ds");
    std::vector<std::string> files;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                files.push_back(e->d_name);
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    int rendered = 0;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        tds::test::TempDir dir;
        Outcome o = render("import '" + folder + "/" + name + "'", dir);
        if (!o.skipped.empty())
            continue;
        EXPECT_TRUE(o.rendered) << o.log;
        rendered += o.rendered;
    }
    EXPECT_GE(size_t(rendered), realfiles::atLeast(25, 10));
}
