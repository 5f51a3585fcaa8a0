// What the Wavefront and material-library readers share about text: byte order marks,
// UTF-16 read as 8-bit text, and blanks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessoid::obj {

enum class TextEncoding { Bytes, Utf8Marked, Utf16LE, Utf16BE };

// What the byte order mark at the start of [p, p + size) says.
TextEncoding encodingOf(const unsigned char* p, size_t size);

// The bytes of the encoding's mark (0 for none).
size_t markLength(TextEncoding encoding);

// UTF-16 code units after the mark, each as one byte: every statement of both formats is
// ASCII, so only names can hold the rest, which read as '?' (one for a surrogate pair).
// An odd last byte is dropped.
std::string narrowUtf16(const unsigned char* p, size_t size, TextEncoding encoding);

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// `s` without its leading and trailing blanks and tabs.
std::string_view trimmed(std::string_view s);

} // namespace tessoid::obj
