// What the process holds live, counted the same way after every round of a long
// session: a guest that frees what it takes keeps these flat.
#pragma once

#include <cstddef>
#include <string>

namespace host {

struct HeldResources {
    size_t heapBytes = 0;    // bytes in live heap blocks of the whole process
    unsigned windows = 0;    // windows of this thread, top-level and child
    unsigned gdiObjects = 0; // GDI objects of the process (0 where the platform hides them)
    unsigned bitmaps = 0;    // live bitmaps (the Linux stand-in counts them; 0 on Windows)
    unsigned locks = 0;      // locked memory handles (the Linux stand-in; 0 on Windows)
    bool operator==(const HeldResources&) const = default;
};

HeldResources CountHeldResources();
std::string Describe(const HeldResources& held);

} // namespace host
