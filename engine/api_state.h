// What the engine's exported functions share: the lock, the handle table and the call trace.
#pragma once

// Defined before the interface header is read, so the stand-in exports what it declares:
// every api_*.cpp includes this header first.
#if !defined(_WIN32)
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif

#include <cmath>
#include <initializer_list>
#include <map>
#include <memory>
#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#define NOGDI
#include <windows.h>
#else
#include <mutex>
#endif
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/engine_trace.h"
#include "engine/shapes.h"

// Internal to the library: without the hidden visibility every helper and template
// instance here would be exported from the shared object as well.
#if !defined(_WIN32)
#pragma GCC visibility push(hidden)
#endif

namespace engine {
namespace detail {

// One recursive lock for the whole engine (MinGW's win32 thread model has no std::mutex).
#if defined(_WIN32)
class EngineMutex {
  public:
    EngineMutex() { InitializeCriticalSection(&cs_); }
    ~EngineMutex() { DeleteCriticalSection(&cs_); }
    void lock() { EnterCriticalSection(&cs_); }
    void unlock() { LeaveCriticalSection(&cs_); }

  private:
    CRITICAL_SECTION cs_;
};
#else
using EngineMutex = std::recursive_mutex;
#endif

class Lock {
  public:
    explicit Lock(EngineMutex& m) : m_(m) { lock(); }
    ~Lock() {
        if (held_)
            m_.unlock();
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void lock() {
        m_.lock();
        held_ = true;
    }
    void unlock() {
        m_.unlock();
        held_ = false;
    }

  private:
    EngineMutex& m_;
    bool held_ = false;
};

enum class HandleKind { Scene, View, Prim, Texture };

struct Scene {
    std::vector<std::unique_ptr<Prim>> prims;
    std::vector<EngineHandle> others; // views and textures
    std::map<std::string, EngineHandle> names;
};

struct Entry {
    HandleKind kind;
    EngineHandle scene;
    Prim* prim = nullptr;
};

struct State {
    EngineMutex mutex;
    std::unordered_map<EngineHandle, std::unique_ptr<Scene>> scenes;
    std::unordered_map<EngineHandle, Entry> handles;
    EngineHandle next = 1;
    std::vector<std::string> trace;
    std::unordered_map<EngineHandle, std::string> labels;
    int labelCount[4] = {0, 0, 0, 0};
};

State& state();

EngineHandle newHandle(HandleKind kind, EngineHandle scene, Prim* prim = nullptr);
Scene* sceneOf(EngineHandle h);
const Entry* entryOf(EngineHandle scene, EngineHandle h, HandleKind kind);
Prim* primOf(EngineHandle scene, EngineHandle h);

template <class T>
T* primAs(EngineHandle scene, EngineHandle h, std::initializer_list<PrimKind> kinds) {
    Prim* p = primOf(scene, h);
    if (!p)
        return nullptr;
    for (PrimKind k : kinds)
        if (p->kind == k)
            return static_cast<T*>(p);
    return nullptr;
}

// Gives `prim` to the scene and returns its new handle, 0 for an unknown scene.
EngineHandle addPrim(EngineHandle scene, std::unique_ptr<Prim> prim);

inline bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// ---- trace formatting

std::string number(double v);
std::string number(float v);
std::string label(EngineHandle h);

class Call {
  public:
    explicit Call(const char* name) : text_(name) { text_ += '('; }
    Call& h(EngineHandle v) { return arg(label(v)); }
    Call& i(int v) { return arg(std::to_string(v)); }
    Call& d(double v) { return arg(number(v)); }
    Call& d(std::initializer_list<double> vs) {
        for (double v : vs)
            d(v);
        return *this;
    }
    Call& text(const char* s);
    Call& ptr(const void* p, const char* name) { return arg(p ? name : "null"); }
    // One group of `width` values per point, face or patch; defined for int, float and double.
    template <class T> Call& array(const T* data, int groups, int width, int maxGroups);
    EngineHandle handleResult(EngineHandle r) {
        finish(label(r));
        return r;
    }
    int intResult(int r) {
        finish(std::to_string(r));
        return r;
    }

  private:
    Call& arg(const std::string& s);
    void finish(const std::string& result);
    std::string text_;
    bool first_ = true;
};

// Runs `body` under the engine lock; any exception (memory exhaustion) becomes `failure`.
template <class R, class F> R guarded(R failure, F&& body) {
    try {
        Lock lock(state().mutex);
        return body();
    } catch (...) {
        return failure;
    }
}

// Modifier of one primitive of a given type: body(prim) returns success.
template <class T, class F>
int modify(Call& call, EngineHandle scene, EngineHandle prim, std::initializer_list<PrimKind> kinds,
           F&& body) {
    T* p = primAs<T>(scene, prim, kinds);
    return call.intResult(p && body(*p) ? 0 : -1);
}

// Constructor of a primitive that needs nothing but its scene.
template <class T, class... A>
EngineHandle simpleCreate(const char* name, EngineHandle scene, A... args) {
    return guarded<EngineHandle>(0, [&] {
        Call call(name);
        call.h(scene);
        if (!sceneOf(scene))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<T>(args...)));
    });
}

} // namespace detail
} // namespace engine

#if !defined(_WIN32)
#pragma GCC visibility pop
#endif
