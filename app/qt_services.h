#pragma once
// The real platform services of the desktop program: message boxes, file dialogs,
// printing and text measurement with Qt.
#include <QIcon>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/printer.h"
#include "ui/text_metrics.h"

namespace dvx::app {

// A run where no one can answer a box (no screen of its own: offscreen, or a
// --screenshot run) would wait for ever on the first one. There each box, file dialog
// and print dialog is told on stderr instead (its title and text) and the program ends
// with exit_unanswered.
constexpr int exit_unanswered = 4;
void set_nobody_answers(bool nobody);
bool nobody_answers();

// Closes every box and dialog of Qt's that is up (message boxes, file and print dialogs)
// as cancelled, as their Cancel would: each one's exec returns and the code that showed it
// goes on with that answer. While ui::closing() none is shown any more.
void cancel_open_boxes();

// The program's window icon, a 64-pixel PNG built into the program.
QIcon window_icon();

// QMessageBox with the style's buttons, default button and icon; a box without a
// title of its own gets the application's.
class QtMessageBoxes final : public ui::MessageBoxes {
  public:
    int show(const ui::MsgBoxRequest& box) override;
};

// "label|pattern|label|pattern" as Qt's name filters ("label (pattern)", patterns
// split by ";").
std::vector<std::string> qt_name_filters(const std::string& filter);

// QFileDialog (Qt's own, the same on every desktop): filters, default extension,
// proposed name, overwrite flag. The choice comes back as the bytes of the file chosen
// (a name Qt cannot give back is told and gives none); the open dialog takes any name,
// the caller finds a missing file under its bytes. Cancel gives none.
class QtFileDialogs final : public ui::FileDialogs {
  public:
    std::optional<std::string> show(const ui::FileDialogRequest& request) override;
};

// Collects a document's lines with their fonts and origin; at end_doc the document is
// printed on the default printer, with page breaks where a page is full. Only where
// no default printer exists does the user pick one (printing to a PDF file is one of
// the choices; cancel prints nothing). DORVANEX_PRINT_PDF=<file> prints straight to
// that PDF file.
class QtPrinter final : public ui::Printer {
  public:
    // The desktop's default printer, set up to print; null when there is none.
    std::function<std::unique_ptr<QPrinter>()> default_printer = system_default_printer;
    static std::unique_ptr<QPrinter> system_default_printer();

    void reset_scale() override;
    void set_scale_left(int twips) override { left_ = twips; }
    void set_scale_top(int twips) override { top_ = twips; }
    void set_font(const ui::PrinterFont& font) override { font_ = font; }
    const ui::PrinterFont& font() const override { return font_; }
    void print_line(const std::string& text) override;
    void end_doc() override;
    void kill_doc() override { lines_.clear(); }

  private:
    struct Line {
        std::string text;
        ui::PrinterFont font;
        int left;
        int top;
    };
    void paint(QPagedPaintDevice& printer, int resolution, const std::vector<Line>& lines);
    void print_pdf(const std::string& file, const std::vector<Line>& lines);
    ui::PrinterFont font_;
    int left_ = 0;
    int top_ = 0;
    std::vector<Line> lines_;
};

class QtTextMetrics final : public ui::TextMetrics {
  public:
    int text_width(const ui::Font& font, const std::string& cp1252) override;
};

}  // namespace dvx::app
