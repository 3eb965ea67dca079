#pragma once
// Test double for file dialogs: records every request; answers come from a script in
// order (a path, or cancel). An unscripted dialog, or one whose title is not the
// expected one, fails the test (UnscriptedDialog).
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/file_dialog.h"

namespace dvx::ui {

struct UnscriptedDialog : std::logic_error {
    explicit UnscriptedDialog(const std::string& what) : std::logic_error(what) {}
};

class ScriptedDialogs final : public FileDialogs {
  public:
    struct Answer {
        std::optional<std::string> path;          // none: the user cancels
        std::function<void()> before;             // runs while the dialog is up
        double wait = 0;                          // seconds the user takes (yielding)
        std::optional<std::string> expect_title;  // checked when set
    };
    std::optional<std::string> show(const FileDialogRequest& request) override;
    ScriptedDialogs& choose(std::string path, std::function<void()> before = nullptr);
    ScriptedDialogs& cancel(std::function<void()> before = nullptr);
    ScriptedDialogs& answer(Answer a);
    const std::vector<FileDialogRequest>& shown() const { return shown_; }
    std::size_t pending() const { return script_.size(); }
    void clear() {
        shown_.clear();
        script_.clear();
        failures_.clear();
    }
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    [[noreturn]] void fail(const std::string& why);
    std::deque<Answer> script_;
    std::vector<FileDialogRequest> shown_;
    std::vector<std::string> failures_;
};

}  // namespace dvx::ui
