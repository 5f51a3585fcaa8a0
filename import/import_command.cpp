#include "import/import_command.h"

#include <cstring>
#include <string>
#include <strings.h>

#include "import/import_context.h"
#include "import/threeds_import.h"
#include "mesh/pending_mesh.h"
#include "objreader/obj_reader.h"
#include "plugin/exports.h"
#include "plugin/host_object_record.h"
#include "plugin/host_services.h"
#include "plugin/interface_records.h"

namespace tessoid {

namespace {

constexpr size_t PATH_BUFFER_SIZE = 512;

bool sameText(const char* a, const char* b) {
#if defined(_WIN32)
    return _stricmp(a, b) == 0;
#else
    return strcasecmp(a, b) == 0;
#endif
}

} // namespace

const char* FileExtension(const char* path) {
    const char* dot = std::strrchr(path, '.');
    return dot ? dot + 1 : nullptr;
}

int32_t ImportWavefront(const char* path) {
    obj::ObjMesh mesh;
    obj::ObjFailure failure;
    const obj::ObjResult read = obj::readObjFile(path, &mesh, &failure);
    if (read != obj::ObjResult::Ok) {
        // The modeller shows nothing for a file it can't read: the debug line says why.
        const std::string reason = obj::explainObjFailure(read, failure);
        if (failure.line > 0)
            DebugLine("Failed to read '%s', line %d: %s\n", path, failure.line, reason.c_str());
        else
            DebugLine("Failed to read '%s': %s\n", path, reason.c_str());
        return 0;
    }
    PendingMesh& pending = Pending();
    pending.Clear();
    // The reader's arrays are the mesh arrays' own types: moved, not copied.
    pending.vertices = std::move(mesh.vertices);
    pending.faces = std::move(mesh.triangles);
    pending.sourceName = path;

    HostHandle handle = 0;
    int32_t created = host::CreateObject(KIND_PLUGIN_OBJECT, OBJECT_TYPE_INTERFACE_ID, &handle);
    // The path lives in the command's buffer: it must not outlive this call.
    pending.sourceName = nullptr;
    return created == 0 ? static_cast<int32_t>(handle) : 0;
}

int32_t TESSOID_STDCALL ImportCommand() {
    char path[PATH_BUFFER_SIZE];
    path[0] = '\0';
    if (host::AskFileName(-1, path, FILE_DIALOG_OPEN) != 0)
        return 0;
    host::GetFileName(-1, path);
    path[PATH_BUFFER_SIZE - 1] = '\0';

    const char* extension = FileExtension(path);
    if (!extension)
        return 0;
    if (sameText(extension, "obj"))
        return ImportWavefront(path);
    if (sameText(extension, "3ds"))
        return ImportThreeDS(path, host::Services());
    return 0;
}

ImportCommandFn ImportCommandSlot() {
    return ImportCommand;
}

} // namespace tessoid
