// Save and Load of a mesh object through the host's stream functions.
//
// Version 4 layout: version byte, 256-byte name, then counted arrays of
// vertices, faces, edges, normals and uvs, the smoothing angle and the invert
// flag. Versions 0 to 2 store coordinates as doubles; versions 0 to 3 have no
// invert flag.
//
// Load trusts nothing: a count that is negative or would pass the byte limit
// leaves no way to find the items after it, so the object keeps its name and
// drops all geometry; indices outside the vertex array are dropped by the class
// invariant check. The stream function's result carries no agreed meaning, so a
// short read is not detected; it reads as the preset fill (zeros, or -1 for
// edges) and a count of zero ends that array.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

uint32_t loadByteLimit = DEFAULT_LOAD_BYTE_LIMIT;

// Items decoded per stream call while loading, so memory grows only as data comes in.
constexpr uint32_t LOAD_CHUNK_ITEMS = 4096;

} // namespace

void SetLoadByteLimit(uint32_t bytes) {
    loadByteLimit = bytes;
}
uint32_t LoadByteLimit() {
    return loadByteLimit;
}

int32_t TessoidObject::Save() {
    loadArgument = 0;
    const uint8_t version = STREAM_VERSION;
    streamWrite(&version, 1);
    streamWrite(sourceName, SOURCE_NAME_SIZE);

    auto writeArray = [this](const auto& items) {
        const int32_t count = static_cast<int32_t>(items.size());
        streamWrite(&count, sizeof(count));
        if (!items.empty())
            streamWrite(items.data(), static_cast<uint32_t>(items.size() * sizeof(items[0])));
    };
    writeArray(vertices);
    writeArray(faces);
    writeArray(edges);
    writeArray(normals);
    writeArray(uvs);
    streamWrite(&smoothAngle, sizeof(smoothAngle));
    streamWrite(&invert, sizeof(invert));
    return 0;
}

namespace {

// One array's reading rules: bytes per item in the stream and how to decode one.
struct FloatTriples {
    bool wide; // versions 0 to 2: three float64
    uint32_t streamBytes() const { return wide ? 24 : 12; }
    static constexpr uint8_t fill = 0;
    Float3 decode(const uint8_t* p) const {
        if (!wide) {
            Float3 f;
            std::memcpy(&f, p, sizeof(f));
            return f;
        }
        double d[3];
        std::memcpy(d, p, sizeof(d));
        return {static_cast<float>(d[0]), static_cast<float>(d[1]), static_cast<float>(d[2])};
    }
};

template <typename T, uint8_t Fill> struct RawItems {
    uint32_t streamBytes() const { return sizeof(T); }
    static constexpr uint8_t fill = Fill;
    T decode(const uint8_t* p) const {
        T t;
        std::memcpy(&t, p, sizeof(t));
        return t;
    }
};

} // namespace

int32_t TessoidObject::Load() {
    uint8_t version = 0;
    streamRead(&version, 1);
    char name[SOURCE_NAME_SIZE];
    streamRead(name, sizeof(name));
    name[SOURCE_NAME_SIZE - 1] = '\0';
    SetSourceName(name);

    vertices.clear();
    faces.clear();
    edges.clear();
    normals.clear();
    uvs.clear();
    smoothAngle = 0.0;
    invert = 0;
    // A newer layout than ours cannot be read item by item.
    if (version > STREAM_VERSION)
        return 0;

    uint32_t budget = loadByteLimit;
    std::vector<uint8_t> chunk;
    bool trusted = true;

    // Reads a count and its items into `out`; false when the count cannot be trusted.
    auto readArray = [&](auto& out, const auto& rule) {
        using Item = typename std::decay_t<decltype(out)>::value_type;
        int32_t count = 0;
        streamRead(&count, sizeof(count));
        if (count < 0 || static_cast<uint32_t>(count) > budget / sizeof(Item))
            return false;
        budget -= static_cast<uint32_t>(count) * sizeof(Item);
        const uint32_t itemBytes = rule.streamBytes();
        uint32_t left = static_cast<uint32_t>(count);
        out.reserve(std::min(left, LOAD_CHUNK_ITEMS));
        while (left > 0) {
            const uint32_t n = std::min(left, LOAD_CHUNK_ITEMS);
            chunk.resize(static_cast<size_t>(n) * itemBytes);
            streamRead(chunk.data(), n * itemBytes, rule.fill);
            for (uint32_t i = 0; i < n; ++i)
                out.push_back(rule.decode(chunk.data() + static_cast<size_t>(i) * itemBytes));
            left -= n;
        }
        return true;
    };

    const FloatTriples triples{version <= 2};
    trusted = readArray(vertices, triples) && readArray(faces, RawItems<IndexTriple, 0>{}) &&
              readArray(edges, RawItems<EdgePair, 0xff>{}) && readArray(normals, triples) &&
              readArray(uvs, triples);
    if (!trusted) {
        std::vector<Float3>().swap(vertices);
        std::vector<IndexTriple>().swap(faces);
        std::vector<EdgePair>().swap(edges);
        std::vector<Float3>().swap(normals);
        std::vector<Float3>().swap(uvs);
        return 0;
    }
    streamRead(&smoothAngle, sizeof(smoothAngle));
    if (!std::isfinite(smoothAngle))
        smoothAngle = 0.0;
    if (version >= 4) {
        streamRead(&invert, sizeof(invert));
        invert = invert != 0;
    }
    dropUntrustedArrays();
    assert(ArraysAreConsistent());
    return 0;
}

} // namespace tessoid
