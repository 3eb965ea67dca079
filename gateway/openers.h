#pragma once
// Installs the main window's openers of the gateway and concentrator pages.
namespace dvx::gateway {

void install_openers();

}  // namespace dvx::gateway
