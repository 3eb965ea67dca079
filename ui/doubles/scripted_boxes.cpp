#include "ui/doubles/scripted_boxes.h"

#include "ui/event_loop.h"

namespace dvx::ui {

void ScriptedBoxes::fail(const std::string& why) {
    failures_.push_back(why);
    throw UnscriptedBox(why);
}

int ScriptedBoxes::show(const MsgBoxRequest& box) {
    shown_.push_back(box);
    if (script_.empty()) {
        if (default_) return *default_;
        fail("unscripted message box: \"" + box.prompt + "\"");
    }
    Answer a = std::move(script_.front());
    script_.pop_front();
    if (a.expect_prompt && *a.expect_prompt != box.prompt)
        fail("message box \"" + box.prompt + "\" where \"" + *a.expect_prompt + "\" was expected");
    if (a.expect_style && *a.expect_style != box.style)
        fail("message box \"" + box.prompt + "\" has style " + std::to_string(box.style) +
             ", expected " + std::to_string(*a.expect_style));
    if (a.expect_title && *a.expect_title != box.title.value_or(""))
        fail("message box \"" + box.prompt + "\" has title \"" + box.title.value_or("") +
             "\", expected \"" + *a.expect_title + "\"");
    if (a.wait > 0) wait_yielding(a.wait);
    if (a.before) a.before();
    return a.result;
}

ScriptedBoxes& ScriptedBoxes::answer(int result, std::optional<std::string> expect_prompt,
                                     std::function<void()> before) {
    Answer a;
    a.result = result;
    a.expect_prompt = std::move(expect_prompt);
    a.before = std::move(before);
    return answer(std::move(a));
}

ScriptedBoxes& ScriptedBoxes::answer(Answer a) {
    script_.push_back(std::move(a));
    return *this;
}

}  // namespace dvx::ui
