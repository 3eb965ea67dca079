#pragma once
// The window layer's faults: the one fault type and the fixed texts of the layer's own.
#include "platform/fault.h"

namespace dvx::ui {

// The layer refuses with the platform services' own fault type, so one catch takes both.
using UiFault = platform::Fault;

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
