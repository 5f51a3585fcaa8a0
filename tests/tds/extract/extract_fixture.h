// A chunk file built in memory, written to a temporary file and loaded into a
// database for the length of a test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "chunk_writer.h"
#include "tds/chunk/chunk.h"
#include "tds/extract/extract.h"

namespace tds::test {

class LoadedDatabase {
  public:
    explicit LoadedDatabase(const std::vector<uint8_t>& bytes) : temp_(bytes) {
        clearErrors();
        file = openChunkFile(temp_.c_str(), "rb");
        createDatabase(&db);
        readDatabase(file, db);
        loadFailed = errorPending();
    }
    ~LoadedDatabase() {
        releaseDatabase(&db);
        closeChunkFile(file);
        setIgnoreErrors(false);
        clearErrors();
    }
    LoadedDatabase(const LoadedDatabase&) = delete;
    LoadedDatabase& operator=(const LoadedDatabase&) = delete;

    ChunkFile* file = nullptr;
    ChunkDatabase* db = nullptr;
    bool loadFailed = false;

  private:
    TempFile temp_;
};

// A file of kind `top` whose scene section holds what `body` writes.
inline std::vector<uint8_t> sceneFile(const std::function<void(ChunkWriter&)>& body,
                                      uint16_t top = 0x4D4D) {
    ChunkWriter w;
    w.begin(top).begin(0x3D3D);
    body(w);
    w.end().end();
    return w.take();
}

// The first recorded error code, or 0.
inline int32_t firstError() {
    return errorList().entries[0].code;
}

} // namespace tds::test
