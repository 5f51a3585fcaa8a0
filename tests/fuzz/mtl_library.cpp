// The material library reader on arbitrary bytes: never a crash or a read out of bounds;
// binary data is refused whole; problems name lines the text has; every material kept has a
// name of its own that finds it, an opacity in [0, 1] and a file for each map it has.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "objreader/file_lookup.h"
#include "objreader/mtl_library.h"

namespace {

using namespace tessoid::obj;

void check(const char* text, size_t size) {
    MtlLibrary library;
    std::vector<MtlProblem> problems;
    const MtlResult result = parseMtlText(text, size, &library, &problems);
    const bool hasNul = std::find(text, text + size, '\0') != text + size;
    if (result == MtlResult::NotText) {
        if (!hasNul || library.size() != 0 || !problems.empty())
            std::abort();
        return;
    }
    if (result != MtlResult::Ok)
        std::abort();
    // A UTF-16 mark turns the bytes into half as many characters: never more lines.
    const int64_t lines =
        1 + std::count(text, text + size, '\n') + std::count(text, text + size, '\r');
    if (problems.size() > 101)
        std::abort();
    for (const MtlProblem& p : problems)
        if (p.line < 1 || p.line > lines || p.reason.empty())
            std::abort();
    if (int64_t(library.size()) > lines)
        std::abort();
    std::set<std::string> names;
    for (size_t i = 0; i < library.size(); ++i) {
        const MtlMaterial& m = library.materials()[i];
        if (m.name.empty() || !names.insert(m.name).second)
            std::abort();
        if (library.indexOf(m.name) != int32_t(i) || library.find(m.name) != &m)
            std::abort();
        if (!(m.opacity >= 0 && m.opacity <= 1) || (!m.hasOpacity && m.opacity != 1))
            std::abort();
        if (m.hasDiffuseMap == m.diffuseMap.file.empty() ||
            m.hasAmbientMap == m.ambientMap.file.empty())
            std::abort();
        for (const MtlColour& c : {m.ambient, m.diffuse, m.specular})
            if (!std::isfinite(c.r) || !std::isfinite(c.g) || !std::isfinite(c.b))
                std::abort();
    }
    // Lookups of arbitrary names: a hit is a material of the library.
    const std::string_view all(text, size);
    for (size_t at = 0; at < size; at += 1 + size / 8) {
        const std::string_view name = all.substr(at, 40);
        const MtlMaterial* m = library.find(name);
        if (m &&
            (m < library.materials().data() || m >= library.materials().data() + library.size()))
            std::abort();
        if (nameWithoutComment(name).size() > name.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The real files seed the corpus; their first 16 KB keep runs fast enough to mutate.
    if (size > 16384)
        size = 16384;
    const char* text = reinterpret_cast<const char*>(data);
    check(text, size);
    // Binary data is refused at its first NUL; the same bytes without NULs are parsed.
    if (std::find(text, text + size, '\0') != text + size) {
        std::string cleared(text, size);
        std::replace(cleared.begin(), cleared.end(), '\0', '\x01');
        check(cleared.data(), cleared.size());
    }
    return 0;
}
