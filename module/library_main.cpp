// Library start and stop: DllMain on Windows; on Linux the shared object's
// constructor and destructor, with the module handle the Win32 stand-in gives
// for our embedded resources. The module is the one place that knows every layer, so
// it also connects the ones that must not include each other.
#include "plugin/plugin_state.h"
#include "tessellate/is_tessellable.h"
#include "tessellate/tessellation.h"
#include "tessoid/creation.h"

namespace {

void attach(HMODULE module) {
    tessoid::LibraryAttach(module);
    tessoid::GiveCurrentObjectTessellation(
        {tessoid::IsTessellable, tessoid::tessellateCurrentObject});
}

} // namespace

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        attach(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        tessoid::LibraryDetach();
    }
    return TRUE;
}

#else

#include "platform/standin_control.h"
#include "resources/embedded_resources.h"

namespace {

__attribute__((constructor)) void attachLibrary() {
    unsigned size = 0;
    const unsigned char* bytes = TessoidResourceBytes(&size);
    HMODULE module = Win32StandIn_RegisterModule("Tessoid", bytes, size);
    attach(module);
    DisableThreadLibraryCalls(module);
}

__attribute__((destructor)) void detachLibrary() {
    HMODULE module = tessoid::State().module;
    tessoid::LibraryDetach();
    Win32StandIn_UnregisterModule(module);
}

} // namespace

#endif
