#include "plugin/plugin_state.h"

#include <cstdlib>

namespace tessoid {

PluginState& State() {
    static PluginState state;
    return state;
}

void LibraryAttach(HMODULE module) {
    PluginState& state = State();
    state.module = module;
    InitializeCriticalSection(&state.windowCreationLock);
    state.lockReady = true;
    state.hostInterface = nullptr;
    state.fileTypeInterface = nullptr;
}

void LibraryDetach() {
    PluginState& state = State();
    state.hostInterface = nullptr;
    state.fileTypeInterface = nullptr;
    if (state.lockReady) {
        DeleteCriticalSection(&state.windowCreationLock);
        state.lockReady = false;
    }
    std::free(state.info);
    state.info = nullptr;
}

WindowCreationLock::WindowCreationLock() {
    EnterCriticalSection(&State().windowCreationLock);
}
WindowCreationLock::~WindowCreationLock() {
    LeaveCriticalSection(&State().windowCreationLock);
}

} // namespace tessoid
