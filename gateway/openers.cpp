#include "gateway/openers.h"

#include "gateway/gateway_menu.h"
#include "mainwin/page_openers.h"

namespace dvx::gateway {

void install_openers() {
    auto& o = mainwin::page_openers();
    o.m_ub_hzl = m_ub_hzl_Click;
    o.m_ub_bnr = m_ub_bnr_Click;
}

}  // namespace dvx::gateway
