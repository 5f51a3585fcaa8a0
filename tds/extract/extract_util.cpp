#include "tds/extract/extract_util.h"

#include "tds/chunk/errors.h"

namespace tds::detail {

ChunkNode* childWithId(const ChunkNode* node, uint32_t id) {
    if (!node)
        return nullptr;
    for (ChunkNode* c = node->children; c; c = c->next)
        if (c->id == id)
            return c;
    return nullptr;
}

bool checkDatabase(const ChunkDatabase* db, std::initializer_list<uint32_t> kinds) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return false;
    }
    if (!db->top) {
        pushError(ERR_INVALID_DATABASE);
        return false;
    }
    for (uint32_t kind : kinds)
        if (db->top->id == kind)
            return true;
    pushError(ERR_WRONG_DATABASE);
    return ignoreErrors();
}

const std::string* objectName(ChunkNode* namedObject) {
    const StringData* s = readChunkDataAs<StringData>(namedObject);
    return s ? &s->value : nullptr;
}

} // namespace tds::detail
