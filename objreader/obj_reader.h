// Reads a Wavefront .obj text into a bare triangle mesh: the positions of its "v"
// statements and the triangles of its "f" polygons, each polygon cut by
// triangulatePolygon. Texture coordinates, normals and materials are not carried over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessoid::obj {

enum class ObjResult : int32_t {
    Ok = 0,
    CannotOpen,         // the file can't be opened or read
    FreeFormGeometry,   // a "cstype" statement: free-form geometry is not supported
    BadCorner,          // an "f" corner whose vertex reference is not a number
    TooFewCorners,      // an "f" statement with fewer than 3 corners
    BadVertexReference, // a reference of 0, or one naming no position of the file
    NoVertices,         // no accepted "v" statement
    NoTriangles,        // no "f" statement
    TooLarge,           // counts beyond what int32 indices and the address space hold
    OutOfMemory,
};

// A short fixed English text for the result, for diagnostics.
const char* describeObjResult(ObjResult result);

// The mesh handed over by a successful read. Both arrays are allocated with new[] and
// may be release()d into a record that frees them with delete[].
struct ObjMesh {
    int32_t vertexCount = 0;             // number of accepted "v" statements
    std::unique_ptr<float[]> vertices;   // vertexCount x (x, y, z), in file order
    int32_t triangleCount = 0;           // sum of (corners - 2) over all faces
    std::unique_ptr<int32_t[]> triangles; // triangleCount x 3 zero-based vertex indices,
                                          // last face of the file first
};

// Where a failed read stopped.
struct ObjFailure {
    int32_t line = 0; // 1-based physical line, 0 when the failure is not tied to one
};

// Reads the file at `path`. CR LF line ends read as LF on every platform. On failure
// *mesh is left untouched and *failure (when given) says where. Never throws.
ObjResult readObjFile(const char* path, ObjMesh* mesh, ObjFailure* failure = nullptr);

// The same over text already in memory (size bytes, no terminator needed).
ObjResult readObjText(const char* text, size_t size, ObjMesh* mesh,
                      ObjFailure* failure = nullptr);

} // namespace tessoid::obj
