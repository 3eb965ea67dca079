#pragma once
// The main window's buttons of the work pages (their handlers run in the main window:
// version gate, what the page needs prepared, the shared opening steps, the page's
// fill procedure).
namespace dvx::pages {

// Input button: the DLX input page when S_DLX is set, else the KRV input page.
void B_io_Click();
// Analog output button: echo probe, version gate, output mode read from register 26,
// then the output page in current or voltage scaling.
void B_Out_Click();
// Alarm outputs button: version gate (box without a title of its own), type 19 for a
// DLX device, the lists filled in the current language, then the page.
void B_dout_Click();
// Comment button: the comment page, given the text of the main window's `Komentar`.
void B_comment_Click();
// Supervision button: the DLX supervision page when S_DLX is set, else the KRV one.
void B_Schk_Click();

}  // namespace dvx::pages
