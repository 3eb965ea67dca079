#pragma once
// The main window's language and password menus. A language item switches the texts at
// once (the message table and the main window; other windows take the new language the
// next time they set their captions) and stores the choice for the next start. The
// password items open the modal dialogs of password_dialogs.h.
namespace dvx::mainwin {

// English, German, Dutch.
void m_land_gb_Click();
void m_lang_d_Click();
void m_lang_NL_Click();

// "Enter password": the dialog, then the access level for what was typed.
void m_pas_enter_Click();
// "Password level 1" and "Password level 2": the change dialog for that level.
void m_pas_1_Click();
void m_pas_2_Click();

}  // namespace dvx::mainwin
