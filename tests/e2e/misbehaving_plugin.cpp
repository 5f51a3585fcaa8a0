// A plug-in that breaks the host contract on purpose, for the command-line host's exit
// code 3: it is the real plug-in (loaded from beside this module) with its import command
// wrapped so that, after a real import, it asks for the record of an object that does not
// exist with a record it never prepared.
#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "plugin/abi.h"
#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"

using namespace tessoid;

namespace {

using GetDLLInfoFn = int32_t (*)(PluginInfo**);
using GetInterfaceFunctionsFn = int32_t (*)(int32_t, void*);

void* realPlugin() {
    static void* module = [] {
        Dl_info self{};
        dladdr(reinterpret_cast<void*>(&realPlugin), &self);
        std::string path = self.dli_fname ? self.dli_fname : "";
        path = path.substr(0, path.find_last_of('/') + 1) + "libTessoid.so";
        return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }();
    return module;
}

template <typename Fn> Fn realExport(const char* name) {
    void* module = realPlugin();
    return module ? reinterpret_cast<Fn>(dlsym(module, name)) : nullptr;
}

HostInterface* gServices = nullptr;
ImportCommandFn gRealImport = nullptr;

int32_t TESSOID_STDCALL misbehavingImport() {
    const int32_t result = gRealImport ? gRealImport() : 0;
    HostObjectRecord unprepared{};
    if (gServices && gServices->getObjectInfo)
        gServices->getObjectInfo(0x7fffffff, &unprepared);
    return result;
}

} // namespace

TESSOID_EXPORT int32_t GetDLLInfo(PluginInfo** out) {
    auto real = realExport<GetDLLInfoFn>("GetDLLInfo");
    return real ? real(out) : 0;
}

TESSOID_EXPORT int32_t GetInterfaceFunctions(int32_t index, void* record) {
    auto real = realExport<GetInterfaceFunctionsFn>("GetInterfaceFunctions");
    if (!real)
        return -1;
    const int32_t result = real(index, record);
    if (index == 0)
        gServices = static_cast<HostInterface*>(record);
    if (index == 2 && record) {
        auto* importer = static_cast<ImporterInterface*>(record);
        gRealImport = importer->importCommand;
        importer->importCommand = misbehavingImport;
    }
    return result;
}
