#pragma once
// The faults the controls refuse a value or an index with (shared by the controls'
// source files, not for callers).
#include "ui/fault.h"

namespace dvx::ui::detail {

[[noreturn]] inline void bad_value() {
    throw UiFault(fault_text::invalid_value);
}
[[noreturn]] inline void bad_index() {
    throw UiFault(fault_text::bad_subscript);
}

}  // namespace dvx::ui::detail
