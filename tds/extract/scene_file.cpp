#include "tds/extract/scene_file.h"

#include <utility>

namespace tds {
namespace {

ToolkitStatus status() {
    return {errorPending() ? errorList().entries[0].code : NO_ERRORS};
}

template <class T> ToolkitResult<T> result(T value) {
    ToolkitResult<T> r;
    r.value = std::move(value);
    r.status = status();
    return r;
}

// Prepare, then fetch: the toolkit's two steps of every record.
template <class Record, class Prepare, class Fetch>
ToolkitResult<RecordHandle<Record>> fetchRecord(ChunkDatabase* db, uint32_t index, Prepare prepare,
                                                Fetch fetch) {
    clearErrors();
    Record* record = nullptr;
    prepare(&record);
    fetch(db, index, &record);
    return result(RecordHandle<Record>(record));
}

} // namespace

ToolkitResult<SceneFile> SceneFile::open(const char* path) {
    ToolkitResult<SceneFile> r;
    clearErrors();
    r.value.file_ = openChunkFile(path, "r");
    if (errorPending() || !r.value.file_) {
        r.status = status();
        r.value.file_ = nullptr;
        // A file not opened with nothing recorded still fails (the list stays as it is).
        if (r.status.ok())
            r.status.code = ERR_OPENING_FILE;
        return r;
    }
    createDatabase(&r.value.database_);
    if (!errorPending() && r.value.database_)
        readDatabase(r.value.file_, r.value.database_);
    r.status = status();
    if (!r.status.ok() || !r.value.database_) {
        r.value.close();
        // A database not made with nothing recorded still fails (the list stays as it is).
        if (r.status.ok())
            r.status.code = ERR_CREATING_DATABASE;
    }
    return r;
}

SceneFile::SceneFile(SceneFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      database_(std::exchange(other.database_, nullptr)) {}

SceneFile& SceneFile::operator=(SceneFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        database_ = std::exchange(other.database_, nullptr);
    }
    return *this;
}

SceneFile::~SceneFile() {
    close();
}

void SceneFile::close() {
    if (file_)
        closeChunkFile(file_);
    file_ = nullptr;
    releaseDatabase(&database_);
}

ToolkitResult<uint32_t> SceneFile::count(RecordSet set) const {
    clearErrors();
    if (!database_)
        return {};
    uint32_t n = 0;
    switch (set) {
    case RecordSet::Materials:
        n = CountMaterials(database_);
        break;
    case RecordSet::Cameras:
        n = CountCameras(database_);
        break;
    case RecordSet::OmniLights:
        n = CountOmniLights(database_);
        break;
    case RecordSet::Spotlights:
        n = CountSpotlights(database_);
        break;
    case RecordSet::Meshes:
        n = CountMeshes(database_);
        break;
    }
    return result(n);
}

ToolkitResult<RecordHandle<MaterialRecord>> SceneFile::material(uint32_t index) const {
    return fetchRecord<MaterialRecord>(database_, index, PrepareMaterialRecord,
                                       FetchMaterialByIndex);
}

ToolkitResult<RecordHandle<CameraRecord>> SceneFile::camera(uint32_t index) const {
    return fetchRecord<CameraRecord>(database_, index, PrepareCameraRecord, FetchCameraByIndex);
}

ToolkitResult<RecordHandle<LightRecord>> SceneFile::omniLight(uint32_t index) const {
    return fetchRecord<LightRecord>(database_, index, PrepareLightRecord, FetchOmniLightByIndex);
}

ToolkitResult<RecordHandle<LightRecord>> SceneFile::spotlight(uint32_t index) const {
    return fetchRecord<LightRecord>(database_, index, PrepareSpotlightRecord,
                                    FetchSpotlightByIndex);
}

ToolkitResult<RecordHandle<MeshRecord>> SceneFile::mesh(uint32_t index) const {
    return fetchRecord<MeshRecord>(
        database_, index, [](MeshRecord** r) { PrepareMeshRecord(r, 0, 0, 0); }, FetchMeshByIndex);
}

} // namespace tds
