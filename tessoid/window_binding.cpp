#include "tessoid/window_binding.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "plugin/plugin_state.h"

namespace tessoid {

namespace {

std::vector<std::pair<DWORD, void*>>& entries() {
    static std::vector<std::pair<DWORD, void*>> list;
    return list;
}

// The lock exists only while the library is attached; without it no host runs.
template <typename F> auto underLock(F f) {
    if (!State().lockReady)
        return f();
    WindowCreationLock lock;
    return f();
}

} // namespace

void RegisterWindowCreation(void* object) {
    const DWORD thread = GetCurrentThreadId();
    underLock([&] {
        auto& list = entries();
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const auto& e) { return e.first == thread; });
        if (it != list.end())
            it->second = object;
        else
            list.emplace_back(thread, object);
        return 0;
    });
}

void* TakeWindowCreation() {
    const DWORD thread = GetCurrentThreadId();
    return underLock([&]() -> void* {
        auto& list = entries();
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const auto& e) { return e.first == thread; });
        if (it == list.end())
            return nullptr;
        void* object = it->second;
        list.erase(it);
        return object;
    });
}

} // namespace tessoid
