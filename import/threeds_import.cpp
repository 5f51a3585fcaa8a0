// The 3DS import driver: opens and loads the file, then runs the stages in their
// fixed order: materials, the host's texture build, cameras, omni lights,
// spotlights, meshes.
#include "import/threeds_import.h"

#include <cstdarg>
#include <cstdio>

#include "import/import_context.h"
#include "platform/win32.h"
#include "plugin/host_services.h"
#include "tds/extract/scene_file.h"

namespace tessoid {

void DebugLine(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    OutputDebugStringA(line);
}

namespace {

// One stage: every record of a set through `import`. A toolkit error belongs to the
// record that caused it (the scene's calls clear the error list as they start), and
// a record the toolkit filled only part-way is still imported.
template <typename Fetch, typename Import>
void runStage(const tds::SceneFile& scene, tds::RecordSet set, Fetch fetch, Import import) {
    const uint32_t count = scene.count(set).value;
    for (uint32_t i = 0; i < count; ++i) {
        const auto record = (scene.*fetch)(i).value;
        if (record)
            import(*record);
    }
}

} // namespace

int32_t ImportThreeDS(const char* path, HostInterface* services) {
    ImportContext context;
    context.services = services;
    const tds::ToolkitResult<tds::SceneFile> opened = tds::SceneFile::open(path);
    if (!opened.status.ok())
        return 0;
    const tds::SceneFile& scene = opened.value;

    runStage(scene, tds::RecordSet::Materials, &tds::SceneFile::material,
             [&](const tds::MaterialRecord& r) { ImportMaterial(context, r); });
    if (host::FinishMaterials() != 0)
        DebugLine("Failed to create the textures\n");
    runStage(scene, tds::RecordSet::Cameras, &tds::SceneFile::camera,
             [&](const tds::CameraRecord& r) { ImportCamera(context, r); });
    runStage(scene, tds::RecordSet::OmniLights, &tds::SceneFile::omniLight,
             [&](const tds::LightRecord& r) { ImportLight(context, r); });
    runStage(scene, tds::RecordSet::Spotlights, &tds::SceneFile::spotlight,
             [&](const tds::LightRecord& r) { ImportLight(context, r); });

    MeshStage meshes = BeginMeshes();
    runStage(scene, tds::RecordSet::Meshes, &tds::SceneFile::mesh,
             [&](const tds::MeshRecord& r) { ImportMesh(meshes, r); });
    FinishMeshes(meshes, path);
    return 0;
}

} // namespace tessoid
