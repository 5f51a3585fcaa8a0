// File table, current file and the primitive readers.
#include "tds/chunk/chunk_file.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <new>

#include "tds/chunk/chunk_tree.h"
#include "tds/chunk/errors.h"

namespace tds {
namespace {

FileTable gTable;
uint32_t gReadLimit = kNoReadLimit;
uint32_t gTempCounter = 0;

bool ensureTable() {
    if (!gTable.slots.empty())
        return true;
    try {
        gTable.slots.assign(kFileTableSlots, nullptr);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
        return false;
    }
    return true;
}

bool registerFile(ChunkFile* file) {
    if (!ensureTable())
        return false;
    uint32_t slot = 0;
    while (slot < gTable.used && gTable.slots[slot] != nullptr)
        ++slot;
    if (slot >= static_cast<uint32_t>(kFileTableSlots)) {
        pushError(ERR_TOO_MANY_FILES);
        return false;
    }
    if (slot == gTable.used)
        ++gTable.used;
    gTable.slots[slot] = file;
    file->tableIndex = static_cast<uint8_t>(slot);
    return true;
}

void unregisterFile(ChunkFile* file) {
    const uint32_t slot = file->tableIndex;
    if (slot < gTable.slots.size() && gTable.slots[slot] == file)
        gTable.slots[slot] = nullptr;
    if (gTable.current == file) {
        gTable.current = nullptr;
        gTable.currentIndex = kNoFileIndex;
    }
    file->tableIndex = kNoFileIndex;
}

// Forgets the buffered bytes; the stream is taken to stand at an unknown place.
void resetWindow(ChunkFile* file, uint32_t position) {
    file->bufferStart = position;
    file->bufferFill = 0;
    file->position = position;
    file->streamPosition = 0xFFFFFFFFu;
}

uint32_t measureFile(std::FILE* stream) {
    if (std::fseek(stream, 0, SEEK_END) != 0)
        return 0x7FFFFFFFu;
    const long size = std::ftell(stream);
    std::fseek(stream, 0, SEEK_SET);
    return size < 0 ? 0x7FFFFFFFu : static_cast<uint32_t>(size);
}

// Opens the stream for `file->mode` and attaches the read buffer.
bool openStream(ChunkFile* file, const char* how) {
    file->stream = std::fopen(file->fileName.c_str(), how);
    if (!file->stream) {
        pushError(ERR_OPENING_FILE);
        return false;
    }
    // Our own window does the buffering; the stream's would only copy twice.
    std::setvbuf(file->stream, nullptr, _IONBF, 0);
    file->fileSize = (file->mode & kFileModeRead) ? measureFile(file->stream) : 0;
    resetWindow(file, 0);
    return true;
}

void attachBuffer(ChunkFile* file) {
    if (file->buffer || gTable.bufferSizeSetting == 0)
        return;
    file->buffer.reset(new (std::nothrow) uint8_t[gTable.bufferSizeSetting]);
    file->bufferSize = file->buffer ? gTable.bufferSizeSetting : 0;
}

void destroyRecord(ChunkFile* file) {
    unregisterFile(file);
    delete file;
}

// Copies up to n bytes at the current position into dst, honouring the read
// limit; returns the count copied.
uint32_t readRaw(void* dst, uint32_t n) {
    ChunkFile* f = gTable.current;
    if (!f || !f->stream || n == 0)
        return 0;
    uint32_t allowed = n;
    if (f->position >= gReadLimit)
        allowed = 0;
    else if (gReadLimit - f->position < allowed)
        allowed = gReadLimit - f->position;
    uint8_t* out = static_cast<uint8_t*>(dst);
    uint32_t done = 0;
    while (done < allowed) {
        const uint32_t want = allowed - done;
        if (f->position >= f->bufferStart && f->position - f->bufferStart < f->bufferFill) {
            const uint32_t offset = f->position - f->bufferStart;
            uint32_t take = f->bufferFill - offset;
            if (take > want)
                take = want;
            std::memcpy(out + done, f->buffer.get() + offset, take);
            done += take;
            f->position += take;
            continue;
        }
        if (f->streamPosition != f->position) {
            if (std::fseek(f->stream, static_cast<long>(f->position), SEEK_SET) != 0)
                break;
            f->streamPosition = f->position;
        }
        if (!f->buffer || want >= f->bufferSize) {
            // Large runs go straight to the destination.
            const size_t got = std::fread(out + done, 1, want, f->stream);
            done += static_cast<uint32_t>(got);
            f->position += static_cast<uint32_t>(got);
            f->streamPosition = f->position;
            f->bufferFill = 0;
            break;
        }
        const size_t got = std::fread(f->buffer.get(), 1, f->bufferSize, f->stream);
        f->bufferStart = f->position;
        f->bufferFill = static_cast<uint32_t>(got);
        f->streamPosition = f->position + f->bufferFill;
        if (got == 0)
            break;
    }
    return done;
}

// Reads exactly n bytes or records ERR_READING_FILE.
bool readExact(void* dst, uint32_t n) {
    if (readRaw(dst, n) == n)
        return true;
    pushError(ERR_READING_FILE);
    return false;
}

} // namespace

FileTable& fileTable() {
    return gTable;
}

uint16_t fromLittle16(const uint8_t* b) {
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
uint32_t fromLittle32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

ChunkFile* findOpenFile(const char* name) {
    if (!name)
        return nullptr;
    for (uint32_t i = 0; i < gTable.used && i < gTable.slots.size(); ++i) {
        ChunkFile* f = gTable.slots[i];
        if (f && f->fileName == name)
            return f;
    }
    return nullptr;
}

ChunkFile* fileAtIndex(uint32_t slot) {
    return slot < gTable.slots.size() ? gTable.slots[slot] : nullptr;
}

void makeCurrentFile(ChunkFile* file) {
    gTable.current = file;
    gTable.currentIndex = file ? file->tableIndex : kNoFileIndex;
}

void makeCurrentFileByIndex(uint32_t slot) {
    if (ChunkFile* f = fileAtIndex(slot))
        makeCurrentFile(f);
}

uint32_t currentPosition() {
    return gTable.current ? gTable.current->position : 0;
}

void seekCurrent(uint32_t offset) {
    // The window stays valid; the next read refills it if the offset lies outside.
    if (gTable.current)
        gTable.current->position = offset;
}

void setReadLimit(uint32_t end) {
    gReadLimit = end;
}
uint32_t readLimit() {
    return gReadLimit;
}

ChunkFile* openChunkFile(const char* name, const char* modeText) {
    if (!name || !modeText) {
        pushError(ERR_INVALID_ARG);
        return nullptr;
    }
    ChunkFile* existing = findOpenFile(name);
    ChunkFile* file = new (std::nothrow) ChunkFile;
    if (!file) {
        pushError(ERR_NO_MEM);
        pushError(ERR_INIT_FAILED);
        return nullptr;
    }
    if (!registerFile(file)) {
        destroyRecord(file);
        return nullptr;
    }
    try {
        file->fileName = name;
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
        destroyRecord(file);
        return nullptr;
    }
    const size_t modeLength = std::strlen(modeText);
    if (modeLength > 31) {
        pushError(ERR_STRING_TOO_LONG);
    } else {
        for (const char* p = modeText; *p; ++p) {
            if (*p == 'r') {
                file->mode = kFileModeRead;
                break;
            }
            if (*p == 'w') {
                file->mode = kFileModeWrite;
                break;
            }
        }
    }
    if (file->mode == 0) {
        pushError(ERR_INIT_FAILED);
        destroyRecord(file);
        return nullptr;
    }
    if (existing) {
        if (existing->mode == file->mode) {
            destroyRecord(file);
            return existing;
        }
        if (existing->mode & kFileModeRead)
            moveAsideForWriting(existing);
        else
            closeChunkFile(existing);
        if (mustStop()) {
            destroyRecord(file);
            return nullptr;
        }
    }
    if (!openStream(file, (file->mode & kFileModeRead) ? "rb" : "wb")) {
        destroyRecord(file);
        return nullptr;
    }
    attachBuffer(file);
    return file;
}

void closeChunkFile(ChunkFile* file) {
    if (!file)
        return;
    bool closeFailed = false;
    if (file->stream) {
        closeFailed = std::fclose(file->stream) != 0;
        file->stream = nullptr;
        if (file->temporary)
            std::remove(file->fileName.c_str());
    }
    destroyRecord(file);
    if (closeFailed)
        pushError(ERR_CLOSING_FILE);
}

namespace {

// A name not yet taken in `dir`.
std::string uniqueName(const std::string& dir) {
    for (int attempt = 0; attempt < 10000; ++attempt) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "tds%05x.tmp",
                      static_cast<unsigned>((++gTempCounter * 2654435761u) & 0xFFFFFu));
        std::string candidate = dir + leaf;
        if (std::FILE* probe = std::fopen(candidate.c_str(), "rb")) {
            std::fclose(probe);
            continue;
        }
        return candidate;
    }
    return std::string();
}

} // namespace

void moveAsideForWriting(ChunkFile* file) {
    if (!file || !file->stream) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    const uint32_t position = file->position;
    const bool closeFailed = std::fclose(file->stream) != 0;
    file->stream = nullptr;
    if (closeFailed) {
        pushError(ERR_CLOSING_FILE);
        if (!ignoreErrors())
            return;
    }
    std::string tempName;
    try {
        // Directory part: up to and including the last separator after the first character.
        const size_t cut = file->fileName.find_last_of("/:\\");
        const std::string dir =
            (cut != std::string::npos && cut > 0) ? file->fileName.substr(0, cut + 1) : "";
        tempName = uniqueName(dir);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
        return;
    }
    if (tempName.empty() || std::rename(file->fileName.c_str(), tempName.c_str()) != 0) {
        pushError(ERR_OPENING_FILE);
        return;
    }
    file->temporary = true;
    file->fileName = std::move(tempName);
    file->stream = std::fopen(file->fileName.c_str(), "rb");
    if (!file->stream) {
        pushError(ERR_OPENING_FILE);
        return;
    }
    std::setvbuf(file->stream, nullptr, _IONBF, 0);
    resetWindow(file, position);
}

int8_t readInt8() {
    uint8_t b = 0;
    return readExact(&b, 1) ? static_cast<int8_t>(b) : 0;
}
uint8_t readUint8() {
    uint8_t b = 0;
    return readExact(&b, 1) ? b : 0;
}
int16_t readInt16() {
    return static_cast<int16_t>(readUint16());
}
uint16_t readUint16() {
    uint8_t b[2];
    return readExact(b, 2) ? fromLittle16(b) : 0;
}
int32_t readInt32() {
    return static_cast<int32_t>(readUint32());
}
uint32_t readUint32() {
    uint8_t b[4];
    return readExact(b, 4) ? fromLittle32(b) : 0;
}
float readFloat() {
    uint8_t b[4];
    return readExact(b, 4) ? std::bit_cast<float>(fromLittle32(b)) : 0.0f;
}
Point readPoint() {
    Point p;
    float* c[3] = {&p.x, &p.y, &p.z};
    for (float* v : c) {
        uint8_t b[4];
        if (!readExact(b, 4))
            break;
        *v = std::bit_cast<float>(fromLittle32(b));
    }
    return p;
}

uint32_t readBytes(uint32_t count, void* buffer) {
    const uint32_t got = readRaw(buffer, count);
    if (got != count)
        pushError(ERR_READING_FILE);
    return got;
}

bool readString(uint32_t max, std::string& out) {
    out.clear();
    std::string work;
    for (uint32_t i = 0; i <= max; ++i) {
        uint8_t c = 0;
        if (!readExact(&c, 1))
            return false;
        if (c == 0) {
            out = std::move(work);
            return true;
        }
        work.push_back(static_cast<char>(c));
    }
    pushError(ERR_READING_FILE);
    return false;
}

bool readFixedString(uint32_t size, std::string& out) {
    if (size == 0) {
        out.clear();
        return true;
    }
    if (!readString(size - 1, out))
        return false;
    const uint32_t rest = size - 1 - static_cast<uint32_t>(out.size());
    uint8_t sink[64];
    for (uint32_t left = rest; left > 0;) {
        const uint32_t take = left < sizeof sink ? left : static_cast<uint32_t>(sizeof sink);
        if (readRaw(sink, take) != take) {
            pushError(ERR_READING_FILE);
            return false;
        }
        left -= take;
    }
    return true;
}

void readChunkHeader(ChunkNode* node) {
    uint8_t b[4];
    if (!readExact(b, 2))
        return;
    node->id = fromLittle16(b);
    if (!readExact(b, 4))
        return;
    node->length = fromLittle32(b);
}

void readTrackHeader(TrackHeader& h) {
    uint8_t b[4];
    if (!readExact(b, 2))
        return;
    h.flags = fromLittle16(b);
    uint32_t* words[3] = {&h.reserved1, &h.reserved2, &h.keyCount};
    for (uint32_t* w : words) {
        if (!readExact(b, 4))
            return;
        *w = fromLittle32(b);
    }
}

void readKeyHeader(TrackKey& key) {
    uint8_t b[4];
    if (!readExact(b, 4))
        return;
    key.time = fromLittle32(b);
    if (!readExact(b, 2))
        return;
    key.splineFlags = fromLittle16(b);
    float* values[5] = {&key.tension, &key.continuity, &key.bias, &key.easeTo, &key.easeFrom};
    for (int bit = 0; bit < 5; ++bit) {
        if (!(key.splineFlags & (1u << bit)))
            continue;
        if (!readExact(b, 4))
            return;
        *values[bit] = std::bit_cast<float>(fromLittle32(b));
    }
}

} // namespace tds
