#include "ui/doubles/scripted_boxes.h"

namespace dvx::ui {

int ScriptedBoxes::show(const MsgBoxRequest& box) {
    shown_.push_back(box);
    if (script_.empty()) {
        if (default_) return *default_;
        throw UnscriptedBox("unscripted message box: \"" + box.prompt + "\"");
    }
    Answer a = std::move(script_.front());
    script_.pop_front();
    if (a.expect_prompt && *a.expect_prompt != box.prompt)
        throw UnscriptedBox("message box \"" + box.prompt + "\" where \"" + *a.expect_prompt +
                            "\" was expected");
    if (a.before) a.before();
    return a.result;
}

ScriptedBoxes& ScriptedBoxes::answer(int result, std::optional<std::string> expect_prompt,
                                     std::function<void()> before) {
    script_.push_back({result, std::move(expect_prompt), std::move(before)});
    return *this;
}

}  // namespace dvx::ui
