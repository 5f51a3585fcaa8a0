// Loads arbitrary bytes as a chunk file, decodes every node, copies the tree
// and frees everything.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "scratch_file.h"
#include "tds/chunk/chunk.h"

namespace {

void decodeAll(tds::ChunkNode* top) {
    std::vector<tds::ChunkNode*> stack{top};
    while (!stack.empty()) {
        tds::ChunkNode* n = stack.back();
        stack.pop_back();
        tds::readChunkData(n);
        tds::clearErrors();
        for (tds::ChunkNode* c = n->children; c; c = c->next)
            stack.push_back(c);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz::writeScratch("tds_chunk_fuzz", data, size);
    if (!path)
        return 0;
    tds::clearErrors();
    tds::ChunkFile* file = tds::openChunkFile(path, "rb");
    if (!file)
        return 0;
    tds::ChunkDatabase* db = nullptr;
    tds::createDatabase(&db);
    tds::readDatabase(file, db);
    tds::clearErrors();
    if (db && db->top) {
        decodeAll(db->top);
        tds::ChunkNode* copy = nullptr;
        tds::copyChunk(db->top, &copy);
        decodeAll(db->top); // records moved into the copy decode again
        tds::freeChunk(&copy);
        tds::nameKeyframerNodes(db);
    }
    tds::releaseDatabase(&db);
    tds::closeChunkFile(file);
    tds::clearErrors();
    std::remove(path);
    return 0;
}
