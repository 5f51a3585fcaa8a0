// The reference host loading the real plug-in library and driving it through its
// records only, as the modeller does.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "e2e_support.h"
#include "host/dialog_robot.h"
#include "host/plugin_host.h"
#include "host/report.h"
#include "platform/standin_control.h"
#include "plugin_host_fixture.h"
#include "resources/resource.h"
#include "tessoid_version.h"
#include "tests/real_files.h"

using namespace host;

namespace {

class HostTest : public e2e::PluginHostTest {
  protected:
    HostHandle newSolid(int button) {
        robot.plan({button});
        HostHandle handle = 0;
        EXPECT_EQ(h.createPluginObject(&handle), 0);
        return handle;
    }
};

} // namespace

TEST_F(HostTest, LoadsThePluginThroughItsTwoExports) {
    const tessoid::PluginInfo* info = h.info();
    EXPECT_STREQ(info->displayName, "Tessellon");
    EXPECT_NE(info->icon, 0u) << "icon 5000 comes from the plug-in's own resources";
    EXPECT_STREQ(h.objectType().typeName, "Tessoid");
    EXPECT_EQ(h.objectType().header.version, 112);
    EXPECT_STREQ(h.importer().commandName, "Mesh");
    std::ostringstream out;
    PrintPluginInfo(h, out);
    EXPECT_NE(out.str().find("3: kind 1 version 112  object type  id eb 23 8b 3b 38 89 b3 f3"),
              std::string::npos)
        << out.str();
}

TEST(HostLoad, RefusesALibraryWithoutTheExports) {
    PluginHost h;
    EXPECT_FALSE(h.load(e2e::binDir() + "/libwin32.so"));
    EXPECT_NE(h.error().find("does not export"), std::string::npos) << h.error();
    PluginHost missing;
    EXPECT_FALSE(missing.load(e2e::binDir() + "/no-such-plugin.so"));
}

TEST_F(HostTest, CubeIsDrawnTheSameThroughBothBuilderForms) {
    HostHandle cube = newSolid(1014);
    ASSERT_NE(cube, 0u);
    MeshData indexed, emitted;
    ASSERT_TRUE(h.draw(cube, false, indexed));
    ASSERT_TRUE(h.draw(cube, true, emitted));
    EXPECT_EQ(indexed.vertices.size(), 8u * 3);
    EXPECT_EQ(indexed.faces.size(), 12u * 3);
    EXPECT_EQ(indexed.edges.size(), 18u * 2);
    ASSERT_EQ(emitted.faces.size(), 12u * 3);
    // Every emitted corner is the indexed corner's position.
    for (size_t corner = 0; corner < 36; ++corner)
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_EQ(emitted.vertices[3 * corner + axis],
                      indexed.vertices[3 * indexed.faces[corner] + axis]);
}

TEST_F(HostTest, CancelledDialogCreatesNothingAndCurrentButtonNeedsACurrentObject) {
    robot.plan({IDCANCEL});
    HostHandle handle = 0;
    EXPECT_NE(h.createPluginObject(&handle), 0);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(h.scene().size(), 0u);
    ASSERT_EQ(robot.sightings().size(), 1u);
    const DialogSighting& seen = robot.sightings()[0];
    EXPECT_EQ(seen.caption, "Select Predefined Mesh");
    EXPECT_FALSE(seen.enabled.at(IDC_CURRENT_OBJECT));
    for (int id = 1013; id <= 1017; ++id) {
        EXPECT_TRUE(seen.enabled.at(id)) << id;
        EXPECT_NE(seen.bitmap.at(id), 0u) << id;
    }
}

TEST_F(HostTest, SavedSceneLoadsBackWithTheSameSceneText) {
    newSolid(1016);
    HostHandle cube = newSolid(1014);
    ASSERT_EQ(h.objectType().savedSize(h.scene().find(cube)->pluginObject), 673);
    std::ostringstream before;
    h.writeSceneText(before, false);
    std::string path = e2e::tempPath("saved.tsc");
    ASSERT_TRUE(h.saveScene(path));

    PluginHost reloaded;
    ASSERT_TRUE(reloaded.load(e2e::pluginPath()));
    ASSERT_TRUE(reloaded.loadScene(path)) << reloaded.error();
    EXPECT_EQ(reloaded.scene().size(), 2u);
    std::ostringstream after;
    reloaded.writeSceneText(after, false);
    EXPECT_EQ(before.str(), after.str());
    EXPECT_TRUE(reloaded.misuses.empty());
}

TEST_F(HostTest, DeclaredSceneTextDeclaresOnceThenReferences) {
    newSolid(1013);
    std::ostringstream text;
    h.writeSceneText(text, true);
    const std::string s = text.str();
    EXPECT_EQ(s.rfind("#declare Tessoid1 = mesh {\n", 0), 0u) << s;
    EXPECT_NE(s.find("}\nunion {\n  object { Tessoid1 }\n}\n"), std::string::npos) << s;
}

TEST_F(HostTest, PropertyPageShowsTheSolidAndTheAngleRoundTrips) {
    HostHandle cube = newSolid(1014);
    std::ostringstream page;
    ASSERT_TRUE(ShowPropertyPage(h, cube, true, 30.0, page));
    const std::string s = page.str();
    EXPECT_NE(s.find("1000: \"Cube\""), std::string::npos) << s;
    EXPECT_NE(s.find("1001: \"8\""), std::string::npos) << s;
    EXPECT_NE(s.find("1002: \"12\""), std::string::npos) << s;
    EXPECT_NE(s.find("angle 30"), std::string::npos) << s;
}

TEST(HostCli, InfoNewSaveLoadRoundTrip) {
    e2e::RunResult info = e2e::runHost("info");
    ASSERT_EQ(info.exitCode, 0) << info.out;
    EXPECT_NE(info.out.find("name         Tessellon"), std::string::npos) << info.out;

    std::string scene = e2e::tempPath("cli.tsc"), text1 = e2e::tempPath("cli1.inc"),
                text2 = e2e::tempPath("cli2.inc");
    e2e::RunResult made =
        e2e::runHost("new octahedron --save '" + scene + "' --scene-text '" + text1 + "'");
    ASSERT_EQ(made.exitCode, 0) << made.out;
    EXPECT_NE(made.out.find("Tessoid1  (mesh object)  vertices 6  triangles 8  edges 12"),
              std::string::npos)
        << made.out;
    e2e::RunResult loaded = e2e::runHost("load '" + scene + "' --scene-text '" + text2 + "'");
    ASSERT_EQ(loaded.exitCode, 0) << loaded.out;
    EXPECT_EQ(e2e::readFile(text1), e2e::readFile(text2));
    EXPECT_FALSE(e2e::readFile(text1).empty());

    EXPECT_EQ(e2e::runHost("new pyramid").exitCode, 2);
    EXPECT_EQ(e2e::runHost("load '" + e2e::tempPath("missing.tsc") + "'").exitCode, 1);
}

TEST(HostCli, EverySlotKeepsItsCallingConvention) {
    e2e::RunResult slots = e2e::runHost("check-slots");
    EXPECT_EQ(slots.exitCode, 0) << slots.out;
    if (sizeof(void*) == 8) {
        EXPECT_NE(slots.out.find("one calling convention"), std::string::npos) << slots.out;
        return;
    }
    EXPECT_EQ(slots.out.find("BROKEN"), std::string::npos) << slots.out;
    EXPECT_NE(slots.out.find("slot ValueChanged: 16 argument bytes, removed by the callee"),
              std::string::npos)
        << slots.out;
    EXPECT_NE(slots.out.find("slot GetInterfaceFunctions: 8 argument bytes, left to the caller"),
              std::string::npos)
        << slots.out;
}

// A plain import keeps only the counts of its polygon meshes, an import with scene text
// their values too: the report and the exit code are the same either way.
TEST(HostCli, ImportReportsTheSameWithOrWithoutTheMeshValues) {
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(realfiles::dir("3ds"))) {
        const std::string file = entry.path().string();
        SCOPED_TRACE(file);
        const e2e::RunResult plain = e2e::runHost("import '" + file + "'");
        const e2e::RunResult kept =
            e2e::runHost("import '" + file + "' --scene-text '" + e2e::tempPath("kept.inc") + "'");
        EXPECT_EQ(plain.exitCode, kept.exitCode);
        EXPECT_EQ(plain.out, kept.out);
        ++files;
    }
    EXPECT_GE(files, realfiles::atLeast(30, 10));
}

// A failed import tells the user why on stderr, without --verbose, and exits with 1.
TEST(HostCli, FailedImportsSayWhatAndWhere) {
    const std::string bad = e2e::tempPath("bad-reference.obj");
    std::FILE* f = std::fopen(bad.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 9\n", f);
    std::fclose(f);
    e2e::RunResult r = e2e::runHost("import '" + bad + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.out.find("tessoid-host: Failed to read '" + bad +
                   "', line 5: a face corner refers to vertex 9, but the file has 3 vertices\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("nothing was imported from '" + bad + "'"), std::string::npos) << r.out;

    r = e2e::runHost("import '" + e2e::tempPath("absent.obj") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("can't be opened or read: No such file or directory"), std::string::npos)
        << r.out;

    r = e2e::runHost("import '" + e2e::tempPath("notes.txt") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("the name ends in neither .obj nor .3ds"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("result 0"), std::string::npos) << r.out;
}

// A long session on the command line: flat counts exit 0, the dialog's five pictures are
// the same five bitmaps at every opening, and a round count of 0 is a usage error.
TEST(HostCli, SessionHoldsNothingMoreAfterItsFirstRound) {
    e2e::RunResult r = e2e::runHost("session --rounds 3 --openings 24 --pages 2");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find(", 78 dialog openings, 5 bitmaps on the dialog's buttons\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("holds more"), std::string::npos) << r.out;
    EXPECT_EQ(e2e::runHost("session --rounds 0").exitCode, 2);
}

// The release number, the four exit codes, and failures that name the file and the reason.
TEST(HostCli, ExitCodesAndMessagesSayWhatFailedWhereAndWhy) {
    e2e::RunResult r = e2e::runHost("--version");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::string("tessoid-host ") + TESSOID_VERSION_STRING + "\n");
    // Started by bare name through PATH, from another folder, it still finds its plug-in.
    r = e2e::runCommand("cd / && PATH='" + e2e::binDir() + "':\"$PATH\" tessoid-host info");
    EXPECT_EQ(r.exitCode, 0) << r.out;

    r = e2e::runHost("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* code :
         {"  0  success", "  1  the command failed", "  2  usage error", "  3  contract break"})
        EXPECT_NE(r.out.find(code), std::string::npos) << code;

    r = e2e::runHost("new cube --no-such-option");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("tessoid-host: unknown option --no-such-option\nusage:"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(e2e::runHost("").exitCode, 2);
    EXPECT_EQ(e2e::runHost("import a.obj b.obj").exitCode, 2);

    const std::string nowhere = e2e::tempPath("no-such-folder") + "/scene.tsc";
    r = e2e::runHost("new cube --save '" + nowhere + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("tessoid-host: cannot save the scene: cannot write " + nowhere +
                         ": No such file or directory\n"),
              std::string::npos)
        << r.out;
    r = e2e::runHost("new cube --scene-text '" + nowhere + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("cannot write " + nowhere + ": No such file or directory"),
              std::string::npos)
        << r.out;
    r = e2e::runHost("load '" + nowhere + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("cannot open " + nowhere + ": No such file or directory"),
              std::string::npos)
        << r.out;
    // A plug-in that misuses a host service after an import that worked.
    r = e2e::runHost("--plugin '" + e2e::binDir() + "/libmisbehaving_plugin.so' import '" +
                     e2e::sourceDir() + "/examples/lprism.obj'");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_NE(r.out.find("tessoid-host: the plug-in broke the host contract 1 time(s)"),
              std::string::npos)
        << r.out;

    r = e2e::runHost("--plugin '" + e2e::binDir() + "/no-such-plugin.so' info");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("cannot load " + e2e::binDir() + "/no-such-plugin.so"), std::string::npos)
        << r.out;
}
