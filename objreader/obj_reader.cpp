#include "objreader/obj_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "objreader/number_scan.h"
#include "objreader/triangulate.h"

namespace tessoid::obj {
namespace {

// Lines are read in pieces of at most this many characters, each handled as a line.
constexpr size_t PIECE = 511;
constexpr size_t BUFFER_SIZE = 256 * 1024;
constexpr int MAX_CORNERS = 16;

struct Piece {
    const char* begin;
    const char* end; // the text stops at the first NUL, as a C string would
};

// Physical line pieces from a file or a memory block, with CR LF read as LF.
class LineSource {
public:
    explicit LineSource(std::FILE* file) : file_(file) {}
    LineSource(const char* data, size_t size) : data_(data), dataLeft_(size) {}

    bool next(Piece* piece) {
        if (size_t(tail_ - head_) < PIECE + 1 && !eof_) refill();
        if (head_ == tail_) return false;
        lineNumber_ = nextLineNumber_;
        const size_t avail = std::min(size_t(tail_ - head_), PIECE);
        const char* nl = static_cast<const char*>(std::memchr(head_, '\n', avail));
        const char* pieceEnd = nl ? nl + 1 : head_ + avail;
        if (nl) ++nextLineNumber_;
        piece->begin = head_;
        piece->end = pieceEnd;
        if (sawNul_) {
            const void* nul = std::memchr(head_, 0, size_t(pieceEnd - head_));
            if (nul) piece->end = static_cast<const char*>(nul);
        }
        head_ += pieceEnd - head_;
        return true;
    }

    int32_t lineNumber() const { return lineNumber_; }
    bool failed() const { return failed_; }

private:
    size_t read(char* dst, size_t cap) {
        if (file_) {
            const size_t got = std::fread(dst, 1, cap, file_);
            if (got < cap && std::ferror(file_)) failed_ = true;
            return got;
        }
        const size_t got = std::min(cap, dataLeft_);
        std::memcpy(dst, data_, got);
        data_ += got;
        dataLeft_ -= got;
        return got;
    }

    void refill() {
        if (!buffer_) {
            buffer_.reset(new char[BUFFER_SIZE]);
            head_ = tail_ = buffer_.get();
        }
        const size_t kept = size_t(tail_ - head_);
        std::memmove(buffer_.get(), head_, kept);
        head_ = buffer_.get();
        tail_ = head_ + kept;
        char* const limit = buffer_.get() + BUFFER_SIZE;
        while (!eof_ && size_t(tail_ - head_) < PIECE + 1) {
            char* fresh = tail_;
            if (heldCR_) {
                *tail_++ = '\r';
                heldCR_ = false;
            }
            const size_t got = read(tail_, size_t(limit - tail_));
            if (got == 0) eof_ = true;
            tail_ += got;
            convertLineEnds(fresh);
        }
    }

    // Drops the CR of every CR LF in [from, tail_); a CR at the very end waits for the next read.
    void convertLineEnds(char* from) {
        if (from == tail_) return;
        if (!sawNul_ && std::memchr(from, 0, size_t(tail_ - from))) sawNul_ = true;
        char* cr = static_cast<char*>(std::memchr(from, '\r', size_t(tail_ - from)));
        if (!cr) return;
        char* out = cr;
        for (char* in = cr; in < tail_; ++in) {
            if (*in == '\r') {
                if (in + 1 == tail_ && !eof_) {
                    heldCR_ = true;
                    break;
                }
                if (in + 1 < tail_ && in[1] == '\n') continue;
            }
            *out++ = *in;
        }
        tail_ = out;
    }

    std::FILE* file_ = nullptr;
    const char* data_ = nullptr;
    size_t dataLeft_ = 0;
    std::unique_ptr<char[]> buffer_;
    char* head_ = nullptr;
    char* tail_ = nullptr;
    bool eof_ = false;
    bool heldCR_ = false;
    bool sawNul_ = false;
    bool failed_ = false;
    int32_t lineNumber_ = 0;
    int32_t nextLineNumber_ = 1;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class Parser {
public:
    explicit Parser(LineSource& source) : source_(source) {}

    ObjResult parse();
    ObjResult build(ObjMesh* mesh);
    int32_t failureLine() const { return failureLine_; }

private:
    ObjResult fail(ObjResult result) {
        failureLine_ = source_.lineNumber();
        return result;
    }

    void parseVertex(const char* p, const char* end);
    ObjResult parseFace();
    void parseDegree();
    void parseBasisMatrix();

    // Argument scan over the current piece, which a backslash continuation replaces.
    void startScan(const Piece& piece, size_t keywordLength) {
        pos_ = piece.begin + keywordLength;
        end_ = piece.end;
    }
    void skipBlanks() {
        while (pos_ < end_ && (*pos_ == ' ' || *pos_ == '\t' || *pos_ == '\\')) {
            if (*pos_ == '\\') {
                Piece next;
                if (source_.next(&next)) {
                    pos_ = next.begin;
                    end_ = next.end;
                } else {
                    pos_ = end_ = "";
                }
            } else {
                ++pos_;
            }
        }
    }
    void skipToken() {
        while (pos_ < end_ && *pos_ != ' ' && *pos_ != '\t') ++pos_;
    }
    bool atLineEnd() const { return pos_ == end_ || *pos_ == '\n' || *pos_ == '\0'; }

    LineSource& source_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    std::vector<float> positions_;       // x, y, z of each accepted "v"
    std::vector<int32_t> corners_;       // resolved indices of every face, faces in file order
    std::vector<uint8_t> cornerCounts_;  // corners of each face
    int64_t triangleTotal_ = 0;
    int32_t highestIndex_ = -1;          // largest positive reference, checked at the end
    int32_t highestIndexLine_ = 0;
    int32_t degreeU_ = 0;                // from the last "deg", sizing "bmat"
    int32_t degreeV_ = 0;
    int32_t failureLine_ = 0;
};

// The common corner "123", "123/..." or "-4/...": a plain integer that "%g" would end at
// the first non-digit. Anything that could continue a number (".", "e", "x") or doesn't
// start like this is left to scanFloat.
bool scanCornerInteger(const char* p, const char* end, float* value) {
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    const char* const digits = p;
    uint32_t v = 0;
    while (p < end && static_cast<unsigned char>(*p - '0') < 10 && p - digits < 9)
        v = v * 10 + uint32_t(*p++ - '0');
    if (p == digits || p - digits == 9) return false;
    if (p < end) {
        const char c = static_cast<char>(*p | 0x20);
        if (c == '.' || c == 'e' || c == 'x' || static_cast<unsigned char>(*p - '0') < 10)
            return false;
    }
    // Below 10^8, exact in double; one rounding to float as "%g" does.
    const float f = static_cast<float>(static_cast<double>(v));
    *value = negative ? -f : f;
    return true;
}

void Parser::parseVertex(const char* p, const char* end) {
    float xyzw[4];
    int count = 0;
    while (count < 4) {
        p = scanFloat(p, end, &xyzw[count]);
        if (!p) break;
        ++count;
    }
    if (count >= 3) positions_.insert(positions_.end(), xyzw, xyzw + 3);
}

ObjResult Parser::parseFace() {
    int32_t index[MAX_CORNERS];
    int n = 0;
    const int64_t accepted = int64_t(positions_.size() / 3);
    while (!atLineEnd() && n < MAX_CORNERS) {
        skipBlanks();
        // Only the vertex reference counts: whatever follows it ("/vt/vn", "//vn", "/vt"
        // or nothing) the corner is accepted once its first number is.
        float value;
        if (!scanCornerInteger(pos_, end_, &value) && !scanFloat(pos_, end_, &value))
            return fail(ObjResult::BadCorner);
        if (!(value > -2147483648.0f && value < 2147483648.0f))
            return fail(ObjResult::BadVertexReference);
        const int64_t k = static_cast<int64_t>(value); // truncates toward zero
        if (k == 0) return fail(ObjResult::BadVertexReference);
        if (k > 0) {
            index[n] = static_cast<int32_t>(k - 1);
            if (index[n] > highestIndex_) {
                highestIndex_ = index[n];
                highestIndexLine_ = source_.lineNumber();
            }
        } else {
            if (accepted + k < 0) return fail(ObjResult::BadVertexReference);
            index[n] = static_cast<int32_t>(accepted + k);
        }
        ++n;
        skipToken();
        skipBlanks();
    }
    if (n < 3) return fail(ObjResult::TooFewCorners);
    corners_.insert(corners_.end(), index, index + n);
    cornerCounts_.push_back(static_cast<uint8_t>(n));
    triangleTotal_ += n - 2;
    return ObjResult::Ok;
}

void Parser::parseDegree() {
    int32_t degree[2];
    int count = 0;
    while (!atLineEnd() && count < 2) {
        skipBlanks();
        if (!scanInt(pos_, end_, &degree[count])) break;
        ++count;
        skipToken();
        skipBlanks();
    }
    if (count == 0) return;
    degreeU_ = degree[0];
    degreeV_ = count == 2 ? degree[1] : degree[0];
}

void Parser::parseBasisMatrix() {
    skipBlanks();
    if (atLineEnd()) return;
    const char direction = *pos_;
    if ((direction != 'u' && direction != 'v') ||
        (pos_ + 1 < end_ && !isScanSpace(pos_[1])))
        return;
    const int64_t degree = direction == 'u' ? degreeU_ : degreeV_;
    const int64_t count = (degree + 1) * (degree + 1);
    skipToken();
    skipBlanks();
    for (int64_t read = 0; read < count && !atLineEnd(); ++read) {
        skipBlanks();
        if (!skipFloat(pos_, end_)) return;
        skipToken();
        skipBlanks();
    }
}

ObjResult Parser::parse() {
    Piece piece;
    while (source_.next(&piece)) {
        const char* keyword = piece.begin;
        while (keyword < piece.end && isScanSpace(*keyword)) ++keyword;
        if (keyword == piece.end) continue;
        const char* keywordEnd = keyword + 1;
        while (keywordEnd < piece.end && !isScanSpace(*keywordEnd)) ++keywordEnd;
        const size_t length = size_t(keywordEnd - keyword);
        // Texture coordinates ("vt"), normals ("vn"), parameter-space vertices ("vp") and
        // material names ("usemtl") are only checked for form, which changes nothing:
        // they are skipped outright.
        if (length == 1 && keyword[0] == 'v') {
            parseVertex(keywordEnd, piece.end);
        } else if (length == 1 && keyword[0] == 'f') {
            startScan(piece, length);
            const ObjResult r = parseFace();
            if (r != ObjResult::Ok) return r;
        } else if (length == 6 && std::memcmp(keyword, "cstype", 6) == 0) {
            return fail(ObjResult::FreeFormGeometry);
        } else if (length == 3 && std::memcmp(keyword, "deg", 3) == 0) {
            startScan(piece, length);
            parseDegree();
        } else if (length == 4 && std::memcmp(keyword, "bmat", 4) == 0) {
            startScan(piece, length);
            parseBasisMatrix();
        }
    }
    if (source_.failed()) return ObjResult::CannotOpen;
    return ObjResult::Ok;
}

ObjResult Parser::build(ObjMesh* mesh) {
    const size_t vertexCount = positions_.size() / 3;
    if (vertexCount == 0) return ObjResult::NoVertices;
    if (triangleTotal_ == 0) return ObjResult::NoTriangles;
    if (highestIndex_ >= 0 && size_t(highestIndex_) >= vertexCount) {
        failureLine_ = highestIndexLine_;
        return ObjResult::BadVertexReference;
    }
    constexpr int64_t LIMIT = std::numeric_limits<int32_t>::max() / 3;
    if (int64_t(vertexCount) > LIMIT || triangleTotal_ > LIMIT) return ObjResult::TooLarge;

    std::unique_ptr<int32_t[]> triangles(new int32_t[size_t(triangleTotal_) * 3]);
    int32_t* out = triangles.get();
    const float* position = positions_.data();
    size_t cornerEnd = corners_.size();
    for (size_t face = cornerCounts_.size(); face-- > 0;) {
        const int n = cornerCounts_[face];
        cornerEnd -= size_t(n);
        const int32_t* index = corners_.data() + cornerEnd;
        if (n == 3) { // a triangle is emitted as it stands
            out[0] = index[0];
            out[1] = index[1];
            out[2] = index[2];
            out += 3;
            continue;
        }
        float corner[3 * MAX_CORNERS];
        for (int i = 0; i < n; ++i) std::memcpy(corner + 3 * i, position + 3 * size_t(index[i]), 12);
        // Project along the dominant axis of (p2 - p0) x (p1 - p0); ties go to x, then y.
        double e1[3], e2[3];
        for (int c = 0; c < 3; ++c) {
            e1[c] = double(corner[6 + c]) - corner[c];
            e2[c] = double(corner[3 + c]) - corner[c];
        }
        const double nx = std::fabs(e1[1] * e2[2] - e1[2] * e2[1]);
        const double ny = std::fabs(e1[2] * e2[0] - e1[0] * e2[2]);
        const double nz = std::fabs(e1[0] * e2[1] - e1[1] * e2[0]);
        int uAxis = 1, vAxis = 2;
        if (!(nx >= ny && nx >= nz)) {
            if (ny >= nz) {
                uAxis = 0;
            } else {
                uAxis = 0;
                vAxis = 1;
            }
        }
        int32_t local[3 * (MAX_CORNERS - 2)];
        int32_t count = 0;
        triangulatePolygon(n, corner, uAxis, vAxis, &count, local);
        for (int32_t i = 0; i < 3 * count; ++i) out[i] = index[local[i]];
        out += 3 * count;
    }
    corners_ = std::vector<int32_t>();
    cornerCounts_ = std::vector<uint8_t>();

    std::unique_ptr<float[]> vertices(new float[vertexCount * 3]);
    std::memcpy(vertices.get(), positions_.data(), vertexCount * 3 * sizeof(float));
    positions_ = std::vector<float>();

    mesh->vertexCount = static_cast<int32_t>(vertexCount);
    mesh->vertices = std::move(vertices);
    mesh->triangleCount = static_cast<int32_t>(triangleTotal_);
    mesh->triangles = std::move(triangles);
    return ObjResult::Ok;
}

ObjResult readFrom(LineSource& source, ObjMesh* mesh, ObjFailure* failure) {
    Parser parser(source);
    ObjResult result;
    try {
        result = parser.parse();
        if (result == ObjResult::Ok) result = parser.build(mesh);
    } catch (const std::bad_alloc&) {
        result = ObjResult::OutOfMemory;
    } catch (const std::length_error&) {
        result = ObjResult::TooLarge;
    }
    if (failure) failure->line = result == ObjResult::Ok ? 0 : parser.failureLine();
    return result;
}

} // namespace

const char* describeObjResult(ObjResult result) {
    switch (result) {
    case ObjResult::Ok: return "ok";
    case ObjResult::CannotOpen: return "the file can't be opened or read";
    case ObjResult::FreeFormGeometry: return "free-form geometry (cstype) is not supported";
    case ObjResult::BadCorner: return "a face corner is not a number";
    case ObjResult::TooFewCorners: return "a face has fewer than 3 corners";
    case ObjResult::BadVertexReference: return "a face refers to a vertex that doesn't exist";
    case ObjResult::NoVertices: return "no vertices";
    case ObjResult::NoTriangles: return "no faces";
    case ObjResult::TooLarge: return "too many vertices or faces";
    case ObjResult::OutOfMemory: return "out of memory";
    }
    return "unknown";
}

ObjResult readObjFile(const char* path, ObjMesh* mesh, ObjFailure* failure) {
    if (failure) failure->line = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return ObjResult::CannotOpen;
    LineSource source(file.get());
    return readFrom(source, mesh, failure);
}

ObjResult readObjText(const char* text, size_t size, ObjMesh* mesh, ObjFailure* failure) {
    LineSource source(text, size);
    return readFrom(source, mesh, failure);
}

} // namespace tessoid::obj
