#include "model/param_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "model/checked_file.h"
#include "model/param_image.h"

namespace dvx::model {

namespace {

// param_count as a safe number of words of the image.
std::size_t word_count() {
    return static_cast<std::size_t>(
        std::clamp<int>(param_count, 0, static_cast<int>(param_image.size())));
}

}  // namespace

std::string params_to_text() {
    std::string text;
    const std::size_t n = word_count();
    for (std::size_t i = 0; i < n; ++i) {
        if (!text.empty()) text += '|';
        text += std::to_string(param_image[i]);
    }
    return text;
}

bool text_to_params_list(std::string& text) {
    const std::size_t n = word_count();
    // Decode into a local and commit only when every field is good: a bad field must
    // not leave half a parameter set behind. A "|" at the end leaves an empty last field.
    std::vector<std::int16_t> words;
    std::string rest = text;
    std::string unread;  // what follows the last field stored
    for (bool last = false; !last;) {
        last = rest.find('|') == std::string::npos;
        const auto v = numeric_value(split_bar(rest));
        const auto w = v ? round_to_i16(*v) : std::nullopt;
        if (!w) return false;
        if (words.size() < n) {
            words.push_back(*w);
            unread = rest;
        }
    }
    std::copy(words.begin(), words.end(), param_image.begin());
    text = std::move(unread);
    return true;
}

}  // namespace dvx::model
