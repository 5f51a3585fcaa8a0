// Small types shared by the extraction records.
#pragma once

#include <cstdint>

namespace tds {

// Size of the fixed name fields, with room for the terminating zero.
inline constexpr uint32_t kObjectNameSize = 11;   // object names: 10 characters
inline constexpr uint32_t kMaterialNameSize = 17; // material names: 16 characters
inline constexpr uint32_t kFileNameSize = 13;     // map file names: 12 characters

// A colour with components in 0..1 (file values are kept as read).
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

} // namespace tds
