// Reads Wavefront material libraries (.mtl): the colours, shininess, opacity, lighting
// model and diffuse and ambient texture maps of each "newmtl" material.
//
// The text: lines ended by LF, CR LF or a lone CR; a UTF-8 byte order mark is skipped, and
// UTF-16 text with a byte order mark (either byte order) is read as 8-bit text (characters
// beyond 8 bits read as '?'). Statement keywords are matched ignoring ASCII letter case.
//
// Read: newmtl, Ka, Kd, Ks, Ns, d, Tr, illum, map_Kd, map_Ka. Every other statement (Ni, Ke,
// Tf, map_Bump, bump, refl, ...) is ignored without complaint, and so are colours given as
// "spectral" or "xyz". Comments:
//  - "newmtl" takes the whole rest of its line, trimmed, as the name, "#" included: real
//    libraries name materials "_Material #25". MtlLibrary::find copes with comments there.
//  - In a map statement "#" starts a comment at the start or after a blank or tab, so that a
//    file name may hold one ("tex#2.png").
//  - Anywhere else "#" starts a comment wherever it stands ("Ka 1 1 1  # white").
//
// Values:
//  - A colour takes 1 to 3 numbers; missing components repeat the last one given, so
//    "Kd 0.5" is grey and "Kd 0.2 0.4" is (0.2, 0.4, 0.4). Numbers past the third are
//    ignored. Colours are kept as written, also beyond [0, 1].
//  - d is the opacity and Tr the transparency (1 - d); d wins when a material has both, in
//    either order. Tr alone gives 1 - Tr, except that "Tr 1", which would hide the material,
//    reads as opaque (the reason is with readOpacity in the source). Clamped to [0, 1].
//  - Within a material a later statement replaces an earlier one of the same kind.
//  - A map statement is "map_Kd [options] FILE": options are read as options (those taking
//    1 to 3 numbers take as many as follow, but never the last word of the line); FILE is
//    the rest, trimmed, kept as written (blanks and backslashes included) for findFile
//    (file_lookup.h) to resolve. -s, -o and -clamp are kept; other options are read and
//    dropped, and an option this reader does not know is skipped with the numbers after it.
//
// A name defined twice: the first definition wins, also across the libraries read into one
// MtlLibrary; later ones are read (their bad lines are reported) and dropped. Real
// exporters repeat a material under the same name, usually with the same values.
//
// A bad line (a value that is not a number, a statement before any newmtl, a map without a
// file name, ...) is skipped and reported as an MtlProblem; the rest is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessoid::obj {

struct MtlColour {
    float r = 0, g = 0, b = 0;
};

struct MtlMap {
    std::string file;            // as written, options removed
    float scale[3] = {1, 1, 1};  // -s u v w
    float offset[3] = {0, 0, 0}; // -o u v w
    bool clamp = false;          // -clamp on
};

struct MtlMaterial {
    std::string name;
    // Whether the library gave each value; the values stay at their defaults when not.
    bool hasAmbient = false, hasDiffuse = false, hasSpecular = false, hasShininess = false,
         hasOpacity = false, hasIllum = false;
    MtlColour ambient, diffuse, specular; // Ka, Kd, Ks
    float shininess = 0;                  // Ns
    float opacity = 1;                    // from d or Tr, in [0, 1]
    int32_t illum = 0;                    // lighting model number, as written
    bool hasDiffuseMap = false, hasAmbientMap = false;
    MtlMap diffuseMap, ambientMap; // map_Kd, map_Ka
};

// A skipped line of a library.
struct MtlProblem {
    int32_t line = 0;   // 1-based physical line
    std::string reason; // short English text, e.g. "Ns needs a number"
};

// The materials of one or more libraries, each name once, in the order first defined.
class MtlLibrary {
  public:
    const std::vector<MtlMaterial>& materials() const { return materials_; }
    size_t size() const { return materials_.size(); }

    // Adds the material unless one of that name is already there (first wins); false when
    // not added, also for an empty name. Pointers from find stay valid only until the next
    // add.
    bool add(MtlMaterial material);

    // The material a "usemtl" names: given the rest of that line, matched whole (trimmed of
    // blanks and tabs) first, then without a trailing comment ("Red # note" finds "Red").
    // A name without a comment is last matched against names that carry one ("Red" finds
    // "Red # note"), when just one of them reads so without it: "_Material" finds none of
    // "_Material #25" and "_Material #45". nullptr when none. Hash lookups: cheap enough for
    // every "usemtl" of a large file.
    const MtlMaterial* find(std::string_view usemtlName) const;
    // The same as an index into materials(), -1 when none.
    int32_t indexOf(std::string_view usemtlName) const;

  private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using Index = std::unordered_map<std::string, int32_t, Hash, std::equal_to<>>;
    static constexpr int32_t AMBIGUOUS = -2;

    std::vector<MtlMaterial> materials_;
    Index byName_;     // every name
    Index byBareName_; // names with a comment, by the name without it; AMBIGUOUS when shared
};

enum class MtlResult : int32_t {
    Ok = 0,
    CannotOpen,  // the file can't be opened or read
    NotText,     // the text holds a NUL byte (binary data, or UTF-16 without a mark)
    TooLarge,    // beyond what memory can address
    OutOfMemory, // what was read before stays in the library
};

// A short fixed English text for the result, for diagnostics.
const char* describeMtlResult(MtlResult result);

// Reads `size` bytes of library text (no terminator needed) into *into, appending: one OBJ
// may name several libraries. Problems are appended to *problems when given; after 100 in
// one call a last one says that more follow. NotText adds nothing. Never throws.
MtlResult parseMtlText(const char* text, size_t size, MtlLibrary* into,
                       std::vector<MtlProblem>* problems = nullptr);

// The same over the file at `path`. CannotOpen sets *systemError (when given) to errno, or
// 0 when unknown; every other result sets it to 0.
MtlResult readMtlFile(const char* path, MtlLibrary* into,
                      std::vector<MtlProblem>* problems = nullptr, int* systemError = nullptr);

} // namespace tessoid::obj
