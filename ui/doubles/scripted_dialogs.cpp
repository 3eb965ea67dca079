#include "ui/doubles/scripted_dialogs.h"

#include "ui/event_loop.h"

namespace dvx::ui {

void ScriptedDialogs::fail(const std::string& why) {
    failures_.push_back(why);
    throw UnscriptedDialog(why);
}

std::optional<std::string> ScriptedDialogs::show(const FileDialogRequest& request) {
    shown_.push_back(request);
    if (script_.empty()) fail("unscripted file dialog: \"" + request.title + "\"");
    Answer a = std::move(script_.front());
    script_.pop_front();
    if (a.expect_title && *a.expect_title != request.title)
        fail("file dialog \"" + request.title + "\" where \"" + *a.expect_title +
             "\" was expected");
    if (a.wait > 0) wait_yielding(a.wait);
    if (a.before) a.before();
    return a.path;
}

ScriptedDialogs& ScriptedDialogs::choose(std::string path, std::function<void()> before) {
    Answer a;
    a.path = std::move(path);
    a.before = std::move(before);
    return answer(std::move(a));
}

ScriptedDialogs& ScriptedDialogs::cancel(std::function<void()> before) {
    Answer a;
    a.before = std::move(before);
    return answer(std::move(a));
}

ScriptedDialogs& ScriptedDialogs::answer(Answer a) {
    script_.push_back(std::move(a));
    return *this;
}

}  // namespace dvx::ui
