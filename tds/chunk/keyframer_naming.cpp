// Keyframer naming pass: resolves the numeric parent ids of keyframer nodes into
// CK_PARENT_NAME chunks under each node header.
#include "tds/chunk/keyframer_naming.h"

#include <string>
#include <vector>

#include "tds/chunk/chunk_tree.h"

namespace tds {
namespace {

struct NodeNameEntry {
    int16_t nodeId = -1;
    uint32_t tag = 0;
    std::string nodeName;
    int16_t parentId = -1;
    bool hasInstanceName = false;
    std::string instanceName;
};

// The order in which node kinds get their parent names.
constexpr uint16_t kNodeTags[] = {CK_NODE_CAMERA_TARGET, CK_NODE_OBJECT,       CK_NODE_CAMERA,
                                  CK_NODE_LIGHT,         CK_NODE_LIGHT_TARGET, CK_NODE_SPOTLIGHT};

bool isNodeTag(uint32_t id) {
    for (uint16_t tag : kNodeTags)
        if (tag == id)
            return true;
    return false;
}

// The first direct child of `node` with `id` (a node's own chunks are flat).
ChunkNode* childWithId(ChunkNode* node, uint32_t id) {
    ChunkNode* found = nullptr;
    findNextChunk(node->children, id, &found);
    return found;
}

void buildTable(ChunkNode* keyframer, std::vector<NodeNameEntry>& table) {
    for (ChunkNode* node = keyframer->children; node; node = node->next) {
        if (!isNodeTag(node->id))
            continue;
        ChunkNode* headerChunk = nullptr;
        findChunk(node, CK_NODE_HEADER, &headerChunk);
        const auto* header = headerChunk ? readChunkDataAs<NodeHeaderData>(headerChunk) : nullptr;
        if (!header)
            continue;
        NodeNameEntry entry;
        entry.nodeName = header->name;
        entry.tag = node->id;
        entry.parentId = header->parentId;
        if (ChunkNode* idChunk = childWithId(node, CK_NODE_ID)) {
            if (const auto* id = readChunkDataAs<Int16Data>(idChunk))
                entry.nodeId = id->value;
            releaseChunkData(idChunk);
        }
        if (node->id == CK_NODE_OBJECT) {
            if (ChunkNode* instance = childWithId(node, CK_INSTANCE_NAME)) {
                if (const auto* name = readChunkDataAs<StringData>(instance)) {
                    entry.hasInstanceName = true;
                    entry.instanceName = name->value;
                }
                releaseChunkData(instance);
            }
        }
        releaseChunkData(headerChunk);
        table.push_back(std::move(entry));
    }
}

const NodeNameEntry* entryById(const std::vector<NodeNameEntry>& table, int16_t id) {
    for (const NodeNameEntry& e : table)
        if (e.nodeId == id)
            return &e;
    return nullptr;
}

void writeParentName(ChunkNode* headerChunk, const std::string& parentName) {
    ChunkNode* existing = nullptr;
    findChunk(headerChunk, CK_PARENT_NAME, &existing);
    if (existing) {
        if (auto* record = readChunkDataAs<StringData>(existing))
            record->value = parentName;
        return;
    }
    ChunkNode* chunk = nullptr;
    newChunk(&chunk);
    if (!chunk)
        return;
    chunk->id = CK_PARENT_NAME;
    allocChunkData(chunk);
    if (auto* record = chunkDataAs<StringData>(chunk->data.get()))
        record->value = parentName;
    insertChildChunk(headerChunk, chunk);
}

void nameNodes(ChunkNode* keyframer, const std::vector<NodeNameEntry>& table) {
    for (uint16_t tag : kNodeTags) {
        ChunkNode* node = nullptr;
        findChunk(keyframer, tag, &node);
        for (; node; findNextChunk(node->next, tag, &node)) {
            ChunkNode* headerChunk = nullptr;
            findChunk(node, CK_NODE_HEADER, &headerChunk);
            ChunkNode* idChunk = childWithId(node, CK_NODE_ID);
            if (!headerChunk || !idChunk)
                continue;
            const auto* id = readChunkDataAs<Int16Data>(idChunk);
            if (!id)
                continue;
            const NodeNameEntry* self = entryById(table, id->value);
            if (!self || self->parentId == -1)
                continue;
            const NodeNameEntry* parent = entryById(table, self->parentId);
            if (!parent)
                continue;
            writeParentName(headerChunk, parent->hasInstanceName
                                             ? parent->nodeName + "." + parent->instanceName
                                             : parent->nodeName);
            if (mustStop())
                return;
        }
    }
}

} // namespace

void nameKeyframerNodes(ChunkDatabase* db) {
    if (!db) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    ChunkNode* keyframer = nullptr;
    findChunk(db->top, CK_KEYFRAMER, &keyframer);
    if (!keyframer)
        return;
    try {
        std::vector<NodeNameEntry> table;
        buildTable(keyframer, table);
        bool renumber = false;
        for (const NodeNameEntry& e : table)
            renumber = renumber || e.nodeId == -1;
        if (renumber)
            for (size_t i = 0; i < table.size(); ++i)
                table[i].nodeId = static_cast<int16_t>(i);
        nameNodes(keyframer, table);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
