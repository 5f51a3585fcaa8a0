// Chunk tree: loading a file's chunk headers into nodes, and the node, database,
// index and string list operations.
#include <new>

#include "tds/chunk/chunk_tree.h"
#include "tds/chunk/keyframer_naming.h"

namespace tds {
namespace {

uint32_t addClamped(uint32_t a, uint32_t b) {
    return b > 0xFFFFFFFFu - a ? 0xFFFFFFFFu : a + b;
}

uint32_t endOf(const ChunkNode* node) {
    return addClamped(node->position, node->length);
}

// The toolkit's record pattern: allocate through a caller's pointer when it is
// none. Returns the record, or nullptr after recording the failure.
template <class T> T* ensureRecord(T** ref) {
    if (!ref) {
        pushError(ERR_INVALID_ARG);
        return nullptr;
    }
    if (!*ref) {
        *ref = new (std::nothrow) T;
        if (!*ref)
            pushError(ERR_NO_MEM);
    }
    return *ref;
}

void freeContents(ChunkDatabase* d) {
    freeChunk(&d->top);
    freeChunkIndex(&d->objectIndex);
    freeChunkIndex(&d->materialIndex);
    freeChunkIndex(&d->nodeIndex);
}

// Moves the read position past the node's own data (the sub-chunk rule). A
// string is skipped up to its zero byte wherever that lies inside the chunk.
void skipOwnData(ChunkNode* node) {
    const uint32_t end = endOf(node);
    const uint32_t here = currentPosition();
    const OwnDataRule rule = ownDataRule(node->id);
    switch (rule.kind) {
    case OwnDataKind::Container:
        return;
    case OwnDataKind::Fixed:
        seekCurrent(addClamped(here, rule.fixedSize));
        return;
    case OwnDataKind::Counted: {
        const uint32_t count = readUint16();
        seekCurrent(addClamped(currentPosition(), count * rule.elementSize));
        return;
    }
    case OwnDataKind::String: {
        seekCurrent(addClamped(here, rule.fixedSize));
        const uint32_t saved = readLimit();
        setReadLimit(end);
        uint8_t c = 1;
        while (c != 0 && readBytes(1, &c) == 1) {
        }
        setReadLimit(saved);
        if (c == 0)
            seekCurrent(addClamped(currentPosition(), rule.suffixSize));
        return;
    }
    case OwnDataKind::WholeChunk:
        seekCurrent(end);
        return;
    }
}

// Reads the children of `node`; the position is just after its header. Under an
// extended-data entry only ids 0x8002-0x800F are taken, at every depth.
void readChildren(ChunkNode* node, uint32_t depth, bool underEntry) {
    makeCurrentFileByIndex(node->fileIndex);
    skipOwnData(node);
    if (mustStop())
        return;
    const uint32_t end = endOf(node);
    ChunkNode* last = node->children;
    while (last && last->next)
        last = last->next;
    while (currentPosition() < end) {
        ChunkNode* child = nullptr;
        newChunk(&child);
        if (!child) {
            pushError(ERR_READING_DATABASE);
            return;
        }
        child->position = currentPosition();
        child->fileIndex = fileTable().currentIndex;
        readChunkHeader(child);
        if (errorPending() && !ignoreErrors()) {
            freeChunk(&child);
            pushError(ERR_READING_DATABASE);
            return;
        }
        if (currentPosition() != addClamped(child->position, 6) || child->length < 6) {
            // A short header or a length that cannot even hold its header would
            // make the reader stand still or step back.
            freeChunk(&child);
            pushError(ERR_INVALID_CHUNK);
            pushError(ERR_READING_DATABASE);
            return;
        }
        if (underEntry) {
            if (child->id < 0x8002 || child->id > 0x800F) {
                freeChunk(&child);
                seekCurrent(end);
                break;
            }
            if (endOf(child) > end) {
                freeChunk(&child);
                continue;
            }
        }
        if (last)
            last->next = child;
        else
            node->children = child;
        last = child;
        if (depth + 1 >= kMaxChunkDepth) {
            pushError(ERR_INVALID_CHUNK);
            pushError(ERR_READING_DATABASE);
            return;
        }
        readChildren(child, depth + 1, underEntry || child->id == CK_EXT_ENTRY);
        if (mustStop()) {
            pushError(ERR_READING_DATABASE);
            return;
        }
    }
}

} // namespace

void newChunk(ChunkNode** node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    *node = new (std::nothrow) ChunkNode;
    if (!*node)
        pushError(ERR_NO_MEM);
}

void freeChunk(ChunkNode** node) {
    if (!node)
        return;
    // Without recursion: a node's children are spliced into the sibling chain
    // ahead of its next sibling, so every node is visited once.
    ChunkNode* n = *node;
    *node = nullptr;
    while (n) {
        if (n->children) {
            ChunkNode* lastChild = n->children;
            while (lastChild->next)
                lastChild = lastChild->next;
            lastChild->next = n->next;
            n->next = n->children;
            n->children = nullptr;
        }
        ChunkNode* following = n->next;
        delete n;
        n = following;
    }
}

void readChunkChildren(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    readChildren(node, 0, false);
}

void readExtEntryChildren(ChunkNode* node) {
    if (!node) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    readChildren(node, 0, true);
}

void createDatabase(ChunkDatabase** db) {
    ChunkDatabase* d = ensureRecord(db);
    if (!d)
        return;
    freeContents(d);
    d->objectIndexStale = d->materialIndexStale = d->nodeIndexStale = true;
}

void readDatabase(ChunkFile* file, ChunkDatabase* db) {
    if (!file || !db) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!(file->mode & kFileModeRead))
        return;
    freeChunk(&db->top);
    newChunk(&db->top);
    if (!db->top) {
        pushError(ERR_CREATING_DATABASE);
        return;
    }
    db->top->fileIndex = file->tableIndex;
    makeCurrentFile(file);
    seekCurrent(0);
    readChunkHeader(db->top);
    if (mustStop()) {
        pushError(ERR_CREATING_DATABASE);
        return;
    }
    const uint32_t kind = db->top->id;
    if (kind != CK_MESH_FILE && kind != CK_PROJECT_FILE && kind != CK_MATERIAL_LIBRARY)
        return;
    readChunkChildren(db->top);
    if (mustStop()) {
        pushError(ERR_CREATING_DATABASE);
        return;
    }
    nameKeyframerNodes(db);
    if (mustStop())
        pushError(ERR_CREATING_DATABASE);
}

void releaseDatabase(ChunkDatabase** db) {
    if (!db || !*db)
        return;
    ChunkDatabase* d = *db;
    freeContents(d);
    delete d;
    *db = nullptr;
}

void findChunk(ChunkNode* node, uint32_t id, ChunkNode** out) {
    if (!out) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    *out = nullptr;
    if (!node)
        return;
    if (node->id == id) {
        *out = node;
        return;
    }
    // Pre-order over the subtree with an explicit stack: children before the
    // following siblings.
    std::vector<ChunkNode*> stack;
    try {
        stack.push_back(node->children);
        while (!stack.empty()) {
            ChunkNode* n = stack.back();
            stack.pop_back();
            if (!n)
                continue;
            if (n->id == id) {
                *out = n;
                return;
            }
            stack.push_back(n->next);
            stack.push_back(n->children);
        }
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

void findNextChunk(ChunkNode* node, uint32_t id, ChunkNode** out) {
    if (!out) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    while (node && node->id != id)
        node = node->next;
    *out = node;
}

void addChildChunk(ChunkNode* parent, ChunkNode* child) {
    if (!parent || !child) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    ChunkNode** link = &parent->children;
    while (*link)
        link = &(*link)->next;
    *link = child;
}

void insertChildChunk(ChunkNode* parent, ChunkNode* child) {
    if (!parent || !child) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!parent->children) {
        parent->children = child;
        return;
    }
    const int weight = chunkPrecedence(child->id);
    ChunkNode* before = nullptr;
    ChunkNode* at = parent->children;
    while (chunkPrecedence(at->id) >= weight && at->next) {
        before = at;
        at = at->next;
    }
    if (chunkPrecedence(at->id) < weight) {
        child->next = at;
        if (before)
            before->next = child;
        else
            parent->children = child;
    } else {
        child->next = at->next;
        at->next = child;
    }
}

namespace {

// A copy of one node without links; the record moves from a file-backed node
// and is duplicated from an in-memory one.
ChunkNode* copyOne(ChunkNode* source) {
    ChunkNode* copy = nullptr;
    newChunk(&copy);
    if (!copy)
        return nullptr;
    copy->id = source->id;
    copy->length = source->length;
    copy->position = source->position;
    copy->fileIndex = source->fileIndex;
    if (source->data) {
        if (source->fileIndex == kNoFileIndex)
            copyChunkData(source, copy);
        else
            copy->data = std::move(source->data);
    }
    return copy;
}

} // namespace

void copyChunk(ChunkNode* node, ChunkNode** copy) {
    if (!node || !copy) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    *copy = copyOne(node);
    if (!*copy || mustStop())
        return;
    struct Frame {
        ChunkNode* nextSource; // next child of the source parent to copy
        ChunkNode* parentCopy;
        ChunkNode* lastCopy;
    };
    try {
        std::vector<Frame> stack{{node->children, *copy, nullptr}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (!f.nextSource) {
                stack.pop_back();
                continue;
            }
            ChunkNode* source = f.nextSource;
            ChunkNode* c = copyOne(source);
            if (!c)
                return;
            if (f.lastCopy)
                f.lastCopy->next = c;
            else
                f.parentCopy->children = c;
            f.lastCopy = c;
            f.nextSource = source->next;
            if (mustStop())
                return;
            if (source->children)
                stack.push_back({source->children, c, nullptr});
        }
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

void allocChunkIndex(ChunkIndex** index, uint32_t count) {
    if (!ensureRecord(index))
        return;
    try {
        (*index)->entries.clear();
        (*index)->entries.resize(count);
        (*index)->count = count;
    } catch (const std::bad_alloc&) {
        (*index)->count = 0;
        pushError(ERR_NO_MEM);
    } catch (const std::length_error&) {
        (*index)->count = 0;
        pushError(ERR_INVALID_ARG);
    }
}

void freeChunkIndex(ChunkIndex** index) {
    if (!index || !*index)
        return;
    delete *index;
    *index = nullptr;
}

void allocStringList(StringList** list) {
    if (!list) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    StringList* l = new (std::nothrow) StringList;
    if (!l) {
        pushError(ERR_NO_MEM);
        return;
    }
    try {
        l->slots.resize(5);
        l->capacity = 5;
    } catch (const std::bad_alloc&) {
        delete l;
        pushError(ERR_NO_MEM);
        return;
    }
    *list = l;
}

void freeStringList(StringList** list) {
    if (!list || !*list)
        return;
    delete *list;
    *list = nullptr;
}

void addToStringList(StringList** list, const char* text) {
    if (!list || !text) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    if (!*list) {
        allocStringList(list);
        if (!*list)
            return;
    }
    StringList* l = *list;
    try {
        if (l->used == l->capacity) {
            l->slots.resize(l->capacity + 5);
            l->capacity += 5;
        }
        l->slots[l->used] = text;
        ++l->used;
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
