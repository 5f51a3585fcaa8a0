// Calling conventions and basic types of the host boundary.
#pragma once

#include <cstdint>

static_assert(sizeof(void*) == 4, "the host boundary is ILP32: build with -m32 or for i686");

// Host slots and the slots we hand to the host use the standard calling
// convention (callee pops); the two exports are cdecl.
#if defined(_WIN32)
#define TESSOID_STDCALL __stdcall
#else
#define TESSOID_STDCALL __attribute__((stdcall))
#endif

#if defined(_WIN32)
#define TESSOID_EXPORT extern "C" __declspec(dllexport)
#else
#define TESSOID_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace tessoid {

// An object of the host's scene; 0 means none.
using HostHandle = uint32_t;

// Result codes of the boundary.
enum : int32_t {
    RESULT_OK = 0,
    RESULT_NULL_RECORD = -1,
    RESULT_WRONG_VERSION = -2,
    RESULT_TOO_SMALL = -3,
    RESULT_BAD_INDEX = -4,
    RESULT_EMPTY_SLOT = -6,
    RESULT_NO_MORE = -30,
};

} // namespace tessoid
