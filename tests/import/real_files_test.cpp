// Every real-world .3ds file of the shared test data imports through the real
// plug-in; what the host receives follows from an independent reading of the
// same files (EXPECTED.tsv) by the split rules.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "host/plugin_host.h"
#include "platform/standin_control.h"
#include "plugin/import_records.h"
#include "tests/real_files.h"

namespace {

using namespace tessoid;

struct Expected {
    size_t polygonMeshes = 0, vertices = 0, faces = 0;
    size_t materials = 0, cameras = 0, lights = 0;
    bool known = false;
};

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    if (!s.empty() && s.back() == sep)
        parts.emplace_back();
    return parts;
}

size_t field(const std::string& kv) {
    return std::stoul(kv.substr(kv.find('=') + 1));
}

// What the import makes of each mesh row: one object for the whole mesh, or one
// per material group with faces, three unshared corners per face.
std::map<std::string, Expected> readExpected() {
    std::map<std::string, Expected> expected;
    std::ifstream in(realfiles::dataDir() + "/EXPECTED.tsv", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> f = split(line, '\t');
        Expected& e = expected[f.at(1)];
        if (f[0] == "file") {
            e.known = f.at(2) == "ok";
            e.materials = field(f.at(4));
            e.cameras = field(f.at(5));
            e.lights = field(f.at(6)) + field(f.at(7));
        } else if (f[0] == "mesh") {
            size_t v = std::stoul(f.at(4)), faces = std::stoul(f.at(5));
            size_t groupCount = std::stoul(f.at(7));
            if (v < 3 || faces < 1)
                continue;
            std::vector<size_t> groupFaces;
            size_t sum = 0;
            for (const std::string& g : split(f.size() > 8 ? f[8] : "", ';')) {
                if (g.empty())
                    continue;
                size_t m = std::stoul(g.substr(g.rfind(':') + 1));
                groupFaces.push_back(m);
                sum += m;
            }
            if (groupCount < 2 || sum != faces) {
                e.polygonMeshes += 1;
                e.vertices += v;
                e.faces += faces;
            } else {
                for (size_t m : groupFaces)
                    if (m > 0) {
                        e.polygonMeshes += 1;
                        e.vertices += 3 * m;
                        e.faces += m;
                    }
            }
        }
    }
    return expected;
}

std::vector<std::string> threeDsFiles() {
    std::vector<std::string> files;
    std::string dir = realfiles::dir("3ds");
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (entry->d_name[0] != '.')
                files.push_back(entry->d_name);
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(RealThreeDsFiles, EachImportsWithTheObjectsItsContentsCallFor) {
    const std::map<std::string, Expected> expected = readExpected();
    const std::vector<std::string> files = threeDsFiles();
    ASSERT_GE(files.size(), realfiles::atLeast(30, 10));
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        auto it = expected.find(name);
        ASSERT_NE(it, expected.end()) << "no expectation for " << name;
        const Expected& e = it->second;
        standin::ClearMessageBoxLog();
        host::PluginHost h;
        ASSERT_TRUE(h.load(e2e::pluginPath())) << h.error();
        h.chosenFile = realfiles::path("3ds", name);
        EXPECT_EQ(h.runImportCommand(), 0);

        Expected got;
        for (host::SceneObject* o : h.scene().objects()) {
            if (o->kind == KIND_POLYGON_MESH) {
                got.polygonMeshes++;
                got.vertices += o->mesh.vertices.size() / 3;
                got.faces += o->mesh.faces.size() / 3;
            } else if (o->kind == KIND_LIBRARY_ITEM && o->itemType == ITEM_MATERIAL) {
                got.materials++;
            } else if (o->kind == KIND_CAMERA) {
                got.cameras++;
            } else if (o->kind == KIND_LIGHT) {
                got.lights++;
            }
        }
        EXPECT_EQ(got.polygonMeshes, e.polygonMeshes);
        EXPECT_EQ(got.vertices, e.vertices);
        EXPECT_EQ(got.faces, e.faces);
        EXPECT_EQ(got.materials, e.materials);
        EXPECT_EQ(got.cameras, e.cameras);
        EXPECT_EQ(got.lights, e.lights);
        EXPECT_EQ(h.importResult != 0, e.polygonMeshes > 0);
        EXPECT_EQ(standin::MessageBoxLog().empty(), e.polygonMeshes > 0);
        EXPECT_TRUE(h.misuses.empty()) << h.misuses.front();
    }
}
