// The reference host: loads a plug-in through its two exports, hands it the
// four interface records and serves every host service over a Scene.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/fault_plan.h"
#include "host/library_loader.h"
#include "host/scene.h"
#include "plugin/interface_records.h"

namespace host {

using GetDLLInfoFn = int32_t (*)(tessoid::PluginInfo**);
using GetInterfaceFunctionsFn = int32_t (*)(int32_t, void*);

// What a complete scene file changes in the scene text: the pigment of each image map
// (the whole pigment line) and each camera. Empty functions keep the scene text's own.
struct SceneTextHooks {
    std::function<std::string(const SceneObject& material, const std::string& picture, bool once)>
        imagePigment;
    std::function<std::string(const SceneObject& camera)> camera;
};

class PluginHost {
  public:
    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads the library and runs the start-up handshake; false with error() on failure.
    bool load(const std::string& path);
    // The same handshake with a plug-in linked into this executable.
    bool attach(GetDLLInfoFn getInfo, GetInterfaceFunctionsFn getInterfaces);
    const std::string& error() const { return error_; }
    // An export of the loaded library, or null.
    void* libraryExport(const char* name) const { return library_.symbol(name); }
    const tessoid::PluginInfo* info() const { return info_; }
    tessoid::ObjectTypeInterface& objectType() { return *objectType_; }
    tessoid::ImporterInterface& importer() { return *importer_; }
    tessoid::FileTypeInterface& fileType() { return *fileType_; }
    tessoid::HostInterface& services() { return *services_; }
    Scene& scene() { return scene_; }

    // What the "user" answers when the plug-in asks for a file; empty: cancel.
    std::string chosenFile;
    // Whether polygon meshes keep the values the builder adds. Without them the builder's
    // calls are checked and counted all the same, which is all a report of the scene needs.
    // Read when a mesh's builder table is handed out.
    bool keepsBuilderValues = true;

    // Host-side record of what the plug-in did.
    std::vector<std::string> misuses; // every service call that broke the contract
    std::vector<int32_t> hostStates;  // SetHostState calls in order
    int32_t setting111 = 1;
    HostHandle importResult = 0;
    int finishMaterialsCalls = 0;
    // The hostile host: which of the plug-in's service calls to refuse.
    FaultPlan faults;

    // Child lists the plug-in opened and has not closed.
    size_t openChildLists() const { return childLists_.size(); }

    // Runs the "Mesh" import command of record 2.
    int32_t runImportCommand();
    // Asks for a mesh object of the plug-in's type as an import would.
    int32_t createPluginObject(HostHandle* out);

    // Draws a plug-in object through BuildMesh, with the EmitTriangle form or the indexed form.
    bool draw(HostHandle handle, bool emitTriangles, MeshData& out);
    // The same draw, checked the same way, keeping only what the report and the contract
    // check ask of it.
    bool drawCounted(HostHandle handle, bool emitTriangles, DrawnCounts& out);

    // Scene files of the host's own: each plug-in object framed with its saved size.
    bool saveScene(const std::string& path);
    bool loadScene(const std::string& path);
    // Scene text of every plug-in object; with `declare`, each is declared once then referenced.
    void writeSceneText(std::ostream& out, bool declare);
    void writeSceneText(std::ostream& out, bool declare, const SceneTextHooks& hooks);

    // Service implementations; the stdcall slots forward here.
    int32_t serviceCreateObject(int32_t kind, const void* typeOrSpec, HostHandle* out);
    int32_t serviceRemoveObject(HostHandle handle);
    int32_t serviceGetObjectInfo(HostHandle handle, tessoid::HostObjectRecord* record);
    int32_t serviceSetObjectInfo(HostHandle handle, tessoid::HostObjectRecord* record,
                                 uint32_t mask);
    int32_t serviceAddToGroup(HostHandle group, HostHandle child, int32_t one);
    int32_t serviceOpenChildList(HostHandle handle, uint32_t* outList);
    int32_t serviceGetChild(uint32_t list, int32_t index, HostHandle* out);
    int32_t serviceCloseChildList(uint32_t list);
    int32_t serviceAskFileName(int32_t dialogValue, char* buffer, int32_t mode);
    int32_t serviceGetFileName(int32_t dialogValue, char* buffer);

    int32_t fail(const std::string& what); // records a misuse, returns 1
    // The same for a fixed text: the builder services call it on their failure paths, and
    // a text built at the call site would give each of them a frame they never need.
    [[gnu::cold, gnu::noinline]] int32_t fail(const char* what);

    int32_t createLibraryItem(const void* spec, HostHandle* out);
    void fillPolygonMeshRecord(SceneObject& object, uint8_t* extension1);
    bool materialDefined(const std::string& name);

  private:
    void destroyPluginObject(SceneObject& object);
    bool drawInto(HostHandle handle, bool emitTriangles, MeshData* keep, DrawnCounts& counts);
    std::string nextObjectName();

    LibraryLoader library_;
    std::string error_;
    tessoid::PluginInfo* info_ = nullptr;
    std::unique_ptr<tessoid::HostInterface> services_;
    std::unique_ptr<tessoid::FileTypeInterface> fileType_;
    std::unique_ptr<tessoid::ImporterInterface> importer_;
    std::unique_ptr<tessoid::ObjectTypeInterface> objectType_;
    Scene scene_;
    std::map<uint32_t, std::vector<HostHandle>> childLists_;
    uint32_t nextChildList_ = 1;
    int objectCounter_ = 0;
    bool fileAsked_ = false;
};

namespace detail {
extern PluginHost* activeHost;
}

// The host whose services the slots reach; one plug-in host per process. Inline: every
// builder call of an import asks for it.
inline PluginHost* ActiveHost() {
    return detail::activeHost;
}

// Slots of the 3DS import's services (placement of cameras and lights).
void InstallImportServices(tessoid::HostInterface& services);

} // namespace host
