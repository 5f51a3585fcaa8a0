// The stream and text cookies of the boundary are 32-bit words that the plug-in hands
// back unchanged. A pointer fits in one only where pointers are 4 bytes, so a host lends
// a small number for as long as a call needs it and looks the target up when the
// plug-in hands the number back. Header-only, so the tests' hosts lend cookies too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

namespace cookie_detail {
// Slot i holds the target of cookie i + 1, so that 0 is never a cookie. Loans nest; a
// freed slot is taken again before the table grows.
inline std::vector<void*>& slots() {
    static std::vector<void*> table = [] {
        std::vector<void*> t;
        t.reserve(16); // deeper than any nesting, so a long session never sees it grow
        return t;
    }();
    return table;
}
} // namespace cookie_detail

class CookieLoan {
  public:
    explicit CookieLoan(void* target) {
        auto& table = cookie_detail::slots();
        size_t i = 0;
        while (i < table.size() && table[i])
            ++i;
        if (i == table.size())
            table.push_back(nullptr);
        table[i] = target;
        cookie_ = static_cast<int32_t>(i + 1);
    }
    ~CookieLoan() { cookie_detail::slots()[static_cast<size_t>(cookie_ - 1)] = nullptr; }
    CookieLoan(const CookieLoan&) = delete;
    CookieLoan& operator=(const CookieLoan&) = delete;

    int32_t cookie() const { return cookie_; }

  private:
    int32_t cookie_;
};

// The target of a cookie on loan, or null for any other value.
inline void* CookieTarget(int32_t cookie) {
    const auto& table = cookie_detail::slots();
    if (cookie <= 0 || static_cast<size_t>(cookie) > table.size())
        return nullptr;
    return table[static_cast<size_t>(cookie - 1)];
}

} // namespace host
