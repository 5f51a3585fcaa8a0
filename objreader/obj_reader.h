// Reads a Wavefront .obj text into a bare triangle mesh: the positions of its "v"
// statements and the triangles of its "f" polygons, each polygon cut by
// triangulatePolygon. Texture coordinates, normals and materials are not carried over.
//
// The text: lines of any length, ended by LF, CR LF or a lone CR; "#" ends a statement
// wherever it stands; a backslash at the end of a face's corner list continues it on the
// next line. A UTF-8 byte order mark is skipped, and UTF-16 text with a byte order mark
// (either byte order) is read as 8-bit text (characters beyond 8 bits read as '?').
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh_types.h"

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
    BadVertex, // a "v" statement without a single readable coordinate
    NotText,   // binary data: another format named .obj, or UTF-16 without a mark
};

// A short fixed English text for the result, for diagnostics.
const char* describeObjResult(ObjResult result);

// The mesh handed over by a successful read, in the mesh arrays' own element types, so
// that the arrays can be moved on as they are.
struct ObjMesh {
    int32_t vertexCount = 0;            // number of accepted "v" statements
    std::vector<Float3> vertices;       // vertexCount positions, in file order
    int32_t triangleCount = 0;          // sum of (corners - 2) over all faces
    std::vector<IndexTriple> triangles; // triangleCount zero-based vertex index triples,
                                        // last face of the file first
};

// Where and why a failed read stopped.
struct ObjFailure {
    int32_t line = 0;          // 1-based physical line, 0 when the failure is not tied to one
    int64_t reference = 0;     // BadVertexReference: the reference as written (truncated)
    int64_t positionCount = 0; // BadVertexReference: positions it was checked against
    int systemError = 0;       // CannotOpen: errno, 0 when unknown
};

// One sentence for the user, without the file name: the result's text, made precise by
// what *failure holds ("face corner 9 refers past the last of 8 vertices").
std::string explainObjFailure(ObjResult result, const ObjFailure& failure);

// Reads the file at `path`. On failure *mesh is left untouched and *failure (when given)
// says where and why. Never throws.
ObjResult readObjFile(const char* path, ObjMesh* mesh, ObjFailure* failure = nullptr);

// The same over text already in memory (size bytes, no terminator needed).
ObjResult readObjText(const char* text, size_t size, ObjMesh* mesh, ObjFailure* failure = nullptr);

} // namespace tessoid::obj
