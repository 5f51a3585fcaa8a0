// The two exports: the information record and the four interface records.
#include <cstdlib>
#include <cstring>

#include "plugin/exports.h"
#include "plugin/plugin_state.h"
#include "resources/resource.h"

namespace tessoid {

const uint8_t HOST_INTERFACE_ID[8] = {0x7b, 0xcf, 0xc6, 0x3c, 0xd4, 0xd7, 0x90, 0xa8};
const uint8_t FILE_TYPE_INTERFACE_ID[8] = {0xe4, 0xca, 0x46, 0x3b, 0x27, 0x5e, 0xc3, 0x48};
const uint8_t IMPORTER_INTERFACE_ID[8] = {0x6c, 0x36, 0xc3, 0x3b, 0x27, 0x61, 0x84, 0xec};
const uint8_t OBJECT_TYPE_INTERFACE_ID[8] = {0xeb, 0x23, 0x8b, 0x3b, 0x38, 0x89, 0xb3, 0xf3};

const char FILE_FILTER[] =
    "3DStudio Files (*.3ds)|*.3ds|OBJ Files (*.obj)|*.obj|All Files (*.*)|*.*||";
static_assert(sizeof(FILE_FILTER) <= sizeof(FileTypeInterface::filter));

namespace {

constexpr int ICON_RESOURCE_ID = IDI_TESSOID;
static_assert(TYPE_BITMAP_ID == IDB_TYPE_PICTURE, "the type picture the host loads");

// Record 0's notification slots: the host may call them; we have nothing to do.
int32_t TESSOID_STDCALL ignore1(int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL ignore2(int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL ignore3(int32_t, int32_t, int32_t) {
    return 0;
}
int32_t TESSOID_STDCALL ignore4(int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
void TESSOID_STDCALL ignoreVoid1(int32_t) {}
void TESSOID_STDCALL ignoreVoid2(int32_t, int32_t) {}

void copyText(char* field, size_t fieldSize, const char* text) {
    std::strncpy(field, text, fieldSize - 1);
    field[fieldSize - 1] = '\0';
}

int32_t majorVersion(const InterfaceHeader& header) {
    return header.version / 100;
}

int32_t fillHostInterface(HostInterface* record) {
    if (record->header.size < HOST_INTERFACE_MIN_SIZE)
        return RESULT_TOO_SMALL;
    if (majorVersion(record->header) != HOST_INTERFACE_MAJOR)
        return RESULT_WRONG_VERSION;
    std::memcpy(record->header.identifier, HOST_INTERFACE_ID, 8);
    record->notify644 = ignore2;
    record->notify648 = ignore3;
    record->notify652 = ignore4;
    record->notify656 = ignore1;
    record->notify660 = ignore3;
    record->notify664 = ignore3;
    record->notify668 = ignore2;
    record->notify672 = ignore3;
    record->notify676 = ignoreVoid2;
    record->notify680 = ignoreVoid1;
    State().hostInterface = record;
    return RESULT_OK;
}

int32_t fillFileTypeInterface(FileTypeInterface* record) {
    if (record->header.size < FILE_TYPE_INTERFACE_MIN_SIZE)
        return RESULT_TOO_SMALL;
    if (majorVersion(record->header) != FILE_TYPE_INTERFACE_MAJOR)
        return RESULT_WRONG_VERSION;
    std::memcpy(record->header.identifier, FILE_TYPE_INTERFACE_ID, 8);
    copyText(record->filter, sizeof(record->filter), FILE_FILTER);
    copyText(record->defaultPattern, sizeof(record->defaultPattern), "*.3ds");
    State().fileTypeInterface = record;
    return RESULT_OK;
}

int32_t fillImporterInterface(ImporterInterface* record) {
    if (record->header.size < IMPORTER_INTERFACE_MIN_SIZE)
        return RESULT_TOO_SMALL;
    if (majorVersion(record->header) != IMPORTER_INTERFACE_MAJOR)
        return RESULT_WRONG_VERSION;
    std::memcpy(record->header.identifier, IMPORTER_INTERFACE_ID, 8);
    copyText(record->commandName, sizeof(record->commandName), "Mesh");
    record->importCommand = ImportCommandSlot();
    return RESULT_OK;
}

int32_t fillObjectTypeInterface(ObjectTypeInterface* record) {
    // This record is checked version first, and any major version from 1 up is ours.
    if (majorVersion(record->header) <= 0)
        return RESULT_WRONG_VERSION;
    if (record->header.size < OBJECT_TYPE_INTERFACE_MIN_SIZE)
        return RESULT_TOO_SMALL;
    record->header.version = OBJECT_TYPE_INTERFACE_VERSION;
    std::memcpy(record->header.identifier, OBJECT_TYPE_INTERFACE_ID, 8);
    copyText(record->typeName, sizeof(record->typeName), "Tessoid");
    copyText(record->nameTemplate, sizeof(record->nameTemplate), "Tessoid%d");
    record->typeFlags = OBJECT_TYPE_FLAGS;
    record->bitmapId = TYPE_BITMAP_ID;
    record->zero252 = 0;
    InstallObjectTypeSlots(*record);
    return RESULT_OK;
}

} // namespace
} // namespace tessoid

using namespace tessoid;

TESSOID_EXPORT int32_t GetDLLInfo(PluginInfo** out) {
    PluginState& state = State();
    if (!state.info) {
        state.info = static_cast<PluginInfo*>(std::malloc(sizeof(PluginInfo)));
        if (!state.info)
            return 0;
    }
    PluginInfo* info = state.info;
    std::memset(info, 0, sizeof(*info));
    info->version = PLUGIN_INFO_VERSION;
    copyText(info->displayName, sizeof(info->displayName), "Tessellon");
    copyText(info->notice, sizeof(info->notice), "Tessoid: mesh import and tessellation plug-in");
    copyText(info->email, sizeof(info->email), "developers@tessoid.invalid");
    copyText(info->homePage, sizeof(info->homePage), "https://tessoid.invalid/tessoid");
    copyText(info->description, sizeof(info->description), "3DS and Wavefront Mesh Importer");
    info->icon = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
        LoadIconA(reinterpret_cast<HINSTANCE>(state.module), MAKEINTRESOURCEA(ICON_RESOURCE_ID))));
    info->interfaceCount = INTERFACE_COUNT;
    info->interfaces[0] = {INTERFACE_KIND_HOST, HOST_INTERFACE_VERSION};
    info->interfaces[1] = {INTERFACE_KIND_FILE_TYPE, FILE_TYPE_INTERFACE_VERSION};
    info->interfaces[2] = {INTERFACE_KIND_IMPORTER, IMPORTER_INTERFACE_VERSION};
    info->interfaces[3] = {INTERFACE_KIND_OBJECT_TYPE, OBJECT_TYPE_INTERFACE_VERSION};
    if (out)
        *out = info;
    return 1;
}

TESSOID_EXPORT int32_t GetInterfaceFunctions(int32_t index, void* record) {
    if (!record)
        return RESULT_NULL_RECORD;
    switch (index) {
    case 0:
        return fillHostInterface(static_cast<HostInterface*>(record));
    case 1:
        return fillFileTypeInterface(static_cast<FileTypeInterface*>(record));
    case 2:
        return fillImporterInterface(static_cast<ImporterInterface*>(record));
    case 3:
        return fillObjectTypeInterface(static_cast<ObjectTypeInterface*>(record));
    default:
        return RESULT_BAD_INDEX;
    }
}
