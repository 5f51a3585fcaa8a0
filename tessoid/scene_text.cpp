// The object's part of the ray tracer's scene text: a mesh block of triangle
// entries, or a reference to a block declared earlier. The host closes the block.
#include <cassert>
#include <cstdio>
#include <cstring>

#include "tessoid/tessoid_object.h"

namespace tessoid {

namespace {

// Every piece is formatted into a buffer of this many characters.
constexpr size_t TEXT_BUFFER_SIZE = 2048;

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
        std::snprintf(buffer, sizeof(buffer),
                      "  triangle { <%0.4f, %0.4f, %0.4f>, <%0.4f, %0.4f, %0.4f>, "
                      "<%0.4f, %0.4f, %0.4f> ",
                      double(a.x), double(a.y), double(a.z), double(b.x), double(b.y), double(b.z),
                      double(c.x), double(c.y), double(c.z));
        emit(buffer);
        if (hasUvs) {
            const Float3& ua = uvs[static_cast<size_t>(f.a)];
            const Float3& ub = uvs[static_cast<size_t>(f.b)];
            const Float3& uc = uvs[static_cast<size_t>(f.c)];
            std::snprintf(buffer, sizeof(buffer),
                          "uv_vectors <%0.4f, %0.4f>, <%0.4f, %0.4f>, <%0.4f, %0.4f> ",
                          double(ua.x), double(ua.y), double(ub.x), double(ub.y), double(uc.x),
                          double(uc.y));
            emit(buffer);
        }
        emit("}\n");
    }
    return 1;
}

} // namespace tessoid
