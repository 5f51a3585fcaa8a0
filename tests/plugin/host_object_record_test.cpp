#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "plugin/host_object_record.h"
#include "plugin/interface_records.h"

using namespace tessoid;

namespace {
int32_t wordAt(const HostObjectRecord& r, size_t offset) {
    return ReadRecordField<int32_t>(r, offset);
}
// The base's pointers: 164, 168 and 244 on 32-bit (pinned in the header).
constexpr size_t EXTENSION1_POINTER = offsetof(HostObjectBase, extension1);
constexpr size_t EXTENSION2_POINTER = offsetof(HostObjectBase, extension2);
constexpr size_t EXTENSION3_POINTER = offsetof(HostObjectBase, extension3);
} // namespace

TEST(PrepareHostObjectRecord, WritesEverySizeAndVersionAndAttachesAsAsked) {
    auto record = std::make_unique<HostObjectRecord>();
    std::memset(record.get(), 0xCC, sizeof(*record));
    PrepareHostObjectRecord(record.get(), false, false);
    EXPECT_EQ(wordAt(*record, 0), 260);
    EXPECT_EQ(wordAt(*record, 4), 103);
    EXPECT_EQ(wordAt(*record, 260), 800);
    EXPECT_EQ(wordAt(*record, 264), 106);
    EXPECT_EQ(wordAt(*record, 1060), 6168);
    EXPECT_EQ(wordAt(*record, 1064), 103);
    EXPECT_EQ(wordAt(*record, 7228), 512);
    EXPECT_EQ(wordAt(*record, 7232), 100);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION1_POINTER), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION2_POINTER), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION3_POINTER), nullptr);
    // Everything else is zero.
    EXPECT_EQ(wordAt(*record, 8), 0);
    EXPECT_EQ(record->base.stateFlags, 0);
    EXPECT_EQ(wordAt(*record, 268), 0);
    EXPECT_EQ(wordAt(*record, 7736), 0);

    PrepareHostObjectRecord(record.get(), true, false);
    auto* base = reinterpret_cast<uint8_t*>(record.get());
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION1_POINTER), base + 260);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION2_POINTER), base + 1060);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION3_POINTER), nullptr);

    PrepareHostObjectRecord(record.get(), false, true);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION1_POINTER), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, EXTENSION3_POINTER), base + 7228);
}

TEST(PluginObjectOf, NeedsKind29AndOurTypeIdentifier) {
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    int object = 0;
    InterfaceHeader ours{300, 112, {}};
    std::memcpy(ours.identifier, OBJECT_TYPE_INTERFACE_ID, 8);
    InterfaceHeader foreign = ours;
    foreign.identifier[7] ^= 1;

    WriteRecordField<void*>(*record, OFFSET_PLUGIN_OBJECT, &object);
    WriteRecordField<void*>(*record, OFFSET_PLUGIN_TYPE_RECORD, &ours);
    record->base.kind = KIND_PLUGIN_OBJECT;
    EXPECT_EQ(PluginObjectOf(*record), &object);

    record->base.kind = KIND_POLYGON_MESH;
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
    record->base.kind = KIND_PLUGIN_OBJECT;
    WriteRecordField<void*>(*record, OFFSET_PLUGIN_TYPE_RECORD, &foreign);
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
    WriteRecordField<void*>(*record, OFFSET_PLUGIN_TYPE_RECORD, nullptr);
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
}
