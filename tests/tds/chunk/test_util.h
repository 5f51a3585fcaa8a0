// Shared fixture pieces of the chunk tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chunk_writer.h"
#include "tds/chunk/chunk.h"

namespace tds::test {

// Every test starts with an empty error list and leaves no file open.
class ChunkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearErrors();
        errorList().overflow = {};
        setIgnoreErrors(false);
    }
    void TearDown() override {
        releaseDatabase(&db);
        FileTable& t = fileTable();
        for (ChunkFile* f : t.slots)
            if (f)
                closeChunkFile(f);
    }

    // Writes the bytes to a temporary file and loads them into `db`.
    void load(const std::vector<uint8_t>& bytes) {
        temp = std::make_unique<TempFile>(bytes);
        loadPath(temp->path());
    }
    void loadPath(const std::string& path) {
        file = openChunkFile(path.c_str(), "rb");
        ASSERT_NE(file, nullptr) << path;
        createDatabase(&db);
        readDatabase(file, db);
    }

    // Codes of the recorded entries, in order.
    static std::vector<int32_t> codes() {
        std::vector<int32_t> out;
        for (const ErrorEntry& e : errorList().entries) {
            if (e.code == 0)
                break;
            out.push_back(e.code);
        }
        return out;
    }

    ChunkNode* find(uint32_t id, ChunkNode* from = nullptr) {
        ChunkNode* out = nullptr;
        findChunk(from ? from : db->top, id, &out);
        return out;
    }

    std::unique_ptr<TempFile> temp;
    ChunkFile* file = nullptr;
    ChunkDatabase* db = nullptr;
};

} // namespace tds::test
