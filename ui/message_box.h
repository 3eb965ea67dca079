#pragma once
// Modal message boxes. Styles and results use the classic numeric codes.
#include <optional>
#include <string>

namespace dvx::ui {

// Button sets (low nibble) and icons (added).
enum MsgStyle : int {
    mb_ok = 0,
    mb_ok_cancel = 1,
    mb_abort_retry_ignore = 2,
    mb_yes_no_cancel = 3,
    mb_yes_no = 4,
    mb_retry_cancel = 5,
    mb_critical = 16,
    mb_question = 32,
    mb_exclamation = 48,
    mb_information = 64,
};

enum MsgResult : int {
    id_ok = 1,
    id_cancel = 2,
    id_abort = 3,
    id_retry = 4,
    id_ignore = 5,
    id_yes = 6,
    id_no = 7,
};

// The answer of a box closed as cancelled (Escape, the frame, the program's end): Cancel
// where the box has it, else the answer that goes on with nothing (OK alone, No, Abort).
int cancel_answer(int style);

struct MsgBoxRequest {
    std::string prompt;  // cp1252, may hold CR LF
    int style = mb_ok;
    std::optional<std::string> title;  // none: the application's default title
};

// The platform side of a message box: shows it and returns the button pressed.
// The window layer's msg_box() wraps it with the modal-loop and focus rules.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual int show(const MsgBoxRequest& box) = 0;
};

}  // namespace dvx::ui
