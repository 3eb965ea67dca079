#include "pages/openers.h"

#include "mainwin/page_openers.h"

namespace dvx::pages {

void install_openers() {
    [[maybe_unused]] auto& o = mainwin::page_openers();
}

}  // namespace dvx::pages
