// Keyframer naming: CK_PARENT_NAME chunks from node ids, instance names and
// renumbering.
#include "test_util.h"

namespace tds::test {
namespace {

class NamingTest : public ChunkTest {
  protected:
    struct Node {
        uint16_t tag;
        std::string name;
        int16_t parent;
        int id;               // -1: no CK_NODE_ID chunk
        std::string instance; // empty: none
    };
    void loadNodes(const std::vector<Node>& nodes) {
        ChunkWriter w;
        w.begin(CK_MESH_FILE).begin(CK_EDITOR).end().begin(CK_KEYFRAMER);
        w.begin(CK_KF_SEGMENT).i32(0).i32(100).end();
        for (const Node& n : nodes) {
            w.begin(n.tag);
            if (n.id >= 0)
                w.int16Chunk(CK_NODE_ID, static_cast<int16_t>(n.id));
            w.nodeHeader(n.name, 0, 0, n.parent);
            if (!n.instance.empty())
                w.stringChunk(CK_INSTANCE_NAME, n.instance);
            w.begin(CK_PIVOT).point(0, 0, 0).end();
            w.end();
        }
        w.end().end();
        load(w.bytes());
        ASSERT_FALSE(errorPending()) << ::testing::PrintToString(codes());
    }
    // The parent name written under the header of the index-th node chunk.
    std::string parentNameOf(int index) {
        ChunkNode* n = find(CK_KEYFRAMER)->children;
        for (int i = 0; i <= index; n = n->next)
            if (n->id != CK_KF_SEGMENT && i++ == index)
                break;
        ChunkNode* header = find(CK_NODE_HEADER, n);
        ChunkNode* parent = nullptr;
        findChunk(header, CK_PARENT_NAME, &parent);
        if (!parent)
            return "<none>";
        EXPECT_EQ(parent->fileIndex, kNoFileIndex);
        EXPECT_EQ(parent, header->children); // a header has no other children here
        auto* s = chunkDataAs<StringData>(parent->data.get());
        return s ? s->value : "<no record>";
    }
};

TEST_F(NamingTest, ParentNameCarriesTheInstanceName) {
    loadNodes({{CK_NODE_OBJECT, "Arm", 0, 1, ""}, {CK_NODE_OBJECT, "Body", -1, 0, "B1"}});
    EXPECT_EQ(parentNameOf(0), "Body.B1");
    EXPECT_EQ(parentNameOf(1), "<none>");
    // Records decoded only for the pass were released; the node ids stay decoded.
    EXPECT_EQ(find(CK_NODE_HEADER)->data, nullptr);
    EXPECT_EQ(find(CK_INSTANCE_NAME)->data, nullptr);
    EXPECT_NE(find(CK_NODE_ID)->data, nullptr);
}

TEST_F(NamingTest, ParentWithoutInstanceNameGivesItsNodeName) {
    loadNodes({{CK_NODE_OBJECT, "Arm", 0, 1, ""}, {CK_NODE_OBJECT, "Body", -1, 0, ""}});
    EXPECT_EQ(parentNameOf(0), "Body");
}

TEST_F(NamingTest, InstanceNamesCountOnlyForObjectNodes) {
    loadNodes({{CK_NODE_CAMERA, "Cam", 0, 1, ""}, {CK_NODE_LIGHT, "Rig", -1, 0, "R1"}});
    EXPECT_EQ(parentNameOf(0), "Rig");
}

TEST_F(NamingTest, MissingNodeIdRenumbersInListOrder) {
    // Entries become 0, 1, 2; the lookup still uses the ids decoded from the file.
    loadNodes({{CK_NODE_OBJECT, "Root", -1, 7, ""},
               {CK_NODE_OBJECT, "Loose", 0, -1, ""},
               {CK_NODE_OBJECT, "Leaf", 1, 2, ""}});
    EXPECT_EQ(parentNameOf(0), "<none>");
    EXPECT_EQ(parentNameOf(1), "<none>"); // no CK_NODE_ID: never named
    EXPECT_EQ(parentNameOf(2), "Loose");  // id 2 is Leaf after renumbering, parent 1 is Loose
}

TEST_F(NamingTest, UnknownParentIdGivesNoName) {
    loadNodes({{CK_NODE_OBJECT, "Orphan", 9, 0, ""}, {CK_NODE_OBJECT, "Other", -1, 1, ""}});
    EXPECT_EQ(parentNameOf(0), "<none>");
}

TEST_F(NamingTest, TargetsAndSpotlightsAreNamedAmbientIsNot) {
    loadNodes({{CK_NODE_CAMERA, "Cam", -1, 0, ""},
               {CK_NODE_CAMERA_TARGET, "Cam", 0, 1, ""},
               {CK_NODE_SPOTLIGHT, "Spot", 0, 2, ""},
               {CK_NODE_AMBIENT, "Amb", 0, 3, ""}});
    EXPECT_EQ(parentNameOf(1), "Cam");
    EXPECT_EQ(parentNameOf(2), "Cam");
    EXPECT_EQ(parentNameOf(3), "<none>");
}

TEST_F(NamingTest, FileWithoutKeyframerIsUnchanged) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR).begin(CK_NAMED_OBJECT).str("A").end().end().end();
    load(w.bytes());
    EXPECT_FALSE(errorPending());
    EXPECT_EQ(find(CK_PARENT_NAME), nullptr);
    nameKeyframerNodes(nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
}

TEST_F(NamingTest, ExistingParentNameRecordIsReplacedAndAFileOneIsLeft) {
    loadNodes({{CK_NODE_OBJECT, "Arm", 0, 1, ""}, {CK_NODE_OBJECT, "Body", -1, 0, ""}});
    ChunkNode* header = find(CK_NODE_HEADER);
    ChunkNode* parent = header->children;
    chunkDataAs<StringData>(parent->data.get())->value = "Stale";
    nameKeyframerNodes(db);
    EXPECT_EQ(parentNameOf(0), "Body");
    EXPECT_EQ(parent->next, nullptr); // replaced in place, not added again
}

} // namespace
} // namespace tds::test
