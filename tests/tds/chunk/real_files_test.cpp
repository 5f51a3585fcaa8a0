// Every real-world file loads, every node decodes, and the children of every
// catalogued chunk end exactly at the chunk's end.
#include <filesystem>

#include "test_util.h"
#include "tests/real_files.h"

namespace tds::test {
namespace {

std::vector<std::string> realFiles() {
    std::vector<std::string> out;
    const std::filesystem::path dir = realfiles::dir("3ds");
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.is_regular_file())
            out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

struct Walk {
    size_t nodes = 0;
    size_t meshes = 0;
    std::vector<std::string> problems;
};

// Iterative pre-order walk: decode each node and check its children's extent.
void walk(ChunkNode* top, Walk& w) {
    std::vector<ChunkNode*> stack{top};
    while (!stack.empty()) {
        ChunkNode* n = stack.back();
        stack.pop_back();
        ++w.nodes;
        readChunkData(n);
        if (errorPending()) {
            w.problems.push_back("decode of 0x" + std::to_string(n->id) + " at " +
                                 std::to_string(n->position));
            clearErrors();
        }
        if (n->id == CK_VERTICES)
            ++w.meshes;
        if (n->children && isCataloguedId(n->id) && n->fileIndex != kNoFileIndex) {
            ChunkNode* last = n->children;
            while (last->next)
                last = last->next;
            if (last->fileIndex != kNoFileIndex &&
                last->position + last->length != n->position + n->length)
                w.problems.push_back("children of 0x" + std::to_string(n->id) + " at " +
                                     std::to_string(n->position) + " end early or late");
        }
        for (ChunkNode* c = n->children; c; c = c->next)
            stack.push_back(c);
    }
}

class RealFiles : public ChunkTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RealFiles, LoadsAndDecodesEveryNode) {
    loadPath(GetParam());
    ASSERT_FALSE(errorPending()) << ::testing::PrintToString(codes());
    ASSERT_NE(db->top, nullptr);
    EXPECT_EQ(db->top->id, CK_MESH_FILE);
    EXPECT_NE(db->top->children, nullptr);
    Walk w;
    walk(db->top, w);
    EXPECT_TRUE(w.problems.empty()) << ::testing::PrintToString(w.problems);
    EXPECT_GT(w.nodes, 3u);
}

INSTANTIATE_TEST_SUITE_P(Testdata, RealFiles, ::testing::ValuesIn(realFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = std::filesystem::path(info.param).stem().string();
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// This file names objects with up to 20 characters ("Object49.split.split");
// they load, cut to the 10 characters an object name holds.
TEST_F(ChunkTest, LongObjectNamesOfARealFileAreCut) {
    if (!realfiles::has("3ds", "galileo.3ds"))
        GTEST_SKIP() << "galileo.3ds is only in the full set of real files";
    loadPath(realfiles::path("3ds", "galileo.3ds"));
    ASSERT_FALSE(errorPending());
    ChunkNode* object = find(CK_NAMED_OBJECT);
    size_t cut = 0;
    for (; object; findNextChunk(object->next, CK_NAMED_OBJECT, &object)) {
        auto* name = readChunkDataAs<StringData>(object);
        ASSERT_NE(name, nullptr);
        EXPECT_LE(name->value.size(), kObjectNameLimit);
        cut += name->value == "Object49.s";
    }
    EXPECT_GE(cut, 2u);
}

TEST(RealFilesPresent, TestdataFolderHasFiles) {
    EXPECT_GE(realFiles().size(), realfiles::atLeast(30, 10));
}

} // namespace
} // namespace tds::test
