// The engine's process state: the handle table, the handle labels and the call trace.
#include "engine/api_state.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

namespace engine::detail {

State& state() {
    static State s;
    return s;
}

EngineHandle newHandle(HandleKind kind, EngineHandle scene, Prim* prim) {
    State& st = state();
    EngineHandle h = st.next++;
    if (st.next == 0)
        st.next = 1;
    st.handles[h] = Entry{kind, kind == HandleKind::Scene ? h : scene, prim};
    return h;
}

Scene* sceneOf(EngineHandle h) {
    auto it = state().scenes.find(h);
    return it == state().scenes.end() ? nullptr : it->second.get();
}

const Entry* entryOf(EngineHandle scene, EngineHandle h, HandleKind kind) {
    auto it = state().handles.find(h);
    if (it == state().handles.end() || it->second.kind != kind || it->second.scene != scene)
        return nullptr;
    return &it->second;
}

Prim* primOf(EngineHandle scene, EngineHandle h) {
    const Entry* e = entryOf(scene, h, HandleKind::Prim);
    return e ? e->prim : nullptr;
}

EngineHandle addPrim(EngineHandle scene, std::unique_ptr<Prim> prim) {
    Scene* s = sceneOf(scene);
    if (!s)
        return 0;
    Prim* raw = prim.get();
    s->prims.push_back(std::move(prim));
    raw->handle = newHandle(HandleKind::Prim, scene, raw);
    return raw->handle;
}

// ---- trace formatting

namespace {

// The trace is for tests through the control API, which the DLL does not export:
// there it is not kept, so a long session holds no record nobody can read.
#if defined(_WIN32)
constexpr bool KEEP_TRACE = false;
#else
constexpr bool KEEP_TRACE = true;
#endif

// Longest array the trace prints in full; the rest shows as "...".
constexpr std::size_t kMaxPrintedGroups = 1 << 16;

} // namespace

std::string number(double v) {
    if (v == 0)
        return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string number(float v) {
    if (v == 0)
        return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string label(EngineHandle h) {
    if (h == 0)
        return "0";
    if (!KEEP_TRACE)
        return std::string();
    State& st = state();
    auto known = st.labels.find(h);
    if (known != st.labels.end())
        return known->second;
    auto it = st.handles.find(h);
    // Appended piecewise: GCC 12 at -O3 warns falsely on short string concatenations.
    std::string name;
    if (it == st.handles.end()) {
        name = "#";
        name += std::to_string(h);
        return name;
    }
    static const char prefix[4] = {'S', 'V', 'P', 'T'};
    int kind = static_cast<int>(it->second.kind);
    name = prefix[kind];
    name += std::to_string(++st.labelCount[kind]);
    st.labels[h] = name;
    return name;
}

Call& Call::text(const char* s) {
    if (!s)
        return arg("null");
    std::string q = "\"";
    for (const char* p = s; *p; ++p) {
        if (*p == '"' || *p == '\\')
            q += '\\';
        q += *p;
    }
    q += '"';
    return arg(q);
}

Call& Call::arg(const std::string& s) {
    if (!first_)
        text_ += ", ";
    first_ = false;
    text_ += s;
    return *this;
}

void Call::finish(const std::string& result) {
    text_ += ") -> ";
    text_ += result;
    if (KEEP_TRACE)
        state().trace.push_back(std::move(text_));
}

template <class T> Call& Call::array(const T* data, int groups, int width, int maxGroups) {
    if (!data)
        return arg("null");
    if (groups < 0 || groups > maxGroups)
        return arg("ptr");
    std::string s = "[";
    std::size_t shown = std::min<std::size_t>(std::size_t(groups), kMaxPrintedGroups);
    for (std::size_t g = 0; g < shown; ++g) {
        if (g)
            s += "; ";
        for (int k = 0; k < width; ++k) {
            if (k)
                s += ' ';
            T v = data[g * std::size_t(width) + std::size_t(k)];
            if constexpr (std::is_same_v<T, int>)
                s += std::to_string(v);
            else
                s += number(v);
        }
    }
    if (shown < std::size_t(groups))
        s += "; ...";
    s += ']';
    return arg(s);
}

template Call& Call::array(const int*, int, int, int);
template Call& Call::array(const float*, int, int, int);
template Call& Call::array(const double*, int, int, int);

} // namespace engine::detail
