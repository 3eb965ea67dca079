#pragma once
// Test double for message boxes: every box shown is recorded; answers come from a
// script in order. A box with no script left is an error in the test (UnscriptedBox),
// and it is remembered in failures() so the fixture fails the test even when the
// code under test swallowed the exception.
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/message_box.h"

namespace dvx::ui {

struct UnscriptedBox : std::logic_error {
    explicit UnscriptedBox(const std::string& what) : std::logic_error(what) {}
};

class ScriptedBoxes final : public MessageBoxes {
  public:
    struct Answer {
        int result = id_ok;
        std::optional<std::string> expect_prompt;  // checked when set
        std::function<void()> before;              // runs while the box is up
        double wait = 0;                           // seconds the user takes (yielding)
        std::optional<int> expect_style;
        std::optional<std::string> expect_title;  // "" expects no title of its own
    };
    int show(const MsgBoxRequest& box) override;
    // Queue an answer for the next box.
    ScriptedBoxes& answer(int result, std::optional<std::string> expect_prompt = std::nullopt,
                          std::function<void()> before = nullptr);
    ScriptedBoxes& answer(Answer a);
    // Answer every unscripted box with this result (default: unscripted boxes fail).
    void answer_all(std::optional<int> result) { default_ = result; }
    const std::vector<MsgBoxRequest>& shown() const { return shown_; }
    void clear() {
        shown_.clear();
        script_.clear();
        failures_.clear();
    }
    std::size_t pending() const { return script_.size(); }
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    [[noreturn]] void fail(const std::string& why);
    std::deque<Answer> script_;
    std::vector<MsgBoxRequest> shown_;
    std::optional<int> default_;
    std::vector<std::string> failures_;
};

}  // namespace dvx::ui
