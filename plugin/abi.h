// Calling conventions and basic types of the host boundary.
#pragma once

#include <cstdint>

// The modeller is a 32-bit program: its records have 4-byte pointers, and every byte
// offset pinned in plugin/ is its contract there (the DLL, and linux32 which mirrors it).
// A native 64-bit Linux build lays the same structs out with 8-byte pointers; host and
// plug-in are then built from these same headers, so they agree without the pins.
#if UINTPTR_MAX == 0xFFFFFFFFu
#define TESSOID_ILP32 1
#else
#define TESSOID_ILP32 0
#endif
static_assert(TESSOID_ILP32 || sizeof(void*) == 8, "the boundary is ILP32, or LP64 on Linux");
#if defined(_WIN32) && !TESSOID_ILP32
#error "the Windows plug-in is a 32-bit DLL: build for i686"
#endif

// A layout pin of the modeller's records: in force wherever pointers are 4 bytes.
#define TESSOID_PIN_LAYOUT(condition) static_assert(!TESSOID_ILP32 || (condition), #condition)

// The modeller's records put doubles on 4-byte boundaries (packed to 4, so that g++ -m32
// and MinGW agree). A 64-bit build's records are its own, so there they keep the natural
// alignment, which code that takes a reference to a member needs.
#if TESSOID_ILP32
#define TESSOID_PACK_BEGIN _Pragma("pack(push, 4)")
#else
#define TESSOID_PACK_BEGIN _Pragma("pack(push)")
#endif
#define TESSOID_PACK_END _Pragma("pack(pop)")

// Host slots and the slots we hand to the host use the standard calling
// convention (callee pops); the two exports are cdecl. x86-64 has one convention.
#if defined(_WIN32)
#define TESSOID_STDCALL __stdcall
#elif TESSOID_ILP32
#define TESSOID_STDCALL __attribute__((stdcall))
#else
#define TESSOID_STDCALL
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
