// Loads a plug-in library by path and finds its exports: dlopen on Linux,
// LoadLibraryA on Windows. Nothing else of the host knows which.
#pragma once

#include <string>

namespace host {

class LibraryLoader {
  public:
    LibraryLoader() = default;
    ~LibraryLoader();
    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

    bool open(const std::string& path);
    void* symbol(const char* name) const;
    void close();
    const std::string& error() const { return error_; }

  private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace host
