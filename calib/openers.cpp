#include "calib/openers.h"

#include "mainwin/page_openers.h"

namespace dvx::calib {

void install_openers() {
    [[maybe_unused]] auto& o = mainwin::page_openers();
}

}  // namespace dvx::calib
