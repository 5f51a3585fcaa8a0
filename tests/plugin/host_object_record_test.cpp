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
    EXPECT_EQ(ReadRecordField<void*>(*record, 164), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, 168), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, 244), nullptr);
    // Everything else is zero.
    EXPECT_EQ(wordAt(*record, 8), 0);
    EXPECT_EQ(record->base.stateFlags, 0);
    EXPECT_EQ(wordAt(*record, 268), 0);
    EXPECT_EQ(wordAt(*record, 7736), 0);

    PrepareHostObjectRecord(record.get(), true, false);
    auto* base = reinterpret_cast<uint8_t*>(record.get());
    EXPECT_EQ(ReadRecordField<void*>(*record, 164), base + 260);
    EXPECT_EQ(ReadRecordField<void*>(*record, 168), base + 1060);
    EXPECT_EQ(ReadRecordField<void*>(*record, 244), nullptr);

    PrepareHostObjectRecord(record.get(), false, true);
    EXPECT_EQ(ReadRecordField<void*>(*record, 164), nullptr);
    EXPECT_EQ(ReadRecordField<void*>(*record, 244), base + 7228);
}

TEST(PluginObjectOf, NeedsKind29AndOurTypeIdentifier) {
    auto record = std::make_unique<HostObjectRecord>();
    PrepareHostObjectRecord(record.get(), true, false);
    int object = 0;
    InterfaceHeader ours{300, 112, {}};
    std::memcpy(ours.identifier, OBJECT_TYPE_INTERFACE_ID, 8);
    InterfaceHeader foreign = ours;
    foreign.identifier[7] ^= 1;

    WriteRecordField<void*>(*record, 268, &object);
    WriteRecordField<void*>(*record, 272, &ours);
    record->base.kind = KIND_PLUGIN_OBJECT;
    EXPECT_EQ(PluginObjectOf(*record), &object);

    record->base.kind = KIND_POLYGON_MESH;
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
    record->base.kind = KIND_PLUGIN_OBJECT;
    WriteRecordField<void*>(*record, 272, &foreign);
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
    WriteRecordField<void*>(*record, 272, nullptr);
    EXPECT_EQ(PluginObjectOf(*record), nullptr);
}
