#include "import/sanitize_name.h"

namespace tessoid {

namespace {
bool isAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::string SanitizeName(std::string_view source, size_t maximum) {
    // The source may carry its terminator inside a fixed field.
    source = source.substr(0, source.find('\0'));
    std::string name(source.substr(0, maximum));
    size_t firstKept = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        if (isAsciiAlnum(name[i])) {
            if (firstKept == std::string::npos)
                firstKept = i;
        } else {
            name[i] = '_';
        }
    }
    if (firstKept == std::string::npos)
        return "temptex";
    if (firstKept > 0)
        return name.substr(firstKept);
    if (isAsciiDigit(name[0]))
        return "x" + name;
    return name;
}

} // namespace tessoid
