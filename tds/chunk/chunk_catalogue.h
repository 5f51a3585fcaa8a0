// The chunk catalogue: for every chunk id the toolkit knows, its name, its
// sub-chunk rule, the kind of record it decodes to and its decoder. Loading,
// decoding, empty records and the constants of chunk_ids.h all come from its rows
// (chunk_catalogue.def).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "tds/chunk/chunk_data.h"
#include "tds/chunk/chunk_ids.h"

namespace tds {

// What a decoder is asked to make: the record of a chunk read from the current
// file (its window set to the chunk), or the empty record of a chunk made in
// memory. `length` is the chunk's, header included.
struct ChunkPayload {
    uint32_t length = 0;
    bool inMemory = false;
};

using ChunkDecoder = std::unique_ptr<ChunkData> (*)(const ChunkPayload&);

struct ChunkCatalogueRow {
    uint16_t id = 0;
    const char* name = nullptr; // the constant's name, "CK_..."
    OwnDataRule rule;
    ChunkDataKind record = ChunkDataKind::None; // what `decode` makes
    ChunkDecoder decode = nullptr;              // nullptr: no record
};

// All rows, in the order of chunk_catalogue.def.
std::span<const ChunkCatalogueRow> chunkCatalogue();

// The row of an id, or nullptr for an id outside the catalogue.
const ChunkCatalogueRow* catalogueRow(uint32_t id);

// The record of a chunk of `id` by its row's decoder; ids outside the catalogue
// give raw bytes.
std::unique_ptr<ChunkData> decodeChunkPayload(uint32_t id, const ChunkPayload& payload);

} // namespace tds
