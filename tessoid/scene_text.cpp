// The object's part of the ray tracer's scene text: a mesh block of triangle
// entries, or a reference to a block declared earlier. The host closes the block.
#include <cassert>
#include <cstdio>
#include <cstring>

#include "tessoid/fixed_decimal.h"
#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

// Every piece is formatted into a buffer of this many characters.
constexpr size_t TEXT_BUFFER_SIZE = 2048;
// The longest triangle piece, NUL included, which also leaves each number the room
// writeFixed4 needs; the uv piece is shorter.
constexpr size_t TRIANGLE_PIECE_MAX = 13 + 3 * (3 * FIXED4_MAX_LENGTH + 6) + 2 * 2 + 2;
static_assert(TRIANGLE_PIECE_MAX <= TEXT_BUFFER_SIZE);

template <size_t N> char* append(char* out, const char (&text)[N]) {
    std::memcpy(out, text, N - 1);
    return out + N - 1;
}

// "<x, y, z>", or "<u, v>" for texture coordinates, each number as "%0.4f" gives it.
char* writePoint(char* out, const Float3& p) {
    out = append(out, "<");
    out = writeFixed4(out, p.x);
    out = append(out, ", ");
    out = writeFixed4(out, p.y);
    out = append(out, ", ");
    out = writeFixed4(out, p.z);
    return append(out, ">");
}

char* writeUv(char* out, const Float3& uv) {
    out = append(out, "<");
    out = writeFixed4(out, uv.x);
    out = append(out, ", ");
    out = writeFixed4(out, uv.y);
    return append(out, ">");
}

void emit(const char* text) {
    if (ObjectBase::textSink)
        ObjectBase::textSink(ObjectBase::streamCookie, text);
}

// `before` + name + `after`; a name too long for the buffer is cut so the fixed
// text around it stays whole.
void emitNamed(const char* before, const char* name, const char* after) {
    char buffer[TEXT_BUFFER_SIZE];
    if (!name)
        name = "";
    const size_t fixed = std::strlen(before) + std::strlen(after);
    const size_t room = TEXT_BUFFER_SIZE - 1 - fixed;
    size_t length = 0;
    while (length < room && name[length] != '\0')
        ++length;
    std::snprintf(buffer, sizeof(buffer), "%s%.*s%s", before, static_cast<int>(length), name,
                  after);
    emit(buffer);
}

} // namespace

int32_t TessoidObject::WriteScene(const char* name) {
    if (flags & FLAG_DECLARED) {
        emitNamed("  object { ", name, " }\n");
        return 0;
    }
    if (flags & FLAG_DECLARE)
        emitNamed("#declare ", name, " = mesh {\n");
    else
        emitNamed("mesh {  // ", name, "\n");

    char buffer[TEXT_BUFFER_SIZE];
    const bool hasUvs = uvCount() > 0;
    assert(ArraysAreConsistent());
    for (const IndexTriple& f : faces) {
        const Float3& a = vertices[static_cast<size_t>(f.a)];
        const Float3& b = vertices[static_cast<size_t>(f.b)];
        const Float3& c = vertices[static_cast<size_t>(f.c)];
        // The bytes of "  triangle { <%0.4f, %0.4f, %0.4f>, <...>, <...> " from glibc's
        // snprintf, on every C runtime and over ten times as fast.
        char* out = append(buffer, "  triangle { ");
        out = writePoint(out, a);
        out = append(out, ", ");
        out = writePoint(out, b);
        out = append(out, ", ");
        out = writePoint(out, c);
        *append(out, " ") = '\0';
        emit(buffer);
        if (hasUvs) {
            const Float3& ua = uvs[static_cast<size_t>(f.a)];
            const Float3& ub = uvs[static_cast<size_t>(f.b)];
            const Float3& uc = uvs[static_cast<size_t>(f.c)];
            out = append(buffer, "uv_vectors ");
            out = writeUv(out, ua);
            out = append(out, ", ");
            out = writeUv(out, ub);
            out = append(out, ", ");
            out = writeUv(out, uc);
            *append(out, " ") = '\0';
            emit(buffer);
        }
        emit("}\n");
    }
    return 1;
}

} // namespace tessoid
