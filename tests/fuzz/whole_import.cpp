// The plug-in's import command on arbitrary bytes as a file of one format
// (IMPORT_EXTENSION), run as the host runs it: the command, the driver, the record
// conversion and every builder call reach the reference host's strict services.
// Any misuse they record, and any contract the host checks afterwards (child lists
// closed, meshes filled to what they allocated, every mesh object drawable), aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/contract_check.h"
#include "host/plugin_host.h"
#include "platform/standin_control.h"
#include "plugin/exports.h"
#include "plugin/plugin_state.h"
#include "resources/embedded_resources.h"
#include "scratch_file.h"

namespace {

// The library's start-up, as the shared object's constructor runs it.
bool startLibrary() {
    unsigned size = 0;
    const unsigned char* bytes = TessoidResourceBytes(&size);
    tessoid::LibraryAttach(Win32StandIn_RegisterModule("Tessoid", bytes, size));
    return true;
}

[[noreturn]] void broken(const std::string& what) {
    std::fprintf(stderr, "whole import: %s\n", what.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = startLibrary();
    (void)started;
    const char* path = fuzz::writeScratch("whole_import", data, size, IMPORT_EXTENSION);
    if (!path)
        return 0;
    {
        host::PluginHost h;
        if (!h.attach(GetDLLInfo, GetInterfaceFunctions))
            broken(h.error());
        h.chosenFile = path;
        h.runImportCommand();
        if (!h.misuses.empty())
            broken(h.misuses.front());
        for (const std::string& b : host::ContractBreaks(h))
            broken(b);
    } // the host destroys every mesh object it holds
    standin::ClearDebugLog();
    standin::ClearMessageBoxLog();
    std::remove(path);
    return 0;
}
