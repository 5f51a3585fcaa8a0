// Where the tests find real-world model files: the full set beside the checkout when it
// is there, else the small set bundled with the project (tests/data/real). Both hold
// 3ds/, obj/ and EXPECTED.tsv.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace realfiles {

inline std::string dataDir() {
    return TESSOID_TESTDATA_DIR;
}
inline std::string dir(const char* kind) {
    return dataDir() + "/" + kind;
}
inline std::string path(const char* kind, const std::string& name) {
    return dir(kind) + "/" + name;
}
inline bool fullSet() {
    return TESSOID_FULL_TESTDATA != 0;
}
inline bool has(const char* kind, const std::string& name) {
    return std::filesystem::exists(path(kind, name));
}

// The least number of files a test must find: a floor for each set, so that a folder
// that went missing fails the test instead of passing it with nothing checked.
inline size_t atLeast(size_t inFullSet, size_t inBundledSet) {
    return fullSet() ? inFullSet : inBundledSet;
}

} // namespace realfiles
