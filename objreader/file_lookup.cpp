#include "objreader/file_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>

#include "objreader/text_basics.h"

namespace tessoid::obj {
namespace {

// Longer names are no file name a model writes; refusing them bounds the folder scans.
constexpr size_t MAX_NAME_LENGTH = 4096;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isDrive(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

enum class Kind { None, File, Folder, Other };

Kind kindOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return Kind::None;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return Kind::Other;
}

std::string joined(const std::string& base, std::string_view part) {
    std::string path = base;
    if (!path.empty() && !isSeparator(path.back()))
        path += '/';
    path.append(part.data(), part.size());
    return path;
}

// base/part when it is of the kind wanted, else base/X for the first X by byte order in the
// folder that differs from part in letter case only and is of that kind.
bool step(const std::string& base, std::string_view part, Kind want, std::string* path) {
    std::string exact = joined(base, part);
    if (kindOf(exact) == want) {
        *path = std::move(exact);
        return true;
    }
    if (part == "..")
        return false;
    DIR* dir = opendir(base.empty() ? "." : base.c_str());
    if (!dir)
        return false;
    std::string best;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != part && sameIgnoringCase(name, part) && (best.empty() || name < best) &&
            kindOf(joined(base, name)) == want)
            best.assign(name.data(), name.size());
    }
    closedir(dir);
    if (best.empty())
        return false;
    *path = joined(base, best);
    return true;
}

// parts[from..] below base, the last a regular file; "" when a part leads nowhere.
std::string resolve(std::string base, const std::vector<std::string_view>& parts, size_t from) {
    if (from >= parts.size())
        return "";
    for (size_t i = from; i < parts.size(); ++i) {
        const Kind want = i + 1 == parts.size() ? Kind::File : Kind::Folder;
        std::string next;
        if (!step(base, parts[i], want, &next))
            return "";
        base = std::move(next);
    }
    return base;
}

std::string findAsWritten(const std::string& folder, std::string_view name) {
    std::string_view relative = name;
    std::string root;
    bool absolute = false;
    if (isDrive(name)) {
        relative.remove_prefix(2);
#ifdef _WIN32
        root = std::string(name.substr(0, 2)) + "/";
        absolute = true;
#endif
    } else if (!name.empty() && isSeparator(name[0])) {
        root = "/";
        absolute = true;
    }
#ifdef _WIN32
    // Network paths and the like, which the walk below does not take apart.
    if (absolute && kindOf(std::string(name)) == Kind::File)
        return std::string(name);
#endif
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= relative.size(); ++i) {
        if (i == relative.size() || isSeparator(relative[i])) {
            const std::string_view part = relative.substr(start, i - start);
            if (!part.empty() && part != ".")
                parts.push_back(part);
            start = i + 1;
        }
    }
    if (parts.empty())
        return "";
    // Relative names are first tried whole; a path of another machine is only worth its
    // trailing parts.
    const bool relativeToFolder = !absolute && !isDrive(name);
    if (absolute || relativeToFolder) {
        std::string found = resolve(absolute ? root : folder, parts, 0);
        if (!found.empty())
            return found;
    }
    for (size_t from = relativeToFolder ? 1 : 0; from < parts.size(); ++from) {
        std::string found = resolve(folder, parts, from);
        if (!found.empty())
            return found;
    }
    return "";
}

} // namespace

std::string_view nameWithoutComment(std::string_view text) {
    text = trimmed(text);
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '#' && (i == 0 || isBlank(text[i - 1])))
            return trimmed(text.substr(0, i));
    return text;
}

std::string folderOf(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    if (last == std::string::npos)
        return "";
    if (last == 0)
        return path.substr(0, 1);
    std::string folder = path.substr(0, last);
    if (folder.size() == 2 && isDrive(folder)) // "C:" alone is the drive's current folder
        folder += path[last];
    return folder;
}

std::string findFile(const std::string& folder, std::string_view nameAsWritten) {
    const std::string_view name = trimmed(nameAsWritten);
    if (name.empty() || name.size() > MAX_NAME_LENGTH)
        return "";
    std::string found = findAsWritten(folder, name);
    if (found.empty() && name.size() > 2 && name.front() == '"' && name.back() == '"')
        found = findAsWritten(folder, trimmed(name.substr(1, name.size() - 2)));
    return found;
}

std::vector<std::string> libraryNames(std::string_view restOfMtllibLine,
                                      const std::string& folder) {
    const std::string_view whole = nameWithoutComment(restOfMtllibLine);
    std::vector<std::string> names;
    if (whole.empty())
        return names;
    if (!findFile(folder, whole).empty()) {
        names.emplace_back(whole);
        return names;
    }
    size_t i = 0;
    while (i < whole.size()) {
        while (i < whole.size() && isBlank(whole[i]))
            ++i;
        const size_t start = i;
        while (i < whole.size() && !isBlank(whole[i]))
            ++i;
        if (i > start)
            names.emplace_back(whole.substr(start, i - start));
    }
    return names;
}

} // namespace tessoid::obj
