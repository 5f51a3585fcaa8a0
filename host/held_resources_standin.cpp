// Held resources on Linux: the heap's live bytes and the Win32 stand-in's counts.
#include <malloc.h>

#include "host/held_resources.h"
#include "platform/standin_control.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace host {

HeldResources CountHeldResources() {
    HeldResources held;
#if defined(__SANITIZE_ADDRESS__)
    held.heapBytes = __sanitizer_get_current_allocated_bytes();
#else
    held.heapBytes = mallinfo2().uordblks;
#endif
    held.windows = standin::WindowCount();
    held.gdiObjects = standin::GdiObjectCount();
    held.bitmaps = standin::BitmapCount();
    held.locks = standin::LockCount();
    return held;
}

} // namespace host
