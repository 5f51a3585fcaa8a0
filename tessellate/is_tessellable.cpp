#include "tessellate/is_tessellable.h"

#include <cstring>
#include <memory>

#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/interface_records.h"

namespace tessoid {

namespace {

// A host whose references or children form a cycle must not exhaust the stack.
constexpr int MAX_NESTING = 64;

bool tessellableKind(int32_t kind) {
    switch (kind) {
    case 5:
    case 9:
    case 10:
    case 11:
    case 14:
    case 15:
    case 19:
    case 20:
    case 24:
        return false;
    default:
        return kind >= 1 && kind <= 29;
    }
}

bool isTessellable(HostHandle handle, int depth) {
    if (handle == 0 || depth > MAX_NESTING)
        return false;
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    if (host::GetObjectInfo(handle, record.get()) != RESULT_OK)
        return false;
    const int32_t kind = record->base.kind;
    switch (kind) {
    case KIND_CONTAINER:
    case KIND_GROUP: {
        uint32_t list = 0;
        if (host::OpenChildList(handle, &list) != RESULT_OK)
            return false;
        bool found = false;
        HostHandle child = 0;
        // Any answer but success ends the walk; -30 is the normal end.
        for (int32_t i = 0; !found && host::GetChild(list, i, &child) == RESULT_OK; ++i)
            found = isTessellable(child, depth + 1);
        host::CloseChildList(list);
        return found;
    }
    case KIND_REFERENCE:
        return isTessellable(ReadRecordField<HostHandle>(*record, OFFSET_REFERRED_HANDLE),
                             depth + 1);
    case KIND_PLUGIN_OBJECT: {
        auto* type = ReadRecordField<const InterfaceHeader*>(*record, OFFSET_PLUGIN_TYPE_RECORD);
        return type && std::memcmp(type->identifier, OBJECT_TYPE_INTERFACE_ID, 8) == 0;
    }
    default:
        return tessellableKind(kind);
    }
}

} // namespace

bool IsTessellable(HostHandle handle) {
    return isTessellable(handle, 0);
}

} // namespace tessoid
