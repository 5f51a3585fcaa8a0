// A 64-bit FNV-1a digest, printed as 16 hex digits: pins large outputs (arrays, scene
// text) of the real-world files in small golden tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace testdigest {

class Fnv1a {
  public:
    void add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash_ ^= p[i];
            hash_ *= 0x100000001b3ull;
        }
    }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

  private:
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

} // namespace testdigest
