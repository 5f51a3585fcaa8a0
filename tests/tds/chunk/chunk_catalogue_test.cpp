// The chunk catalogue against what the toolkit does with a chunk of each row's id:
// the record it decodes and copies, and where loading finds its children.
#include "test_util.h"

namespace tds::test {
namespace {

class CatalogueTest : public ChunkTest {
  protected:
    // Loads a mesh file whose one child is a chunk of `id` holding `payload`
    // (and, when given, a CK_EXT_APP_NAME child after it); returns that chunk.
    ChunkNode* loadOne(uint16_t id, const std::vector<uint8_t>& ownData, bool withChild) {
        ChunkWriter w;
        w.begin(CK_MESH_FILE).begin(id).bytes(ownData.data(), ownData.size());
        if (withChild)
            w.stringChunk(CK_EXT_APP_NAME, "x");
        w.end().end();
        releaseDatabase(&db);
        if (file)
            closeChunkFile(file);
        clearErrors();
        load(w.bytes());
        EXPECT_FALSE(errorPending()) << ::testing::PrintToString(codes());
        return db && db->top ? db->top->children : nullptr;
    }

    // Own data the row's decoder reads in full, sized by the row's rule.
    static std::vector<uint8_t> ownDataFor(const OwnDataRule& rule) {
        std::vector<uint8_t> out;
        switch (rule.kind) {
        case OwnDataKind::Container:
        case OwnDataKind::WholeChunk:
            break;
        case OwnDataKind::Fixed:
            out.assign(rule.fixedSize, 1);
            break;
        case OwnDataKind::String:
            out.assign(rule.fixedSize, 1);
            out.insert(out.end(), {'a', 'b', 0});
            out.insert(out.end(), rule.suffixSize, 1);
            break;
        case OwnDataKind::Counted:
            out = {1, 0};
            out.insert(out.end(), rule.elementSize, 1);
            break;
        }
        return out;
    }

    static bool decodesRecord(const ChunkCatalogueRow& row) {
        return row.record != ChunkDataKind::None && row.record != ChunkDataKind::Raw;
    }
};

TEST_F(CatalogueTest, EveryRowFindsItsOwnIdAndNoOther) {
    ASSERT_FALSE(chunkCatalogue().empty());
    for (const ChunkCatalogueRow& row : chunkCatalogue()) {
        ASSERT_EQ(catalogueRow(row.id), &row) << row.name;
        EXPECT_TRUE(isCataloguedId(row.id)) << row.name;
    }
    EXPECT_EQ(catalogueRow(0x1234), nullptr);
    EXPECT_EQ(catalogueRow(0x10000u + CK_MESH_FILE), nullptr);
    EXPECT_EQ(ownDataRule(0x1234).kind, OwnDataKind::WholeChunk);
}

// The record column says what a chunk of the id decodes to, read from a file or
// made in memory, and its copy is a record of the same kind.
TEST_F(CatalogueTest, ChunksDecodeAndCopyToTheRecordKindOfTheirRow) {
    for (const ChunkCatalogueRow& row : chunkCatalogue()) {
        SCOPED_TRACE(row.name);
        // Children are read only where the rule leaves room for them.
        const bool whole = row.rule.kind == OwnDataKind::WholeChunk;
        ChunkNode* node =
            loadOne(row.id, whole ? std::vector<uint8_t>(80, 0) : ownDataFor(row.rule), !whole);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->id, row.id);
        const ChunkData* fromFile = readChunkData(node);
        ChunkNode* memory = nullptr;
        newChunk(&memory);
        memory->id = row.id;
        memory->length = node->length;
        allocChunkData(memory);
        const ChunkData* inMemory = memory->data.get();
        if (row.record == ChunkDataKind::None) {
            EXPECT_EQ(fromFile, nullptr);
            EXPECT_EQ(inMemory, nullptr);
        } else {
            EXPECT_TRUE(fromFile || inMemory);
            if (fromFile) {
                EXPECT_EQ(fromFile->kind, row.record);
            }
            if (inMemory) {
                EXPECT_EQ(inMemory->kind, row.record);
            }
        }
        for (const ChunkData* record : {fromFile, inMemory}) {
            if (!record)
                continue;
            std::unique_ptr<ChunkData> copy = record->clone();
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->kind, record->kind);
            EXPECT_NE(copy.get(), record);
        }
        freeChunk(&memory);
    }
}

// Loading skips exactly the own data the decoder reads: the child after it is
// found, and decoding stops where the child begins.
TEST_F(CatalogueTest, TheRuleSkipsWhatTheDecoderReads) {
    for (const ChunkCatalogueRow& row : chunkCatalogue()) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> own = ownDataFor(row.rule);
        ChunkNode* node = loadOne(row.id, own, true);
        ASSERT_NE(node, nullptr);
        if (row.rule.kind == OwnDataKind::WholeChunk) {
            EXPECT_EQ(node->children, nullptr);
            continue;
        }
        ASSERT_NE(node->children, nullptr);
        EXPECT_EQ(node->children->id, CK_EXT_APP_NAME);
        EXPECT_EQ(node->children->position, node->position + 6 + own.size());
        if (!decodesRecord(row))
            continue;
        clearErrors();
        ASSERT_NE(readChunkData(node), nullptr);
        EXPECT_FALSE(errorPending()) << ::testing::PrintToString(codes());
        EXPECT_EQ(currentPosition(), node->children->position);
    }
}

// A chunk made in memory of a raw-bytes row holds as many zero bytes as its length
// gives beyond the header, or nothing when the row keeps only what a file holds.
TEST_F(CatalogueTest, RawRowsInMemoryAreZeroedOrAbsent) {
    ChunkNode* procedure = nullptr;
    newChunk(&procedure);
    procedure->id = CK_PROCEDURE_DATA;
    procedure->length = 10;
    allocChunkData(procedure);
    auto* bytes = chunkDataAs<RawData>(procedure->data.get());
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->bytes, std::vector<uint8_t>(4, 0));
    ChunkNode* section = nullptr;
    newChunk(&section);
    section->id = CK_SECTION_2D2D;
    section->length = 10;
    allocChunkData(section);
    EXPECT_EQ(section->data, nullptr);
    freeChunk(&procedure);
    freeChunk(&section);
}

} // namespace
} // namespace tds::test
