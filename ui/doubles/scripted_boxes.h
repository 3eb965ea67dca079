#pragma once
// Test double for message boxes: every box shown is recorded; answers come from a
// script in order. A box with no script left is an error in the test (UnscriptedBox).
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
    };
    int show(const MsgBoxRequest& box) override;
    // Queue an answer for the next box.
    ScriptedBoxes& answer(int result, std::optional<std::string> expect_prompt = std::nullopt,
                          std::function<void()> before = nullptr);
    // Answer every unscripted box with this result (default: unscripted boxes fail).
    void answer_all(std::optional<int> result) { default_ = result; }
    const std::vector<MsgBoxRequest>& shown() const { return shown_; }
    void clear() { shown_.clear(); script_.clear(); }
    std::size_t pending() const { return script_.size(); }

private:
    std::deque<Answer> script_;
    std::vector<MsgBoxRequest> shown_;
    std::optional<int> default_;
};

}  // namespace dvx::ui
