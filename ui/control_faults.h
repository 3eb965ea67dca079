#pragma once
// The faults the controls refuse a value or an index with (shared by the controls'
// source files, not for callers).
#include "ui/fault.h"

namespace dvx::ui::detail {

[[noreturn]] inline void bad_value() {
    throw UiFault(platform::FaultText::invalid_value);
}
[[noreturn]] inline void bad_index() {
    throw UiFault(platform::FaultText::bad_subscript);
}

}  // namespace dvx::ui::detail
