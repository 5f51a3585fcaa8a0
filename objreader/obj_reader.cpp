#include "objreader/obj_reader.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "objreader/ear_clipping.h"
#include "objreader/number_scan.h"
#include "objreader/scratch_array.h"
#include "objreader/text_basics.h"
#include "objreader/triangulate.h"

namespace tessoid::obj {
namespace {

constexpr size_t INITIAL_BUFFER_SIZE = 256 * 1024;
constexpr size_t MIN_READ_SIZE = 64 * 1024; // below this much free room the buffer grows
// Zeroed bytes after the buffer's terminator, so that a scan may load a whole word at any
// byte up to the terminator.
constexpr size_t WORD_SCAN_SLACK = sizeof(uint32_t) - 1;
// The start of the text that tells binary data from text when a read fails.
constexpr size_t SNIFF_SIZE = 4096;
// Faces up to this many corners are copied onto the stack for the triangulator.
constexpr int32_t STACK_FACE_CORNERS = 16;
// A reference that no int32 index could hold (a huge number, infinity or NaN).
constexpr int64_t UNUSABLE_REFERENCE = std::numeric_limits<int64_t>::min();

// One physical line: [begin, end) is its text, which stops at the first NUL (as a C string
// would); the line end itself is not part of it.
struct Line {
    const char* begin;
    const char* end;
};

// Physical lines from memory, then (when given) a file, with CR LF and a lone CR read as
// LF. A line may be as long as the file: the buffer grows to hold it. The byte at a line's
// end is always readable and is a LF, a NUL or a "#", so scans of digits and slashes may
// stop on it instead of checking the end.
class LineSource {
  public:
    LineSource(const char* data, size_t size, std::FILE* file = nullptr)
        : file_(file), data_(data), dataLeft_(size) {}

    bool next(Line* line) {
        size_t scanned = 0;
        const char* nl = nullptr;
        for (;;) {
            if (head_ != tail_)
                nl = static_cast<const char*>(
                    std::memchr(head_ + scanned, '\n', size_t(tail_ - head_) - scanned));
            if (nl || eof_)
                break;
            scanned = size_t(tail_ - head_); // refill keeps these bytes, moved to the front
            refill();
        }
        if (head_ == tail_)
            return false;
        ++lineNumber_;
        const char* const lineEnd = nl ? nl : tail_;
        const char* end = lineEnd;
        if (sawNul_)
            if (const void* nul = std::memchr(head_, 0, size_t(end - head_)))
                end = static_cast<const char*>(nul);
        line->begin = head_;
        line->end = end;
        head_ += (nl ? nl + 1 : tail_) - head_;
        return true;
    }

    // The start of the next line when the buffer already holds its line end, which saves
    // the search for it: the caller reads the line up to its LF and passes that to endLine,
    // or has takeLine find its end. nullptr when the line end is not yet read, and always
    // once the text held a NUL, as such a line ends at the NUL.
    const char* startLine() {
        if (sawNul_ || !lastLf_ || head_ > lastLf_)
            return nullptr;
        ++lineNumber_;
        return head_;
    }
    void endLine(const char* lf) {
        assert(lf >= head_ && lf <= lastLf_ && *lf == '\n');
        head_ += lf + 1 - head_;
    }
    const char* lineEnd() const {
        // lastLf_ is the nearest LF at the latest.
        return static_cast<const char*>(std::memchr(head_, '\n', size_t(lastLf_ + 1 - head_)));
    }
    void takeLine(Line* line) {
        const char* const lf = lineEnd();
        line->begin = head_;
        line->end = lf;
        head_ += lf + 1 - head_;
    }

    int32_t lineNumber() const { return lineNumber_; }
    bool failed() const { return failed_; }
    // A NUL, or many control characters, near the start: not a text file.
    bool looksBinary() const { return looksBinary_; }

  private:
    size_t read(char* dst, size_t cap) {
        size_t got = std::min(cap, dataLeft_);
        if (got)
            std::memcpy(dst, data_, got);
        data_ += got;
        dataLeft_ -= got;
        if (file_ && got < cap) {
            const size_t more = std::fread(dst + got, 1, cap - got, file_);
            if (more < cap - got && std::ferror(file_))
                failed_ = true;
            got += more;
        }
        return got;
    }

    void refill() {
        const size_t kept = size_t(tail_ - head_);
        if (kept + MIN_READ_SIZE > capacity_) {
            // The line read so far fills the buffer: double it (memory stays within a small
            // multiple of the longest line, so of the file).
            size_t capacity = std::max(INITIAL_BUFFER_SIZE, capacity_);
            while (kept + MIN_READ_SIZE > capacity)
                capacity *= 2;
            // One byte more than the reads may fill, for the terminator after the text, and
            // the slack; zeroed, so that no scan reads a byte never written.
            std::unique_ptr<char[]> bigger(new char[capacity + 1 + WORD_SCAN_SLACK]());
            if (kept)
                std::memcpy(bigger.get(), head_, kept);
            buffer_ = std::move(bigger);
            capacity_ = capacity;
        } else if (kept) {
            std::memmove(buffer_.get(), head_, kept);
        }
        head_ = buffer_.get();
        tail_ = head_ + kept;
        char* const fresh = tail_;
        if (heldCR_) {
            *tail_++ = '\r';
            heldCR_ = false;
        }
        const size_t got = read(tail_, capacity_ - size_t(tail_ - head_));
        if (got == 0)
            eof_ = true;
        tail_ += got;
        if (!sniffed_)
            sniff(fresh);
        if (!sawNul_ && fresh != tail_ && std::memchr(fresh, 0, size_t(tail_ - fresh)))
            sawNul_ = true;
        convertLineEnds(fresh);
        *tail_ = '\0'; // every line, the last one too, ends at a byte no number continues
        // The bytes kept from before hold no LF (they are the start of an unfinished line),
        // so the last LF is among the fresh ones or there is none.
        lastLf_ = nullptr;
        for (const char* p = tail_; p != fresh;)
            if (*--p == '\n') {
                lastLf_ = p;
                break;
            }
    }

    void sniff(const char* from) {
        sniffed_ = true;
        const size_t size = std::min(size_t(tail_ - from), SNIFF_SIZE);
        size_t control = 0;
        for (size_t i = 0; i < size; ++i) {
            const unsigned char c = static_cast<unsigned char>(from[i]);
            if (c == 0) {
                looksBinary_ = true;
                return;
            }
            if (c < 0x20 && !isScanSpace(char(c)))
                ++control;
        }
        looksBinary_ = control * 8 > size;
    }

    // CR LF becomes LF and a lone CR becomes LF in [from, tail_); a CR at the very end
    // waits for the next read, which tells which of the two it is.
    void convertLineEnds(char* from) {
        if (from == tail_)
            return;
        char* cr = static_cast<char*>(std::memchr(from, '\r', size_t(tail_ - from)));
        if (!cr)
            return;
        char* out = cr;
        for (char* in = cr; in < tail_; ++in) {
            char c = *in;
            if (c == '\r') {
                if (in + 1 < tail_ && in[1] == '\n')
                    continue;
                if (in + 1 == tail_ && !eof_) {
                    heldCR_ = true;
                    break;
                }
                c = '\n';
            }
            *out++ = c;
        }
        tail_ = out;
    }

    std::FILE* file_;
    const char* data_;
    size_t dataLeft_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    char* head_ = nullptr;
    char* tail_ = nullptr;
    const char* lastLf_ = nullptr; // the buffer's last LF
    bool eof_ = false;
    bool heldCR_ = false;
    bool sawNul_ = false;
    bool failed_ = false;
    bool sniffed_ = false;
    bool looksBinary_ = false;
    int32_t lineNumber_ = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class Parser {
  public:
    explicit Parser(LineSource& source) : source_(source) {}

    ObjResult parse();
    ObjResult build(ObjMesh* mesh);
    const ObjFailure& failure() const { return failure_; }

  private:
    ObjResult fail(ObjResult result) {
        failure_.line = source_.lineNumber();
        return result;
    }
    ObjResult failReference(int64_t reference, int64_t positionCount) {
        failure_.reference = reference;
        failure_.positionCount = positionCount;
        return fail(ObjResult::BadVertexReference);
    }

    const char* parseCommonStatement(const char* line);
    const char* parseCommonVertex(const char* p);
    const char* parseCommonFace(const char* p);
    ObjResult parseVertex(const char* p, const char* end);
    ObjResult parseFace();
    void parseDegree();
    void parseBasisMatrix();

    // A statement ends at "#": what follows is a comment. Only the statements that are
    // read look for it, so the many skipped ones ("vt", "vn") cost no second scan.
    static const char* commentStart(const char* from, const char* end) {
        const void* hash = std::memchr(from, '#', size_t(end - from));
        return hash ? static_cast<const char*>(hash) : end;
    }

    // Argument scan over the current line, which a backslash continuation replaces.
    void startScan(const char* from, const char* end) {
        pos_ = from;
        end_ = commentStart(from, end);
    }
    void skipBlanks() {
        while (pos_ < end_ && (*pos_ == ' ' || *pos_ == '\t' || *pos_ == '\\')) {
            if (*pos_ == '\\') {
                Line next;
                if (source_.next(&next)) {
                    pos_ = next.begin;
                    end_ = commentStart(next.begin, next.end);
                } else {
                    pos_ = end_ = "";
                }
            } else {
                ++pos_;
            }
        }
    }
    // A token ends at a blank, or at a "#" when the comment was not cut off before.
    void skipToken() {
        while (pos_ < end_ && *pos_ != ' ' && *pos_ != '\t' && *pos_ != '#')
            ++pos_;
    }
    bool atLineEnd() const { return pos_ == end_; }

    LineSource& source_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    std::vector<Float3> positions_;      // each accepted "v"
    ScratchArray<int32_t> corners_;      // resolved indices of every face, faces in file order
    ScratchArray<int32_t> cornerCounts_; // corners of each face
    int64_t triangleTotal_ = 0;
    int32_t highestIndex_ = -1; // largest index referred to, checked at the end
    int32_t highestIndexLine_ = 0;
    int32_t degreeU_ = 0; // from the last "deg", sizing "bmat"
    int32_t degreeV_ = 0;
    ObjFailure failure_;
};

// The common corner "123", "123/..." or "-4/...": a plain integer that "%g" would end at
// the first non-digit. Gives the reference "%g" into a float, truncated, would give, and
// the position after the digits. Anything that could continue a number (".", "e", "x"),
// more than eight digits, or a start unlike this is left to scanFloat (nullptr). The
// byte at the line's end is no digit and none of those, so no scan here checks the end.
// Inlined in both face paths: it is most of the work of a corner.
[[gnu::always_inline]] inline const char* scanCornerInteger(const char* p, int64_t* reference) {
    const bool negative = *p == '-';
    if (negative)
        ++p;
    const char* const digits = p;
    uint32_t v = 0; // wraps past nine digits, which are refused below
    while (static_cast<unsigned char>(*p - '0') < 10)
        v = v * 10 + uint32_t(*p++ - '0');
    constexpr ptrdiff_t MAX_CORNER_DIGITS = 8;
    if (p == digits || p - digits > MAX_CORNER_DIGITS)
        return nullptr;
    const char c = static_cast<char>(*p | 0x20);
    if (c == '.' || c == 'e' || c == 'x')
        return nullptr;
    // "%g" rounds the integer to float: above 2^24 to 24 significant bits, ties to even.
    // Done in integers, as an x87 build would not round a cast to float kept in a register.
    int64_t magnitude = v;
    constexpr int FLOAT_SIGNIFICANT_BITS = 24;
    if (v >= uint32_t(1) << FLOAT_SIGNIFICANT_BITS) { // below, every integer is a float
        const int dropped = std::bit_width(v) - FLOAT_SIGNIFICANT_BITS;
        const uint32_t rest = v & ((uint32_t(1) << dropped) - 1);
        const uint32_t half = uint32_t(1) << (dropped - 1);
        uint32_t kept = v >> dropped;
        if (rest > half || (rest == half && (kept & 1)))
            ++kept;
        magnitude = int64_t(kept) << dropped;
    }
    *reference = negative ? -magnitude : magnitude;
    return p;
}

// The zero-based index that reference k names among the `accepted` positions read so far:
// a positive one counts from the first position (one past the last read is checked once
// the file is read), a negative one back from the last. False for 0 and for a negative one
// reaching before the first position.
bool resolveReference(int64_t k, int64_t accepted, int32_t* index) {
    if (k > 0) {
        *index = static_cast<int32_t>(k - 1);
        return true;
    }
    if (k == 0 || accepted + k < 0)
        return false;
    *index = static_cast<int32_t>(accepted + k);
    return true;
}

// The rest of the common corner, "/vt/vn", "//vn" or "/vt", is digits and slashes ('/' to
// '9' is one range). The byte at a line's end is none of them and stops the scan, which
// looks at a word of four bytes at a time (the buffer's slack makes the last one readable):
// a byte below '/' borrows in x - '/' and one above '9' carries into its top bit in
// x + (0x7F - '9'); a byte from 0x80 up has that bit already. Borrows and carries only run
// towards later bytes, so the first byte flagged is the first outside the range, whatever
// the bytes after it hold.
const char* skipCornerRest(const char* p) {
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    constexpr uint32_t EACH_BYTE = 0x01010101u;
    for (;; p += 4) {
        uint32_t x;
        std::memcpy(&x, p, 4);
        const uint32_t below = (x - EACH_BYTE * '/') & ~x;
        const uint32_t above = x + EACH_BYTE * (0x7F - '9');
        const uint32_t outside = (below | above | x) & EACH_BYTE * 0x80;
        if (outside)
            return p + std::countr_zero(outside) / 8;
    }
}

// Where nothing in the statement is out of the ordinary, as in most lines of most files:
// "v" or "f" and a space at the start of the line, spaces between the arguments, short
// decimals or plain corners, no comment; or "vt" and "vn", skipped. Such a line is read
// here in one pass up to its LF (its end need not be found first), which is returned; for
// any other line this gives nullptr having changed nothing, and the general path reads the
// line again and reports its failures.
const char* Parser::parseCommonStatement(const char* line) {
    if (line[1] == ' ') { // the LF, or the NUL after the text, at the latest
        if (line[0] == 'v')
            return parseCommonVertex(line + 1);
        if (line[0] == 'f')
            return parseCommonFace(line + 1);
    } else if (line[0] == 'v' && (line[1] == 't' || line[1] == 'n') && line[2] == ' ') {
        return source_.lineEnd(); // texture coordinates and normals are skipped
    }
    return nullptr;
}

// Three short decimals and the line's end (parseVertex reads the same into the same).
const char* Parser::parseCommonVertex(const char* p) {
    float xyz[3];
    for (float& value : xyz)
        if (!(p = scanShortDecimal(p, &value)))
            return nullptr;
    while (*p == ' ')
        ++p;
    if (*p != '\n')
        return nullptr;
    positions_.push_back(Float3{xyz[0], xyz[1], xyz[2]});
    return p;
}

// Corners that start with a plain integer naming a position (parseFace accepts them alike).
const char* Parser::parseCommonFace(const char* p) {
    const size_t first = corners_.size();
    const int64_t accepted = int64_t(positions_.size());
    int32_t highest = highestIndex_;
    while (*p == ' ')
        ++p;
    while (*p != '\n') {
        int64_t k;
        const char* const after = scanCornerInteger(p, &k);
        int32_t index;
        if (!after || !resolveReference(k, accepted, &index)) {
            corners_.shrink(first);
            return nullptr;
        }
        highest = std::max(highest, index);
        corners_.push_back(index);
        p = skipCornerRest(after);
        if (*p != ' ' && *p != '\n') {
            corners_.shrink(first);
            return nullptr;
        }
        while (*p == ' ')
            ++p;
    }
    const size_t n = corners_.size() - first;
    if (n < 3) {
        corners_.shrink(first);
        return nullptr;
    }
    if (highest > highestIndex_) {
        highestIndex_ = highest;
        highestIndexLine_ = source_.lineNumber();
    }
    cornerCounts_.push_back(static_cast<int32_t>(n));
    triangleTotal_ += int64_t(n) - 2;
    return p;
}

// Missing coordinates are 0, so that the position still counts and later references
// keep their meaning; a fourth number (w) is read and dropped, any more are ignored.
ObjResult Parser::parseVertex(const char* p, const char* end) {
    float xyz[3] = {0, 0, 0};
    int count = 0;
    while (count < 4) {
        float value;
        // The common short decimal first; the byte at the line's end stops its scan.
        const char* const after = scanShortDecimal(p, &value);
        p = after ? after : scanFloat(p, end, &value);
        if (!p)
            break;
        if (count < 3)
            xyz[count] = value;
        ++count;
        if (p == end)
            break; // the line's end, where no number can follow
    }
    if (count == 0)
        return fail(ObjResult::BadVertex);
    positions_.push_back(Float3{xyz[0], xyz[1], xyz[2]});
    return ObjResult::Ok;
}

ObjResult Parser::parseFace() {
    const size_t first = corners_.size();
    const int64_t accepted = int64_t(positions_.size());
    // Kept in locals while the corners are read; a failure ends the read, which then
    // needs neither.
    int32_t highest = highestIndex_;
    int32_t highestLine = highestIndexLine_;
    skipBlanks(); // each corner below ends with the blanks after it
    while (!atLineEnd()) {
        if (*pos_ == '#')
            break; // a comment, or a continuation into one, ends the list
        // Only the vertex reference counts: whatever follows it ("/vt/vn", "//vn", "/vt"
        // or nothing) the corner is accepted once its first number is.
        int64_t k;
        if (const char* after = scanCornerInteger(pos_, &k)) {
            pos_ = after; // the rest of the corner ("/vt/vn") is skipped below
        } else {
            float value;
            if (!scanFloat(pos_, end_, &value))
                return fail(ObjResult::BadCorner);
            if (!(value > -2147483648.0f && value < 2147483648.0f))
                return failReference(UNUSABLE_REFERENCE, accepted);
            k = static_cast<int64_t>(value); // truncates toward zero
        }
        int32_t index;
        if (!resolveReference(k, accepted, &index))
            return failReference(k, accepted);
        if (index > highest) {
            highest = index;
            highestLine = source_.lineNumber();
        }
        corners_.push_back(index);
        pos_ = skipCornerRest(pos_); // only what stops it is checked against the end
        assert(pos_ <= end_);
        skipToken();
        skipBlanks();
    }
    highestIndex_ = highest;
    highestIndexLine_ = highestLine;
    const size_t n = corners_.size() - first;
    if (n < 3)
        return fail(ObjResult::TooFewCorners);
    cornerCounts_.push_back(static_cast<int32_t>(n));
    triangleTotal_ += int64_t(n) - 2;
    return ObjResult::Ok;
}

void Parser::parseDegree() {
    int32_t degree[2];
    int count = 0;
    while (!atLineEnd() && count < 2) {
        skipBlanks();
        if (!scanInt(pos_, end_, &degree[count]))
            break;
        ++count;
        skipToken();
        skipBlanks();
    }
    if (count == 0)
        return;
    degreeU_ = degree[0];
    degreeV_ = count == 2 ? degree[1] : degree[0];
}

void Parser::parseBasisMatrix() {
    skipBlanks();
    if (atLineEnd())
        return;
    const char direction = *pos_;
    if ((direction != 'u' && direction != 'v') || (pos_ + 1 < end_ && !isScanSpace(pos_[1])))
        return;
    const int64_t degree = direction == 'u' ? degreeU_ : degreeV_;
    const int64_t count = (degree + 1) * (degree + 1);
    skipToken();
    skipBlanks();
    for (int64_t read = 0; read < count && !atLineEnd(); ++read) {
        skipBlanks();
        if (!skipFloat(pos_, end_))
            return;
        skipToken();
        skipBlanks();
    }
}

ObjResult Parser::parse() {
    Line line;
    for (;;) {
        if (const char* begin = source_.startLine()) {
            if (const char* lf = parseCommonStatement(begin)) {
                source_.endLine(lf);
                continue;
            }
            source_.takeLine(&line);
        } else if (!source_.next(&line)) {
            break;
        }
        const char* keyword = line.begin;
        while (keyword < line.end && isScanSpace(*keyword))
            ++keyword;
        if (keyword == line.end)
            continue;
        if (*keyword == '#')
            continue;
        const char* keywordEnd = keyword + 1;
        while (keywordEnd < line.end && !isScanSpace(*keywordEnd) && *keywordEnd != '#')
            ++keywordEnd;
        const size_t length = size_t(keywordEnd - keyword);
        // Texture coordinates ("vt"), normals ("vn"), parameter-space vertices ("vp") and
        // material names ("usemtl") are only checked for form, which changes nothing:
        // they are skipped outright.
        if (length == 1 && keyword[0] == 'v') {
            // No number can run into a "#", so the comment needs no search of its own.
            const ObjResult r = parseVertex(keywordEnd, line.end);
            if (r != ObjResult::Ok)
                return r;
        } else if (length == 1 && keyword[0] == 'f') {
            // The corner scan stops at a "#" itself: no search for the comment first.
            pos_ = keywordEnd;
            end_ = line.end;
            const ObjResult r = parseFace();
            if (r != ObjResult::Ok)
                return r;
        } else if (length == 6 && std::memcmp(keyword, "cstype", 6) == 0) {
            return fail(ObjResult::FreeFormGeometry);
        } else if (length == 3 && std::memcmp(keyword, "deg", 3) == 0) {
            startScan(keywordEnd, line.end);
            parseDegree();
        } else if (length == 4 && std::memcmp(keyword, "bmat", 4) == 0) {
            startScan(keywordEnd, line.end);
            parseBasisMatrix();
        }
    }
    if (source_.failed())
        return ObjResult::CannotOpen;
    return ObjResult::Ok;
}

// The triangulator's plane: the two axes other than the dominant one of
// (p2 - p0) x (p1 - p0); ties go to x, then y.
void projectionAxes(const float* corner, int* uAxis, int* vAxis) {
    double e1[3], e2[3];
    for (int c = 0; c < 3; ++c) {
        e1[c] = double(corner[6 + c]) - corner[c];
        e2[c] = double(corner[3 + c]) - corner[c];
    }
    const double nx = std::fabs(e1[1] * e2[2] - e1[2] * e2[1]);
    const double ny = std::fabs(e1[2] * e2[0] - e1[0] * e2[2]);
    const double nz = std::fabs(e1[0] * e2[1] - e1[1] * e2[0]);
    *uAxis = 1;
    *vAxis = 2;
    if (!(nx >= ny && nx >= nz)) {
        *uAxis = 0;
        *vAxis = ny >= nz ? 2 : 1;
    }
}

ObjResult Parser::build(ObjMesh* mesh) {
    const size_t vertexCount = positions_.size();
    if (vertexCount == 0)
        return ObjResult::NoVertices;
    if (triangleTotal_ == 0)
        return ObjResult::NoTriangles;
    if (highestIndex_ >= 0 && size_t(highestIndex_) >= vertexCount) {
        failure_.line = highestIndexLine_;
        failure_.reference = int64_t(highestIndex_) + 1;
        failure_.positionCount = int64_t(vertexCount);
        return ObjResult::BadVertexReference;
    }
    constexpr int64_t LIMIT = std::numeric_limits<int32_t>::max() / 3;
    if (int64_t(vertexCount) > LIMIT || triangleTotal_ > LIMIT)
        return ObjResult::TooLarge;

    std::vector<IndexTriple> triangles(static_cast<size_t>(triangleTotal_));
    IndexTriple* out = triangles.data();
    float stackCorners[3 * STACK_FACE_CORNERS];
    int32_t stackLocal[3 * (STACK_FACE_CORNERS - 2)];
    std::vector<float> heapCorners;
    std::vector<int32_t> heapLocal;
    ClippingBudget budget; // shared by the large faces of the file
    size_t cornerEnd = corners_.size();
    for (size_t face = cornerCounts_.size(); face-- > 0;) {
        const int32_t n = cornerCounts_[face];
        cornerEnd -= size_t(n);
        const int32_t* index = corners_.data() + cornerEnd;
        if (n == 3) { // a triangle is emitted as it stands
            *out++ = {index[0], index[1], index[2]};
            continue;
        }
        float* corner = stackCorners;
        int32_t* local = stackLocal;
        if (n > STACK_FACE_CORNERS) {
            if (heapCorners.size() < 3 * size_t(n)) {
                heapCorners.resize(3 * size_t(n));
                heapLocal.resize(3 * size_t(n - 2));
            }
            corner = heapCorners.data();
            local = heapLocal.data();
        }
        for (int32_t i = 0; i < n; ++i) {
            const Float3& p = positions_[size_t(index[i])];
            corner[3 * i] = p.x;
            corner[3 * i + 1] = p.y;
            corner[3 * i + 2] = p.z;
        }
        int uAxis, vAxis;
        projectionAxes(corner, &uAxis, &vAxis);
        int32_t count = 2;
        if (n != 4 || !cutConvexQuad(corner, uAxis, vAxis, local)) // most faces of most files
            triangulatePolygon(n, corner, uAxis, vAxis, &count, local, &budget);
        for (int32_t t = 0; t < count; ++t)
            *out++ = {index[local[3 * t]], index[local[3 * t + 1]], index[local[3 * t + 2]]};
    }
    corners_.release();
    cornerCounts_.release();

    assert(out == triangles.data() + triangles.size());
    mesh->vertexCount = static_cast<int32_t>(vertexCount);
    mesh->vertices = std::move(positions_);
    mesh->triangleCount = static_cast<int32_t>(triangleTotal_);
    mesh->triangles = std::move(triangles);
    return ObjResult::Ok;
}

ObjResult readFrom(LineSource& source, ObjMesh* mesh, ObjFailure* failure) {
    Parser parser(source);
    ObjResult result;
    try {
        result = parser.parse();
        if (result == ObjResult::Ok)
            result = parser.build(mesh);
    } catch (const std::bad_alloc&) {
        result = ObjResult::OutOfMemory;
    } catch (const std::length_error&) {
        result = ObjResult::TooLarge;
    }
    ObjFailure where = result == ObjResult::Ok ? ObjFailure{} : parser.failure();
    // Whatever a binary file happened to trip over, that it isn't text is the reason.
    if (result != ObjResult::Ok && result != ObjResult::CannotOpen &&
        result != ObjResult::OutOfMemory && source.looksBinary()) {
        result = ObjResult::NotText;
        where = ObjFailure{};
    }
    if (failure)
        *failure = where;
    return result;
}

ObjResult readMarkedText(const char* text, size_t size, ObjMesh* mesh, ObjFailure* failure) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const TextEncoding encoding = encodingOf(bytes, size);
    const size_t skip = markLength(encoding);
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        std::string narrow;
        try {
            narrow = narrowUtf16(bytes + skip, size - skip, encoding);
        } catch (const std::bad_alloc&) {
            return ObjResult::OutOfMemory;
        }
        LineSource source(narrow.data(), narrow.size());
        return readFrom(source, mesh, failure);
    }
    LineSource source(text + skip, size - skip);
    return readFrom(source, mesh, failure);
}

} // namespace

const char* describeObjResult(ObjResult result) {
    switch (result) {
    case ObjResult::Ok:
        return "ok";
    case ObjResult::CannotOpen:
        return "the file can't be opened or read";
    case ObjResult::FreeFormGeometry:
        return "free-form geometry (cstype) is not supported";
    case ObjResult::BadCorner:
        return "a face corner is not a number";
    case ObjResult::TooFewCorners:
        return "a face has fewer than 3 corners";
    case ObjResult::BadVertexReference:
        return "a face refers to a vertex that doesn't exist";
    case ObjResult::NoVertices:
        return "no vertices";
    case ObjResult::NoTriangles:
        return "no faces";
    case ObjResult::TooLarge:
        return "too many vertices or faces";
    case ObjResult::OutOfMemory:
        return "out of memory";
    case ObjResult::BadVertex:
        return "a vertex (v) has no readable coordinate";
    case ObjResult::NotText:
        return "not a text file (binary data, or UTF-16 without a byte order mark)";
    }
    return "unknown";
}

std::string explainObjFailure(ObjResult result, const ObjFailure& failure) {
    char text[160];
    if (result == ObjResult::BadVertexReference) {
        const long long reference = failure.reference;
        const long long count = failure.positionCount;
        if (failure.reference == UNUSABLE_REFERENCE)
            std::snprintf(text, sizeof text,
                          "a face corner's vertex reference is not a usable index");
        else if (reference == 0)
            std::snprintf(text, sizeof text,
                          "a face corner refers to vertex 0 (vertices count from 1)");
        else if (reference > 0)
            std::snprintf(text, sizeof text,
                          "a face corner refers to vertex %lld, but the file has %lld vertices",
                          reference, count);
        else
            std::snprintf(
                text, sizeof text,
                "a face corner refers to vertex %lld, but only %lld vertices come before it",
                reference, count);
        return text;
    }
    if (result == ObjResult::CannotOpen && failure.systemError != 0)
        return std::string(describeObjResult(result)) + ": " + std::strerror(failure.systemError);
    return describeObjResult(result);
}

ObjResult readObjFile(const char* path, ObjMesh* mesh, ObjFailure* failure) {
    if (failure)
        *failure = ObjFailure{};
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        if (failure)
            failure->systemError = errno;
        return ObjResult::CannotOpen;
    }
    unsigned char start[3];
    const size_t got = std::fread(start, 1, sizeof start, file.get());
    const TextEncoding encoding = encodingOf(start, got);
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        // Read whole and narrowed: the 8-bit text is half the file.
        std::string raw;
        try {
            raw.assign(reinterpret_cast<const char*>(start), got);
            char block[64 * 1024];
            size_t n;
            while ((n = std::fread(block, 1, sizeof block, file.get())) > 0)
                raw.append(block, n);
        } catch (const std::bad_alloc&) {
            return ObjResult::OutOfMemory;
        } catch (const std::length_error&) {
            return ObjResult::TooLarge;
        }
        if (std::ferror(file.get()))
            return ObjResult::CannotOpen;
        return readMarkedText(raw.data(), raw.size(), mesh, failure);
    }
    // The bytes read to look for a mark are text unless they were one.
    const size_t skip = markLength(encoding);
    LineSource source(reinterpret_cast<const char*>(start) + skip, got - skip, file.get());
    return readFrom(source, mesh, failure);
}

ObjResult readObjText(const char* text, size_t size, ObjMesh* mesh, ObjFailure* failure) {
    if (failure)
        *failure = ObjFailure{};
    return readMarkedText(text, size, mesh, failure);
}

} // namespace tessoid::obj
