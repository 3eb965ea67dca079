#include "model/access.h"

namespace dvx::model {

std::string upper_case_1252(const std::string& text) {
    std::string out = text;
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned char u = c;
        if (c >= 'a' && c <= 'z') u = static_cast<unsigned char>(c - 0x20);
        // à..þ to À..Þ, except ÷ (0xF7), which is no letter.
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
            u = static_cast<unsigned char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)
            u = static_cast<unsigned char>(c - 0x10);  // š œ ž
        else if (c == 0xFF)
            u = 0x9F;  // ÿ
        ch = static_cast<char>(u);
    }
    return out;
}

bool password_opens(const std::string& level, const std::string& entered) {
    return upper_case_1252(level) == upper_case_1252(entered);
}

}  // namespace dvx::model
