#include "host/contract_check.h"

#include "host/plugin_host.h"

namespace host {

namespace {

void checkFilled(const SceneObject& o, std::vector<std::string>& breaks) {
    if (o.allocatedVertices < 0)
        return; // never allocated: an empty mesh object
    const auto filled = [&](int32_t have, int32_t allocated, const char* what) {
        if (have != allocated)
            breaks.push_back(o.name + ": " + std::to_string(have) + " " + what + " of " +
                             std::to_string(allocated) + " allocated");
    };
    filled(o.filledVertices, o.allocatedVertices, "vertices");
    filled(o.filledEdges, o.allocatedEdges, "edges");
    filled(o.filledTextureVertices, o.allocatedTextureVertices, "texture vertices");
    filled(o.filledFaces, o.allocatedFaces < 0 ? 0 : o.allocatedFaces, "faces");
}

} // namespace

std::vector<std::string> ContractBreaks(PluginHost& host) {
    std::vector<std::string> breaks;
    if (host.openChildLists() != 0)
        breaks.push_back(std::to_string(host.openChildLists()) + " child lists left open");
    for (SceneObject* o : host.scene().objects()) {
        if (o->kind == tessoid::KIND_POLYGON_MESH)
            checkFilled(*o, breaks);
        if (!o->pluginObject)
            continue;
        DrawnCounts drawn;
        if (!host.drawCounted(o->handle, false, drawn) || !host.drawCounted(o->handle, true, drawn))
            breaks.push_back(o->name + ": BuildMesh broke the builder's rules");
    }
    return breaks;
}

} // namespace host
