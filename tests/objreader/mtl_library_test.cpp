#include "objreader/mtl_library.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "objreader/file_lookup.h"
#include "tests/real_files.h"

using namespace tessoid::obj;

namespace {

struct Read {
    MtlResult result = MtlResult::Ok;
    MtlLibrary library;
    std::vector<MtlProblem> problems;
};

Read parse(const std::string& text) {
    Read r;
    r.result = parseMtlText(text.data(), text.size(), &r.library, &r.problems);
    return r;
}

// "line: reason" per problem, one a line, for whole comparisons.
std::string listed(const std::vector<MtlProblem>& problems) {
    std::string s;
    for (const MtlProblem& p : problems)
        s += std::to_string(p.line) + ": " + p.reason + "\n";
    return s;
}

// The one material of a text read without problems (a copy: the read is a temporary).
MtlMaterial only(const Read& r) {
    EXPECT_EQ(r.result, MtlResult::Ok);
    EXPECT_EQ(listed(r.problems), "");
    EXPECT_EQ(r.library.size(), 1u);
    return r.library.size() == 1 ? r.library.materials()[0] : MtlMaterial{};
}

void expectColour(const MtlColour& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
}

float opacityOf(const std::string& statements) {
    const Read r = parse("newmtl m\n" + statements);
    const MtlMaterial m = only(r);
    EXPECT_TRUE(m.hasOpacity) << statements;
    return m.opacity;
}

MtlMap diffuseMapOf(const std::string& line) {
    const Read r = parse("newmtl m\n" + line + "\n");
    const MtlMaterial m = only(r);
    EXPECT_TRUE(m.hasDiffuseMap) << line;
    return m.diffuseMap;
}

} // namespace

TEST(MtlValues, EveryStatementReadAndMarkedGiven) {
    const Read r = parse("newmtl full\n"
                         "Ka 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\nNs 96.078431\n"
                         "d 0.25\nillum 2\nmap_Kd wood.png\nmap_Ka amb.png\n"
                         "newmtl empty\n");
    ASSERT_EQ(r.library.size(), 2u);
    EXPECT_EQ(listed(r.problems), "");
    const MtlMaterial& full = r.library.materials()[0];
    EXPECT_TRUE(full.hasAmbient && full.hasDiffuse && full.hasSpecular && full.hasShininess &&
                full.hasOpacity && full.hasIllum && full.hasDiffuseMap && full.hasAmbientMap);
    expectColour(full.ambient, 0.1f, 0.2f, 0.3f);
    expectColour(full.diffuse, 0.4f, 0.5f, 0.6f);
    expectColour(full.specular, 0.7f, 0.8f, 0.9f);
    EXPECT_FLOAT_EQ(full.shininess, 96.078431f);
    EXPECT_FLOAT_EQ(full.opacity, 0.25f);
    EXPECT_EQ(full.illum, 2);
    EXPECT_EQ(full.diffuseMap.file, "wood.png");
    EXPECT_EQ(full.ambientMap.file, "amb.png");
    const MtlMaterial& empty = r.library.materials()[1];
    EXPECT_FALSE(empty.hasAmbient || empty.hasDiffuse || empty.hasSpecular || empty.hasShininess ||
                 empty.hasOpacity || empty.hasIllum || empty.hasDiffuseMap || empty.hasAmbientMap);
    EXPECT_FLOAT_EQ(empty.opacity, 1.0f);
}

TEST(MtlValues, ColoursOfOneToFourNumbersCommentsAndOtherForms) {
    const MtlMaterial m =
        only(parse("newmtl m\nKd 0.5\nKa 0.2 0.4\nKs 1 0 2 1 # a fourth number\n"));
    expectColour(m.diffuse, 0.5f, 0.5f, 0.5f);
    expectColour(m.ambient, 0.2f, 0.4f, 0.4f);
    expectColour(m.specular, 1, 0, 2);
    const MtlMaterial c = only(parse("newmtl m\nKa 1 1 1  # white\nKd 0.8 0.6 0.4#tan\n"
                                     "Ks spectral metal.rfl 1\nKs xyz 0.3 0.3 0.3\n"));
    expectColour(c.ambient, 1, 1, 1);
    expectColour(c.diffuse, 0.8f, 0.6f, 0.4f);
    EXPECT_FALSE(c.hasSpecular);
    // Later statements of a kind replace earlier ones; keywords ignore letter case.
    const MtlMaterial k = only(parse("NEWMTL m\nkd 1 0 0\nKD 0 1 0\nNS 5\n"));
    expectColour(k.diffuse, 0, 1, 0);
    EXPECT_FLOAT_EQ(k.shininess, 5);
}

TEST(MtlValues, DWinsOverTrInEitherOrderAndTrAloneIsOneMinusItUnlessThatHidesAll) {
    EXPECT_FLOAT_EQ(opacityOf("d 0.9\nTr 0.1\n"), 0.9f);
    EXPECT_FLOAT_EQ(opacityOf("Tr 0.7\nd 0.4\n"), 0.4f);
    EXPECT_FLOAT_EQ(opacityOf("d 0.4\nTr 0.9\n"), 0.4f);
    EXPECT_FLOAT_EQ(opacityOf("d 0\n"), 0.0f);
    EXPECT_FLOAT_EQ(opacityOf("Tr 0.25\n"), 0.75f);
    EXPECT_FLOAT_EQ(opacityOf("Tr 0\n"), 1.0f);
    EXPECT_FLOAT_EQ(opacityOf("Tr 1.000000\n"), 1.0f); // opaque materials written so
    EXPECT_FLOAT_EQ(opacityOf("d 1.5\n"), 1.0f);
    EXPECT_FLOAT_EQ(opacityOf("Tr -1\n"), 1.0f);
}

TEST(MtlMaps, OptionsAreReadAsOptionsAndTheRestIsTheFileAsWritten) {
    MtlMap m = diffuseMapOf("map_Kd -s 2 2 file.png");
    EXPECT_EQ(m.file, "file.png");
    EXPECT_FLOAT_EQ(m.scale[0], 2);
    EXPECT_FLOAT_EQ(m.scale[1], 2);
    EXPECT_FLOAT_EQ(m.scale[2], 1);
    m = diffuseMapOf("map_Kd -o 0.5 0.5 0 -clamp on my file.png");
    EXPECT_EQ(m.file, "my file.png");
    EXPECT_FLOAT_EQ(m.offset[0], 0.5f);
    EXPECT_FLOAT_EQ(m.offset[1], 0.5f);
    EXPECT_FLOAT_EQ(m.offset[2], 0);
    EXPECT_TRUE(m.clamp);
    EXPECT_EQ(diffuseMapOf("map_Kd -bm 0.3 bump.png").file, "bump.png");
    EXPECT_EQ(diffuseMapOf("map_Kd -blendu off -blendv on -boost 1.5 -cc off -imfchan r "
                           "-mm 0 1 -t 0.1 0.2 -texres 512 -type sphere -clamp off a b.png")
                  .file,
              "a b.png");
    EXPECT_EQ(diffuseMapOf("map_Kd textures\\wood.jpg   # oak").file, "textures\\wood.jpg");
    EXPECT_EQ(diffuseMapOf("map_Kd .\\tex#2.png").file, ".\\tex#2.png");
    // Numbers go to an option only while a word is left for the file; an option this reader
    // does not know takes its numbers with it; a last word is a file whatever it looks like.
    m = diffuseMapOf("map_Kd -s 3 4 5");
    EXPECT_EQ(m.file, "5");
    EXPECT_FLOAT_EQ(m.scale[1], 4);
    EXPECT_EQ(diffuseMapOf("map_Kd -halo 3 4 glow.png").file, "glow.png");
    EXPECT_EQ(diffuseMapOf("map_Kd -dash.png").file, "-dash.png");
}

TEST(MtlMaps, ABadMapIsReportedAndLeavesTheMaterialsMapAsItWas) {
    const Read r = parse("newmtl m\nmap_Kd good.png\nmap_Kd -s x a.png\nmap_Kd -clamp maybe a.png\n"
                         "map_Kd\nmap_Ka -bm 0.3\nmap_Ka -imfchan q a.png\n");
    EXPECT_EQ(listed(r.problems), "3: map_Kd: -s needs a number\n"
                                  "4: map_Kd: -clamp needs on or off\n"
                                  "5: map_Kd without a file name\n"
                                  "6: map_Ka without a file name\n"
                                  "7: map_Ka: -imfchan needs one of r, g, b, m, l, z\n");
    ASSERT_EQ(r.library.size(), 1u);
    EXPECT_EQ(r.library.materials()[0].diffuseMap.file, "good.png");
    EXPECT_FALSE(r.library.materials()[0].hasAmbientMap);
}

TEST(MtlNames, WholeLineNamesAndLookupsWithAndWithoutComments) {
    const Read r = parse("newmtl _Material #25\nnewmtl Red Color\nnewmtl \t White  Color \n"
                         "newmtl Red\nnewmtl Blue # from the old set\n"
                         "newmtl _Material #45\n");
    ASSERT_EQ(r.library.size(), 6u);
    EXPECT_EQ(r.library.materials()[0].name, "_Material #25");
    EXPECT_EQ(r.library.materials()[2].name, "White  Color");
    const MtlLibrary& lib = r.library;
    EXPECT_EQ(lib.indexOf("_Material #25"), 0);
    EXPECT_EQ(lib.indexOf("Red Color"), 1);
    EXPECT_EQ(lib.indexOf(" White  Color\t"), 2);
    EXPECT_EQ(lib.indexOf("Red # note"), 3);
    EXPECT_EQ(lib.indexOf("Blue"), 4);
    EXPECT_EQ(lib.indexOf("Blue # from the old set"), 4);
    EXPECT_EQ(lib.find("Red")->name, "Red");
    // Not guessed: an undefined number, a name both "_Material #.." read as, another case.
    EXPECT_EQ(lib.find("_Material #99"), nullptr);
    EXPECT_EQ(lib.find("_Material"), nullptr);
    EXPECT_EQ(lib.find("red"), nullptr);
    EXPECT_EQ(lib.find("Blue # other"), nullptr);
    EXPECT_EQ(lib.find(""), nullptr);
}

TEST(MtlNames, TheFirstDefinitionWinsAlsoAcrossLibraries) {
    Read r = parse("newmtl a\nKd 1 0 0\nnewmtl b\nnewmtl a\nKd 0 1 0\nNs x\n");
    EXPECT_EQ(listed(r.problems), "6: Ns needs a number\n");
    const std::string second = "newmtl b\nKd 0 0 1\nnewmtl c\n";
    EXPECT_EQ(parseMtlText(second.data(), second.size(), &r.library, &r.problems), MtlResult::Ok);
    ASSERT_EQ(r.library.size(), 3u);
    EXPECT_EQ(r.library.materials()[2].name, "c");
    expectColour(r.library.find("a")->diffuse, 1, 0, 0);
    EXPECT_FALSE(r.library.find("b")->hasDiffuse);
    MtlMaterial again;
    again.name = "c";
    EXPECT_FALSE(r.library.add(again));
}

TEST(MtlNames, HundredsOfMaterialsAllFound) {
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += "newmtl mat_" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    const Read r = parse(text);
    ASSERT_EQ(r.library.size(), 600u);
    for (int i = 0; i < 600; ++i) {
        const MtlMaterial* m = r.library.find("mat_" + std::to_string(i));
        ASSERT_NE(m, nullptr) << i;
        EXPECT_FLOAT_EQ(m->shininess, float(i));
    }
}

TEST(MtlProblems, BadLinesAreSkippedWithTheirLineNumbersAndTheRestRead) {
    // LF, CR LF and a lone CR each end one line.
    const Read r = parse("\xEF\xBB\xBFKd 1 1 1\r\nnewmtl\nnewmtl m\r"
                         "Kd a b c\nKd 1 a\r\nNs\nd x\nillum 2.5\nTr\n"
                         "Ni 1.5\nKe 0 0 0\nmap_Bump -bm 0.2 bump.png\nbump b.png\nrefl -type "
                         "sphere r.png\nTf 1 1 1\nbBackface 1\nKdx 1\n"
                         "Ks 0.5 0.5 0.5\nillum 3");
    EXPECT_EQ(r.result, MtlResult::Ok);
    EXPECT_EQ(listed(r.problems), "1: Kd before any newmtl\n"
                                  "2: newmtl without a name\n"
                                  "4: Kd needs 1 to 3 numbers\n"
                                  "5: Kd needs 1 to 3 numbers\n"
                                  "6: Ns needs a number\n"
                                  "7: d needs a number\n"
                                  "8: illum needs a whole number\n"
                                  "9: Tr needs a number\n");
    ASSERT_EQ(r.library.size(), 1u);
    const MtlMaterial& m = r.library.materials()[0];
    EXPECT_EQ(m.name, "m");
    EXPECT_FALSE(m.hasDiffuse || m.hasShininess || m.hasOpacity);
    expectColour(m.specular, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(m.illum, 3);
}

TEST(MtlProblems, ManyBadLinesAreListedUpToAHundredAndOneMore) {
    std::string text = "newmtl m\n";
    for (int i = 0; i < 500; ++i)
        text += "Ns ?\n";
    const Read r = parse(text);
    ASSERT_EQ(r.problems.size(), 101u);
    EXPECT_EQ(r.problems[99].line, 101);
    EXPECT_EQ(r.problems[100].line, 102);
    EXPECT_EQ(r.problems[100].reason, "more bad lines follow, not listed");
}

TEST(MtlText, Utf16WithAMarkIsReadAndANulByteIsNotText) {
    const std::string ascii = "newmtl w\xE4rm\nKd 1 0.5 0\n";
    for (const bool little : {true, false}) {
        std::string text = little ? "\xFF\xFE" : "\xFE\xFF";
        for (const char c : ascii)
            text += little ? std::string{c, '\0'} : std::string{'\0', c};
        const MtlMaterial m = only(parse(text));
        EXPECT_EQ(m.name, "w\xE4rm");
        expectColour(m.diffuse, 1, 0.5f, 0);
    }
    const char binary[] = "newmtl a\nKd 1 1 1\n\0\xFF\x01";
    const Read r = parse(std::string(binary, sizeof binary - 1));
    EXPECT_EQ(r.result, MtlResult::NotText);
    EXPECT_EQ(r.library.size(), 0u);
}

TEST(MtlFile, ReadsAFileAndSaysWhyOneCannotBeRead) {
    std::string dir = (std::filesystem::temp_directory_path() / "tessoid_mtl_XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string path = dir + "/a.mtl";
    std::ofstream(path, std::ios::binary) << "newmtl a\r\nd 0.5\r\nNs\r\n";
    MtlLibrary library;
    std::vector<MtlProblem> problems;
    int error = -1;
    EXPECT_EQ(readMtlFile(path.c_str(), &library, &problems, &error), MtlResult::Ok);
    EXPECT_EQ(error, 0);
    ASSERT_NE(library.find("a"), nullptr);
    EXPECT_FLOAT_EQ(library.find("a")->opacity, 0.5f);
    EXPECT_EQ(listed(problems), "3: Ns needs a number\n");
    EXPECT_EQ(readMtlFile(dir.c_str(), &library, nullptr, &error), MtlResult::CannotOpen);
    EXPECT_NE(error, 0);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(readMtlFile(path.c_str(), &library, &problems, &error), MtlResult::CannotOpen);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(library.size(), 1u);
}

TEST(MtlRealFiles, EveryLibraryReadsWithoutProblems) {
    std::vector<std::filesystem::path> files;
    for (const char* kind : {"obj", "obj-textured"}) {
        const std::filesystem::path dir = realfiles::dir(kind);
        if (std::filesystem::is_directory(dir))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
                if (entry.is_regular_file() && entry.path().extension() == ".mtl")
                    files.push_back(entry.path());
    }
    if (files.empty())
        GTEST_SKIP() << "no .mtl files under " << realfiles::dataDir();
    ASSERT_GE(files.size(), realfiles::atLeast(21, 1));
    for (const std::filesystem::path& file : files) {
        MtlLibrary library;
        std::vector<MtlProblem> problems;
        EXPECT_EQ(readMtlFile(file.string().c_str(), &library, &problems), MtlResult::Ok) << file;
        EXPECT_EQ(listed(problems), "") << file;
        EXPECT_GE(library.size(), 1u) << file;
        for (const MtlMaterial& m : library.materials())
            EXPECT_TRUE(m.opacity > 0.0f && m.opacity <= 1.0f) << file << ": " << m.name;
    }
}

TEST(MtlRealFiles, FactsOfChosenLibraries) {
    const std::string data = realfiles::dataDir();
    const auto read = [&](const std::string& name, MtlLibrary* library) {
        if (!std::filesystem::exists(data + "/" + name))
            return false;
        EXPECT_EQ(readMtlFile((data + "/" + name).c_str(), library), MtlResult::Ok) << name;
        return true;
    };
    MtlLibrary medieval, sterngarten, gaspra, options, spider;
    if (!read("obj-textured/medieval_building/scenes/Medieval_building.mtl", &medieval) ||
        !read("obj/Sterngarten_Wien_innerArea.mtl", &sterngarten) ||
        !read("obj/951gaspra_21_MLfix.obj.mtl", &gaspra) ||
        !read("obj-textured/box-texture-options/box-texture-options.mtl", &options) ||
        !read("obj/spider.mtl", &spider))
        GTEST_SKIP() << "not the full set of real files";
    // grep '^newmtl' | sort -u: 91 definitions of 62 names; 21 of 21.
    EXPECT_EQ(medieval.size(), 62u);
    EXPECT_EQ(sterngarten.size(), 21u);
    ASSERT_NE(medieval.find("_Material #25"), nullptr);
    EXPECT_EQ(medieval.find("_Material #25")->illum, 0);
    // Defined 19 times, the fourth with illum 2: the first stands.
    EXPECT_EQ(medieval.find("_ns651_Material_002_52-effect")->illum, 0);
    ASSERT_EQ(gaspra.size(), 1u);
    EXPECT_FLOAT_EQ(gaspra.materials()[0].opacity, 1.0f); // Tr 1 on an asteroid
    EXPECT_EQ(gaspra.materials()[0].diffuseMap.file, "951gaspra.png");
    const MtlMaterial& box = options.materials()[0];
    EXPECT_FLOAT_EQ(box.opacity, 0.9f);
    EXPECT_EQ(box.diffuseMap.file, "diffuse.png");
    EXPECT_EQ(box.ambientMap.file, "ambient.gif");
    EXPECT_EQ(findFile(data + "/obj-textured/box-texture-options", box.ambientMap.file),
              data + "/obj-textured/box-texture-options/ambient.gif");
    EXPECT_EQ(spider.find("Skin")->diffuseMap.file, ".\\wal67ar_small.jpg");
}
