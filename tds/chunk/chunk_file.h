// File table of the chunk toolkit and the primitive readers.
//
// Several chunk trees can stay backed by their files at once: each node keeps the
// table slot of its file and decoding seeks back into it. All primitive reads go
// to one current file through its 8192-byte buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tds/chunk/chunk_data.h"

namespace tds {

struct ChunkNode;

inline constexpr uint32_t kFileModeRead = 1;
inline constexpr uint32_t kFileModeWrite = 2;
inline constexpr int kFileTableSlots = 252;
inline constexpr uint8_t kNoFileIndex = 255;
inline constexpr uint32_t kStreamBufferSize = 8192;

struct ChunkFile {
    std::FILE* stream = nullptr;
    std::string fileName;              // after moveAsideForWriting: the temporary name
    uint32_t mode = 0;                 // 1 read, 2 write; 3 counts as readable
    uint8_t tableIndex = kNoFileIndex; // 255: in no slot
    std::unique_ptr<uint8_t[]> buffer; // read buffer of bufferSize bytes, or none
    uint32_t bufferSize = 0;
    bool temporary = false; // deleted on close

    // Read window over `buffer`: bytes [bufferStart, bufferStart + bufferFill) of the
    // file are in the buffer; `position` is the logical read position.
    uint32_t bufferStart = 0;
    uint32_t bufferFill = 0;
    uint32_t position = 0;
    uint32_t fileSize = 0;       // at open time; bounds allocations for payloads
    uint32_t streamPosition = 0; // where the stream itself stands (saves seeks)
};

struct FileTable {
    std::vector<ChunkFile*> slots; // 252 once created; not owning
    uint8_t used = 0;              // high-water mark; only grows
    ChunkFile* current = nullptr;
    uint8_t currentIndex = kNoFileIndex;
    uint32_t bufferSizeSetting = kStreamBufferSize;
};

// The one table of the process.
FileTable& fileTable();

// Opens `name` with a mode text ("r..." reads, "w..." writes; the first r or w
// decides). A name already open in the same mode gives the same record.
ChunkFile* openChunkFile(const char* name, const char* mode);
// Closes, deletes a temporary file, unregisters and frees. Null does nothing.
void closeChunkFile(ChunkFile* file);
// Renames a file open for reading to a fresh name in its directory so that its
// former name is free for a writer; reading continues at the same position.
void moveAsideForWriting(ChunkFile* file);

void makeCurrentFile(ChunkFile* file);
// A slot that holds no file leaves the current file as it is.
void makeCurrentFileByIndex(uint32_t slot);
ChunkFile* findOpenFile(const char* name);
// The file in a slot, or nullptr.
ChunkFile* fileAtIndex(uint32_t slot);

uint32_t currentPosition();
void seekCurrent(uint32_t offset);

// Reads past this offset of the current file fail as short reads. Decoding sets it
// to the chunk's end so that a payload never reads into its neighbours.
void setReadLimit(uint32_t end);
uint32_t readLimit();
inline constexpr uint32_t kNoReadLimit = 0xFFFFFFFFu;

// Primitive readers over the current file. A short read records ERR_READING_FILE
// and gives 0 (composite readers stop at their first failing part).
int8_t readInt8();
uint8_t readUint8();
int16_t readInt16();
uint16_t readUint16();
int32_t readInt32();
uint32_t readUint32();
float readFloat();
Point readPoint();
// Reads `count` bytes; returns how many were read before a failure.
uint32_t readBytes(uint32_t count, void* buffer);
// A zero-terminated string of at most `max` characters; false (and
// ERR_READING_FILE) when no zero byte comes within max + 1 bytes.
bool readString(uint32_t max, std::string& out);
// A `size`-byte field holding a zero-terminated string; consumes all size bytes.
bool readFixedString(uint32_t size, std::string& out);
// id (uint16) then length (uint32) into the node.
void readChunkHeader(ChunkNode* node);
void readTrackHeader(TrackHeader& header);
void readKeyHeader(TrackKey& key);

// Little-endian conversions, one per width.
uint16_t fromLittle16(const uint8_t* bytes);
uint32_t fromLittle32(const uint8_t* bytes);

} // namespace tds
