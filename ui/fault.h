#pragma once
// A fault the window layer or a platform service refuses an operation with.
// Its text is fixed per kind so callers that show "the fault's own text" are predictable.
#include <stdexcept>
#include <string>

namespace dvx::ui {

class UiFault : public std::runtime_error {
public:
    explicit UiFault(const std::string& text) : std::runtime_error(text) {}
    const std::string& text() const { return text_ = what(), text_; }

private:
    mutable std::string text_;
};

}  // namespace dvx::ui
