#include "ui/services.h"

#include <utility>

#include "ui/fault.h"
#include "ui/ui_state.h"

namespace dvx::ui {

Services& services() {
    static Services s;
    return s;
}

platform::Clock& clock() {
    if (!services().clock) throw UiFault(platform::FaultText::no_clock);
    return *services().clock;
}

void do_events() {
    detail::events_run();
    if (services().loop) services().loop->do_events();
}

void wait_yielding(double seconds) {
    if (seconds <= 0) return;
    platform::Clock& c = clock();
    const double end = c.now() + seconds;
    for (;;) {
        do_events();
        if (c.now() >= end) return;
        if (services().loop)
            services().loop->idle_until(end);
        else
            c.sleep_until(end);
    }
}

int cancel_answer(int style) {
    switch (style & 0x0F) {
        case mb_ok_cancel:
        case mb_yes_no_cancel:
        case mb_retry_cancel:
            return id_cancel;
        case mb_abort_retry_ignore:
            return id_abort;
        case mb_yes_no:
            return id_no;
        default:
            return id_ok;
    }
}

// A modal box or dialog: takes the focus, runs its own pump (due timers tick, queued
// input waits), asks the service, and gives the focus back. While the program is
// closing no one is asked: the box gives `cancelled` at once.
template <class Show, class Result>
static Result boxed(Show show, Result cancelled) {
    if (closing()) return cancelled;
    detail::BoxScope box;
    do_events();
    Result result = closing() ? cancelled : show();
    box.close();
    return result;
}

static int show_box(const MsgBoxRequest& req) {
    MessageBoxes* boxes = services().boxes;
    if (!boxes) throw UiFault(platform::FaultText::no_message_boxes);
    return boxed([&] { return boxes->show(req); }, cancel_answer(req.style));
}

int msg_box(const std::string& prompt, int style) {
    return show_box({prompt, style, std::nullopt});
}

int msg_box(const std::string& prompt, int style, const std::string& title) {
    return show_box({prompt, style, title});
}

void show_titled(const std::string& prompt) {
    msg_box(prompt, mb_ok, program_title);
}

// ---- file dialogs and printer

void CommonDialog::show_open() {
    show(false);
}
void CommonDialog::show_save() {
    show(true);
}

void CommonDialog::show(bool save) {
    FileDialogs* d = services().dialogs;
    if (!d) throw UiFault(platform::FaultText::no_file_dialogs);
    FileDialogRequest req{save, dialog_title, flags, default_ext, file_name, filter, filter_index};
    auto chosen = boxed([&] { return d->show(req); }, std::optional<std::string>());
    if (!chosen) {
        file_name.clear();
        if (cancel_error) throw UiFault(platform::FaultText::cancel);
        return;
    }
    file_name = *chosen;
}

Printer& printer() {
    if (!services().printer) throw UiFault(platform::FaultText::printer);
    return *services().printer;
}

void Printer::set_font_name(const std::string& n) {
    detail::set_font_field(*this, &PrinterFont::name, n);
}
void Printer::set_font_size(double s) {
    detail::set_font_field(*this, &PrinterFont::size, s);
}
void Printer::set_font_bold(bool b) {
    detail::set_font_field(*this, &PrinterFont::bold, b);
}
void Printer::set_font_italic(bool b) {
    detail::set_font_field(*this, &PrinterFont::italic, b);
}
void Printer::set_font_strikethrough(bool b) {
    detail::set_font_field(*this, &PrinterFont::strikethrough, b);
}
void Printer::set_font_transparent(bool b) {
    detail::set_font_field(*this, &PrinterFont::transparent, b);
}
void Printer::set_font_underline(bool b) {
    detail::set_font_field(*this, &PrinterFont::underline, b);
}

}  // namespace dvx::ui
