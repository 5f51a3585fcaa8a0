// Whether a host object can be rebuilt from engine primitives and cut into a mesh.
#pragma once

#include "plugin/abi.h"

namespace tessoid {

// False for no object, cameras, lights, library items, other plug-ins' objects
// and the few shape kinds the engine cannot build; containers and groups are
// tessellable when one of their children is, references when their target is.
bool IsTessellable(HostHandle handle);

} // namespace tessoid
