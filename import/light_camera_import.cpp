// 3DS cameras and lights into host cameras and lights: placement, colour and
// lens values only.
#include <cstring>
#include <memory>

#include "import/import_context.h"
#include "import/sanitize_name.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/import_records.h"

namespace tessoid {

namespace {

PlacementRecord placementAt(const tds::Point& p) {
    PlacementRecord placement;
    std::memset(&placement, 0, sizeof(placement));
    placement.tag = 101;
    placement.vector[0] = p.x;
    placement.vector[1] = p.y;
    placement.vector[2] = p.z;
    return placement;
}

void setName(HostObjectRecord& record, const char* name) {
    std::string clean = SanitizeName(name, MESH_NAME_MAX);
    std::strncpy(record.base.name, clean.c_str(), sizeof(record.base.name) - 1);
}

// Writing back a record that was never read would blank the object's other values:
// an object the host will not describe keeps its defaults, unnamed and unplaced.
bool readRecord(HostHandle handle, HostObjectRecord& record, const char* what) {
    if (host::GetObjectInfo(handle, &record) == 0)
        return true;
    DebugLine("Failed to read the new %s\n", what);
    return false;
}

} // namespace

void ImportLight(ImportContext&, const tds::LightRecord& light) {
    HostHandle handle = 0;
    if (host::CreateObject(KIND_LIGHT, nullptr, &handle) != 0)
        return;
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    if (!readRecord(handle, *record, "light"))
        return;
    setName(*record, light.name);
    double m = light.multiplier;
    WriteRecordField(*record, LIGHT_RED, light.color.r * m);
    WriteRecordField(*record, LIGHT_GREEN, light.color.g * m);
    WriteRecordField(*record, LIGHT_BLUE, light.color.b * m);
    host::SetObjectInfo(handle, record.get(), MASK_KIND_PROPERTIES | MASK_NAME);
    PlacementRecord placement = placementAt(light.position);
    host::SetObjectAttributes(handle, &placement, PLACE_LIGHT_POSITION);
}

void ImportCamera(ImportContext&, const tds::CameraRecord& camera) {
    HostHandle handle = 0;
    if (host::CreateObject(KIND_CAMERA, nullptr, &handle) != 0)
        return;
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    if (!readRecord(handle, *record, "camera"))
        return;
    setName(*record, camera.name);
    WriteRecordField(*record, CAMERA_FIELD_OF_VIEW, static_cast<double>(camera.fieldOfView));
    WriteRecordField(*record, CAMERA_ROLL, static_cast<double>(camera.roll));
    WriteRecordField(*record, CAMERA_VALUE_24, 1.0);
    WriteRecordField(*record, CAMERA_VALUE_32, 2.0);
    WriteRecordField<int32_t>(*record, CAMERA_NO_CONE, camera.showCone == 0 ? 1 : 0);
    std::memset(reinterpret_cast<uint8_t*>(record.get()) + CAMERA_NO_CONE + 4, 0,
                CAMERA_VALUE_100 - (CAMERA_NO_CONE + 4));
    WriteRecordField(*record, CAMERA_VALUE_100, 0.1);
    WriteRecordField(*record, CAMERA_VALUE_108, 0.0);
    host::SetObjectInfo(handle, record.get(), MASK_KIND_PROPERTIES | MASK_NAME);
    PlacementRecord placement = placementAt(camera.position);
    host::SetObjectAttributes(handle, &placement, PLACE_CAMERA_POSITION);
    placement = placementAt(camera.target);
    host::SetObjectAttributes(handle, &placement, PLACE_CAMERA_TARGET);
}

} // namespace tessoid
