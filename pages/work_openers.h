#pragma once
// The main window's buttons of the work pages (their handlers run in the main window:
// version gate, what the page needs prepared, the shared opening steps, the page's
// fill procedure).
namespace dvx::pages {

// Input button: the DLX input page when S_DLX is set, else the KRV input page.
void B_io_Click();

}  // namespace dvx::pages
