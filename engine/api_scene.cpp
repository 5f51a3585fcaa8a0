// Exported scene functions: scenes and views, and tessellation to the caller's callback.
#include "engine/api_state.h"

using namespace engine;
using namespace engine::detail;

// Definitions take C linkage from their declarations in the header.

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
