// Process-wide state of the library: module handle, the window-creation lock
// and the host records it keeps.
#pragma once

#include "platform/win32.h"
#include "plugin/interface_records.h"

namespace tessoid {

struct PluginState {
    HMODULE module = nullptr;
    CRITICAL_SECTION windowCreationLock{};
    bool lockReady = false;
    PluginInfo* info = nullptr;
    HostInterface* hostInterface = nullptr;
    FileTypeInterface* fileTypeInterface = nullptr;
};

PluginState& State();

// Library start and stop, run from DllMain (Windows) or the shared object's
// constructor and destructor (Linux).
void LibraryAttach(HMODULE module);
void LibraryDetach();

// Guards the list through which a new dialog or page window finds its object.
class WindowCreationLock {
  public:
    WindowCreationLock();
    ~WindowCreationLock();
    WindowCreationLock(const WindowCreationLock&) = delete;
    WindowCreationLock& operator=(const WindowCreationLock&) = delete;
};

} // namespace tessoid
