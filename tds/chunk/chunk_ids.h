// Chunk ids understood by the reader, and the rule that says how many bytes of
// own data precede a chunk's children. Both come from the chunk catalogue.
#pragma once

#include <cstdint>

namespace tds {

// One constant per row of the chunk catalogue (chunk_catalogue.def).
#define TDS_CHUNK(name, id, rule, record, decoder) inline constexpr uint16_t name = id;
#include "tds/chunk/chunk_catalogue.def"
#undef TDS_CHUNK

// How the own data of a chunk is laid out ahead of its children.
enum class OwnDataKind : uint8_t {
    Container,  // children right after the header
    Fixed,      // fixedSize bytes, then children
    String,     // [prefix bytes] string of at most stringLimit bytes with its zero, [suffix]
    Counted,    // uint16 count, then count * elementSize bytes (faces)
    WholeChunk, // the rest of the chunk is own data: no children
};

struct OwnDataRule {
    OwnDataKind kind = OwnDataKind::WholeChunk;
    uint32_t fixedSize = 0;   // Fixed: bytes; String: bytes before the string
    uint32_t stringLimit = 0; // String: bytes of the string including its zero
    uint32_t suffixSize = 0;  // String: bytes after the string
    uint32_t elementSize = 0; // Counted: bytes per element
};

// The sub-chunk rule of an id's catalogue row (unknown ids: WholeChunk).
OwnDataRule ownDataRule(uint32_t id);

// True for the ids of the procedural map parameter family, the catalogue rows from
// CK_MAP_PROC_DATA to CK_MAP_PROC_REFLECTION_MASK.
bool isMapProcData(uint32_t id);

// True for ids with a catalogue row (decoded by layout, not generically).
bool isCataloguedId(uint32_t id);

// Ordering weight used by insertChildChunk; unlisted ids weigh 0.
int chunkPrecedence(uint32_t id);

} // namespace tds
