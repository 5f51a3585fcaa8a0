// Builds small .res images by hand, for resources the real tessoid.rc does not have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testres {

struct Item {
    std::string typeName; // empty: use typeId
    uint16_t typeId = 0;
    std::string name; // empty: use nameId
    uint16_t nameId = 0;
    std::vector<uint8_t> data;
};

inline void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, uint16_t(v));
    put16(b, uint16_t(v >> 16));
}

inline void putWide(std::vector<uint8_t>& b, const std::string& s) {
    for (unsigned char c : s)
        put16(b, c);
    put16(b, 0);
}

inline void align4(std::vector<uint8_t>& b) {
    while (b.size() % 4)
        b.push_back(0);
}

inline void putNameOrId(std::vector<uint8_t>& b, const std::string& name, uint16_t id) {
    if (name.empty()) {
        put16(b, 0xFFFF);
        put16(b, id);
    } else {
        putWide(b, name);
    }
}

// The empty leading entry, then each item with its header, DWORD-aligned.
inline std::vector<uint8_t> Image(const std::vector<Item>& items) {
    std::vector<uint8_t> out;
    std::vector<Item> all;
    all.push_back(Item{});
    all.insert(all.end(), items.begin(), items.end());
    for (const Item& it : all) {
        std::vector<uint8_t> head;
        putNameOrId(head, it.typeName, it.typeId);
        putNameOrId(head, it.name, it.nameId);
        align4(head);
        put32(head, 0);      // data version
        put16(head, 0x1030); // memory flags
        put16(head, 0x0409); // language
        put32(head, 0);
        put32(head, 0);
        put32(out, uint32_t(it.data.size()));
        put32(out, uint32_t(head.size() + 8));
        out.insert(out.end(), head.begin(), head.end());
        out.insert(out.end(), it.data.begin(), it.data.end());
        align4(out);
    }
    return out;
}

} // namespace testres
