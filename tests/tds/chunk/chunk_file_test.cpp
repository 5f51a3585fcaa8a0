// File table (sharing, modes, moving aside, the slot limit) and the primitive
// readers with their short-read behaviour.
#include <cmath>
#include <filesystem>

#include "test_util.h"

namespace tds::test {
namespace {

class FileTableTest : public ChunkTest {};

std::vector<uint8_t> numbered(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

TEST_F(FileTableTest, SameNameForReadingSharesOneRecordAndSlot) {
    TempFile f(numbered(16));
    auto occupied = [] {
        return std::count_if(fileTable().slots.begin(), fileTable().slots.end(),
                             [](ChunkFile* s) { return s != nullptr; });
    };
    ChunkFile* a = openChunkFile(f.c_str(), "rb");
    ChunkFile* b = openChunkFile(f.c_str(), "r");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(occupied(), 1);
    EXPECT_EQ(findOpenFile(f.c_str()), a);
    EXPECT_EQ(fileAtIndex(a->tableIndex), a);
    EXPECT_EQ(a->mode, kFileModeRead);
    EXPECT_EQ(a->bufferSize, 8192u);
    EXPECT_FALSE(errorPending());
    closeChunkFile(a);
    EXPECT_EQ(findOpenFile(f.c_str()), nullptr);
}

TEST_F(FileTableTest, ModeTextFirstReadOrWriteLetterDecides) {
    TempDir dir;
    const std::string name = dir.file("m.bin");
    ASSERT_TRUE(writeFile(name, numbered(4)));
    ChunkFile* r = openChunkFile(name.c_str(), "xrw");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->mode, kFileModeRead);
    closeChunkFile(r);

    const std::string out = dir.file("w.bin");
    ChunkFile* w = openChunkFile(out.c_str(), "wr");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->mode, kFileModeWrite);
    closeChunkFile(w);
    EXPECT_FALSE(errorPending());

    EXPECT_EQ(openChunkFile(name.c_str(), "a"), nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INIT_FAILED});
    clearErrors();
    EXPECT_EQ(openChunkFile(name.c_str(), std::string(32, 'r').c_str()), nullptr);
    EXPECT_EQ(codes(), (std::vector<int32_t>{ERR_STRING_TOO_LONG, ERR_INIT_FAILED}));
    EXPECT_EQ(findOpenFile(name.c_str()), nullptr);
}

TEST_F(FileTableTest, BadArgumentsAndMissingFiles) {
    EXPECT_EQ(openChunkFile(nullptr, "rb"), nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_INVALID_ARG});
    clearErrors();
    TempDir dir;
    const std::string missing = dir.file("missing.3ds");
    EXPECT_EQ(openChunkFile(missing.c_str(), "rb"), nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_OPENING_FILE});
    EXPECT_EQ(findOpenFile(missing.c_str()), nullptr);
    closeChunkFile(nullptr);
}

TEST_F(FileTableTest, SlotsAreReusedAndTheLimitIs252) {
    TempDir dir;
    std::vector<ChunkFile*> open;
    for (int i = 0; i < 252; ++i) {
        const std::string name = dir.file("f" + std::to_string(i));
        ChunkFile* f = openChunkFile(name.c_str(), "wb");
        ASSERT_NE(f, nullptr) << i;
        open.push_back(f);
    }
    EXPECT_EQ(fileTable().used, 252);
    const std::string extra = dir.file("extra");
    EXPECT_EQ(openChunkFile(extra.c_str(), "wb"), nullptr);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_TOO_MANY_FILES});
    EXPECT_EQ(findOpenFile(extra.c_str()), nullptr);
    clearErrors();

    // A freed slot below the high-water mark is taken first.
    const uint8_t slot = open[10]->tableIndex;
    closeChunkFile(open[10]);
    ChunkFile* again = openChunkFile(extra.c_str(), "wb");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->tableIndex, slot);
    EXPECT_EQ(fileTable().used, 252);
    open[10] = again;
    for (ChunkFile* f : open)
        closeChunkFile(f);
    EXPECT_FALSE(errorPending());
}

TEST_F(FileTableTest, WriterMovesAReaderAsideAndItKeepsReading) {
    TempDir dir;
    const std::string name = dir.file("scene.3ds");
    const std::vector<uint8_t> bytes = numbered(20000);
    ASSERT_TRUE(writeFile(name, bytes));

    ChunkFile* reader = openChunkFile(name.c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    makeCurrentFile(reader);
    seekCurrent(9000);
    EXPECT_EQ(readUint8(), bytes[9000]);

    ChunkFile* writer = openChunkFile(name.c_str(), "wb");
    ASSERT_NE(writer, nullptr);
    EXPECT_NE(writer, reader);
    EXPECT_FALSE(errorPending());
    EXPECT_TRUE(reader->temporary);
    EXPECT_NE(reader->fileName, name);
    EXPECT_EQ(std::filesystem::path(reader->fileName).parent_path(),
              std::filesystem::path(name).parent_path());
    EXPECT_TRUE(std::filesystem::exists(reader->fileName));

    makeCurrentFile(reader);
    EXPECT_EQ(currentPosition(), 9001u);
    EXPECT_EQ(readUint8(), bytes[9001]);
    seekCurrent(19999);
    EXPECT_EQ(readUint8(), bytes[19999]);
    EXPECT_FALSE(errorPending());

    const std::string temporary = reader->fileName;
    closeChunkFile(reader);
    EXPECT_FALSE(std::filesystem::exists(temporary));
    closeChunkFile(writer);
    EXPECT_EQ(std::filesystem::file_size(name), 0u); // the writer's fresh file
}

TEST_F(FileTableTest, ReaderReplacesAFileOpenOnlyForWriting) {
    TempDir dir;
    const std::string name = dir.file("a.bin");
    ChunkFile* w = openChunkFile(name.c_str(), "wb");
    ASSERT_NE(w, nullptr);
    ChunkFile* r = openChunkFile(name.c_str(), "rb");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(findOpenFile(name.c_str()), r);
    EXPECT_FALSE(errorPending());
    closeChunkFile(r);
}

class PrimitiveTest : public ChunkTest {
  protected:
    void open(const std::vector<uint8_t>& bytes) {
        temp = std::make_unique<TempFile>(bytes);
        file = openChunkFile(temp->c_str(), "rb");
        ASSERT_NE(file, nullptr);
        makeCurrentFile(file);
    }
};

TEST_F(PrimitiveTest, LittleEndianValuesAcrossBufferRefills) {
    ChunkWriter w;
    w.fill(0, 8190).u16(0xBEEF).u32(0xDEADBEEF).f32(1.5f).i16(-2).i32(-70000).u8(0x80);
    open(w.bytes());
    seekCurrent(8190);
    EXPECT_EQ(readUint16(), 0xBEEF);
    EXPECT_EQ(readUint32(), 0xDEADBEEFu);
    EXPECT_EQ(readFloat(), 1.5f);
    EXPECT_EQ(readInt16(), -2);
    EXPECT_EQ(readInt32(), -70000);
    EXPECT_EQ(readInt8(), -128);
    EXPECT_EQ(currentPosition(), 8190u + 17u);
    seekCurrent(8192);
    EXPECT_EQ(readUint16(), 0xBEEF); // bytes 8192-8193 are the upper half of the uint32
    EXPECT_FALSE(errorPending());
}

TEST_F(PrimitiveTest, ShortReadsGiveZeroAndRecordAnError) {
    ChunkWriter w;
    w.f32(1.0f).f32(2.0f).u8(1);
    open(w.bytes());
    const Point p = readPoint();
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
    clearErrors();
    seekCurrent(8);
    EXPECT_EQ(readUint32(), 0u);
    EXPECT_TRUE(errorPending());
    clearErrors();
    seekCurrent(8);
    uint8_t buf[4] = {9, 9, 9, 9};
    EXPECT_EQ(readBytes(4, buf), 1u);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
}

TEST_F(PrimitiveTest, StringLimitsAndFixedFields) {
    ChunkWriter w;
    w.str("0123456789").str("0123456789A").chars("ab").u8(0).fill(7, 8).u8(0xAA);
    open(w.bytes());
    std::string s;
    EXPECT_TRUE(readString(10, s));
    EXPECT_EQ(s, "0123456789");
    EXPECT_FALSE(readString(10, s)); // 11 characters do not fit
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_READING_FILE});
    EXPECT_EQ(currentPosition(), 11u + 11u);
    clearErrors();
    seekCurrent(23);
    EXPECT_TRUE(readFixedString(11, s));
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(currentPosition(), 34u);
    EXPECT_EQ(readUint8(), 0xAA);
    EXPECT_FALSE(errorPending());
}

TEST_F(PrimitiveTest, KeyHeaderReadsOnlyFlaggedSplineValues) {
    ChunkWriter w;
    w.u32(12).u16(0x05).f32(0.25f).f32(-0.5f).u32(99);
    open(w.bytes());
    TrackKey key;
    readKeyHeader(key);
    EXPECT_EQ(key.time, 12u);
    EXPECT_EQ(key.splineFlags, 0x05);
    EXPECT_EQ(key.tension, 0.25f);
    EXPECT_EQ(key.continuity, 0.0f);
    EXPECT_EQ(key.bias, -0.5f);
    EXPECT_EQ(key.easeTo, 0.0f);
    EXPECT_EQ(key.easeFrom, 0.0f);
    EXPECT_EQ(readUint32(), 99u);
    EXPECT_FALSE(errorPending());
}

TEST_F(PrimitiveTest, ChunkHeaderStopsAfterTheFailingPart) {
    ChunkWriter w;
    w.u16(0x4D4D).u16(7);
    open(w.bytes());
    ChunkNode node;
    readChunkHeader(&node);
    EXPECT_EQ(node.id, 0x4D4Du);
    EXPECT_EQ(node.length, 0u);
    EXPECT_TRUE(errorPending());
}

} // namespace
} // namespace tds::test
