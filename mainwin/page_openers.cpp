#include "mainwin/page_openers.h"

namespace dvx::mainwin {

PageOpeners& page_openers() {
    static PageOpeners openers;
    return openers;
}

}  // namespace dvx::mainwin
