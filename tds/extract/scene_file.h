// A front for the toolkit as the import uses it: an open 3DS file with its loaded
// database, owned by one handle, and calls that return their outcome.
//
// Every call still writes the process-wide error list (errors.h) as any toolkit
// operation does, with the same codes and messages; the status a call returns is
// the first error it recorded. Each call clears the list before it starts, so an
// error belongs to the call, and one bad record cannot fail the records after it.
#pragma once

#include <cstdint>
#include <memory>

#include "tds/chunk/chunk_file.h"
#include "tds/chunk/chunk_tree.h"
#include "tds/chunk/errors.h"
#include "tds/extract/extract.h"

namespace tds {

// The first error a call recorded, or none.
struct ToolkitStatus {
    int32_t code = NO_ERRORS;
    bool ok() const { return code == NO_ERRORS; }
    const char* message() const { return errorMessage(code); }
};

// A value and the status of the call that made it. The value is kept when the call
// failed part-way: a record filled up to a bad chunk is still worth importing.
template <class T> struct ToolkitResult {
    T value{};
    ToolkitStatus status;
};

// Record handles that free their record with the toolkit's own release call.
template <class Record> struct RecordRelease;
template <> struct RecordRelease<MaterialRecord> {
    void operator()(MaterialRecord* r) const { FreeMaterialRecord(&r); }
};
template <> struct RecordRelease<CameraRecord> {
    void operator()(CameraRecord* r) const { FreeCameraRecord(&r); }
};
template <> struct RecordRelease<LightRecord> {
    void operator()(LightRecord* r) const { FreeLightRecord(&r); }
};
template <> struct RecordRelease<MeshRecord> {
    void operator()(MeshRecord* r) const { FreeMeshRecord(&r); }
};
template <class Record> using RecordHandle = std::unique_ptr<Record, RecordRelease<Record>>;

// The record sets of a scene, in the order an import visits them.
enum class RecordSet : uint8_t { Materials, Cameras, OmniLights, Spotlights, Meshes };

class SceneFile {
  public:
    // Opens `path` for reading and loads its chunk tree. On failure the handle
    // holds nothing and the status is never ok.
    static ToolkitResult<SceneFile> open(const char* path);

    SceneFile() = default;
    SceneFile(SceneFile&& other) noexcept;
    SceneFile& operator=(SceneFile&& other) noexcept;
    SceneFile(const SceneFile&) = delete;
    SceneFile& operator=(const SceneFile&) = delete;
    // Closes the file and releases the database.
    ~SceneFile();

    bool isOpen() const { return database_ != nullptr; }

    // Records in a set; 0 on failure (and for a handle that holds nothing).
    ToolkitResult<uint32_t> count(RecordSet set) const;

    // The index-th record of a set (index below count()); no record when none
    // could be made.
    ToolkitResult<RecordHandle<MaterialRecord>> material(uint32_t index) const;
    ToolkitResult<RecordHandle<CameraRecord>> camera(uint32_t index) const;
    ToolkitResult<RecordHandle<LightRecord>> omniLight(uint32_t index) const;
    ToolkitResult<RecordHandle<LightRecord>> spotlight(uint32_t index) const;
    ToolkitResult<RecordHandle<MeshRecord>> mesh(uint32_t index) const;

  private:
    void close();

    ChunkFile* file_ = nullptr;
    ChunkDatabase* database_ = nullptr;
};

} // namespace tds
