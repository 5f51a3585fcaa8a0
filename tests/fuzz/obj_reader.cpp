// The OBJ reader on arbitrary text: never a crash or a read out of bounds, a successful
// read always hands over indices inside the vertex array, and a failed one always says why
// and, where it names a line, a line the text has.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objreader/obj_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The real files seed the corpus; their first 16 KB keep runs fast enough to mutate.
    if (size > 16384)
        size = 16384;
    using tessoid::obj::ObjResult;
    tessoid::obj::ObjMesh mesh;
    tessoid::obj::ObjFailure failure;
    const char* text = reinterpret_cast<const char*>(data);
    const ObjResult result = tessoid::obj::readObjText(text, size, &mesh, &failure);
    if (result != ObjResult::Ok) {
        if (!mesh.vertices.empty() || !mesh.triangles.empty())
            std::abort();
        const std::string reason = tessoid::obj::explainObjFailure(result, failure);
        if (reason.empty() || reason == "unknown" || reason == "ok")
            std::abort();
        // Every line end (LF, CR LF, lone CR) starts a line; UTF-16 text has at most as many.
        const int64_t lines =
            1 + std::count(text, text + size, '\n') + std::count(text, text + size, '\r');
        if (failure.line < 0 || failure.line > lines)
            std::abort();
        return 0;
    }
    if (mesh.vertexCount <= 0 || mesh.triangleCount <= 0)
        std::abort();
    if (mesh.vertices.size() != size_t(mesh.vertexCount) ||
        mesh.triangles.size() != size_t(mesh.triangleCount))
        std::abort();
    for (const tessoid::IndexTriple& t : mesh.triangles)
        for (int32_t i : {t.a, t.b, t.c})
            if (i < 0 || i >= mesh.vertexCount)
                std::abort();
    return 0;
}
