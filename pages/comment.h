#pragma once
// The comment page: the comment memory of the transmitter (registers 2000..2999) read,
// edited, written back and printed. Unlike the work pages it talks to the device itself.
// It keeps the main window's hidden comment store `Komentar` in step with its text box:
// reading fills both, writing, printing and leaving copy the box into the store.
#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::pages {

class Comment : public ui::Form {
  public:
    Comment();

    void Form_Load();
    void Form_Unload(int& cancel);
    // Read in: the device's comment into the store and the box.
    void Command3D1_Click();
    // Save: the box's text (blanks trimmed, end mark added) into the device.
    void B_save_Click();
    // Print: the box's text through the comment print-out.
    void Command3D2_Click();
    // Back: the box's text into the store, the page unloaded.
    void B_Zurueck_Click();

    // True while a read or write runs; the write's pauses let clicks through, and
    // those do nothing until it ends.
    bool transfer_running() const { return busy_; }

    ui::TextBox comment_txt{*this, "comment_txt", {120, 120, 9210, 5880}};
    ui::CommandButton Command3D1{*this, "Command3D1", {120, 6180, 2160, 375}};
    ui::CommandButton B_save{*this, "B_save", {2400, 6180, 2160, 375}};
    ui::CommandButton Command3D2{*this, "Command3D2", {4680, 6180, 2160, 375}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {6960, 6180, 2400, 375}};

  private:
    void copy_to_store();
    bool busy_ = false;
};

inline ui::FormRef<Comment> comment_inst;

}  // namespace dvx::pages
