#include "link/link.h"

#include <limits>

namespace dvx::link {

void reset_link_state() {
    port_status = 1;
    echo_on = 0;
    rx_buffer.clear();
    line_quiet_since = -std::numeric_limits<double>::infinity();
    line_unsettled = false;
    line_threw_bytes = false;
    rx_block_at = 0;
    watch_answers(nullptr);
    status_regs.fill(0);
    comment_regs.fill(0);
    bnr_regs.fill(0);
    bnr_data_regs.fill(0);
    hzl_regs.fill(0);
    link_error_count = 0;
    reg_win_start = 0;
    reg_win_count = 0;
    bind_detached_controls();
}

}  // namespace dvx::link
