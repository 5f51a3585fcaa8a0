// The rule that turns any 3DS name into a host name of letters, digits and
// underscores.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessoid {

// Name lengths the import cuts to.
constexpr size_t MESH_NAME_MAX = 10;     // meshes, groups, cameras, lights
constexpr size_t MATERIAL_NAME_MAX = 16; // material items
constexpr size_t MESH_MATERIAL_MAX = 17; // material names given to mesh objects

// The first `maximum` characters with every character that is not an ASCII letter
// or digit made "_"; leading underscores removed; an "x" in front of a leading
// digit; "temptex" when no letter or digit is left.
std::string SanitizeName(std::string_view source, size_t maximum);

} // namespace tessoid
