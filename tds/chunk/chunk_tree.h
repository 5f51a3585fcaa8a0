// The chunk tree of a loaded chunk file and the database that holds it.
//
// Loading reads only chunk headers; payloads are decoded on demand by
// readChunkData() from the still-open file. Operations report failures through
// the error list (errors.h) and return early while an error is pending.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tds/chunk/chunk_data.h"
#include "tds/chunk/chunk_file.h"
#include "tds/chunk/chunk_ids.h"
#include "tds/chunk/errors.h"

namespace tds {

// One chunk in memory. A node owns its record, its children and the whole
// chain of siblings after it: freeChunk() releases all of them.
struct ChunkNode {
    uint32_t id = 0;       // 16-bit id, zero-extended
    uint32_t length = 0;   // header + own data + children
    uint32_t position = 0; // file offset of the header; 0 for the top and in-memory chunks
    std::unique_ptr<ChunkData> data;  // decoded payload, or none
    ChunkNode* next = nullptr;        // owned: next sibling
    ChunkNode* children = nullptr;    // owned: first child
    uint8_t fileIndex = kNoFileIndex; // file table slot; 255: made in memory

    ChunkNode() = default;
    ChunkNode(const ChunkNode&) = delete;
    ChunkNode& operator=(const ChunkNode&) = delete;
};

struct ChunkIndexEntry {
    std::string name;
    ChunkNode* chunk = nullptr; // into the tree; not owned
};

struct ChunkIndex {
    uint32_t count = 0;
    std::vector<ChunkIndexEntry> entries; // count entries
};

struct ChunkDatabase {
    ChunkNode* top = nullptr; // owned; none until read
    bool objectIndexStale = true;
    bool materialIndexStale = true;
    bool nodeIndexStale = true;
    ChunkIndex* objectIndex = nullptr;   // owned
    ChunkIndex* materialIndex = nullptr; // owned
    ChunkIndex* nodeIndex = nullptr;     // owned; only released here
};

// Growable list of owned strings (grows by 5 slots).
struct StringList {
    uint32_t used = 0;
    uint32_t capacity = 0;
    std::vector<std::string> slots; // capacity slots, the first `used` filled
};

// Database lifecycle.
void createDatabase(ChunkDatabase** db);
void readDatabase(ChunkFile* file, ChunkDatabase* db);
void releaseDatabase(ChunkDatabase** db);

// Nodes.
void newChunk(ChunkNode** node);
void freeChunk(ChunkNode** node);
void readChunkChildren(ChunkNode* node);
void readExtEntryChildren(ChunkNode* node);

// Decoded records. readChunkData() decodes on first use and returns the same
// record afterwards; nullptr for ids without a decoded payload or on failure.
ChunkData* readChunkData(ChunkNode* node);
template <class T> T* readChunkDataAs(ChunkNode* node) {
    return chunkDataAs<T>(readChunkData(node));
}
// Frees the record only while its file is open, so that it can be decoded again.
void releaseChunkData(ChunkNode* node);
void freeChunkData(ChunkNode* node);
// An empty record of the layout the node's id needs (for chunks made in memory).
void allocChunkData(ChunkNode* node);
// Duplicates the source's record into a target that has none.
void copyChunkData(const ChunkNode* source, ChunkNode* target);

// Navigation and editing.
void findChunk(ChunkNode* node, uint32_t id, ChunkNode** out);
void findNextChunk(ChunkNode* node, uint32_t id, ChunkNode** out);
void addChildChunk(ChunkNode* parent, ChunkNode* child);
void insertChildChunk(ChunkNode* parent, ChunkNode* child);
// Copies the node and its subtree (not its following siblings). Records of
// file-backed nodes move into the copy; in-memory records are duplicated.
void copyChunk(ChunkNode* node, ChunkNode** copy);

// Indexes.
void allocChunkIndex(ChunkIndex** index, uint32_t count);
void freeChunkIndex(ChunkIndex** index);

// String lists.
void allocStringList(StringList** list);
void freeStringList(StringList** list);
void addToStringList(StringList** list, const char* text);

// Nesting deeper than this ends a load with ERR_INVALID_CHUNK.
inline constexpr uint32_t kMaxChunkDepth = 256;

} // namespace tds
