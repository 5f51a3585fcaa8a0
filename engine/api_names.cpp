// Names of a scene's primitives: registered through the control API, looked up by GetNameValue.
#include "engine/api_state.h"

namespace engine {

using namespace detail;

bool DefineName(EngineHandle scene, const std::string& name, EngineHandle prim) {
    Lock lock(state().mutex);
    Scene* s = sceneOf(scene);
    if (!s || !primOf(scene, prim))
        return false;
    s->names[name] = prim;
    return true;
}

} // namespace engine

using namespace engine;
using namespace engine::detail;

// Definitions take C linkage from their declarations in the header.

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
