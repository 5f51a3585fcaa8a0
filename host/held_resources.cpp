#include "host/held_resources.h"

namespace host {

std::string Describe(const HeldResources& h) {
    return std::to_string(h.heapBytes) + " heap bytes, " + std::to_string(h.windows) +
           " windows, " + std::to_string(h.gdiObjects) + " GDI objects, " +
           std::to_string(h.bitmaps) + " bitmaps, " + std::to_string(h.locks) + " locks";
}

} // namespace host
