#pragma once
// The window layer's faults: the platform's fault type and its one table of texts.
#include "platform/fault.h"

namespace dvx::ui {

// The layer refuses with the platform services' own fault type, so one catch takes both.
using UiFault = platform::Fault;

}  // namespace dvx::ui
