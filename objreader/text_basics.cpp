#include "objreader/text_basics.h"

namespace tessoid::obj {

TextEncoding encodingOf(const unsigned char* p, size_t size) {
    if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return TextEncoding::Utf8Marked;
    if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        return TextEncoding::Utf16LE;
    if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        return TextEncoding::Utf16BE;
    return TextEncoding::Bytes;
}

size_t markLength(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Bytes:
        return 0;
    case TextEncoding::Utf8Marked:
        return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2;
    }
    return 0;
}

std::string narrowUtf16(const unsigned char* p, size_t size, TextEncoding encoding) {
    std::string out;
    out.reserve(size / 2);
    const bool bigEndian = encoding == TextEncoding::Utf16BE;
    bool afterHigh = false;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const unsigned unit =
            bigEndian ? unsigned(p[i]) << 8 | p[i + 1] : unsigned(p[i + 1]) << 8 | p[i];
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (!(low && afterHigh))
            out.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
        afterHigh = unit >= 0xD800 && unit <= 0xDBFF;
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace tessoid::obj
