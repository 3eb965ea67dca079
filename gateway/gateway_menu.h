#pragma once
// The main window's transfer menu: the gateway page and the concentrator page.
namespace dvx::gateway {

// Bus mode 1: the HZL page. Bus mode 2: the HZL3 page, when the gateway answers as an
// HZL3.
void m_ub_hzl_Click();
// The concentrator page of the main window's rack, when its concentrator answers.
void m_ub_bnr_Click();

}  // namespace dvx::gateway
