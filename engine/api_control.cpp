// The control API for tests: the call trace, textures made directly and the live scenes.
#include "engine/api_state.h"

namespace engine {

using namespace detail;

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
