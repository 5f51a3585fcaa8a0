// Held resources on Windows: the busy blocks of every heap of the process, the
// thread's windows and the process's GDI objects. Wine answers 0 for GDI objects;
// bitmaps and locks are not countable from outside and stay 0.
#include <windows.h>

#include <vector>

#include "host/held_resources.h"

namespace host {

namespace {

size_t busyBytes(HANDLE heap) {
    size_t bytes = 0;
    if (!HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            bytes += entry.cbData;
    HeapUnlock(heap);
    return bytes;
}

BOOL CALLBACK countChild(HWND, LPARAM count) {
    ++*reinterpret_cast<unsigned*>(count);
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM count) {
    ++*reinterpret_cast<unsigned*>(count);
    EnumChildWindows(window, countChild, count);
    return TRUE;
}

} // namespace

HeldResources CountHeldResources() {
    HeldResources held;
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps)
        held.heapBytes += busyBytes(heap);
    EnumThreadWindows(GetCurrentThreadId(), countTopLevel, reinterpret_cast<LPARAM>(&held.windows));
    held.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return held;
}

} // namespace host
