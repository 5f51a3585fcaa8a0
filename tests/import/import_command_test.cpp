// The "Mesh" import command through the real plug-in: file dialog, dispatch by
// extension, and Wavefront files into mesh objects.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "chunk_writer.h"
#include "e2e_support.h"
#include "host/plugin_host.h"
#include "objreader/obj_reader.h"
#include "platform/standin_control.h"
#include "plugin_host_fixture.h"
#include "tests/objreader/digest.h"
#include "tests/real_files.h"

using namespace tessoid;
using tds::test::TempDir;

namespace {

const char TRIANGLE_OBJ[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

class ImportCommandTest : public e2e::PluginHostTest {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        std::string path = dir.file(name);
        size_t slash = path.rfind('/');
        mkdir(path.substr(0, slash).c_str(), 0755);
        tds::test::writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
        return path;
    }
    int32_t importPath(const std::string& path) {
        h.chosenFile = path;
        return h.runImportCommand();
    }
    // The source name the only object saved: the 256-byte field after the
    // stream's version byte, which follows the host's framing (magic, format,
    // count, name length, name, size).
    std::string savedSourceName() {
        std::string path = e2e::tempPath("source.tsc");
        EXPECT_TRUE(h.saveScene(path));
        std::string bytes = e2e::readFile(path);
        uint32_t nameLength = 0;
        std::memcpy(&nameLength, bytes.data() + 12, 4);
        size_t stream = 16 + nameLength + 4;
        EXPECT_EQ(bytes.at(stream), 4) << "stream version";
        return std::string(bytes.c_str() + stream + 1);
    }
    TempDir dir;
};

} // namespace

TEST_F(ImportCommandTest, CancelledDialogCallsNoReader) {
    h.chosenFile.clear();
    EXPECT_EQ(h.runImportCommand(), 0);
    EXPECT_EQ(h.scene().size(), 0u);
}

TEST_F(ImportCommandTest, ObjInAnyCaseMakesOneMeshObjectAndAnswersItsHandle) {
    for (const char* name : {"upper.OBJ", "mixed.Obj", "two.3ds.obj"}) {
        std::string path = write(name, TRIANGLE_OBJ);
        size_t before = h.scene().size();
        int32_t handle = importPath(path);
        ASSERT_EQ(h.scene().size(), before + 1) << name;
        host::SceneObject* created = h.scene().objects().back();
        EXPECT_EQ(static_cast<uint32_t>(handle), created->handle) << name;
        EXPECT_EQ(created->kind, KIND_PLUGIN_OBJECT);
    }
}

TEST_F(ImportCommandTest, NamesWithoutAUsableExtensionImportNothing) {
    std::string dotted = write("dir.v2/noextension", TRIANGLE_OBJ);
    std::string trailing = write("trailing.", TRIANGLE_OBJ);
    std::string other = write("model.stl", TRIANGLE_OBJ);
    for (const std::string& path : {dotted, trailing, other}) {
        EXPECT_EQ(importPath(path), 0) << path;
        EXPECT_EQ(h.scene().size(), 0u) << path;
    }
}

// Nothing is created and no message box shown; one debug line names the file, the
// line and the reason.
TEST_F(ImportCommandTest, UnreadableObjFilesImportNothingAndSayWhyInOneDebugLine) {
    standin::ClearMessageBoxLog();
    const std::pair<std::string, std::string> cases[] = {
        {write("zero.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n"),
         "', line 4: a face corner refers to vertex 0 (vertices count from 1)\n"},
        {write("far.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n\nf 1 2 7\n"),
         "', line 5: a face corner refers to vertex 7, but the file has 3 vertices\n"},
        {write("cloud.obj", "v 0 0 0\nv 1 0 0\n"), "': no faces\n"},
        {write("binary.obj", std::string("MM\x10\0\0\0\x02\0\x0a\0", 10)), "': not a text file"},
        {dir.file("missing.obj"),
         "': the file can't be opened or read: No such file or directory\n"},
    };
    for (const auto& [path, reason] : cases) {
        standin::ClearDebugLog();
        EXPECT_EQ(importPath(path), 0) << path;
        EXPECT_EQ(h.scene().size(), 0u) << path;
        const std::vector<std::string> lines = standin::DebugLog();
        ASSERT_EQ(lines.size(), 1u) << path;
        EXPECT_EQ(lines[0].rfind("Failed to read '" + path + reason, 0), 0u) << lines[0];
    }
    EXPECT_TRUE(standin::MessageBoxLog().empty());
}

// What the reader now keeps reaches the host: large faces, comments after corners,
// indented faces, lone CR line ends, byte order marks and UTF-16.
TEST_F(ImportCommandTest, MendedObjFeaturesReachTheHost) {
    std::string ring;
    for (int i = 0; i < 40; ++i)
        ring += "v " + std::to_string(std::cos(i * 0.157)) + " " +
                std::to_string(std::sin(i * 0.157)) + " 0\n";
    std::string face = "f";
    for (int i = 1; i <= 40; ++i)
        face += " " + std::to_string(i) + "//1";
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string(TRIANGLE_OBJ))
        utf16 += std::string{c, '\0'};
    const std::pair<std::string, size_t> cases[] = {
        {ring + face + " # forty corners\n", 38},
        {"\xEF\xBB\xBFv 0 0 0\rv 1 0 0\rv 0 1 0\rv 1 1\r   f 1 2 4 3#quad\r", 2},
        {utf16, 1},
    };
    int n = 0;
    for (const auto& [text, triangles] : cases) {
        host::PluginHost fresh;
        ASSERT_TRUE(fresh.load(e2e::pluginPath()));
        fresh.chosenFile = write("mended" + std::to_string(n++) + ".obj", text);
        const int32_t handle = fresh.runImportCommand();
        ASSERT_NE(handle, 0) << fresh.chosenFile;
        host::MeshData drawn;
        ASSERT_TRUE(fresh.draw(static_cast<uint32_t>(handle), false, drawn));
        EXPECT_EQ(drawn.faces.size() / 3, triangles) << fresh.chosenFile;
        EXPECT_TRUE(fresh.misuses.empty());
    }
}

TEST_F(ImportCommandTest, TheObjectKeepsThePathAsItsSourceName) {
    std::string path = write("named.obj", TRIANGLE_OBJ);
    importPath(path);
    ASSERT_EQ(h.scene().size(), 1u);
    EXPECT_EQ(savedSourceName(), path);
}

TEST_F(ImportCommandTest, ExampleObjMatchesItsGoldenSceneText) {
    importPath(e2e::sourceDir() + "/examples/lprism.obj");
    std::ostringstream text;
    h.writeSceneText(text, false);
    EXPECT_EQ(text.str(), e2e::readFile(e2e::sourceDir() + "/tests/import/golden/lprism.inc"));
}

namespace {

// Digests of the scene text each real-world file gives, written when the table was made:
// the text of the files listed must not change.
const std::string SCENE_TEXT_TABLE =
    e2e::sourceDir() + "/tests/import/golden/real_obj_scene_text.tsv";

std::map<std::string, std::string> readSceneTextTable() {
    std::map<std::string, std::string> rows;
    std::ifstream in(SCENE_TEXT_TABLE);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            rows[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
    return rows;
}

} // namespace

// Every real-world file either becomes a mesh object with the reader's counts, or
// fails in the reader for a reason it names, and then nothing is created.
TEST_F(ImportCommandTest, RealObjFilesImportWithTheReadersCounts) {
    const bool update = std::getenv("TESSOID_UPDATE_GOLDEN") != nullptr;
    const std::map<std::string, std::string> sceneTexts = readSceneTextTable();
    std::map<std::string, std::string> seen;
    std::string objDir = realfiles::dir("obj");
    std::vector<std::string> names;
    if (DIR* d = opendir(objDir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    ASSERT_GE(names.size(), realfiles::atLeast(30, 20));
    std::sort(names.begin(), names.end());
    int imported = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::string path = objDir + "/" + name;
        obj::ObjMesh mesh;
        obj::ObjResult read = obj::readObjFile(path.c_str(), &mesh);
        host::PluginHost fresh;
        ASSERT_TRUE(fresh.load(e2e::pluginPath()));
        fresh.chosenFile = path;
        int32_t handle = fresh.runImportCommand();
        if (read != obj::ObjResult::Ok) {
            EXPECT_EQ(handle, 0) << obj::describeObjResult(read);
            EXPECT_EQ(fresh.scene().size(), 0u);
            continue;
        }
        ASSERT_NE(handle, 0);
        host::MeshData drawn;
        ASSERT_TRUE(fresh.draw(static_cast<uint32_t>(handle), false, drawn));
        EXPECT_EQ(drawn.vertices.size() / 3, static_cast<size_t>(mesh.vertexCount));
        EXPECT_EQ(drawn.faces.size() / 3, static_cast<size_t>(mesh.triangleCount));
        EXPECT_TRUE(fresh.misuses.empty());
        std::ostringstream text;
        fresh.writeSceneText(text, false);
        testdigest::Fnv1a digest;
        digest.add(text.str().data(), text.str().size());
        seen[name] = digest.hex();
        ++imported;
    }
    EXPECT_GE(size_t(imported), realfiles::atLeast(30, 20));
    if (update) {
        std::ofstream out(SCENE_TEXT_TABLE);
        out << "# file\tFNV-1a 64 of the scene text of the imported object\n";
        for (const auto& [name, hex] : seen)
            out << name << '\t' << hex << '\n';
        return;
    }
    ASSERT_GE(sceneTexts.size(), 20u) << "missing or short " << SCENE_TEXT_TABLE;
    for (const auto& [name, hex] : sceneTexts)
        if (realfiles::fullSet() || seen.count(name)) {
            EXPECT_EQ(seen[name], hex) << name;
        }
}
