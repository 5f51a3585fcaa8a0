// Every real-world .3ds file against the values of testdata/EXPECTED.tsv, which
// was written from an independent reading of the same files. Records are
// fetched in the import's stage order without clearing errors in between, so a
// stray error in one stage would show up as wrong values in the next.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tds/chunk/chunk.h"
#include "tds/extract/extract.h"
#include "tests/real_files.h"

namespace tds {
namespace {

const std::string kDataDir = realfiles::dataDir();

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, '\t'))
        out.push_back(field);
    if (!line.empty() && line.back() == '\t')
        out.emplace_back();
    return out;
}

// The table holds names as UTF-8 of their latin-1 bytes; the records hold the bytes.
std::string latin1FromUtf8(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0xC0 && c < 0xE0 && i + 1 < s.size()) {
            out.push_back(static_cast<char>(((c & 0x1F) << 6) | (s[i + 1] & 0x3F)));
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string cut(const std::string& s, size_t n) {
    return s.substr(0, n);
}

// A ';'-joined list of names, each cut to `limit`, with an optional ":count" part.
std::string cutList(const std::string& joined, size_t limit) {
    std::string out;
    std::stringstream ss(joined);
    std::string item;
    bool first = true;
    while (std::getline(ss, item, ';')) {
        const size_t colon = item.rfind(':');
        const bool counted = colon != std::string::npos &&
                             item.find_first_not_of("0123456789", colon + 1) == std::string::npos;
        std::string name = counted ? item.substr(0, colon) : item;
        out += (first ? "" : ";") + cut(name, limit) + (counted ? item.substr(colon) : "");
        first = false;
    }
    return out;
}

struct ExpectedMesh {
    std::string name;
    int vertices = 0, faces = 0, texVertices = 0, groups = 0;
    std::string groupList; // name:faces;...
};

struct ExpectedFile {
    std::string file;
    std::string status;
    std::map<std::string, std::string> counts; // meshes=, materials=, ...
    std::vector<ExpectedMesh> meshes;
};

std::vector<ExpectedFile> loadExpected() {
    std::vector<ExpectedFile> files;
    std::map<std::string, size_t> at;
    std::ifstream in(kDataDir + "/EXPECTED.tsv", std::ios::binary);
    std::string line;
    auto fileFor = [&](const std::string& name) -> ExpectedFile& {
        auto [it, added] = at.emplace(name, files.size());
        if (added)
            files.push_back({name, "", {}, {}});
        return files[it->second];
    };
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = splitTabs(line);
        if (f.size() >= 9 && f[0] == "mesh") {
            ExpectedMesh m;
            m.name = latin1FromUtf8(f[3]);
            m.vertices = std::stoi(f[4]);
            m.faces = std::stoi(f[5]);
            m.texVertices = std::stoi(f[6]);
            m.groups = std::stoi(f[7]);
            m.groupList = latin1FromUtf8(f[8]);
            fileFor(f[1]).meshes.push_back(m);
        } else if (f.size() >= 3 && f[0] == "file") {
            ExpectedFile& e = fileFor(f[1]);
            e.status = f[2];
            for (size_t i = 3; i < f.size(); ++i) {
                const size_t eq = f[i].find('=');
                if (eq != std::string::npos)
                    e.counts[f[i].substr(0, eq)] = latin1FromUtf8(f[i].substr(eq + 1));
            }
        }
    }
    return files;
}

const std::vector<ExpectedFile>& expected() {
    static const std::vector<ExpectedFile> files = loadExpected();
    return files;
}

std::vector<std::string> fileNames() {
    std::vector<std::string> names;
    for (const ExpectedFile& f : expected())
        names.push_back(f.file);
    return names;
}

TEST(RealFiles, TableCoversEveryFileInTheFolder) {
    size_t onDisk = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDataDir + "/3ds")) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".3ds") {
            ++onDisk;
            const std::string name = entry.path().filename().string();
            bool listed = false;
            for (const ExpectedFile& f : expected())
                listed = listed || f.file == name;
            EXPECT_TRUE(listed) << name;
        }
    }
    EXPECT_EQ(onDisk, expected().size());
    EXPECT_GT(onDisk, 0u);
}

class RealFile : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        clearErrors();
        for (const ExpectedFile& f : expected())
            if (f.file == GetParam())
                want_ = &f;
        ASSERT_NE(want_, nullptr);
        file_ = openChunkFile((kDataDir + "/3ds/" + GetParam()).c_str(), "rb");
        ASSERT_NE(file_, nullptr);
        createDatabase(&db_);
        readDatabase(file_, db_);
        ASSERT_FALSE(errorPending()) << errorList().entries[0].message;
    }
    void TearDown() override {
        releaseDatabase(&db_);
        closeChunkFile(file_);
        clearErrors();
    }
    int count(const char* key) const { return std::stoi(want_->counts.at(key)); }

    const ExpectedFile* want_ = nullptr;
    ChunkFile* file_ = nullptr;
    ChunkDatabase* db_ = nullptr;
};

TEST_P(RealFile, RecordsMatchTheIndependentReading) {
    ASSERT_EQ(want_->status, "ok");

    // Materials.
    const uint32_t materials = CountMaterials(db_);
    EXPECT_EQ(materials, static_cast<uint32_t>(count("materials")));
    std::string names;
    for (uint32_t i = 0; i < materials; ++i) {
        MaterialRecord* m = nullptr;
        PrepareMaterialRecord(&m);
        FetchMaterialByIndex(db_, i, &m);
        ASSERT_FALSE(errorPending()) << "material " << i << ": " << errorList().entries[0].message;
        names += (i ? ";" : "") + std::string(m->name);
        FreeMaterialRecord(&m);
        EXPECT_EQ(m, nullptr);
    }
    EXPECT_EQ(names, cutList(want_->counts.at("material_names"), 16));

    // Cameras and lights, each fetched to prove the walk reaches them.
    const uint32_t cameras = CountCameras(db_);
    EXPECT_EQ(cameras, static_cast<uint32_t>(count("cameras")));
    for (uint32_t i = 0; i < cameras; ++i) {
        CameraRecord* c = nullptr;
        PrepareCameraRecord(&c);
        FetchCameraByIndex(db_, i, &c);
        EXPECT_NE(c->name[0], '\0') << "camera " << i;
        EXPECT_TRUE(std::isfinite(c->fieldOfView));
        FreeCameraRecord(&c);
    }
    const uint32_t omni = CountOmniLights(db_);
    const uint32_t spots = CountSpotlights(db_);
    EXPECT_EQ(omni, static_cast<uint32_t>(count("omni")));
    EXPECT_EQ(spots, static_cast<uint32_t>(count("spot")));
    for (uint32_t i = 0; i < omni + spots; ++i) {
        LightRecord* l = nullptr;
        if (i < omni) {
            PrepareLightRecord(&l);
            FetchOmniLightByIndex(db_, i, &l);
            EXPECT_EQ(l->spot, nullptr);
        } else {
            PrepareSpotlightRecord(&l);
            FetchSpotlightByIndex(db_, i - omni, &l);
            EXPECT_NE(l->spot, nullptr);
        }
        EXPECT_NE(l->name[0], '\0') << "light " << i;
        FreeLightRecord(&l);
    }
    ASSERT_FALSE(errorPending()) << errorList().entries[0].message;

    // Meshes.
    const uint32_t meshes = CountMeshes(db_);
    ASSERT_EQ(meshes, static_cast<uint32_t>(count("meshes")));
    ASSERT_EQ(want_->meshes.size(), meshes);
    for (uint32_t i = 0; i < meshes; ++i) {
        const ExpectedMesh& w = want_->meshes[i];
        SCOPED_TRACE("mesh " + std::to_string(i) + " " + w.name);
        MeshRecord* m = nullptr;
        PrepareMeshRecord(&m, 0, 0, 0);
        FetchMeshByIndex(db_, i, &m);
        ASSERT_FALSE(errorPending()) << errorList().entries[0].message;
        EXPECT_EQ(std::string(m->name), cut(w.name, 10));
        EXPECT_EQ(m->vertexCount, w.vertices);
        EXPECT_EQ(m->vertices.size(), m->vertexCount);
        EXPECT_EQ(m->faceCount, w.faces);
        EXPECT_EQ(m->faces.size(), m->faceCount);
        EXPECT_EQ(m->texVertexCount, w.texVertices);
        EXPECT_EQ(m->materialGroupCount, w.groups);
        std::string groups;
        for (uint16_t g = 0; g < m->materialGroupCount; ++g) {
            const MaterialGroup& group = m->materialGroups[g];
            EXPECT_EQ(group.faces.size(), group.faceCount);
            groups +=
                (g ? ";" : "") + std::string(group.name) + ":" + std::to_string(group.faceCount);
        }
        EXPECT_EQ(groups, cutList(w.groupList, 16));
        FreeMeshRecord(&m);
    }
}

INSTANTIATE_TEST_SUITE_P(Testdata, RealFile, ::testing::ValuesIn(fileNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

} // namespace
} // namespace tds
