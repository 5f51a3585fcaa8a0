// The two exports and the records they fill, called as a host would.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/exports.h"
#include "plugin/host_services.h"
#include "plugin/interface_records.h"

using namespace tessoid;

namespace {

template <typename Record> Record blankRecord(uint32_t size, int32_t version) {
    Record record;
    std::memset(&record, 0xA5, sizeof(record));
    record.header.size = size;
    record.header.version = version;
    return record;
}

template <typename Record> bool untouched(const Record& before, const Record& after) {
    return std::memcmp(&before, &after, sizeof(Record)) == 0;
}

} // namespace

TEST(GetInterfaceFunctions, RejectsNullRecordAndBadIndexBeforeLookingAtTheRecord) {
    for (int index = -1; index <= 4; ++index)
        EXPECT_EQ(GetInterfaceFunctions(index, nullptr), RESULT_NULL_RECORD) << index;
    auto record = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE, HOST_INTERFACE_VERSION);
    const auto before = record;
    EXPECT_EQ(GetInterfaceFunctions(4, &record), RESULT_BAD_INDEX);
    EXPECT_EQ(GetInterfaceFunctions(-1, &record), RESULT_BAD_INDEX);
    EXPECT_TRUE(untouched(before, record));
}

TEST(GetInterfaceFunctions, HostRecordChecksSizeThenMajorVersion) {
    auto small = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE - 1, HOST_INTERFACE_VERSION);
    const auto smallBefore = small;
    EXPECT_EQ(GetInterfaceFunctions(0, &small), RESULT_TOO_SMALL);
    EXPECT_TRUE(untouched(smallBefore, small));

    // Both wrong: the size is tested first.
    auto smallAndOld = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE - 1, 199);
    EXPECT_EQ(GetInterfaceFunctions(0, &smallAndOld), RESULT_TOO_SMALL);

    auto old = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE, 199);
    const auto oldBefore = old;
    EXPECT_EQ(GetInterfaceFunctions(0, &old), RESULT_WRONG_VERSION);
    EXPECT_TRUE(untouched(oldBefore, old));
    auto newer = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE, 300);
    EXPECT_EQ(GetInterfaceFunctions(0, &newer), RESULT_WRONG_VERSION);
}

TEST(GetInterfaceFunctions, HostRecordOfAnyMinorVersionIsFilledWithInertNotifications) {
    auto record = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE, 250);
    EXPECT_EQ(GetInterfaceFunctions(0, &record), RESULT_OK);
    EXPECT_EQ(0, std::memcmp(record.header.identifier, HOST_INTERFACE_ID, 8));
    const uint8_t expectedId[8] = {0x7b, 0xcf, 0xc6, 0x3c, 0xd4, 0xd7, 0x90, 0xa8};
    EXPECT_EQ(0, std::memcmp(record.header.identifier, expectedId, 8));
    EXPECT_EQ(record.header.version, 250);
    EXPECT_EQ(record.notify644(1, 2), 0);
    EXPECT_EQ(record.notify648(1, 2, 3), 0);
    EXPECT_EQ(record.notify652(1, 2, 3, 4), 0);
    EXPECT_EQ(record.notify656(1), 0);
    EXPECT_EQ(record.notify660(1, 2, 3), 0);
    EXPECT_EQ(record.notify664(1, 2, 3), 0);
    EXPECT_EQ(record.notify668(1, 2), 0);
    EXPECT_EQ(record.notify672(1, 2, 3), 0);
    record.notify676(1, 2);
    record.notify680(1);
    // The host's service slots are its own: the plug-in leaves them as they were.
    auto* raw = reinterpret_cast<const uint8_t*>(&record);
    EXPECT_EQ(raw[272], 0xA5);
    EXPECT_EQ(raw[444], 0xA5);
    EXPECT_EQ(host::Services(), &record);
}

TEST(GetInterfaceFunctions, FileTypeRecordGetsTheFilterAndPattern) {
    auto small = blankRecord<FileTypeInterface>(FILE_TYPE_INTERFACE_MIN_SIZE - 1, 100);
    EXPECT_EQ(GetInterfaceFunctions(1, &small), RESULT_TOO_SMALL);
    auto wrong = blankRecord<FileTypeInterface>(FILE_TYPE_INTERFACE_MIN_SIZE, 200);
    const auto wrongBefore = wrong;
    EXPECT_EQ(GetInterfaceFunctions(1, &wrong), RESULT_WRONG_VERSION);
    EXPECT_TRUE(untouched(wrongBefore, wrong));

    auto record = blankRecord<FileTypeInterface>(FILE_TYPE_INTERFACE_MIN_SIZE, 101);
    ASSERT_EQ(GetInterfaceFunctions(1, &record), RESULT_OK);
    const uint8_t expectedId[8] = {0xe4, 0xca, 0x46, 0x3b, 0x27, 0x5e, 0xc3, 0x48};
    EXPECT_EQ(0, std::memcmp(record.header.identifier, expectedId, 8));
    EXPECT_STREQ(record.filter,
                 "3DStudio Files (*.3ds)|*.3ds|OBJ Files (*.obj)|*.obj|All Files (*.*)|*.*||");
    EXPECT_STREQ(record.defaultPattern, "*.3ds");
    EXPECT_EQ(host::FileServices(), &record);
}

TEST(GetInterfaceFunctions, ImporterRecordGetsTheMeshCommand) {
    auto small = blankRecord<ImporterInterface>(IMPORTER_INTERFACE_MIN_SIZE - 1, 100);
    EXPECT_EQ(GetInterfaceFunctions(2, &small), RESULT_TOO_SMALL);
    auto wrong = blankRecord<ImporterInterface>(IMPORTER_INTERFACE_MIN_SIZE, 99);
    EXPECT_EQ(GetInterfaceFunctions(2, &wrong), RESULT_WRONG_VERSION);

    auto record = blankRecord<ImporterInterface>(IMPORTER_INTERFACE_MIN_SIZE, 100);
    ASSERT_EQ(GetInterfaceFunctions(2, &record), RESULT_OK);
    const uint8_t expectedId[8] = {0x6c, 0x36, 0xc3, 0x3b, 0x27, 0x61, 0x84, 0xec};
    EXPECT_EQ(0, std::memcmp(record.header.identifier, expectedId, 8));
    EXPECT_STREQ(record.commandName, "Mesh");
    EXPECT_NE(record.importCommand, nullptr);
}

TEST(GetInterfaceFunctions, ObjectTypeRecordChecksVersionFirstAndAcceptsAnyLaterMajor) {
    auto zero = blankRecord<ObjectTypeInterface>(OBJECT_TYPE_INTERFACE_MIN_SIZE - 100, 0);
    const auto zeroBefore = zero;
    EXPECT_EQ(GetInterfaceFunctions(3, &zero), RESULT_WRONG_VERSION);
    EXPECT_TRUE(untouched(zeroBefore, zero));
    auto negative = blankRecord<ObjectTypeInterface>(OBJECT_TYPE_INTERFACE_MIN_SIZE, -100);
    EXPECT_EQ(GetInterfaceFunctions(3, &negative), RESULT_WRONG_VERSION);
    auto small = blankRecord<ObjectTypeInterface>(OBJECT_TYPE_INTERFACE_MIN_SIZE - 100, 100);
    const auto smallBefore = small;
    EXPECT_EQ(GetInterfaceFunctions(3, &small), RESULT_TOO_SMALL);
    EXPECT_TRUE(untouched(smallBefore, small));

    auto record = blankRecord<ObjectTypeInterface>(OBJECT_TYPE_INTERFACE_MIN_SIZE, 350);
    ASSERT_EQ(GetInterfaceFunctions(3, &record), RESULT_OK);
    EXPECT_EQ(record.header.version, 112);
    const uint8_t expectedId[8] = {0xeb, 0x23, 0x8b, 0x3b, 0x38, 0x89, 0xb3, 0xf3};
    EXPECT_EQ(0, std::memcmp(record.header.identifier, expectedId, 8));
    EXPECT_STREQ(record.typeName, "Tessoid");
    EXPECT_STREQ(record.nameTemplate, "Tessoid%d");
    EXPECT_EQ(record.typeFlags, 543u);
    EXPECT_EQ(record.bitmapId, 107);
    EXPECT_EQ(record.zero252, 0);
}

TEST(GetDLLInfo, FillsTheSameRecordOnEveryCall) {
    PluginInfo* first = nullptr;
    PluginInfo* second = nullptr;
    ASSERT_EQ(GetDLLInfo(&first), 1);
    ASSERT_NE(first, nullptr);
    first->version = 0;
    std::memset(first->reserved680, 0x5A, sizeof(first->reserved680));
    ASSERT_EQ(GetDLLInfo(&second), 1);
    EXPECT_EQ(first, second);
    // Cleared and filled again on every call.
    EXPECT_EQ(second->version, 1103);
    for (uint8_t b : second->reserved680)
        ASSERT_EQ(b, 0);
    EXPECT_STREQ(second->displayName, "Tessellon");
    EXPECT_STREQ(second->description, "3DS and Wavefront Mesh Importer");
    EXPECT_GT(std::strlen(second->notice), 0u);
    EXPECT_EQ(second->interfaceCount, 4);
    // The values a host reads, written out, so that a wrong name in the code shows here.
    const InterfaceEntry expected[4] = {{2, 204}, {3, 100}, {4, 100}, {1, 112}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(second->interfaces[i].kind, expected[i].kind) << i;
        EXPECT_EQ(second->interfaces[i].version, expected[i].version) << i;
    }
}

TEST(HostServices, AnswerEmptySlotWhenTheHostLeftThemOut) {
    auto record = blankRecord<HostInterface>(HOST_INTERFACE_MIN_SIZE, HOST_INTERFACE_VERSION);
    std::memset(reinterpret_cast<uint8_t*>(&record) + 16, 0, sizeof(record) - 16);
    ASSERT_EQ(GetInterfaceFunctions(0, &record), RESULT_OK);
    HostHandle handle = 99;
    EXPECT_EQ(host::GetCurrentObject(&handle), RESULT_EMPTY_SLOT);
    EXPECT_EQ(host::FinishMaterials(), RESULT_EMPTY_SLOT);
    EXPECT_EQ(handle, 99u);
}
