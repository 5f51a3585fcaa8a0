#include "host/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace host {

bool WriteTextFile(const std::string& path, const std::string& text) {
    if (path == "-") {
        std::cout << text;
        return true;
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "tessoid-host: cannot write %s: %s\n", path.c_str(),
                     errno ? std::strerror(errno) : "write failed");
        return false;
    }
    return true;
}

} // namespace host
