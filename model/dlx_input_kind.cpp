#include "model/dlx_input_kind.h"

#include <iterator>

#include "link/register_images.h"

namespace dvx::model {

namespace {
const DlxInputKind& kind_of(int code) {
    for (const DlxInputKind& k : dlx_input_kinds)
        if (k.code == code) return k;
    return dlx_input_kinds[std::size(dlx_input_kinds) - 1];
}
}  // namespace

const DlxInputKind& dlx_input_kind() {
    return kind_of(link::status_regs[2]);
}

bool is_voltage_input(int code) {
    return kind_of(code).code != 0;
}

}  // namespace dvx::model
