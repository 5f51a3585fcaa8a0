// Writing a text the command-line host made: to a file, or to stdout for "-".
#pragma once

#include <string>

namespace host {

// Writes `text` to `path` ("-": stdout); false with a message on stderr that names the
// file and the reason when it cannot be written.
bool WriteTextFile(const std::string& path, const std::string& text);

} // namespace host
