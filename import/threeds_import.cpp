// The 3DS import driver: opens and loads the file, then runs the stages in their
// fixed order: materials, the host's texture build, cameras, omni lights,
// spotlights, meshes.
#include "import/threeds_import.h"

#include <cstdarg>
#include <cstdio>

#include "import/import_context.h"
#include "platform/win32.h"
#include "plugin/host_services.h"
#include "tds/chunk/errors.h"

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

// A toolkit error belongs to the record that caused it: the error list is cleared
// before every stage and every fetch, so one bad record cannot empty the rest of
// the import.
template <typename Record, typename Prepare, typename Fetch, typename Import, typename Free>
void runStage(ImportContext& context, uint32_t count, Prepare prepare, Fetch fetch,
              Import import, Free release) {
    for (uint32_t i = 0; i < count; ++i) {
        tds::clearErrors();
        Record* record = nullptr;
        prepare(&record);
        fetch(context.database, i, &record);
        if (record)
            import(context, *record);
        release(&record);
    }
}

} // namespace

int32_t ImportThreeDS(const char* path, HostInterface* services) {
    ImportContext context;
    context.services = services;
    tds::clearErrors();
    context.file = tds::openChunkFile(path, "r");
    if (tds::errorPending() || !context.file)
        return 0;
    tds::createDatabase(&context.database);
    if (tds::errorPending() || !context.database) {
        tds::closeChunkFile(context.file);
        return 0;
    }
    tds::readDatabase(context.file, context.database);
    if (tds::errorPending()) {
        tds::releaseDatabase(&context.database);
        tds::closeChunkFile(context.file);
        return 0;
    }

    tds::clearErrors();
    runStage<tds::MaterialRecord>(context, tds::CountMaterials(context.database),
                                  tds::PrepareMaterialRecord, tds::FetchMaterialByIndex,
                                  ImportMaterial, tds::FreeMaterialRecord);
    if (host::FinishMaterials() != 0)
        DebugLine("Failed to create the textures\n");

    tds::clearErrors();
    runStage<tds::CameraRecord>(context, tds::CountCameras(context.database),
                                tds::PrepareCameraRecord, tds::FetchCameraByIndex, ImportCamera,
                                tds::FreeCameraRecord);
    tds::clearErrors();
    runStage<tds::LightRecord>(context, tds::CountOmniLights(context.database),
                               tds::PrepareLightRecord, tds::FetchOmniLightByIndex, ImportLight,
                               tds::FreeLightRecord);
    tds::clearErrors();
    runStage<tds::LightRecord>(context, tds::CountSpotlights(context.database),
                               tds::PrepareSpotlightRecord, tds::FetchSpotlightByIndex,
                               ImportLight, tds::FreeLightRecord);

    tds::clearErrors();
    int32_t result = ImportMeshes(context, path);

    tds::closeChunkFile(context.file);
    tds::releaseDatabase(&context.database);
    return result;
}

} // namespace tessoid
