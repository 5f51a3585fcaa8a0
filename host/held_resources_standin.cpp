// Held resources on Linux: the heap's live bytes and the Win32 stand-in's counts.
#include <malloc.h>

#include <cstdlib>

#include "host/held_resources.h"
#include "platform/standin_control.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace host {

#if !defined(__SANITIZE_ADDRESS__)
namespace {

// The C library keeps a few freed chunks of each small size in a per-thread cache and
// counts them as in use, so how many happen to be cached would move the count from one
// measurement to the next. Filling every bin of that cache first (glibc's defaults: 7
// chunks per bin, requests up to 1032 bytes, bins 16 bytes apart) adds the same amount
// each time. Every chunk taken is given back.
void fillThreadCache() {
    constexpr int CHUNKS_PER_BIN = 7;
    constexpr size_t LARGEST_CACHED_REQUEST = 1032;
    constexpr size_t BIN_STEP = 8; // half the bins' spacing: every bin is met
    void* chunks[CHUNKS_PER_BIN];
    for (size_t request = 1; request <= LARGEST_CACHED_REQUEST; request += BIN_STEP) {
        for (void*& chunk : chunks)
            chunk = std::malloc(request);
        for (void* chunk : chunks)
            std::free(chunk);
    }
}

} // namespace
#endif

HeldResources CountHeldResources() {
    HeldResources held;
#if defined(__SANITIZE_ADDRESS__)
    held.heapBytes = __sanitizer_get_current_allocated_bytes();
#else
    fillThreadCache();
    held.heapBytes = mallinfo2().uordblks;
#endif
    held.windows = standin::WindowCount();
    held.gdiObjects = standin::GdiObjectCount();
    held.bitmaps = standin::BitmapCount();
    held.locks = standin::LockCount();
    return held;
}

} // namespace host
