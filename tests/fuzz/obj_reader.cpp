// The OBJ reader on arbitrary text: never a crash or a read out of bounds, and a successful
// read always hands over indices inside the vertex array.
#include <cstdint>
#include <cstdlib>

#include "objreader/obj_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The real files seed the corpus; their first 16 KB keep runs fast enough to mutate.
    if (size > 16384) size = 16384;
    tessoid::obj::ObjMesh mesh;
    const auto result = tessoid::obj::readObjText(reinterpret_cast<const char*>(data), size, &mesh);
    if (result != tessoid::obj::ObjResult::Ok) {
        if (mesh.vertices || mesh.triangles) std::abort();
        return 0;
    }
    if (mesh.vertexCount <= 0 || mesh.triangleCount <= 0) std::abort();
    for (int32_t i = 0; i < 3 * mesh.triangleCount; ++i)
        if (mesh.triangles[i] < 0 || mesh.triangles[i] >= mesh.vertexCount) std::abort();
    return 0;
}
