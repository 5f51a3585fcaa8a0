#include "platform/resource_format.h"

#include <cstring>

namespace standin {

namespace {

// Little-endian cursor over [0, size) that fails, and stays failed, on any read past
// the end. Alignment is relative to the start, which the formats guarantee is
// DWORD-aligned wherever they are loaded.
class Cursor {
  public:
    Cursor(const void* bytes, size_t size)
        : base_(static_cast<const uint8_t*>(bytes)), size_(size) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t left() const { return ok_ ? size_ - pos_ : 0; }

    uint8_t u8() {
        uint8_t v = 0;
        take(&v, 1);
        return v;
    }
    uint16_t u16() {
        uint8_t b[2] = {0, 0};
        take(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t u32() {
        uint8_t b[4] = {0, 0, 0, 0};
        take(b, 4);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
               (uint32_t(b[3]) << 24);
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }

    void skip(size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return;
        }
        pos_ += n;
    }
    void alignTo(size_t a) {
        size_t pad = (a - pos_ % a) % a;
        // Padding may run past the end only when nothing follows; callers check that.
        if (pad > size_ - pos_)
            pos_ = size_;
        else
            pos_ += pad;
    }
    void bytes(size_t n, std::vector<uint8_t>* out) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return;
        }
        out->assign(base_ + pos_, base_ + pos_ + n);
        pos_ += n;
    }

    // NUL-terminated UTF-16 text, converted to 8 bits.
    std::string wideString() {
        std::string s;
        for (;;) {
            uint16_t c = u16();
            if (!ok_ || c == 0)
                break;
            s.push_back(AnsiFromUtf16(c));
        }
        return s;
    }

    SzOrOrd szOrOrd() {
        SzOrOrd r;
        uint16_t first = u16();
        if (!ok_ || first == 0)
            return r;
        if (first == 0xFFFF) {
            r.isOrdinal = true;
            r.ordinal = u16();
            return r;
        }
        r.text.push_back(AnsiFromUtf16(first));
        r.text += wideString();
        return r;
    }

  private:
    void take(void* dst, size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return;
        }
        std::memcpy(dst, base_ + pos_, n);
        pos_ += n;
    }

    const uint8_t* base_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

ResName resName(Cursor& c) {
    ResName n;
    SzOrOrd raw = c.szOrOrd();
    n.isId = raw.isOrdinal || raw.text.empty();
    n.id = raw.ordinal;
    n.text = upper(raw.text);
    return n;
}

const size_t kClassicHeader = 18;
const size_t kClassicItem = 18;
const size_t kExtendedHeader = 26;
const size_t kExtendedItem = 24;
const uint32_t kDsSetFont = 0x40;

} // namespace

char AnsiFromUtf16(uint16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    // The Windows-1252 characters in 0x80..0x9F.
    static const uint16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (high[i] != 0 && high[i] == unit)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::string PredefinedClassName(uint16_t atom) {
    switch (atom) {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    default:
        return std::string();
    }
}

bool ParseResImage(const void* bytes, size_t size, std::vector<ResEntry>* out, std::string* error) {
    out->clear();
    if (bytes == nullptr && size != 0)
        return fail(error, "no bytes");
    size_t at = 0;
    while (at < size) {
        if (size - at < 8)
            return fail(error, "truncated resource header at " + std::to_string(at));
        Cursor head(static_cast<const uint8_t*>(bytes) + at, size - at);
        uint32_t dataSize = head.u32();
        uint32_t headerSize = head.u32();
        if (headerSize < 32 || headerSize > size - at)
            return fail(error, "bad header size at " + std::to_string(at));
        if (dataSize > size - at - headerSize)
            return fail(error, "resource data runs past the end at " + std::to_string(at));
        // The header's own fields must lie inside its declared size.
        Cursor h(static_cast<const uint8_t*>(bytes) + at, headerSize);
        h.skip(8);
        ResEntry e;
        e.type = resName(h);
        e.name = resName(h);
        h.alignTo(4);
        h.u32(); // data version
        e.memoryFlags = h.u16();
        e.language = h.u16();
        h.u32(); // version
        h.u32(); // characteristics
        if (!h.ok())
            return fail(error, "resource header fields overrun at " + std::to_string(at));
        e.offset = static_cast<uint32_t>(at + headerSize);
        e.size = dataSize;
        bool emptyLead =
            e.type.isId && e.type.id == 0 && e.name.isId && e.name.id == 0 && dataSize == 0;
        if (!emptyLead)
            out->push_back(e);
        size_t next = at + headerSize + dataSize;
        size_t pad = (4 - next % 4) % 4;
        at = pad > size - next ? size : next + pad;
    }
    return true;
}

bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* out, std::string* error) {
    *out = DialogTemplate();
    if (bytes == nullptr)
        return fail(error, "no template");
    Cursor c(bytes, size);
    uint16_t items = 0;
    if (size >= 4) {
        Cursor probe(bytes, size);
        uint16_t version = probe.u16();
        uint16_t signature = probe.u16();
        out->extended = version == 1 && signature == 0xFFFF;
    }
    if (out->extended) {
        if (size < kExtendedHeader)
            return fail(error, "truncated extended template header");
        c.skip(4);
        out->helpId = c.u32();
        out->exStyle = c.u32();
        out->style = c.u32();
    } else {
        if (size < kClassicHeader)
            return fail(error, "truncated template header");
        out->style = c.u32();
        out->exStyle = c.u32();
    }
    items = c.u16();
    out->x = c.s16();
    out->y = c.s16();
    out->cx = c.s16();
    out->cy = c.s16();
    out->menu = c.szOrOrd();
    out->windowClass = c.szOrOrd();
    out->title = c.wideString();
    if (!c.ok())
        return fail(error, "template header overruns the template");
    // DS_SHELLFONT includes DS_SETFONT, so one bit decides for both forms.
    if (out->style & kDsSetFont) {
        out->hasFont = true;
        out->pointSize = c.u16();
        if (out->extended) {
            out->weight = c.u16();
            out->italic = c.u8();
            out->charset = c.u8();
        }
        out->faceName = c.wideString();
        if (!c.ok())
            return fail(error, "font overruns the template");
    }
    // Each item needs at least its fixed part, so a count larger than the bytes can
    // hold is rejected before anything is reserved for it.
    size_t fixed = out->extended ? kExtendedItem : kClassicItem;
    if (items > c.left() / fixed)
        return fail(error, "item count exceeds the template");
    out->items.reserve(items);
    for (uint16_t i = 0; i < items; ++i) {
        c.alignTo(4);
        if (c.left() < fixed)
            return fail(error, "item " + std::to_string(i) + " is truncated");
        DialogItem it;
        if (out->extended) {
            it.helpId = c.u32();
            it.exStyle = c.u32();
            it.style = c.u32();
        } else {
            it.style = c.u32();
            it.exStyle = c.u32();
        }
        it.x = c.s16();
        it.y = c.s16();
        it.cx = c.s16();
        it.cy = c.s16();
        it.id = out->extended ? c.u32() : c.u16();
        it.windowClass = c.szOrOrd();
        if (it.windowClass.isOrdinal) {
            it.className = PredefinedClassName(it.windowClass.ordinal);
            if (it.className.empty())
                return fail(error, "item " + std::to_string(i) + " has an unknown class atom");
        } else {
            it.className = it.windowClass.text;
        }
        it.text = c.szOrOrd();
        uint16_t extra = c.u16();
        if (extra)
            c.bytes(extra, &it.creationData);
        if (!c.ok())
            return fail(error, "item " + std::to_string(i) + " overruns the template");
        out->items.push_back(std::move(it));
    }
    return true;
}

bool ParseBitmapResource(const void* bytes, size_t size, BitmapHeader* out, std::string* error) {
    *out = BitmapHeader();
    if (bytes == nullptr)
        return fail(error, "no bitmap");
    Cursor c(bytes, size);
    uint32_t headerSize = c.u32();
    if (!c.ok() || headerSize < 40 || headerSize > size)
        return fail(error, "bad bitmap header size");
    out->width = static_cast<int32_t>(c.u32());
    out->height = static_cast<int32_t>(c.u32());
    out->planes = c.u16();
    out->bitCount = c.u16();
    out->compression = c.u32();
    c.u32(); // image size
    c.u32(); // x resolution
    c.u32(); // y resolution
    uint32_t used = c.u32();
    if (!c.ok())
        return fail(error, "truncated bitmap header");
    const int32_t kMaxSide = 1 << 15;
    if (out->width <= 0 || out->width > kMaxSide || out->height == 0 || out->height > kMaxSide ||
        out->height < -kMaxSide)
        return fail(error, "bitmap dimensions out of range");
    if (out->planes != 1)
        return fail(error, "bitmap must have one plane");
    switch (out->bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return fail(error, "unsupported bit count");
    }
    // Compressed pixels are not laid out in rows; only plain rows (and bit-field masks
    // in a v3 header) are accepted.
    const uint32_t kRgb = 0, kBitfields = 3;
    if (out->compression != kRgb && out->compression != kBitfields)
        return fail(error, "compressed bitmaps are not supported");
    uint32_t tableMax = out->bitCount <= 8 ? (1u << out->bitCount) : 0;
    if (used > 256 || (tableMax != 0 && used > tableMax))
        return fail(error, "colour table too large");
    out->colorsUsed = used != 0 ? used : tableMax;
    uint32_t masks = (out->compression == kBitfields && headerSize == 40) ? 12 : 0;
    uint64_t tableEnd = uint64_t(headerSize) + masks + uint64_t(out->colorsUsed) * 4;
    uint64_t rowBytes = ((uint64_t(out->width) * out->bitCount + 31) / 32) * 4;
    uint64_t rows = out->height < 0 ? uint64_t(-int64_t(out->height)) : uint64_t(out->height);
    uint64_t pixels = rowBytes * rows;
    if (tableEnd > size || pixels > size - tableEnd)
        return fail(error, "bitmap pixels run past the end");
    out->pixelOffset = static_cast<uint32_t>(tableEnd);
    out->pixelBytes = static_cast<uint32_t>(pixels);
    return true;
}

bool ParseGroupIcon(const void* bytes, size_t size, std::vector<GroupIconEntry>* out,
                    std::string* error) {
    out->clear();
    if (bytes == nullptr)
        return fail(error, "no icon group");
    Cursor c(bytes, size);
    uint16_t reserved = c.u16();
    uint16_t type = c.u16();
    uint16_t count = c.u16();
    if (!c.ok())
        return fail(error, "truncated icon group");
    if (reserved != 0 || type != 1)
        return fail(error, "not an icon group");
    const size_t kEntry = 14;
    if (count == 0 || count > c.left() / kEntry)
        return fail(error, "bad icon count");
    for (uint16_t i = 0; i < count; ++i) {
        GroupIconEntry e;
        uint8_t w = c.u8(), h = c.u8();
        e.width = w ? w : 256;
        e.height = h ? h : 256;
        e.colorCount = c.u8();
        c.u8();
        e.planes = c.u16();
        e.bitCount = c.u16();
        e.bytesInRes = c.u32();
        e.id = c.u16();
        out->push_back(e);
    }
    return true;
}

} // namespace standin
