// Shared state of the stand-in's KERNEL32 and USER32 halves. Not for the plug-in.
#pragma once

#include "platform/resource_format.h"
#include "platform/win32.h"

#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct Module {
    HMODULE handle = nullptr;
    std::string name;
    std::vector<uint8_t> image; // the .res bytes, owned
    std::vector<ResEntry> entries;
    bool threadCallsDisabled = false;
};

// Guards the module table and the logs. Never held while calling into plug-in code.
std::recursive_mutex& StateLock();

// Under StateLock.
Module* FindModule(HMODULE handle);
// A resource of the module by type and name as the A functions take them (an integer
// resource, "#123", or a case-insensitive name). Under StateLock.
const ResEntry* FindEntry(const Module& module, LPCSTR name, LPCSTR type);
// The module whose image holds [p, p + 1), and the entry around it, for templates
// handed over without a size. Under StateLock.
const ResEntry* EntryContaining(const void* p, const Module** module);

bool EchoOn();
// Called when a module goes away, so USER32 can drop what it loaded from it.
void ForgetModuleObjects(HMODULE module);

} // namespace standin
