#include "plugin/host_services.h"

#include "plugin/plugin_state.h"

namespace tessoid::host {

HostInterface* Services() {
    return State().hostInterface;
}
FileTypeInterface* FileServices() {
    return State().fileTypeInterface;
}

namespace {
// Calls slot `Member` of record 0 if it is there.
template <auto Member, typename... Args> int32_t callHost(Args... args) {
    HostInterface* services = Services();
    if (!services || !(services->*Member))
        return RESULT_EMPTY_SLOT;
    return (services->*Member)(args...);
}
} // namespace

int32_t AcceptImportResult(HostHandle h) {
    return callHost<&HostInterface::acceptImportResult>(h);
}
int32_t GetCurrentObject(HostHandle* out) {
    return callHost<&HostInterface::getCurrentObject>(out);
}
int32_t CreateObject(int32_t kind, const void* typeOrSpec, HostHandle* out) {
    return callHost<&HostInterface::createObject>(kind, typeOrSpec, out);
}
int32_t RemoveObject(HostHandle h) {
    return callHost<&HostInterface::removeObject>(h);
}
int32_t SetObjectAttributes(HostHandle h, PlacementRecord* p, int32_t mask) {
    return callHost<&HostInterface::setObjectAttributes>(h, p, mask);
}
int32_t GetObjectTransform(HostHandle h, ObjectTransform* t) {
    return callHost<&HostInterface::getObjectTransform>(h, t);
}
int32_t SetObjectInfo(HostHandle h, HostObjectRecord* r, uint32_t mask) {
    return callHost<&HostInterface::setObjectInfo>(h, r, mask);
}
int32_t GetObjectInfo(HostHandle h, HostObjectRecord* r) {
    return callHost<&HostInterface::getObjectInfo>(h, r);
}
int32_t AddToGroup(HostHandle group, HostHandle child) {
    return callHost<&HostInterface::addToGroup>(group, child, 1);
}
int32_t OpenChildList(HostHandle h, uint32_t* outList) {
    return callHost<&HostInterface::openChildList>(h, outList);
}
int32_t GetChild(uint32_t list, int32_t index, HostHandle* out) {
    return callHost<&HostInterface::getChild>(list, index, out);
}
int32_t CloseChildList(uint32_t list) {
    return callHost<&HostInterface::closeChildList>(list);
}
int32_t SetHostState(int32_t state) {
    return callHost<&HostInterface::setHostState>(state);
}
int32_t GetHostSetting(int32_t id, int32_t* out) {
    return callHost<&HostInterface::getHostSetting>(id, out);
}
int32_t SetHostSetting(int32_t id, int32_t value) {
    return callHost<&HostInterface::setHostSetting>(id, value);
}
int32_t FinishMaterials() {
    return callHost<&HostInterface::finishMaterials>();
}
int32_t GetMeshAccess(HostHandle h, void* table) {
    return callHost<&HostInterface::getMeshAccess>(h, table);
}

int32_t AskFileName(int32_t dialogValue, char* buffer, int32_t mode) {
    FileTypeInterface* files = FileServices();
    if (!files || !files->askFileName)
        return RESULT_EMPTY_SLOT;
    if (dialogValue == -1)
        dialogValue = files->defaultDialogValue;
    return files->askFileName(dialogValue, buffer, mode);
}

int32_t GetFileName(int32_t dialogValue, char* buffer) {
    FileTypeInterface* files = FileServices();
    if (!files || !files->getFileName)
        return RESULT_EMPTY_SLOT;
    if (dialogValue == -1)
        dialogValue = files->defaultDialogValue;
    return files->getFileName(dialogValue, buffer);
}

} // namespace tessoid::host
