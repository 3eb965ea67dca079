#include "ui/services.h"

#include "ui/fault.h"
#include "ui/ui_state.h"

namespace dvx::ui {

Services& services() {
    static Services s;
    return s;
}

Clock& clock() {
    if (!services().clock) throw UiFault("No clock installed");
    return *services().clock;
}

void do_events() {
    if (services().loop) services().loop->do_events();
}

void wait_yielding(double seconds) {
    if (seconds <= 0) return;
    Clock& c = clock();
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

static int show_box(MsgBoxRequest req) {
    if (!services().boxes) throw UiFault("No message box service installed");
    detail::BoxScope box;
    do_events();  // the box's own pump: due timers tick, queued input waits
    const int result = services().boxes->show(req);
    box.close();
    return result;
}

int msg_box(const std::string& prompt, int style) {
    return show_box({prompt, style, std::nullopt});
}

int msg_box(const std::string& prompt, int style, const std::string& title) {
    return show_box({prompt, style, title});
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
    if (!d) throw UiFault("No file dialog service installed");
    FileDialogRequest req{save, dialog_title, flags, default_ext, file_name, filter, filter_index};
    detail::BoxScope box;
    do_events();
    auto chosen = d->show(req);
    box.close();
    if (!chosen) {
        file_name.clear();
        if (cancel_error) throw UiFault(fault_text::cancel);
        return;
    }
    file_name = *chosen;
}

Printer& printer() {
    if (!services().printer) throw UiFault(fault_text::printer);
    return *services().printer;
}

void Printer::set_font_name(const std::string& n) {
    PrinterFont f = font();
    f.name = n;
    set_font(f);
}
void Printer::set_font_size(double s) {
    PrinterFont f = font();
    f.size = s;
    set_font(f);
}
void Printer::set_font_bold(bool b) {
    PrinterFont f = font();
    f.bold = b;
    set_font(f);
}
void Printer::set_font_italic(bool b) {
    PrinterFont f = font();
    f.italic = b;
    set_font(f);
}
void Printer::set_font_strikethrough(bool b) {
    PrinterFont f = font();
    f.strikethrough = b;
    set_font(f);
}
void Printer::set_font_transparent(bool b) {
    PrinterFont f = font();
    f.transparent = b;
    set_font(f);
}
void Printer::set_font_underline(bool b) {
    PrinterFont f = font();
    f.underline = b;
    set_font(f);
}

}  // namespace dvx::ui
