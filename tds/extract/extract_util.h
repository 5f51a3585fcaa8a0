// Helpers shared by the record extractors; not part of the public API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include <new>

#include "tds/chunk/chunk_tree.h"
#include "tds/chunk/errors.h"
#include "tds/extract/mesh_record.h"

namespace tds::detail {

// Copies a decoded name into a fixed field, cut to the field's room: decoders
// allow longer names than several record fields hold.
template <size_t N> void copyName(char (&field)[N], const std::string& text) {
    static_assert(N > 0);
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

// The prepare and free halves of the record pattern: a null reference is
// ERR_INVALID_ARG; a missing record is allocated, an existing one reset.
template <typename Record> void prepareRecord(Record** record) {
    if (!record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!*record) {
        *record = new (std::nothrow) Record;
        if (!*record)
            pushError(ERR_NO_MEM);
        return;
    }
    **record = Record{};
}

template <typename Record> void freeRecord(Record** record) {
    if (!record || !*record)
        return;
    delete *record;
    *record = nullptr;
}

// How many named objects of the scene `matches` accepts (refreshing the index).
template <typename Match> uint32_t countObjects(ChunkDatabase* db, Match matches) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return 0;
    }
    RefreshObjectIndex(db);
    if (!db->objectIndex)
        return 0;
    uint32_t n = 0;
    for (const ChunkIndexEntry& e : db->objectIndex->entries)
        if (matches(e.chunk))
            ++n;
    return n;
}

// The index-th named object `matches` accepts, in object index order, or nullptr.
template <typename Match> ChunkNode* nthObject(ChunkDatabase* db, uint32_t index, Match matches) {
    RefreshObjectIndex(db);
    if (!db->objectIndex)
        return nullptr;
    uint32_t seen = 0;
    for (const ChunkIndexEntry& e : db->objectIndex->entries)
        if (matches(e.chunk) && seen++ == index)
            return e.chunk;
    return nullptr;
}

// The first direct child of `node` with this id, or nullptr.
ChunkNode* childWithId(const ChunkNode* node, uint32_t id);

// A private copy of a subtree, released on every path out of the caller.
class PrivateCopy {
  public:
    // Copies `node` with its subtree (not its siblings); get() is nullptr on failure.
    explicit PrivateCopy(ChunkNode* node) { copyChunk(node, &copy_); }
    ~PrivateCopy() { freeChunk(&copy_); }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;
    ChunkNode* get() const { return copy_; }

  private:
    ChunkNode* copy_ = nullptr;
};

// Checks shared by the fetch operations: the database exists and has a top
// chunk whose id is one of `kinds`. Records the error and returns false when the
// caller cannot go on (with errors ignored, a wrong kind is let through).
bool checkDatabase(const ChunkDatabase* db, std::initializer_list<uint32_t> kinds);

// Colour byte to float: each byte times the float nearest 1/255.
inline float byteToUnit(uint8_t b) {
    return static_cast<float>(b) * 0.003921569f;
}

// The decoded record of an optional child: nullptr when the child is missing
// (readChunkData itself would record ERR_INVALID_ARG for a missing node).
template <class T> T* optionalData(ChunkNode* node) {
    return node ? readChunkDataAs<T>(node) : nullptr;
}

// The named object's string record, when it decodes to one.
const std::string* objectName(ChunkNode* namedObject);

} // namespace tds::detail
