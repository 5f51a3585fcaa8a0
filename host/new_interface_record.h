// An interface record as a host makes it before handing it to GetInterfaceFunctions:
// zeroed, with its header's size and version set. The reference host and the unit tests'
// fake host both make their records so.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace host {

template <typename Record>
std::unique_ptr<Record> NewInterfaceRecord(uint32_t size, int32_t version) {
    auto record = std::make_unique<Record>();
    std::memset(record.get(), 0, sizeof(Record));
    record->header.size = size;
    record->header.version = version;
    return record;
}

} // namespace host
