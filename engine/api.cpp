// The engine's exported functions: argument checks, handles, scenes and the call trace.
#if !defined(_WIN32)
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif

#include <charconv>
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
#include <unordered_map>

#include "engine/engine_trace.h"
#include "engine/shapes.h"

namespace engine {
namespace {

// Largest counts accepted from a caller; keeps every array size far from 32-bit overflow.
constexpr int kMaxPoints = 1 << 22;
constexpr int kMaxPatches = 1 << 20;
constexpr int kMaxBlobComponents = 1 << 16;
constexpr int kMaxSteps = 1024;
constexpr std::size_t kMaxPrintedGroups = 1 << 16;

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

State& state() {
    static State s;
    return s;
}

EngineHandle newHandle(HandleKind kind, EngineHandle scene, Prim* prim = nullptr) {
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

EngineHandle addPrim(EngineHandle scene, std::unique_ptr<Prim> prim) {
    Scene* s = sceneOf(scene);
    if (!s)
        return 0;
    Prim* raw = prim.get();
    s->prims.push_back(std::move(prim));
    raw->handle = newHandle(HandleKind::Prim, scene, raw);
    return raw->handle;
}

bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// ---- trace formatting

// The trace is for tests through the control API, which the DLL does not export:
// there it is not kept, so a long session holds no record nobody can read.
#if defined(_WIN32)
constexpr bool KEEP_TRACE = false;
#else
constexpr bool KEEP_TRACE = true;
#endif

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
    Call& text(const char* s) {
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
    Call& ptr(const void* p, const char* name) { return arg(p ? name : "null"); }
    template <class T> Call& array(const T* data, int groups, int width, int maxGroups) {
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
    EngineHandle handleResult(EngineHandle r) {
        finish(label(r));
        return r;
    }
    int intResult(int r) {
        finish(std::to_string(r));
        return r;
    }

  private:
    Call& arg(const std::string& s) {
        if (!first_)
            text_ += ", ";
        first_ = false;
        text_ += s;
        return *this;
    }
    void finish(const std::string& result) {
        text_ += ") -> ";
        text_ += result;
        if (KEEP_TRACE)
            state().trace.push_back(std::move(text_));
    }
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

constexpr std::initializer_list<PrimKind> kShapes = {
    PrimKind::Box,   PrimKind::Sphere,     PrimKind::Cylinder, PrimKind::Cone,
    PrimKind::Torus, PrimKind::Disc,       PrimKind::SuperQ,   PrimKind::Lathe,
    PrimKind::Sweep, PrimKind::SplineMesh, PrimKind::TriBag,   PrimKind::Blob};
constexpr std::initializer_list<PrimKind> kLights = {PrimKind::Light, PrimKind::SpotLight,
                                                     PrimKind::AreaLight};

bool readProfile(int curveType, int count, const double* points, int minPoints, Profile& out) {
    if (curveType < 1 || curveType > 3 || !points || count < minPoints || count > kMaxPoints)
        return false;
    out.curveType = curveType;
    out.points.resize(std::size_t(count));
    for (std::size_t i = 0; i < std::size_t(count); ++i) {
        Vec3 p{points[3 * i], points[3 * i + 1], points[3 * i + 2]};
        if (!finite(p))
            return false;
        out.points[i] = p;
    }
    return true;
}

EngineHandle triBag(Call& call, EngineHandle scene, int vertexCount, const float* vertices,
                    const float* normals, const float* uvs, int faceCount, const int* faces) {
    if (!sceneOf(scene) || !vertices || !faces || vertexCount < 1 || vertexCount > kMaxPoints ||
        faceCount < 1 || faceCount > kMaxPoints)
        return call.handleResult(0);
    auto bag = std::make_unique<TriBagPrim>();
    std::size_t nv = std::size_t(vertexCount), nf = std::size_t(faceCount);
    auto triples = [&](const float* src, std::vector<Vec3>& dst) {
        dst.resize(nv);
        for (std::size_t i = 0; i < nv; ++i) {
            dst[i] = {src[3 * i], src[3 * i + 1], src[3 * i + 2]};
            if (!finite(dst[i]))
                return false;
        }
        return true;
    };
    if (!triples(vertices, bag->vertices) || (normals && !triples(normals, bag->normals)) ||
        (uvs && !triples(uvs, bag->uvs)))
        return call.handleResult(0);
    bag->faces.assign(faces, faces + 3 * nf);
    for (int index : bag->faces)
        if (index < 0 || index >= vertexCount)
            return call.handleResult(0);
    return call.handleResult(addPrim(scene, std::move(bag)));
}

} // namespace

// ---- control API

std::vector<std::string> TraceLines() {
    Lock lock(state().mutex);
    return state().trace;
}

std::string TraceText() {
    Lock lock(state().mutex);
    std::string s;
    for (const std::string& line : state().trace)
        s += line + '\n';
    return s;
}

void ClearTrace() {
    Lock lock(state().mutex);
    State& st = state();
    st.trace.clear();
    st.labels.clear();
    for (int& c : st.labelCount)
        c = 0;
}

bool DefineName(EngineHandle scene, const std::string& name, EngineHandle prim) {
    Lock lock(state().mutex);
    Scene* s = sceneOf(scene);
    if (!s || !primOf(scene, prim))
        return false;
    s->names[name] = prim;
    return true;
}

EngineHandle CreateTexture(EngineHandle scene) {
    Lock lock(state().mutex);
    Scene* s = sceneOf(scene);
    if (!s)
        return 0;
    EngineHandle h = newHandle(HandleKind::Texture, scene);
    s->others.push_back(h);
    return h;
}

int LiveSceneCount() {
    Lock lock(state().mutex);
    return int(state().scenes.size());
}

} // namespace engine

using namespace engine;

// Definitions take C linkage from their declarations in the header.

// ---- scene and tessellation

EngineHandle ENGINE_CALL NewScene() {
    return guarded<EngineHandle>(0, [&] {
        Call call("NewScene");
        EngineHandle h = newHandle(HandleKind::Scene, 0);
        state().scenes[h] = std::make_unique<Scene>();
        return call.handleResult(h);
    });
}

EngineHandle ENGINE_CALL CreateView(EngineHandle scene) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateView");
        call.h(scene);
        Scene* s = sceneOf(scene);
        if (!s)
            return call.handleResult(0);
        EngineHandle h = newHandle(HandleKind::View, scene);
        s->others.push_back(h);
        return call.handleResult(h);
    });
}

int ENGINE_CALL FreeScene(EngineHandle scene) {
    return guarded(-1, [&] {
        Call call("FreeScene");
        call.h(scene);
        State& st = state();
        auto it = st.scenes.find(scene);
        if (it == st.scenes.end())
            return call.intResult(-1);
        for (const auto& p : it->second->prims)
            st.handles.erase(p->handle);
        for (EngineHandle h : it->second->others)
            st.handles.erase(h);
        st.handles.erase(scene);
        st.scenes.erase(it);
        return call.intResult(0);
    });
}

int ENGINE_CALL TesselatePrim(EngineHandle scene, EngineHandle view, EngineHandle prim, int flags,
                              EnginePolygonCallback callback, void* context) {
    try {
        Lock lock(state().mutex);
        Call call("TesselatePrim");
        call.h(scene)
            .h(view)
            .h(prim)
            .i(flags)
            .ptr(reinterpret_cast<const void*>(callback), "fn")
            .ptr(context, "ctx");
        Prim* p = primOf(scene, prim);
        if (!p || !entryOf(scene, view, HandleKind::View) || !callback)
            return call.intResult(-1);
        TessContext ctx;
        PolygonList polys;
        p->tessellate(ctx, polys);
        if (ctx.failed)
            return call.intResult(-1);
        // The callback runs unlocked: it may call back into the engine.
        lock.unlock();
        int delivered = 0;
        std::vector<double> data;
        for (const engine::Polygon& poly : polys) {
            std::size_t n = poly.v.size();
            data.assign(12 * n, 0.0);
            for (std::size_t k = 0; k < n; ++k) {
                const Vertex& v = poly.v[k];
                const Vec3* parts[4] = {&v.pos, &v.local, &v.normal, &v.uv};
                for (std::size_t a = 0; a < 4; ++a) {
                    double* out = &data[a * 3 * n + 3 * k];
                    out[0] = parts[a]->x;
                    out[1] = parts[a]->y;
                    out[2] = parts[a]->z;
                }
            }
            int stop = callback(int(n), data.data(), poly.tag, context);
            ++delivered;
            if (stop != 0)
                break;
        }
        lock.lock();
        return call.intResult(delivered);
    } catch (...) {
        return -1;
    }
}

EngineHandle ENGINE_CALL GetNameValue(EngineHandle scene, const char* name) {
    return guarded<EngineHandle>(0, [&] {
        Call call("GetNameValue");
        call.h(scene).text(name);
        Scene* s = sceneOf(scene);
        if (!s || !name)
            return call.handleResult(0);
        auto it = s->names.find(name);
        if (it == s->names.end() || !primOf(scene, it->second))
            return call.handleResult(0);
        return call.handleResult(it->second);
    });
}

// ---- constructors

EngineHandle ENGINE_CALL CreateBox(EngineHandle scene, double x1, double y1, double z1, double x2,
                                   double y2, double z2) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateBox");
        call.h(scene).d({x1, y1, z1, x2, y2, z2});
        if (!allFinite({x1, y1, z1, x2, y2, z2}) || x1 == x2 || y1 == y2 || z1 == z2)
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<BoxPrim>(Vec3{x1, y1, z1}, Vec3{x2, y2, z2})));
    });
}

EngineHandle ENGINE_CALL CreateSphere(EngineHandle scene, double cx, double cy, double cz,
                                      double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSphere");
        call.h(scene).d({cx, cy, cz, radius});
        if (!allFinite({cx, cy, cz, radius}) || !(radius > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<SpherePrim>(Vec3{cx, cy, cz}, radius)));
    });
}

EngineHandle ENGINE_CALL CreateCylinder(EngineHandle scene, double bx, double by, double bz,
                                        double cx, double cy, double cz, double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCylinder");
        call.h(scene).d({bx, by, bz, cx, cy, cz, radius});
        Vec3 b{bx, by, bz}, c{cx, cy, cz};
        if (!allFinite({bx, by, bz, cx, cy, cz, radius}) || !(radius > 0) || !(length(c - b) > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<ConePrim>(PrimKind::Cylinder, b, radius, c, radius)));
    });
}

EngineHandle ENGINE_CALL CreateCone(EngineHandle scene, double bx, double by, double bz,
                                    double baseRadius, double cx, double cy, double cz,
                                    double capRadius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCone");
        call.h(scene).d({bx, by, bz, baseRadius, cx, cy, cz, capRadius});
        Vec3 b{bx, by, bz}, c{cx, cy, cz};
        if (!allFinite({bx, by, bz, baseRadius, cx, cy, cz, capRadius}) || baseRadius < 0 ||
            capRadius < 0 || !(baseRadius + capRadius > 0) || !(length(c - b) > 0))
            return call.handleResult(0);
        return call.handleResult(addPrim(
            scene, std::make_unique<ConePrim>(PrimKind::Cone, b, baseRadius, c, capRadius)));
    });
}

EngineHandle ENGINE_CALL CreateTorus(EngineHandle scene, double cx, double cy, double cz, double ax,
                                     double ay, double az, double majorRadius, double minorRadius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTorus");
        call.h(scene).d({cx, cy, cz, ax, ay, az, majorRadius, minorRadius});
        Vec3 axis{ax, ay, az};
        if (!allFinite({cx, cy, cz, ax, ay, az, majorRadius, minorRadius}) || majorRadius < 0 ||
            !(minorRadius > 0) || !(length(axis) > 0))
            return call.handleResult(0);
        return call.handleResult(addPrim(
            scene, std::make_unique<TorusPrim>(Vec3{cx, cy, cz}, axis, majorRadius, minorRadius)));
    });
}

EngineHandle ENGINE_CALL CreateDisc(EngineHandle scene, double cx, double cy, double cz, double nx,
                                    double ny, double nz, double holeRadius, double radius) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateDisc");
        call.h(scene).d({cx, cy, cz, nx, ny, nz, holeRadius, radius});
        Vec3 n{nx, ny, nz};
        if (!allFinite({cx, cy, cz, nx, ny, nz, holeRadius, radius}) || holeRadius < 0 ||
            !(radius > holeRadius) || !(length(n) > 0))
            return call.handleResult(0);
        return call.handleResult(
            addPrim(scene, std::make_unique<DiscPrim>(Vec3{cx, cy, cz}, n, holeRadius, radius)));
    });
}

EngineHandle ENGINE_CALL CreateSuperQ(EngineHandle scene, double e, double n) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSuperQ");
        call.h(scene).d({e, n});
        // Exponents near 0 make a box, large ones a spiky star; keep to a range the sampling
        // survives.
        if (!allFinite({e, n}) || !(e >= 0.01 && e <= 10) || !(n >= 0.01 && n <= 10))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<SuperQPrim>(e, n)));
    });
}

EngineHandle ENGINE_CALL CreateLathe(EngineHandle scene, int curveType, int pointCount,
                                     const double* points) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateLathe");
        call.h(scene).i(curveType).i(pointCount).array(points, pointCount, 3, kMaxPoints);
        Profile profile;
        if (!readProfile(curveType, pointCount, points, 2, profile))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<LathePrim>(std::move(profile))));
    });
}

EngineHandle ENGINE_CALL CreateSweep(EngineHandle scene, int curveType, int pointCount,
                                     const double* points) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSweep");
        call.h(scene).i(curveType).i(pointCount).array(points, pointCount, 3, kMaxPoints);
        Profile profile;
        if (!readProfile(curveType, pointCount, points, 3, profile))
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<SweepPrim>(std::move(profile))));
    });
}

EngineHandle ENGINE_CALL CreateSplineMesh(EngineHandle scene, int flags, int pointCount,
                                          const double* points, int patchCount,
                                          const int* patches) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateSplineMesh");
        call.h(scene).i(flags).i(pointCount).array(points, pointCount, 3, kMaxPoints).i(patchCount);
        call.array(patches, patchCount, 16, kMaxPatches);
        if (!sceneOf(scene) || !points || !patches || pointCount < 1 || pointCount > kMaxPoints ||
            patchCount < 1 || patchCount > kMaxPatches)
            return call.handleResult(0);
        auto mesh = std::make_unique<SplineMeshPrim>();
        mesh->points.resize(std::size_t(pointCount));
        for (std::size_t i = 0; i < mesh->points.size(); ++i) {
            mesh->points[i] = {points[3 * i], points[3 * i + 1], points[3 * i + 2]};
            if (!finite(mesh->points[i]))
                return call.handleResult(0);
        }
        mesh->patches.assign(patches, patches + 16 * std::size_t(patchCount));
        for (int index : mesh->patches)
            if (index < 0 || index >= pointCount)
                return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::move(mesh)));
    });
}

EngineHandle ENGINE_CALL CreateTriBagF(EngineHandle scene, int vertexCount, const float* vertices,
                                       const float* normals, int faceCount, const int* faces,
                                       int copy) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTriBagF");
        call.h(scene)
            .i(vertexCount)
            .array(vertices, vertexCount, 3, kMaxPoints)
            .array(normals, vertexCount, 3, kMaxPoints);
        call.i(faceCount).array(faces, faceCount, 3, kMaxPoints).i(copy);
        return triBag(call, scene, vertexCount, vertices, normals, nullptr, faceCount, faces);
    });
}

EngineHandle ENGINE_CALL CreateTriBag2F(EngineHandle scene, int vertexCount, const float* vertices,
                                        const float* normals, const float* uvs, int faceCount,
                                        const int* faces, int copy) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTriBag2F");
        call.h(scene)
            .i(vertexCount)
            .array(vertices, vertexCount, 3, kMaxPoints)
            .array(normals, vertexCount, 3, kMaxPoints);
        call.array(uvs, vertexCount, 3, kMaxPoints)
            .i(faceCount)
            .array(faces, faceCount, 3, kMaxPoints)
            .i(copy);
        return triBag(call, scene, vertexCount, vertices, normals, uvs, faceCount, faces);
    });
}

namespace {
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
} // namespace

EngineHandle ENGINE_CALL CreateBlob(EngineHandle scene) {
    return simpleCreate<BlobPrim>("CreateBlob", scene);
}
EngineHandle ENGINE_CALL CreateLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateLight", scene, PrimKind::Light);
}
EngineHandle ENGINE_CALL CreateSpotLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateSpotLight", scene, PrimKind::SpotLight);
}
EngineHandle ENGINE_CALL CreateAreaLight(EngineHandle scene) {
    return simpleCreate<LightPrim>("CreateAreaLight", scene, PrimKind::AreaLight);
}

EngineHandle ENGINE_CALL CreateClone(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateClone");
        call.h(scene).h(prim);
        Prim* source = primOf(scene, prim);
        if (!source)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<ClonePrim>(source)));
    });
}

EngineHandle ENGINE_CALL CreateCSGPrim(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCSGPrim");
        call.h(scene).h(prim);
        Prim* operand = primOf(scene, prim);
        if (!operand)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<CsgPrim>(operand)));
    });
}

EngineHandle ENGINE_CALL CreateCSG(EngineHandle scene, int operation, EngineHandle left,
                                   EngineHandle right) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateCSG");
        call.h(scene).i(operation).h(left).h(right);
        Prim* l = primOf(scene, left);
        Prim* r = primOf(scene, right);
        if (!l || !r || operation < 1 || operation > 4)
            return call.handleResult(0);
        return call.handleResult(addPrim(scene, std::make_unique<CsgPrim>(operation, l, r)));
    });
}

// ---- modifiers

int ENGINE_CALL SetPrimUV(EngineHandle scene, EngineHandle prim, int uSteps, int vSteps) {
    return guarded(-1, [&] {
        Call call("SetPrimUV");
        call.h(scene).h(prim).i(uSteps).i(vSteps);
        return modify<Prim>(call, scene, prim, kShapes, [&](Prim& p) {
            if (uSteps < 1 || vSteps < 1 || uSteps > kMaxSteps || vSteps > kMaxSteps)
                return false;
            p.uSteps = uSteps;
            p.vSteps = vSteps;
            return true;
        });
    });
}

int ENGINE_CALL SetConeEndcaps(EngineHandle scene, EngineHandle prim, int closed) {
    return guarded(-1, [&] {
        Call call("SetConeEndcaps");
        call.h(scene).h(prim).i(closed);
        return modify<ConePrim>(call, scene, prim, {PrimKind::Cylinder, PrimKind::Cone},
                                [&](ConePrim& p) {
                                    p.closed = closed != 0;
                                    return true;
                                });
    });
}

int ENGINE_CALL SetTorusSolver(EngineHandle scene, EngineHandle prim, int solver) {
    return guarded(-1, [&] {
        Call call("SetTorusSolver");
        call.h(scene).h(prim).i(solver);
        return modify<TorusPrim>(call, scene, prim, {PrimKind::Torus}, [&](TorusPrim& p) {
            if (solver != 1 && solver != 2)
                return false;
            p.solver = solver;
            return true;
        });
    });
}

int ENGINE_CALL SetBlobSolver(EngineHandle scene, EngineHandle prim, int solver) {
    return guarded(-1, [&] {
        Call call("SetBlobSolver");
        call.h(scene).h(prim).i(solver);
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (solver != 1 && solver != 2)
                return false;
            p.solver = solver;
            return true;
        });
    });
}

int ENGINE_CALL SetGlyphConeFlag(EngineHandle scene, EngineHandle prim, int cone) {
    return guarded(-1, [&] {
        Call call("SetGlyphConeFlag");
        call.h(scene).h(prim).i(cone);
        return modify<SweepPrim>(call, scene, prim, {PrimKind::Sweep}, [&](SweepPrim& p) {
            p.cone = cone != 0;
            return true;
        });
    });
}

int ENGINE_CALL SetGlyphExtrusion(EngineHandle scene, EngineHandle prim, double depth,
                                  double endScale) {
    return guarded(-1, [&] {
        Call call("SetGlyphExtrusion");
        call.h(scene).h(prim).d({depth, endScale});
        return modify<SweepPrim>(call, scene, prim, {PrimKind::Sweep}, [&](SweepPrim& p) {
            if (!allFinite({depth, endScale}) || depth == 0 || endScale < 0)
                return false;
            p.depth = depth;
            p.endScale = endScale;
            return true;
        });
    });
}

int ENGINE_CALL SetBlobThreshold(EngineHandle scene, EngineHandle prim, double threshold) {
    return guarded(-1, [&] {
        Call call("SetBlobThreshold");
        call.h(scene).h(prim).d(threshold);
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!std::isfinite(threshold) || !(threshold > 0))
                return false;
            p.threshold = threshold;
            return true;
        });
    });
}

int ENGINE_CALL SmoothTriBag(EngineHandle scene, EngineHandle prim, double angle) {
    return guarded(-1, [&] {
        Call call("SmoothTriBag");
        call.h(scene).h(prim).d(angle);
        return modify<TriBagPrim>(call, scene, prim, {PrimKind::TriBag}, [&](TriBagPrim& p) {
            if (!std::isfinite(angle) || !(angle > 0))
                return false;
            p.smoothAngle = angle;
            return true;
        });
    });
}

int ENGINE_CALL AddBlobSphereComponent(EngineHandle scene, EngineHandle prim, double cx, double cy,
                                       double cz, double radius, double strength) {
    return guarded(-1, [&] {
        Call call("AddBlobSphereComponent");
        call.h(scene).h(prim).d({cx, cy, cz, radius, strength});
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!allFinite({cx, cy, cz, radius, strength}) || !(radius > 0) ||
                p.components.size() >= std::size_t(kMaxBlobComponents))
                return false;
            p.components.push_back({false, {cx, cy, cz}, {cx, cy, cz}, radius, strength});
            return true;
        });
    });
}

int ENGINE_CALL AddBlobCylinderComponent(EngineHandle scene, EngineHandle prim, double x1,
                                         double y1, double z1, double x2, double y2, double z2,
                                         double radius, double strength) {
    return guarded(-1, [&] {
        Call call("AddBlobCylinderComponent");
        call.h(scene).h(prim).d({x1, y1, z1, x2, y2, z2, radius, strength});
        return modify<BlobPrim>(call, scene, prim, {PrimKind::Blob}, [&](BlobPrim& p) {
            if (!allFinite({x1, y1, z1, x2, y2, z2, radius, strength}) || !(radius > 0) ||
                p.components.size() >= std::size_t(kMaxBlobComponents))
                return false;
            p.components.push_back({true, {x1, y1, z1}, {x2, y2, z2}, radius, strength});
            return true;
        });
    });
}

int ENGINE_CALL UpdatePrim(EngineHandle scene, EngineHandle prim) {
    return guarded(-1, [&] {
        Call call("UpdatePrim");
        call.h(scene).h(prim);
        return call.intResult(primOf(scene, prim) ? 0 : -1);
    });
}

namespace {
int transformPrim(const char* name, EngineHandle scene, EngineHandle prim, double x, double y,
                  double z, bool (*make)(Vec3, Affine&)) {
    return guarded(-1, [&] {
        Call call(name);
        call.h(scene).h(prim).d({x, y, z});
        Prim* p = primOf(scene, prim);
        Affine op;
        if (!p || !allFinite({x, y, z}) || !make({x, y, z}, op))
            return call.intResult(-1);
        p->xf = compose(op, p->xf);
        return call.intResult(0);
    });
}
} // namespace

int ENGINE_CALL TranslatePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("TranslatePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        a = translation(v);
        return true;
    });
}

int ENGINE_CALL ScalePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("ScalePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        if (v.x == 0 || v.y == 0 || v.z == 0)
            return false; // must stay invertible for CSG
        a = scaling(v);
        return true;
    });
}

int ENGINE_CALL RotatePrim(EngineHandle scene, EngineHandle prim, double x, double y, double z) {
    return transformPrim("RotatePrim", scene, prim, x, y, z, [](Vec3 v, Affine& a) {
        a = rotation(v);
        return true;
    });
}

int ENGINE_CALL SetLightLocation(EngineHandle scene, EngineHandle light, double x, double y,
                                 double z) {
    return guarded(-1, [&] {
        Call call("SetLightLocation");
        call.h(scene).h(light).d({x, y, z});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({x, y, z}))
                return false;
            l.location = {x, y, z};
            return true;
        });
    });
}

int ENGINE_CALL SetLightColor(EngineHandle scene, EngineHandle light, double red, double green,
                              double blue) {
    return guarded(-1, [&] {
        Call call("SetLightColor");
        call.h(scene).h(light).d({red, green, blue});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({red, green, blue}))
                return false;
            l.colour = {red, green, blue};
            return true;
        });
    });
}

namespace {
int lightFlag(const char* name, EngineHandle scene, EngineHandle light, int value,
              int LightPrim::*field) {
    return guarded(-1, [&] {
        Call call(name);
        call.h(scene).h(light).i(value);
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            l.*field = value;
            return true;
        });
    });
}
} // namespace

int ENGINE_CALL SetLightShadowing(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightShadowing", scene, light, on, &LightPrim::shadowing);
}
int ENGINE_CALL SetLightVolumetric(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightVolumetric", scene, light, on, &LightPrim::volumetric);
}
int ENGINE_CALL SetLightAttenuated(EngineHandle scene, EngineHandle light, int on) {
    return lightFlag("SetLightAttenuated", scene, light, on, &LightPrim::attenuated);
}

int ENGINE_CALL SetLightCoeffs(EngineHandle scene, EngineHandle light, double c0, double c1,
                               double c2) {
    return guarded(-1, [&] {
        Call call("SetLightCoeffs");
        call.h(scene).h(light).d({c0, c1, c2});
        return modify<LightPrim>(call, scene, light, kLights, [&](LightPrim& l) {
            if (!allFinite({c0, c1, c2}))
                return false;
            l.coeffs[0] = c0;
            l.coeffs[1] = c1;
            l.coeffs[2] = c2;
            return true;
        });
    });
}

int ENGINE_CALL SetSpotLightCoeffs(EngineHandle scene, EngineHandle light, double ax, double ay,
                                   double az, double c0, double c1, double c2) {
    return guarded(-1, [&] {
        Call call("SetSpotLightCoeffs");
        call.h(scene).h(light).d({ax, ay, az, c0, c1, c2});
        return modify<LightPrim>(call, scene, light, {PrimKind::SpotLight}, [&](LightPrim& l) {
            if (!allFinite({ax, ay, az, c0, c1, c2}))
                return false;
            l.aim = {ax, ay, az};
            l.spotCoeffs[0] = c0;
            l.spotCoeffs[1] = c1;
            l.spotCoeffs[2] = c2;
            return true;
        });
    });
}

int ENGINE_CALL SetAreaLight(EngineHandle scene, EngineHandle light, int uSamples, int vSamples,
                             int flags, double jitter) {
    return guarded(-1, [&] {
        Call call("SetAreaLight");
        call.h(scene).h(light).i(uSamples).i(vSamples).i(flags).d(jitter);
        return modify<LightPrim>(call, scene, light, {PrimKind::AreaLight}, [&](LightPrim& l) {
            if (!std::isfinite(jitter))
                return false;
            l.areaSamples[0] = uSamples;
            l.areaSamples[1] = vSamples;
            l.areaSamples[2] = flags;
            l.areaJitter = jitter;
            return true;
        });
    });
}

EngineHandle ENGINE_CALL GetPrimTexture(EngineHandle scene, EngineHandle prim) {
    return guarded<EngineHandle>(0, [&] {
        Call call("GetPrimTexture");
        call.h(scene).h(prim);
        Prim* p = primOf(scene, prim);
        return call.handleResult(p ? p->texture : 0);
    });
}

EngineHandle ENGINE_CALL CreateTextureReference(EngineHandle scene, EngineHandle texture) {
    return guarded<EngineHandle>(0, [&] {
        Call call("CreateTextureReference");
        call.h(scene).h(texture);
        Scene* s = sceneOf(scene);
        if (!s || !entryOf(scene, texture, HandleKind::Texture))
            return call.handleResult(0);
        EngineHandle h = newHandle(HandleKind::Texture, scene);
        s->others.push_back(h);
        return call.handleResult(h);
    });
}

int ENGINE_CALL SetPrimTexture(EngineHandle scene, EngineHandle prim, EngineHandle texture) {
    return guarded(-1, [&] {
        Call call("SetPrimTexture");
        call.h(scene).h(prim).h(texture);
        Prim* p = primOf(scene, prim);
        if (!p || !entryOf(scene, texture, HandleKind::Texture))
            return call.intResult(-1);
        p->texture = texture;
        return call.intResult(0);
    });
}
