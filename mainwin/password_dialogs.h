#pragma once
// The two modal dialogs of the password menu: enter_pass takes the password the user
// types (Enter stores it in model::entered_password and closes), set_pass changes the
// password of one level after checking the old one and the confirmation. Both exist
// only while shown; their boxes start empty and show "*" for every character.
#include <cstdint>
#include <string>

#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::mainwin {

// The level whose password set_pass changes (1 or 2); the menu item sets it.
inline std::int16_t password_level_edit = 1;

class Enter_Pass : public ui::Form {
  public:
    Enter_Pass();

    ui::TextBox Text1{*this, "Text1", {240, 240, 3120, 315}};

  private:
    void Text1_KeyPress(int& key);
};

inline ui::FormRef<Enter_Pass> enter_pass_inst;

class Set_Pass : public ui::Form {
  public:
    Set_Pass();

    ui::Frame pass_panel{*this, "pass_panel", {120, 120, 5520, 1680}};
    ui::Label Label1{pass_panel, "Label1", {120, 360, 2760, 255}};
    ui::TextBox p1_old{pass_panel, "p1_old", {3000, 300, 2280, 315}};
    ui::Label Label2{pass_panel, "Label2", {120, 780, 2760, 255}};
    ui::TextBox P1_new{pass_panel, "P1_new", {3000, 720, 2280, 315}};
    ui::Label Label3{pass_panel, "Label3", {120, 1200, 2760, 255}};
    ui::TextBox P1_conf{pass_panel, "P1_conf", {3000, 1140, 2280, 315}};
    ui::CommandButton Command3D1{*this, "Command3D1", {840, 1980, 1800, 375}};
    ui::CommandButton Command3D2{*this, "Command3D2", {3120, 1980, 1800, 375}};

  private:
    void Form_Load();
    void Command3D1_Click();
    void save_password();
};

inline ui::FormRef<Set_Pass> set_pass_inst;

// A password "krv_con.cfg" can keep: no "|" (its field end) and no control character
// (a line break, or the container's end mark 26).
bool password_storable(const std::string& password);

}  // namespace dvx::mainwin
