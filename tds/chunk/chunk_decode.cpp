// readChunkData and the record operations: decoding payloads through the chunk
// catalogue, freeing, duplicating and allocating records.
#include <new>

#include "tds/chunk/chunk_catalogue.h"
#include "tds/chunk/chunk_tree.h"

namespace tds {

ChunkData* readChunkData(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return nullptr;
    }
    if (node->data)
        return node->data.get();
    if (node->fileIndex == kNoFileIndex)
        return nullptr; // made in memory: nothing to read
    ChunkFile* file = fileAtIndex(node->fileIndex);
    if (!file || !file->stream || !(file->mode & kFileModeRead)) {
        // The file was closed: reading whatever is current would decode foreign bytes.
        pushError(ERR_READING_FILE);
        return nullptr;
    }
    makeCurrentFile(file);
    seekCurrent(node->position + 6);
    const uint32_t saved = readLimit();
    const uint32_t end =
        node->length > 0xFFFFFFFFu - node->position ? 0xFFFFFFFFu : node->position + node->length;
    setReadLimit(end);
    try {
        node->data = decodeChunkPayload(node->id, {node->length, false});
    } catch (const std::bad_alloc&) {
        node->data.reset();
        pushError(ERR_NO_MEM);
    }
    setReadLimit(saved);
    return node->data.get();
}

void releaseChunkData(ChunkNode* node) {
    if (!node || !node->data)
        return;
    const ChunkFile* file = fileAtIndex(node->fileIndex);
    if (file && file->stream)
        node->data.reset();
}

void freeChunkData(ChunkNode* node) {
    if (node)
        node->data.reset();
}

void allocChunkData(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (node->data)
        return;
    // The decoder runs with no current file, so a layout read from nothing comes
    // out zeroed; the failed reads of that dry run are not errors of the caller.
    ChunkFile* saved = fileTable().current;
    const uint32_t limit = readLimit();
    try {
        const ErrorList before = errorList();
        makeCurrentFile(nullptr);
        std::unique_ptr<ChunkData> r = decodeChunkPayload(node->id, {node->length, true});
        errorList() = before;
        node->data = std::move(r);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
    makeCurrentFile(saved);
    setReadLimit(limit);
}

void copyChunkData(const ChunkNode* source, ChunkNode* target) {
    if (!source || !target) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!source->data || target->data)
        return;
    try {
        target->data = source->data->clone();
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
