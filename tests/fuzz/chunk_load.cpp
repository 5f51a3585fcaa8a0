// Loads arbitrary bytes as a chunk file, decodes every node, copies the tree
// and frees everything.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "tds/chunk/chunk.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/tds_chunk_fuzz_" + std::to_string(getpid()) + ".3ds";
    return path;
}

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
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    tds::clearErrors();
    tds::ChunkFile* file = tds::openChunkFile(scratchPath().c_str(), "rb");
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
    return 0;
}
