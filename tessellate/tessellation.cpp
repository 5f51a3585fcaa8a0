#include "tessellate/tessellation.h"

#include <new>
#include <utility>
#include <vector>

#include "engine/engine_api.h"
#include "mesh/pending_mesh.h"
#include "plugin/host_services.h"
#include "tessellate/convert.h"
#include "tessellate/polygon_collector.h"

namespace tessoid {

namespace {

// Frees the scene, with every primitive in it, on whichever path we leave by.
class SceneGuard {
  public:
    SceneGuard() : scene_(NewScene()) {}
    ~SceneGuard() {
        if (scene_)
            FreeScene(scene_);
    }
    SceneGuard(const SceneGuard&) = delete;
    SceneGuard& operator=(const SceneGuard&) = delete;
    EngineHandle get() const { return scene_; }

  private:
    EngineHandle scene_;
};

Float3 toFloat3(const double* triple) {
    return {static_cast<float>(triple[0]), static_cast<float>(triple[1]),
            static_cast<float>(triple[2])};
}

} // namespace

int ENGINE_CALL collectPolygon(int n, const double* data, int /*tag*/, void* context) {
    auto* list = static_cast<std::vector<TessTriangle>*>(context);
    if (!list)
        return 1;
    if (n <= 2 || !data)
        return 0;
    // Four arrays of n triples: positions, an attribute we do not use, normals, uvs.
    const size_t corners = static_cast<size_t>(n);
    const double* positions = data;
    const double* normals = data + 6 * corners;
    const double* uvs = data + 9 * corners;
    try {
        for (size_t k = 0; k + 2 < corners; ++k) {
            if (list->size() >= MAX_TESS_TRIANGLES)
                return 1;
            const size_t fan[3] = {0, k + 1, k + 2};
            TessTriangle triangle;
            for (int j = 0; j < 3; ++j) {
                triangle.positions[j] = toFloat3(positions + 3 * fan[j]);
                triangle.normals[j] = toFloat3(normals + 3 * fan[j]);
                triangle.uvs[j] = toFloat3(uvs + 3 * fan[j]);
            }
            list->push_back(triangle);
        }
    } catch (const std::bad_alloc&) {
        // Nothing may unwind through the engine; stop with what we have.
        return 1;
    }
    return 0;
}

void tessellateCurrentObject() {
    HostHandle current = 0;
    if (host::GetCurrentObject(&current) != RESULT_OK || current == 0)
        return;
    SceneGuard scene;
    if (!scene.get())
        return;
    const EngineHandle view = CreateView(scene.get());
    // Declared after the scene, so it is released before FreeScene runs.
    std::vector<TessTriangle> triangles;
    const EngineHandle prim = convertObject(scene.get(), current);
    if (!prim)
        return;
    TesselatePrim(scene.get(), view, prim, 0, collectPolygon, &triangles);
    if (triangles.empty())
        return;

    const size_t count = triangles.size();
    std::vector<Float3> vertices(3 * count), normals(3 * count), uvs(3 * count);
    std::vector<IndexTriple> faces(count);
    for (size_t i = 0; i < count; ++i) {
        const int32_t base = static_cast<int32_t>(3 * i);
        faces[i] = {base, base + 1, base + 2};
        for (size_t j = 0; j < 3; ++j) {
            vertices[3 * i + j] = triangles[i].positions[j];
            normals[3 * i + j] = triangles[i].normals[j];
            uvs[3 * i + j] = triangles[i].uvs[j];
        }
    }
    PendingMesh& pending = Pending();
    pending.vertices = std::move(vertices);
    pending.normals = std::move(normals);
    pending.uvs = std::move(uvs);
    pending.faces = std::move(faces);
}

} // namespace tessoid
