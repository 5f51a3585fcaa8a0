// Flag chunks the extractors test for presence only. They are outside the chunk
// catalogue (their payload, if any, is decoded generically), so they are named here.
#pragma once

#include <cstdint>

namespace tds::detail {

// Material entry flags.
inline constexpr uint16_t CK_MAT_SELF_ILLUM_ON = 0xA080;
inline constexpr uint16_t CK_MAT_TWO_SIDED = 0xA081;
inline constexpr uint16_t CK_MAT_ADDITIVE = 0xA083;
inline constexpr uint16_t CK_MAT_WIRE = 0xA085;
inline constexpr uint16_t CK_MAT_FACE_MAP = 0xA088;
inline constexpr uint16_t CK_MAT_FALLOFF_IN = 0xA08A;
inline constexpr uint16_t CK_MAT_SOFTEN = 0xA08C;
inline constexpr uint16_t CK_MAT_WIRE_ABSOLUTE = 0xA08E;
inline constexpr uint16_t CK_MAT_USE_FALLOFF = 0xA240;
inline constexpr uint16_t CK_MAT_USE_REFLECT_BLUR = 0xA250;

// Light flags.
inline constexpr uint16_t CK_LIGHT_OFF = 0x4620;
inline constexpr uint16_t CK_LIGHT_ATTENUATE = 0x4625;
inline constexpr uint16_t CK_SPOT_RAY_SHADOWS = 0x4627;
inline constexpr uint16_t CK_SPOT_SHADOWED = 0x4630;
inline constexpr uint16_t CK_SPOT_SHADOWED_ALT = 0x4640;
inline constexpr uint16_t CK_SPOT_SEE_CONE = 0x4650;
inline constexpr uint16_t CK_SPOT_RECTANGULAR = 0x4651;
inline constexpr uint16_t CK_SPOT_OVERSHOOT = 0x4652;

// Camera flag.
inline constexpr uint16_t CK_CAMERA_SEE_CONE = 0x4710;

} // namespace tds::detail
