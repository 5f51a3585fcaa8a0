// The "Mesh" import command of record 2: asks the host for a file and turns it
// into host objects by its extension.
#pragma once

#include <cstdint>

#include "plugin/abi.h"

namespace tessoid {

int32_t TESSOID_STDCALL ImportCommand();

// The text after the last "." of the whole path, or null when it has none.
const char* FileExtension(const char* path);

// Reads an .obj file into PendingMesh and asks the host for a mesh object made
// from it; the handle of the new object, or 0.
int32_t ImportWavefront(const char* path);

} // namespace tessoid
