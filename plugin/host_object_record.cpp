#include "plugin/host_object_record.h"

#include "plugin/interface_records.h"

namespace tessoid {

void PrepareHostObjectRecord(HostObjectRecord* record, bool attachExtensions12,
                             bool attachExtension3) {
    std::memset(record, 0, sizeof(*record));
    record->base.size = BASE_RECORD_SIZE;
    record->base.version = BASE_RECORD_VERSION;
    record->extension1.size = EXTENSION1_SIZE;
    record->extension1.version = EXTENSION1_VERSION;
    record->extension2.size = EXTENSION2_SIZE;
    record->extension2.version = EXTENSION2_VERSION;
    record->extension3.size = EXTENSION3_SIZE;
    record->extension3.version = EXTENSION3_VERSION;
    record->base.extension1 = attachExtensions12 ? &record->extension1 : nullptr;
    record->base.extension2 = attachExtensions12 ? &record->extension2 : nullptr;
    record->base.extension3 = attachExtension3 ? &record->extension3 : nullptr;
}

void* PluginObjectOf(const HostObjectRecord& record) {
    if (record.base.kind != KIND_PLUGIN_OBJECT)
        return nullptr;
    auto* typeRecord = ReadRecordField<const InterfaceHeader*>(record, OFFSET_PLUGIN_TYPE_RECORD);
    if (!typeRecord || std::memcmp(typeRecord->identifier, OBJECT_TYPE_INTERFACE_ID, 8) != 0)
        return nullptr;
    return ReadRecordField<void*>(record, OFFSET_PLUGIN_OBJECT);
}

} // namespace tessoid
