#pragma once
// A fault the window layer or a platform service refuses an operation with.
// Its text is fixed per kind so callers that show "the fault's own text" are predictable.
#include <stdexcept>
#include <string>

namespace dvx::ui {

class UiFault : public std::runtime_error {
  public:
    explicit UiFault(const std::string& text) : std::runtime_error(text), text_(text) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The fixed texts of the layer's own faults.
namespace fault_text {
inline constexpr const char* invalid_call = "Invalid procedure call or argument";
inline constexpr const char* invalid_value = "Invalid property value";
inline constexpr const char* no_object = "Object variable or With block variable not set";
inline constexpr const char* no_property = "Object doesn't support this property or method";
inline constexpr const char* bad_subscript = "Subscript out of range";
inline constexpr const char* cant_move = "Can't move or size a minimized or maximized window";
inline constexpr const char* cancel = "Cancel was selected.";
inline constexpr const char* printer = "Printer error";
inline constexpr const char* no_port = "Device unavailable";
}  // namespace fault_text

}  // namespace dvx::ui
