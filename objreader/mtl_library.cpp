#include "objreader/mtl_library.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "objreader/file_lookup.h"
#include "objreader/number_scan.h"
#include "objreader/text_basics.h"

namespace tessoid::obj {
namespace {

// Beyond this many in one read, a library is not worth listing line by line.
constexpr size_t MAX_PROBLEMS = 100;

bool sameWord(std::string_view word, std::string_view lowerCase) {
    if (word.size() != lowerCase.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i] >= 'A' && word[i] <= 'Z' ? char(word[i] + ('a' - 'A')) : word[i];
        if (c != lowerCase[i])
            return false;
    }
    return true;
}

// The blank-separated words of a statement, one at a time.
class Words {
  public:
    explicit Words(std::string_view text) : rest_(text) { skipBlanks(); }

    bool atEnd() const { return rest_.empty(); }
    std::string_view peek() const {
        size_t n = 0;
        while (n < rest_.size() && !isBlank(rest_[n]))
            ++n;
        return rest_.substr(0, n);
    }
    std::string_view take() {
        const std::string_view word = peek();
        rest_.remove_prefix(word.size());
        skipBlanks();
        return word;
    }
    // Whether a word follows the next one.
    bool moreAfterNext() const { return Words(rest_.substr(peek().size())).rest_.size() != 0; }
    std::string_view rest() const { return rest_; }

  private:
    void skipBlanks() {
        while (!rest_.empty() && isBlank(rest_.front()))
            rest_.remove_prefix(1);
    }
    std::string_view rest_;
};

bool readNumber(std::string_view word, float* value) {
    if (word.empty())
        return false;
    const char* const end = word.data() + word.size();
    return scanFloat(word.data(), end, value) == end && std::isfinite(*value);
}

bool readInteger(std::string_view word, int32_t* value) {
    if (word.empty())
        return false;
    const char* const end = word.data() + word.size();
    return scanInt(word.data(), end, value) == end;
}

float unitClamped(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

// What d and Tr of one material said, resolved once the material is complete.
struct OpacityStatements {
    bool hasD = false, hasTr = false;
    float d = 1, tr = 0;
};

// d wins over Tr whatever their order. Tr alone means 1 - Tr, except that a Tr which would
// leave nothing to see reads as opaque. Of the real libraries, one writes "Tr 1" on a plainly
// opaque textured material (Tr holding d's value), and the one meaning transparency by Tr
// writes it beside the matching d ("d 0.9" with "Tr 0.1").
void readOpacity(const OpacityStatements& s, MtlMaterial* m) {
    if (!s.hasD && !s.hasTr)
        return;
    m->hasOpacity = true;
    if (s.hasD)
        m->opacity = unitClamped(s.d);
    else
        m->opacity = s.tr >= 1 ? 1.0f : unitClamped(1 - s.tr);
}

enum class Statement { Other, NewMtl, Ka, Kd, Ks, Ns, D, Tr, Illum, MapKd, MapKa };

Statement statementOf(std::string_view keyword) {
    static constexpr std::pair<std::string_view, Statement> NAMES[] = {
        {"newmtl", Statement::NewMtl}, {"ka", Statement::Ka},       {"kd", Statement::Kd},
        {"ks", Statement::Ks},         {"ns", Statement::Ns},       {"d", Statement::D},
        {"tr", Statement::Tr},         {"illum", Statement::Illum}, {"map_kd", Statement::MapKd},
        {"map_ka", Statement::MapKa}};
    for (const auto& [name, statement] : NAMES)
        if (sameWord(keyword, name))
            return statement;
    return Statement::Other;
}

const char* keywordOf(Statement s) {
    switch (s) {
    case Statement::NewMtl:
        return "newmtl";
    case Statement::Ka:
        return "Ka";
    case Statement::Kd:
        return "Kd";
    case Statement::Ks:
        return "Ks";
    case Statement::Ns:
        return "Ns";
    case Statement::D:
        return "d";
    case Statement::Tr:
        return "Tr";
    case Statement::Illum:
        return "illum";
    case Statement::MapKd:
        return "map_Kd";
    case Statement::MapKa:
        return "map_Ka";
    case Statement::Other:
        break;
    }
    return "?";
}

// "Kd r [g [b]]". False for a bad colour; *ignored for a form this reader does not take.
bool readColour(std::string_view text, MtlColour* colour, bool* ignored) {
    Words words(text);
    const std::string_view first = words.peek();
    if (sameWord(first, "spectral") || sameWord(first, "xyz")) {
        *ignored = true;
        return true;
    }
    float v[3];
    int count = 0;
    while (count < 3 && !words.atEnd() && readNumber(words.peek(), &v[count])) {
        words.take();
        ++count;
    }
    if (count == 0 || (count < 3 && !words.atEnd()))
        return false;
    for (int i = count; i < 3; ++i)
        v[i] = v[count - 1];
    *colour = {v[0], v[1], v[2]};
    return true;
}

// Up to `most` numbers into values[0..]; the first is required, the others are taken while a
// word follows them (the file name). False when the first is missing.
bool readOptionNumbers(Words* words, float* values, int most) {
    if (words->atEnd() || !readNumber(words->peek(), &values[0]))
        return false;
    words->take();
    for (int i = 1; i < most; ++i) {
        if (!words->moreAfterNext() || !readNumber(words->peek(), &values[i]))
            break;
        words->take();
    }
    return true;
}

bool readSwitch(Words* words, bool* on) {
    const std::string_view w = words->peek();
    if (sameWord(w, "on"))
        *on = true;
    else if (sameWord(w, "off"))
        *on = false;
    else
        return false;
    words->take();
    return true;
}

// "map_Kd [options] FILE" into *map. False with *reason for a bad option or no file.
bool readMap(std::string_view text, Statement s, MtlMap* map, std::string* reason) {
    const std::string keyword = keywordOf(s);
    Words words(nameWithoutComment(text));
    MtlMap read;
    while (!words.atEnd()) {
        const std::string_view word = words.peek();
        // The last word is the file name, whatever it looks like ("-dash.png").
        if (word.size() < 2 || word[0] != '-' || !words.moreAfterNext())
            break;
        words.take();
        const std::string_view option = word.substr(1);
        float numbers[3] = {0, 0, 0};
        bool ok = true;
        const char* needs = "a number";
        if (sameWord(option, "s") || sameWord(option, "o") || sameWord(option, "t")) {
            float* into = sameWord(option, "s")   ? read.scale
                          : sameWord(option, "o") ? read.offset
                                                  : numbers;
            std::copy(into, into + 3, numbers);
            ok = readOptionNumbers(&words, numbers, 3);
            if (ok)
                std::copy(numbers, numbers + 3, into);
        } else if (sameWord(option, "mm")) {
            ok = readOptionNumbers(&words, numbers, 2);
        } else if (sameWord(option, "bm") || sameWord(option, "boost") ||
                   sameWord(option, "texres")) {
            ok = readOptionNumbers(&words, numbers, 1);
        } else if (sameWord(option, "clamp") || sameWord(option, "blendu") ||
                   sameWord(option, "blendv") || sameWord(option, "cc")) {
            bool on = false;
            ok = readSwitch(&words, &on);
            needs = "on or off";
            if (ok && sameWord(option, "clamp"))
                read.clamp = on;
        } else if (sameWord(option, "imfchan")) {
            const std::string_view c = words.peek();
            ok = c.size() == 1 && std::strchr("rgbmlz", c[0] | 0x20) != nullptr;
            needs = "one of r, g, b, m, l, z";
            if (ok)
                words.take();
        } else if (sameWord(option, "type")) {
            ok = !words.atEnd();
            needs = "a projection type";
            if (ok)
                words.take();
        } else {
            // Someone's extension: its numbers go with it, the file name stays.
            while (words.moreAfterNext() && readNumber(words.peek(), &numbers[0]))
                words.take();
        }
        if (!ok) {
            *reason = keyword + ": " + std::string(word) + " needs " + needs;
            return false;
        }
    }
    const std::string_view file = trimmed(words.rest());
    if (file.empty()) {
        *reason = keyword + " without a file name";
        return false;
    }
    read.file.assign(file.data(), file.size());
    *map = std::move(read);
    return true;
}

class Reader {
  public:
    Reader(MtlLibrary* library, std::vector<MtlProblem>* problems)
        : library_(library), problems_(problems) {}

    void line(int32_t number, std::string_view text) {
        line_ = number;
        text = trimmed(text);
        size_t n = 0;
        while (n < text.size() && !isBlank(text[n]) && text[n] != '#')
            ++n;
        if (n == 0)
            return; // blank or comment
        const Statement s = statementOf(text.substr(0, n));
        if (s == Statement::Other)
            return;
        std::string_view rest = text.substr(n);
        if (s == Statement::NewMtl) {
            startMaterial(trimmed(rest));
            return;
        }
        if (!inMaterial_) {
            problem(std::string(keywordOf(s)) + " before any newmtl");
            return;
        }
        if (s == Statement::MapKd || s == Statement::MapKa) {
            std::string reason;
            const bool diffuse = s == Statement::MapKd;
            if (!readMap(rest, s, diffuse ? &current_.diffuseMap : &current_.ambientMap, &reason))
                problem(reason);
            else
                (diffuse ? current_.hasDiffuseMap : current_.hasAmbientMap) = true;
            return;
        }
        rest = rest.substr(0, rest.find('#'));
        switch (s) {
        case Statement::Ka:
        case Statement::Kd:
        case Statement::Ks: {
            MtlColour colour;
            bool ignored = false;
            if (!readColour(rest, &colour, &ignored)) {
                problem(std::string(keywordOf(s)) + " needs 1 to 3 numbers");
                return;
            }
            if (ignored)
                return;
            MtlColour& into = s == Statement::Ka   ? current_.ambient
                              : s == Statement::Kd ? current_.diffuse
                                                   : current_.specular;
            bool& has = s == Statement::Ka   ? current_.hasAmbient
                        : s == Statement::Kd ? current_.hasDiffuse
                                             : current_.hasSpecular;
            into = colour;
            has = true;
            return;
        }
        case Statement::Ns:
        case Statement::D:
        case Statement::Tr: {
            float v;
            if (!readNumber(Words(rest).peek(), &v)) {
                problem(std::string(keywordOf(s)) + " needs a number");
                return;
            }
            if (s == Statement::Ns) {
                current_.shininess = v;
                current_.hasShininess = true;
            } else if (s == Statement::D) {
                opacity_.d = v;
                opacity_.hasD = true;
            } else {
                opacity_.tr = v;
                opacity_.hasTr = true;
            }
            return;
        }
        case Statement::Illum: {
            int32_t v;
            if (!readInteger(Words(rest).peek(), &v)) {
                problem("illum needs a whole number");
                return;
            }
            current_.illum = v;
            current_.hasIllum = true;
            return;
        }
        default:
            return;
        }
    }

    void finish() {
        if (!inMaterial_)
            return;
        readOpacity(opacity_, &current_);
        // A duplicate name or none: the material is dropped (see the header).
        library_->add(std::move(current_));
        inMaterial_ = false;
    }

  private:
    void startMaterial(std::string_view name) {
        finish();
        current_ = MtlMaterial{};
        opacity_ = OpacityStatements{};
        inMaterial_ = true;
        current_.name.assign(name.data(), name.size());
        if (name.empty())
            problem("newmtl without a name");
    }

    void problem(std::string reason) {
        if (!problems_)
            return;
        if (problemCount_ < MAX_PROBLEMS)
            problems_->push_back({line_, std::move(reason)});
        else if (problemCount_ == MAX_PROBLEMS)
            problems_->push_back({line_, "more bad lines follow, not listed"});
        ++problemCount_;
    }

    MtlLibrary* library_;
    std::vector<MtlProblem>* problems_;
    size_t problemCount_ = 0;
    int32_t line_ = 0;
    bool inMaterial_ = false;
    MtlMaterial current_;
    OpacityStatements opacity_;
};

MtlResult parseLines(const char* text, size_t size, MtlLibrary* into,
                     std::vector<MtlProblem>* problems) {
    if (std::memchr(text, 0, size))
        return MtlResult::NotText;
    Reader reader(into, problems);
    const char* p = text;
    const char* const end = text + size;
    int32_t number = 0;
    while (p != end) {
        const char* e = p;
        while (e != end && *e != '\n' && *e != '\r')
            ++e;
        if (number < INT32_MAX)
            ++number;
        reader.line(number, std::string_view(p, size_t(e - p)));
        if (e != end && *e == '\r' && e + 1 != end && e[1] == '\n')
            ++e;
        p = e == end ? e : e + 1;
    }
    reader.finish();
    return MtlResult::Ok;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

bool MtlLibrary::add(MtlMaterial material) {
    if (material.name.empty() || byName_.find(material.name) != byName_.end())
        return false;
    // Stored first: should the index run out of memory, the material is there, unfound.
    const auto index = int32_t(materials_.size());
    materials_.push_back(std::move(material));
    const std::string& name = materials_.back().name;
    byName_.emplace(name, index);
    const std::string_view bare = nameWithoutComment(name);
    if (!bare.empty() && bare.size() != name.size()) {
        const auto [it, inserted] = byBareName_.emplace(std::string(bare), index);
        if (!inserted)
            it->second = AMBIGUOUS;
    }
    return true;
}

int32_t MtlLibrary::indexOf(std::string_view usemtlName) const {
    const std::string_view whole = trimmed(usemtlName);
    if (const auto it = byName_.find(whole); it != byName_.end())
        return it->second;
    const std::string_view bare = nameWithoutComment(whole);
    if (bare.size() != whole.size()) {
        // The usemtl line has a comment: its name without it, and no guessing beyond.
        const auto it = byName_.find(bare);
        return it != byName_.end() ? it->second : -1;
    }
    const auto it = byBareName_.find(whole);
    return it != byBareName_.end() && it->second != AMBIGUOUS ? it->second : -1;
}

const MtlMaterial* MtlLibrary::find(std::string_view usemtlName) const {
    const int32_t i = indexOf(usemtlName);
    return i < 0 ? nullptr : &materials_[size_t(i)];
}

const char* describeMtlResult(MtlResult result) {
    switch (result) {
    case MtlResult::Ok:
        return "ok";
    case MtlResult::CannotOpen:
        return "the material library can't be opened or read";
    case MtlResult::NotText:
        return "the material library is not a text file";
    case MtlResult::TooLarge:
        return "the material library is too large";
    case MtlResult::OutOfMemory:
        return "out of memory";
    }
    return "unknown";
}

MtlResult parseMtlText(const char* text, size_t size, MtlLibrary* into,
                       std::vector<MtlProblem>* problems) {
    if (size == 0)
        return MtlResult::Ok;
    try {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text);
        const TextEncoding encoding = encodingOf(bytes, size);
        if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
            const size_t mark = markLength(encoding);
            const std::string narrow = narrowUtf16(bytes + mark, size - mark, encoding);
            return parseLines(narrow.data(), narrow.size(), into, problems);
        }
        const size_t skip = markLength(encoding);
        return parseLines(text + skip, size - skip, into, problems);
    } catch (const std::bad_alloc&) {
        return MtlResult::OutOfMemory;
    } catch (const std::length_error&) {
        return MtlResult::TooLarge;
    }
}

MtlResult readMtlFile(const char* path, MtlLibrary* into, std::vector<MtlProblem>* problems,
                      int* systemError) {
    if (systemError)
        *systemError = 0;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        if (systemError)
            *systemError = errno;
        return MtlResult::CannotOpen;
    }
    std::string text;
    try {
        char block[64 * 1024];
        size_t n;
        while ((n = std::fread(block, 1, sizeof block, file.get())) > 0)
            text.append(block, n);
    } catch (const std::bad_alloc&) {
        return MtlResult::OutOfMemory;
    } catch (const std::length_error&) {
        return MtlResult::TooLarge;
    }
    if (std::ferror(file.get())) {
        if (systemError)
            *systemError = errno;
        return MtlResult::CannotOpen;
    }
    return parseMtlText(text.data(), text.size(), into, problems);
}

} // namespace tessoid::obj
