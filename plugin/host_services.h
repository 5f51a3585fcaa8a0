// Typed calls of the host's services. Each answers RESULT_EMPTY_SLOT when the
// host has not handed over record 0 or left the slot empty, so no caller ever
// jumps through a null slot.
#pragma once

#include <cstdint>

#include "plugin/interface_records.h"

namespace tessoid::host {

HostInterface* Services();
FileTypeInterface* FileServices();

int32_t AcceptImportResult(HostHandle handle);
int32_t GetCurrentObject(HostHandle* out);
int32_t CreateObject(int32_t kind, const void* typeOrSpec, HostHandle* out);
int32_t RemoveObject(HostHandle handle);
int32_t SetObjectAttributes(HostHandle handle, PlacementRecord* placement, int32_t mask);
int32_t GetObjectTransform(HostHandle handle, ObjectTransform* transform);
int32_t SetObjectInfo(HostHandle handle, HostObjectRecord* record, uint32_t mask);
int32_t GetObjectInfo(HostHandle handle, HostObjectRecord* record);
int32_t AddToGroup(HostHandle group, HostHandle child);
int32_t OpenChildList(HostHandle handle, uint32_t* outList);
int32_t GetChild(uint32_t list, int32_t index, HostHandle* out);
int32_t CloseChildList(uint32_t list);
int32_t SetHostState(int32_t state);
int32_t GetHostSetting(int32_t id, int32_t* out);
int32_t SetHostSetting(int32_t id, int32_t value);
int32_t FinishMaterials();
int32_t GetMeshAccess(HostHandle handle, void* table);

// File selection of record 1; dialog value -1 stands for the host's default.
int32_t AskFileName(int32_t dialogValue, char* buffer, int32_t mode);
int32_t GetFileName(int32_t dialogValue, char* buffer);

} // namespace tessoid::host
