#include "gateway/openers.h"

#include "mainwin/page_openers.h"

namespace dvx::gateway {

void install_openers() {
    [[maybe_unused]] auto& o = mainwin::page_openers();
}

}  // namespace dvx::gateway
