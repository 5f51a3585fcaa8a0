// What the two exports need from the subsystems behind them.
#pragma once

#include "plugin/interface_records.h"

namespace tessoid {

extern const char FILE_FILTER[];

// The function of record 2's command slot (the import command).
ImportCommandFn ImportCommandSlot();

// Writes the mesh object type's operation slots into record 3.
void InstallObjectTypeSlots(ObjectTypeInterface& record);

} // namespace tessoid

TESSOID_EXPORT int32_t GetDLLInfo(tessoid::PluginInfo** out);
TESSOID_EXPORT int32_t GetInterfaceFunctions(int32_t index, void* record);
