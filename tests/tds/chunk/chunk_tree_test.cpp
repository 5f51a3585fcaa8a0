// Loading the tree, its failures, and the node operations (find, insert, copy,
// free), indexes and string lists.
#include "test_util.h"

namespace tds::test {
namespace {

class TreeTest : public ChunkTest {};

std::vector<uint32_t> childIds(const ChunkNode* n) {
    std::vector<uint32_t> ids;
    for (const ChunkNode* c = n ? n->children : nullptr; c; c = c->next)
        ids.push_back(c->id);
    return ids;
}

void twoObjects(ChunkWriter& w) {
    w.begin(CK_MESH_FILE).begin(CK_FILE_VERSION).u32(3).end().begin(CK_EDITOR);
    for (const char* name : {"First", "Second"}) {
        w.begin(CK_NAMED_OBJECT).str(name).begin(CK_TRIANGLE_MESH);
        w.vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        w.beginFaces({0, 1, 2, 0}).end();
        w.end().end();
    }
    w.end().end();
}

TEST_F(TreeTest, LoadBuildsHeadersOnlyTree) {
    ChunkWriter w;
    twoObjects(w);
    load(w.bytes());
    ASSERT_FALSE(errorPending());
    ChunkNode* top = db->top;
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->id, CK_MESH_FILE);
    EXPECT_EQ(top->position, 0u);
    EXPECT_EQ(top->length, w.size());
    EXPECT_EQ(top->fileIndex, file->tableIndex);
    EXPECT_EQ(childIds(top), (std::vector<uint32_t>{CK_FILE_VERSION, CK_EDITOR}));
    ChunkNode* editor = top->children->next;
    EXPECT_EQ(childIds(editor), (std::vector<uint32_t>{CK_NAMED_OBJECT, CK_NAMED_OBJECT}));
    for (ChunkNode* obj = editor->children; obj; obj = obj->next) {
        EXPECT_EQ(childIds(obj), std::vector<uint32_t>{CK_TRIANGLE_MESH});
        EXPECT_EQ(childIds(obj->children), (std::vector<uint32_t>{CK_VERTICES, CK_FACES}));
    }
    // Nothing decoded while loading.
    std::vector<ChunkNode*> stack{top};
    while (!stack.empty()) {
        ChunkNode* n = stack.back();
        stack.pop_back();
        EXPECT_EQ(n->data, nullptr) << n->id;
        for (ChunkNode* c = n->children; c; c = c->next)
            stack.push_back(c);
    }
    EXPECT_EQ(readChunkDataAs<StringData>(editor->children->next)->value, "Second");
    EXPECT_EQ(editor->children->next->position + editor->children->next->length,
              editor->position + editor->length);
}

TEST_F(TreeTest, OtherTopChunkGivesATopNodeAlone) {
    ChunkWriter w;
    w.begin(0x1234).begin(CK_EDITOR).end().end();
    load(w.bytes());
    EXPECT_FALSE(errorPending());
    ASSERT_NE(db->top, nullptr);
    EXPECT_EQ(db->top->id, 0x1234u);
    EXPECT_EQ(db->top->children, nullptr);
}

TEST_F(TreeTest, ProjectAndLibraryFilesAreRead) {
    for (uint16_t kind : {CK_PROJECT_FILE, CK_MATERIAL_LIBRARY}) {
        clearErrors();
        ChunkWriter w;
        w.begin(kind).begin(CK_MATERIAL).stringChunk(CK_MATERIAL_NAME, "M").end().end();
        load(w.bytes());
        EXPECT_FALSE(errorPending());
        EXPECT_NE(find(CK_MATERIAL_NAME), nullptr);
        releaseDatabase(&db);
        closeChunkFile(file);
    }
}

TEST_F(TreeTest, ChunkShorterThanItsHeaderEndsTheLoad) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EDITOR).header(0x1234, 3).fill(0, 12).end().end();
    load(w.bytes());
    EXPECT_EQ(codes(), (std::vector<int32_t>{ERR_INVALID_CHUNK, ERR_READING_DATABASE,
                                             ERR_READING_DATABASE, ERR_CREATING_DATABASE}));
    // The part read so far stays attached and is freed with the database.
    EXPECT_EQ(childIds(db->top), std::vector<uint32_t>{CK_EDITOR});

    // The same with errors ignored must still end.
    releaseDatabase(&db);
    clearErrors();
    setIgnoreErrors(true);
    createDatabase(&db);
    readDatabase(file, db);
    EXPECT_TRUE(errorPending());
}

TEST_F(TreeTest, TruncatedFileReportsEveryLevel) {
    ChunkWriter w;
    twoObjects(w);
    std::vector<uint8_t> bytes = w.take();
    bytes.resize(bytes.size() - 20); // cut inside the second object's faces
    load(bytes);
    std::vector<int32_t> c = codes();
    ASSERT_GE(c.size(), 3u);
    EXPECT_TRUE(c.front() == ERR_READING_FILE || c.front() == ERR_INVALID_CHUNK);
    EXPECT_EQ(c.back(), ERR_CREATING_DATABASE);
    EXPECT_EQ(c[c.size() - 2], ERR_READING_DATABASE);
}

TEST_F(TreeTest, HostileNestingDepthIsAnErrorNotACrash) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE);
    for (int i = 0; i < 100000; ++i)
        w.begin(CK_EDITOR);
    for (int i = 0; i < 100000; ++i)
        w.end();
    w.end();
    load(w.bytes());
    ASSERT_TRUE(errorPending());
    EXPECT_EQ(codes().front(), ERR_INVALID_CHUNK);
}

TEST_F(TreeTest, NestingWithinTheLimitLoads) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE);
    for (int i = 0; i < 200; ++i)
        w.begin(CK_EDITOR);
    w.begin(CK_MASTER_SCALE).f32(1).end();
    for (int i = 0; i < 200; ++i)
        w.end();
    w.end();
    load(w.bytes());
    EXPECT_FALSE(errorPending());
    EXPECT_NE(find(CK_MASTER_SCALE), nullptr);
}

TEST_F(TreeTest, ExtendedDataEntriesTakeOnlyTheirOwnIds) {
    ChunkWriter w;
    w.begin(CK_MESH_FILE).begin(CK_EXT_DATA);
    // Entry 1: a colour chunk first: nothing of it is read.
    w.begin(CK_EXT_ENTRY)
        .begin(CK_RGB_FLOAT)
        .point(1, 1, 1)
        .end()
        .stringChunk(CK_EXT_APP_NAME, "x")
        .end();
    // Entry 2: an app name, a child that runs past the entry, then a string.
    w.begin(CK_EXT_ENTRY).stringChunk(CK_EXT_APP_NAME, "App");
    w.header(CK_EXT_STRING, 500);
    w.begin(CK_EXT_GROUP).stringChunk(CK_EXT_STRING, "hidden").end();
    w.stringChunk(CK_EXT_STRING, "kept").end();
    w.end().begin(CK_EDITOR).end().end();
    load(w.bytes());
    ASSERT_FALSE(errorPending()) << ::testing::PrintToString(codes());
    ChunkNode* ext = find(CK_EXT_DATA);
    ASSERT_NE(ext, nullptr);
    ASSERT_EQ(childIds(ext), (std::vector<uint32_t>{CK_EXT_ENTRY, CK_EXT_ENTRY}));
    EXPECT_EQ(ext->children->children, nullptr);
    ChunkNode* second = ext->children->next;
    // The over-long child is dropped and reading goes on just after its header.
    std::vector<uint32_t> ids = childIds(second);
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.front(), CK_EXT_APP_NAME);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), CK_EXT_STRING + 0u), 1);
    EXPECT_EQ(readChunkDataAs<StringData>(second->children)->value, "App");
    auto* raw = readChunkDataAs<RawData>(second);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->count, second->length - 6);
    EXPECT_EQ(childIds(db->top), (std::vector<uint32_t>{CK_EXT_DATA, CK_EDITOR}));
}

TEST_F(TreeTest, FindChunkIsPreOrderFromTheNodeItself) {
    ChunkWriter w;
    twoObjects(w);
    load(w.bytes());
    ChunkNode* out = reinterpret_cast<ChunkNode*>(1);
    findChunk(db->top, CK_MESH_FILE, &out);
    EXPECT_EQ(out, db->top);
    ChunkNode* firstObject = find(CK_NAMED_OBJECT);
    ASSERT_NE(firstObject, nullptr);
    EXPECT_EQ(readChunkDataAs<StringData>(firstObject)->value, "First");
    // Within the second object only: the walk never leaves the start node's subtree.
    ChunkNode* inSecond = nullptr;
    findChunk(firstObject->next, CK_VERTICES, &inSecond);
    EXPECT_EQ(inSecond, firstObject->next->children->children);
    findChunk(firstObject->children, CK_NAMED_OBJECT, &out);
    EXPECT_EQ(out, nullptr);
    findChunk(nullptr, CK_EDITOR, &out);
    EXPECT_EQ(out, nullptr);
    findChunk(db->top, CK_EDITOR, nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
}

TEST_F(TreeTest, FindNextChunkWalksSiblingsFromTheGivenNode) {
    ChunkWriter w;
    twoObjects(w);
    load(w.bytes());
    ChunkNode* first = find(CK_NAMED_OBJECT);
    ChunkNode* out = nullptr;
    findNextChunk(first, CK_NAMED_OBJECT, &out);
    EXPECT_EQ(out, first);
    findNextChunk(first->next, CK_NAMED_OBJECT, &out);
    EXPECT_EQ(out, first->next);
    findNextChunk(out->next, CK_NAMED_OBJECT, &out);
    EXPECT_EQ(out, nullptr);
}

ChunkNode* node(uint32_t id) {
    ChunkNode* n = nullptr;
    newChunk(&n);
    n->id = id;
    return n;
}

TEST_F(TreeTest, NewChunkStartsEmpty) {
    ChunkNode* n = node(0);
    EXPECT_EQ(n->length, 0u);
    EXPECT_EQ(n->position, 0u);
    EXPECT_EQ(n->fileIndex, kNoFileIndex);
    EXPECT_EQ(n->children, nullptr);
    freeChunk(&n);
    newChunk(nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
}

TEST_F(TreeTest, InsertChildChunkOrdersByPrecedence) {
    ChunkNode* parent = node(CK_MESH_FILE);
    insertChildChunk(parent, node(CK_EDITOR));         // 30
    insertChildChunk(parent, node(CK_KEYFRAMER));      // 29: after the editor
    insertChildChunk(parent, node(CK_FILE_VERSION));   // 31: first
    insertChildChunk(parent, node(0x1234));            // 0: last
    insertChildChunk(parent, node(CK_SECTION_2D2D));   // 34: first
    insertChildChunk(parent, node(0x4321));            // 0: after the other 0
    insertChildChunk(parent, node(CK_EDITOR_VERSION)); // 26: before the zeros
    EXPECT_EQ(childIds(parent),
              (std::vector<uint32_t>{CK_SECTION_2D2D, CK_FILE_VERSION, CK_EDITOR, CK_KEYFRAMER,
                                     CK_EDITOR_VERSION, 0x1234, 0x4321}));
    insertChildChunk(parent, nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
    addChildChunk(parent, node(CK_FILE_VERSION));
    EXPECT_EQ(childIds(parent).back(), CK_FILE_VERSION);
    freeChunk(&parent);
}

TEST_F(TreeTest, FreeingAFirstChildFreesAllItsSiblings) {
    ChunkNode* parent = node(CK_EDITOR);
    for (int i = 0; i < 3; ++i)
        addChildChunk(parent, node(CK_NAMED_OBJECT));
    addChildChunk(parent->children->next, node(CK_TRIANGLE_MESH));
    freeChunk(&parent->children); // ASan reports a leak if any sibling survives
    EXPECT_EQ(parent->children, nullptr);
    freeChunk(&parent);
    EXPECT_EQ(parent, nullptr);
}

TEST_F(TreeTest, LongChainsAndDeepTreesFreeAndCopyWithoutRecursion) {
    ChunkNode* top = node(CK_MESH_FILE);
    ChunkNode* tail = nullptr;
    for (int i = 0; i < 300000; ++i) {
        ChunkNode* n = node(0x1000);
        if (tail)
            tail->next = n;
        else
            top->children = n;
        tail = n;
    }
    ChunkNode* deep = top->children;
    for (int i = 0; i < 300000; ++i) {
        deep->children = node(0x2000);
        deep = deep->children;
    }
    ChunkNode* copy = nullptr;
    copyChunk(top, &copy);
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(errorPending());
    ChunkNode* found = nullptr;
    findChunk(copy, 0x2000, &found);
    EXPECT_NE(found, nullptr);
    freeChunk(&copy);
    freeChunk(&top);
    EXPECT_EQ(top, nullptr);
}

TEST_F(TreeTest, CopyMovesFileRecordsAndDuplicatesMemoryRecords) {
    ChunkWriter w;
    twoObjects(w);
    load(w.bytes());
    ChunkNode* object = find(CK_NAMED_OBJECT);
    ChunkNode* verts = find(CK_VERTICES, object);
    ASSERT_NE(readChunkData(verts), nullptr);
    const std::vector<Point> before = chunkDataAs<VerticesData>(verts->data.get())->points;
    ChunkNode* memory = node(CK_PARENT_NAME);
    allocChunkData(memory);
    chunkDataAs<StringData>(memory->data.get())->value = "Parent";
    addChildChunk(verts, memory);

    ChunkNode* copy = nullptr;
    copyChunk(object, &copy);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->next, nullptr); // following siblings are not copied
    EXPECT_EQ(copy->position, object->position);
    EXPECT_EQ(copy->fileIndex, object->fileIndex);
    ChunkNode* copiedVerts = find(CK_VERTICES, copy);
    ASSERT_NE(copiedVerts, nullptr);
    ASSERT_NE(copiedVerts->data, nullptr);
    EXPECT_EQ(verts->data, nullptr); // moved
    ChunkNode* copiedMemory = find(CK_PARENT_NAME, copy);
    ASSERT_NE(copiedMemory, nullptr);
    EXPECT_EQ(chunkDataAs<StringData>(copiedMemory->data.get())->value, "Parent");
    EXPECT_NE(memory->data, nullptr); // duplicated, not moved

    auto* again = readChunkDataAs<VerticesData>(verts);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->points.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(again->points[i].x, before[i].x);
    freeChunk(&copy);
    copyChunk(nullptr, &copy);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
}

TEST_F(TreeTest, DatabaseLifecycle) {
    ChunkDatabase* d = nullptr;
    createDatabase(&d);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->top, nullptr);
    EXPECT_TRUE(d->objectIndexStale && d->materialIndexStale && d->nodeIndexStale);
    allocChunkIndex(&d->objectIndex, 3);
    ASSERT_NE(d->objectIndex, nullptr);
    EXPECT_EQ(d->objectIndex->count, 3u);
    EXPECT_EQ(d->objectIndex->entries.size(), 3u);
    EXPECT_EQ(d->objectIndex->entries[2].chunk, nullptr);
    d->objectIndex->entries[0].name = "Box";
    allocChunkIndex(&d->materialIndex, 0);
    releaseDatabase(&d);
    EXPECT_EQ(d, nullptr);
    releaseDatabase(&d);
    releaseDatabase(nullptr);
    allocChunkIndex(nullptr, 1);
    readDatabase(nullptr, nullptr);
    EXPECT_EQ(codes(), (std::vector<int32_t>{ERR_INVALID_ARG, ERR_INVALID_ARG}));
}

TEST_F(TreeTest, WriteOnlyFileIsNotRead) {
    TempDir dir;
    const std::string name = dir.file("out.3ds");
    ChunkFile* w = openChunkFile(name.c_str(), "wb");
    ASSERT_NE(w, nullptr);
    createDatabase(&db);
    readDatabase(w, db);
    EXPECT_FALSE(errorPending());
    EXPECT_EQ(db->top, nullptr);
}

TEST_F(TreeTest, StringListGrowsByFive) {
    StringList* list = nullptr;
    allocStringList(&list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->capacity, 5u);
    EXPECT_EQ(list->used, 0u);
    for (int i = 0; i < 6; ++i)
        addToStringList(&list, ("name" + std::to_string(i)).c_str());
    EXPECT_EQ(list->used, 6u);
    EXPECT_EQ(list->capacity, 10u);
    EXPECT_EQ(list->slots[0], "name0");
    EXPECT_EQ(list->slots[5], "name5");
    EXPECT_TRUE(list->slots[6].empty());
    freeStringList(&list);
    EXPECT_EQ(list, nullptr);
}

} // namespace
} // namespace tds::test
