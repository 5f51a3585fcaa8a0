// The chunk toolkit reads files by name: each input goes to a scratch file of
// this process first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace fuzz {

// Writes the input to /tmp/<tag>_<pid><extension>; the path, or nullptr when it cannot.
inline const char* writeScratch(const char* tag, const uint8_t* data, size_t size,
                                const char* extension = ".3ds") {
    static const std::string path =
        std::string("/tmp/") + tag + "_" + std::to_string(getpid()) + extension;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return nullptr;
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    return written ? path.c_str() : nullptr;
}

} // namespace fuzz
