#pragma once
// The language texts: which language speaks (lang_code), which model family the texts name
// (is_krv), the message table in messages.h and the language choice window in lang_select.h.
// Every language-dependent procedure picks its texts by lang_of(lang_code).
#include <cstdint>
#include <string>
#include <string_view>

namespace dvx::texts {

// "D" German, "GB" English, "NL" Dutch; stored as the registry value "LANGUAGE". Any other
// code, the empty one included, speaks German but is kept as it is.
inline std::string lang_code;

// Model family the texts name: 1 KRV, 0 DLX. The main window sets it when it loads and
// whenever its family option changes.
inline std::int16_t is_krv = 1;

enum class Lang { german, english, dutch };

// The one rule: exactly "NL" is Dutch, else exactly "GB" is English, anything else German
// (so "nl", "EN" and "" are German).
constexpr Lang lang_of(std::string_view code) {
    if (code == "NL") return Lang::dutch;
    if (code == "GB") return Lang::english;
    return Lang::german;
}

inline Lang current_lang() {
    return lang_of(lang_code);
}

}  // namespace dvx::texts
