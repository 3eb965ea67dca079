#pragma once
// File dialogs: the service (a real dialog, or scripted answers in tests) and the
// common-dialog control that window code sets up property by property.
#include <optional>
#include <string>

#include "ui/control.h"

namespace dvx::ui {

enum FileDialogFlags : int {
    ofn_read_only = 0x1,
    ofn_overwrite_prompt = 0x2,
    ofn_hide_read_only = 0x4,
    ofn_no_change_dir = 0x8,
    ofn_path_must_exist = 0x800,
    ofn_file_must_exist = 0x1000,
};

struct FileDialogRequest {
    bool save = false;  // show_save, else show_open
    std::string title;
    int flags = 0;
    std::string default_ext;  // "krv"
    std::string file_name;    // proposed path, the system's bytes (UTF-8)
    std::string filter;       // "label|pattern|label|pattern"
    int filter_index = 1;
};

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen path as the system's bytes (the name shown, in UTF-8), or none when the
    // user cancelled. Title and filter are Windows-1252 text.
    virtual std::optional<std::string> show(const FileDialogRequest& request) = 0;
};

// The common-dialog control. show_open/show_save are modal like a message box: the
// focused control gets LostFocus while the dialog is up and GotFocus afterwards.
// Cancel with CancelError set throws UiFault "Cancel was selected."; without it the
// FileName reads "".
class CommonDialog : public Control {
  public:
    CommonDialog(Parent p, std::string name, Rect r = {}, int index = -1)
        : Control(Kind::common_dialog, p, std::move(name), r, index) {}
    std::string dialog_title;
    int flags = 0;
    std::string default_ext;
    std::string file_name;  // a path: the system's bytes, never Windows-1252 text
    std::string filter;
    int filter_index = 1;
    bool cancel_error = false;
    void show_open();
    void show_save();

  private:
    void show(bool save);
};

}  // namespace dvx::ui
