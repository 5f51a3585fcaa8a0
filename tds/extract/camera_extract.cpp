// Camera records out of the named objects of a database.
#include <cmath>
#include <new>

#include "tds/chunk/errors.h"
#include "tds/extract/extract_ids.h"
#include "tds/extract/extract_util.h"
#include "tds/extract/light_camera_record.h"
#include "tds/extract/mesh_record.h"

namespace tds {
namespace {

using detail::childWithId;

bool isCamera(const ChunkNode* object) {
    return object && object->id == CK_NAMED_OBJECT && childWithId(object, CK_CAMERA);
}

void fillCamera(ChunkNode* object, CameraRecord** record) {
    if (!isCamera(object)) {
        pushError(ERR_WRONG_OBJECT);
        return;
    }
    PrepareCameraRecord(record);
    if (!*record || mustStop())
        return;
    CameraRecord& r = **record;
    detail::PrivateCopy copy(object);
    if (!copy.get() || mustStop())
        return;
    if (const std::string* name = detail::objectName(copy.get()))
        detail::copyName(r.name, *name);
    ChunkNode* camera = childWithId(copy.get(), CK_CAMERA);
    if (!camera)
        return;
    if (const CameraData* d = readChunkDataAs<CameraData>(camera)) {
        r.position = d->position;
        r.target = d->target;
        r.roll = d->roll;
        // Lens in millimetres. A zero, negative, infinite or NaN lens gives no
        // usable angle, so the default stays.
        const float fov = 2400.0f / d->lens;
        if (std::isfinite(fov) && fov > 0.0f)
            r.fieldOfView = fov;
    }
    if (childWithId(camera, detail::CK_CAMERA_SEE_CONE))
        r.showCone = 1;
    if (const CameraRangesData* d =
            detail::optionalData<CameraRangesData>(childWithId(camera, CK_CAMERA_RANGES))) {
        r.nearRange = d->nearRange;
        r.farRange = d->farRange;
    }
}

} // namespace

void PrepareCameraRecord(CameraRecord** record) {
    detail::prepareRecord(record);
}

void FreeCameraRecord(CameraRecord** record) {
    detail::freeRecord(record);
}

uint32_t CountCameras(ChunkDatabase* db) {
    return detail::countObjects(db, isCamera);
}

void FetchCameraByIndex(ChunkDatabase* db, uint32_t index, CameraRecord** record) {
    if (!db || !record) {
        pushError(ERR_INVALID_ARG);
        return;
    }
    try {
        if (ChunkNode* camera = detail::nthObject(db, index, isCamera))
            fillCamera(camera, record);
    } catch (const std::bad_alloc&) {
        pushError(ERR_NO_MEM);
    }
}

} // namespace tds
