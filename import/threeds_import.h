// The 3DS import driver: one .3ds file into host materials, cameras, lights and
// polygon-mesh objects.
#pragma once

#include <cstdint>

#include "plugin/interface_records.h"

namespace tessoid {

// Always 0: what the import made reaches the host through its own calls.
int32_t ImportThreeDS(const char* path, HostInterface* services);

} // namespace tessoid
