// KERNEL32 half of the stand-in: debug output, critical sections, modules and
// resources, process and thread identity.
#include "platform/standin_control.h"
#include "platform/standin_internal.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>

namespace standin {

namespace {

struct KernelState {
    std::vector<std::string> debugLog;
    std::map<uintptr_t, std::unique_ptr<Module>> modules;
    uintptr_t nextModule = 0x10000000;
    unsigned liveLocks = 0; // critical sections initialised and not yet deleted
};

KernelState& kernel() {
    static KernelState* state = new KernelState; // outlives every static destructor
    return *state;
}

std::atomic<bool> g_echo{false};

// "#123" names an integer resource, as FindResourceA reads it.
bool parseResName(LPCSTR given, ResName* out) {
    if (IS_INTRESOURCE(given)) {
        out->isId = true;
        out->id = LOWORD(given);
        return true;
    }
    if (given == nullptr)
        return false;
    if (given[0] == '#') {
        unsigned long v = 0;
        const char* p = given + 1;
        if (*p == '\0')
            return false;
        for (; *p; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            v = v * 10 + unsigned(*p - '0');
            if (v > 0xFFFF)
                return false;
        }
        out->isId = true;
        out->id = static_cast<uint16_t>(v);
        return true;
    }
    out->isId = false;
    out->text = given;
    for (char& c : out->text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return true;
}

bool sameName(const ResName& a, const ResName& b) {
    return a.isId == b.isId && (a.isId ? a.id == b.id : a.text == b.text);
}

} // namespace

std::recursive_mutex& StateLock() {
    static std::recursive_mutex* lock = new std::recursive_mutex;
    return *lock;
}

bool EchoOn() {
    return g_echo.load();
}

Module* FindModule(HMODULE handle) {
    auto& mods = kernel().modules;
    auto it = mods.find(reinterpret_cast<uintptr_t>(handle));
    return it == mods.end() ? nullptr : it->second.get();
}

const ResEntry* FindEntry(const Module& module, LPCSTR name, LPCSTR type) {
    ResName n, t;
    if (!parseResName(name, &n) || !parseResName(type, &t))
        return nullptr;
    for (const ResEntry& e : module.entries)
        if (sameName(e.type, t) && sameName(e.name, n))
            return &e;
    return nullptr;
}

const ResEntry* EntryContaining(const void* p, const Module** module) {
    auto at = reinterpret_cast<uintptr_t>(p);
    for (auto& [handle, mod] : kernel().modules) {
        if (mod->image.empty())
            continue;
        auto begin = reinterpret_cast<uintptr_t>(mod->image.data());
        if (at < begin || at >= begin + mod->image.size())
            continue;
        for (const ResEntry& e : mod->entries) {
            if (at >= begin + e.offset && at < begin + e.offset + e.size) {
                *module = mod.get();
                return &e;
            }
        }
    }
    return nullptr;
}

std::vector<std::string> DebugLog() {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    return kernel().debugLog;
}

std::string DebugText() {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    std::string all;
    for (const std::string& line : kernel().debugLog)
        all += line;
    return all;
}

void ClearDebugLog() {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    kernel().debugLog.clear();
}

void SetEcho(bool on) {
    g_echo.store(on);
}

bool IsModule(HMODULE module) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    return FindModule(module) != nullptr;
}

std::string ModuleName(HMODULE module) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    Module* m = FindModule(module);
    return m ? m->name : std::string();
}

bool ThreadCallsDisabled(HMODULE module) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    Module* m = FindModule(module);
    return m && m->threadCallsDisabled;
}

unsigned LockCount() {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    return kernel().liveLocks;
}

} // namespace standin

using namespace standin;

extern "C" {

HMODULE Win32StandIn_RegisterModule(const char* name, const void* resBytes, unsigned resSize) {
    auto mod = std::make_unique<Module>();
    mod->name = name ? name : "";
    if (resBytes == nullptr && resSize != 0)
        return nullptr;
    mod->image.assign(static_cast<const uint8_t*>(resBytes),
                      static_cast<const uint8_t*>(resBytes) + resSize);
    std::string error;
    if (!ParseResImage(mod->image.data(), mod->image.size(), &mod->entries, &error)) {
        std::fprintf(stderr, "win32 stand-in: resources of module '%s' are malformed: %s\n",
                     mod->name.c_str(), error.c_str());
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> g(StateLock());
    KernelState& k = kernel();
    // Module handles are never reused, so a stale handle stays invalid.
    uintptr_t value = k.nextModule;
    k.nextModule += 0x10000;
    mod->handle = reinterpret_cast<HMODULE>(value);
    HMODULE handle = mod->handle;
    k.modules.emplace(value, std::move(mod));
    return handle;
}

BOOL Win32StandIn_UnregisterModule(HMODULE module) {
    {
        std::lock_guard<std::recursive_mutex> g(StateLock());
        if (!FindModule(module))
            return FALSE;
    }
    ForgetModuleObjects(module);
    std::lock_guard<std::recursive_mutex> g(StateLock());
    kernel().modules.erase(reinterpret_cast<uintptr_t>(module));
    return TRUE;
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    if (lpOutputString == nullptr)
        return;
    {
        std::lock_guard<std::recursive_mutex> g(StateLock());
        kernel().debugLog.emplace_back(lpOutputString);
    }
    if (EchoOn()) {
        std::fputs(lpOutputString, stderr);
        std::fflush(stderr);
    }
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    Module* m = FindModule(hModule);
    if (!m)
        return nullptr;
    const ResEntry* e = FindEntry(*m, lpName, lpType);
    return reinterpret_cast<HRSRC>(const_cast<ResEntry*>(e));
}

namespace {
// The entry an HRSRC stands for, when it belongs to the module.
const ResEntry* entryOf(Module* m, HRSRC info) {
    if (!m || !info)
        return nullptr;
    for (const ResEntry& e : m->entries)
        if (reinterpret_cast<const void*>(&e) == reinterpret_cast<const void*>(info))
            return &e;
    return nullptr;
}
} // namespace

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    Module* m = FindModule(hModule);
    const ResEntry* e = entryOf(m, hResInfo);
    if (!e)
        return nullptr;
    return static_cast<HGLOBAL>(m->image.data() + e->offset);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    const ResEntry* e = entryOf(FindModule(hModule), hResInfo);
    return e ? e->size : 0;
}

// Loaded resources live as long as their module, as on 32-bit Windows, where this
// call is obsolete and answers FALSE.
BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
}

// Critical sections keep a recursive mutex in the record's own storage, so they are
// real locks that need no allocation and re-enter on the owning thread as Windows'
// do.
static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION), "mutex must fit the record");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION), "mutex alignment");

static pthread_mutex_t* mutexOf(LPCRITICAL_SECTION cs) {
    return reinterpret_cast<pthread_mutex_t*>(cs);
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    std::memset(lpCriticalSection, 0, sizeof(CRITICAL_SECTION));
    if (pthread_mutex_init(mutexOf(lpCriticalSection), &attr) != 0) {
        std::fputs("win32 stand-in: cannot initialise a critical section\n", stderr);
        std::abort();
    }
    pthread_mutexattr_destroy(&attr);
    std::lock_guard<std::recursive_mutex> g(StateLock());
    ++kernel().liveLocks;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (pthread_mutex_lock(mutexOf(lpCriticalSection)) != 0) {
        std::fputs("win32 stand-in: EnterCriticalSection on a broken critical section\n", stderr);
        std::abort();
    }
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return pthread_mutex_trylock(mutexOf(lpCriticalSection)) == 0 ? TRUE : FALSE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (pthread_mutex_unlock(mutexOf(lpCriticalSection)) != 0) {
        std::fputs("win32 stand-in: LeaveCriticalSection by a thread that does not own it\n",
                   stderr);
        std::abort();
    }
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    pthread_mutex_destroy(mutexOf(lpCriticalSection));
    std::memset(lpCriticalSection, 0, sizeof(CRITICAL_SECTION));
    std::lock_guard<std::recursive_mutex> g(StateLock());
    --kernel().liveLocks;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
    std::lock_guard<std::recursive_mutex> g(StateLock());
    Module* m = FindModule(hLibModule);
    if (!m)
        return FALSE;
    m->threadCallsDisabled = true;
    return TRUE;
}

// The pseudo-handle Windows gives for the calling process.
HANDLE WINAPI GetCurrentProcess(void) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

BOOL WINAPI FlushInstructionCache(HANDLE hProcess, LPCVOID lpBaseAddress, SIZE_T dwSize) {
    if (hProcess != GetCurrentProcess())
        return FALSE;
    if (lpBaseAddress != nullptr && dwSize != 0) {
        char* begin = static_cast<char*>(const_cast<void*>(lpBaseAddress));
        __builtin___clear_cache(begin, begin + dwSize);
    }
    return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void) {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

} // extern "C"
