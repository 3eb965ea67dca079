#include "ui/doubles/scripted_dialogs.h"

#include "ui/event_loop.h"

namespace dvx::ui {

std::optional<std::string> ScriptedDialogs::show(const FileDialogRequest& request) {
    shown_.push_back(request);
    if (script_.empty()) {
        failures_.push_back("unscripted file dialog: \"" + request.title + "\"");
        throw UnscriptedDialog(failures_.back());
    }
    Answer a = std::move(script_.front());
    script_.pop_front();
    if (a.wait > 0) wait_yielding(a.wait);
    if (a.before) a.before();
    return a.path;
}

ScriptedDialogs& ScriptedDialogs::choose(std::string path, std::function<void()> before) {
    return answer({std::move(path), std::move(before), 0});
}

ScriptedDialogs& ScriptedDialogs::cancel(std::function<void()> before) {
    return answer({std::nullopt, std::move(before), 0});
}

ScriptedDialogs& ScriptedDialogs::answer(Answer a) {
    script_.push_back(std::move(a));
    return *this;
}

}  // namespace dvx::ui
