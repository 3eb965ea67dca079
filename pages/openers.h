#pragma once
// Installs the main window's openers of the transmitter pages (work pages, online values, diagnosis).
namespace dvx::pages {

void install_openers();

}  // namespace dvx::pages
