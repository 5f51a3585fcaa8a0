#include "host/library_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host {

LibraryLoader::~LibraryLoader() {
    close();
}

bool LibraryLoader::open(const std::string& path) {
    close();
#if defined(_WIN32)
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (!handle_)
        error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        error_ = dlerror();
#endif
    return handle_ != nullptr;
}

void* LibraryLoader::symbol(const char* name) const {
    if (!handle_)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

void LibraryLoader::close() {
    if (!handle_)
        return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

} // namespace host
