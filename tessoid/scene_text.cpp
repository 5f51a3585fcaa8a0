// The object's part of the ray tracer's scene text: a mesh block of triangle
// entries, or a reference to a block declared earlier. The host closes the block.
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

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

// "<x, y, z>" of a point, or "<u, v>" of its first two coordinates (texture coordinates),
// each number as "%0.4f" gives it.
template <int Coordinates> char* writeVector(char* out, const Float3& p) {
    out = append(out, "<");
    out = writeFixed4(out, p.x);
    out = append(out, ", ");
    out = writeFixed4(out, p.y);
    if constexpr (Coordinates == 3) {
        out = append(out, ", ");
        out = writeFixed4(out, p.z);
    }
    return append(out, ">");
}
constexpr auto writePoint = writeVector<3>;
constexpr auto writeUv = writeVector<2>;

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

// Each point's text formatted once: a vertex is shared by about six triangles in a
// typical mesh, so the triangles copy its text rather than format it again. The texts
// are a sixth of the scene text at most, which the host holds whole anyway.
class PointTexts {
  public:
    template <typename WriteOne>
    PointTexts(const std::vector<Float3>& points, size_t longest, WriteOne writeOne)
        : starts_(points.size() + 1) {
        text_.resize(points.size() * (longest / 2) + longest);
        size_t used = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            if (text_.size() - used < longest)
                text_.resize(2 * text_.size());
            starts_[i] = used;
            used = size_t(writeOne(text_.data() + used, points[i]) - text_.data());
        }
        starts_[points.size()] = used;
    }
    char* copy(char* out, int32_t index) const {
        const size_t i = static_cast<size_t>(index);
        std::memcpy(out, text_.data() + starts_[i], starts_[i + 1] - starts_[i]);
        return out + (starts_[i + 1] - starts_[i]);
    }

  private:
    std::vector<char> text_;
    std::vector<size_t> starts_; // point i's text is [starts_[i], starts_[i + 1])
};

constexpr size_t POINT_TEXT_MAX = 3 * FIXED4_MAX_LENGTH + 6; // "<x, y, z>"
constexpr size_t UV_TEXT_MAX = 2 * FIXED4_MAX_LENGTH + 4;    // "<u, v>"

// The triangle entries: "  triangle { <a>, <b>, <c> ", then "uv_vectors <a>, <b>, <c> "
// when the mesh has texture coordinates, then "}\n", each piece handed over on its own.
// `point` and `uv` write one vertex's text.
// `prefix`, the three corners' texts by `corner` with ", " between them, " " and a NUL.
template <size_t N, typename Corner>
void writeEntry(char* buffer, const char (&prefix)[N], const IndexTriple& f, Corner corner) {
    char* out = append(buffer, prefix);
    out = corner(out, f.a);
    out = append(out, ", ");
    out = corner(out, f.b);
    out = append(out, ", ");
    out = corner(out, f.c);
    *append(out, " ") = '\0';
}

template <typename Point, typename Uv>
void emitTriangles(const std::vector<IndexTriple>& faces, bool hasUvs, Point point, Uv uv) {
    char buffer[TEXT_BUFFER_SIZE];
    for (const IndexTriple& f : faces) {
        writeEntry(buffer, "  triangle { ", f, point);
        emit(buffer);
        if (hasUvs) {
            writeEntry(buffer, "uv_vectors ", f, uv);
            emit(buffer);
        }
        emit("}\n");
    }
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

    const bool hasUvs = uvCount() > 0;
    assert(ArraysAreConsistent());
    // Numbers are the bytes of glibc's "%0.4f" on every C runtime (writeFixed4).
    try {
        const PointTexts points(vertices, POINT_TEXT_MAX, writePoint);
        const PointTexts uvTexts(uvs, UV_TEXT_MAX, writeUv); // empty without uvs
        emitTriangles(
            faces, hasUvs, [&](char* out, int32_t i) { return points.copy(out, i); },
            [&](char* out, int32_t i) { return uvTexts.copy(out, i); });
    } catch (const std::bad_alloc&) {
        // No room for the texts: each corner formatted where it is written.
        emitTriangles(
            faces, hasUvs,
            [&](char* out, int32_t i) { return writePoint(out, vertices[size_t(i)]); },
            [&](char* out, int32_t i) { return writeUv(out, uvs[size_t(i)]); });
    }
    return 1;
}

} // namespace tessoid
