#include "app/qt_services.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/qt_loop.h"
#include "app/twips.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::app {

namespace fs = std::filesystem;

namespace {

bool nobody_answers_ = false;

// Title and text (Windows-1252, CR LF lines) of what would have waited, then the end.
[[noreturn]] void end_unanswered(const std::string& title, const std::string& text) {
    std::string lines = platform::to_utf8(text);
    for (std::size_t at = 0; (at = lines.find('\r', at)) != std::string::npos;) lines.erase(at, 1);
    std::fprintf(stderr,
                 "dorvanex: %s: %s\ndorvanex: no one can answer it here, so the program ends\n",
                 platform::to_utf8(title).c_str(), lines.c_str());
    std::fflush(stderr);
    ui::end_program(exit_unanswered);
}

// Qt's own box or dialog has the keys while it is up; when it closes the window that
// had them is active again, also where the desktop leaves none active (the offscreen
// platform always does).
class ActiveWindowBack {
  public:
    ActiveWindowBack() : window_(QApplication::activeWindow()) {}
    ~ActiveWindowBack() {
        if (window_ && window_->isVisible() && QApplication::activeWindow() != window_)
            window_->activateWindow();
    }
    ActiveWindowBack(const ActiveWindowBack&) = delete;
    ActiveWindowBack& operator=(const ActiveWindowBack&) = delete;

  private:
    QPointer<QWidget> window_;
};

// The boxes and dialogs whose exec runs, innermost last.
std::vector<QPointer<QDialog>> open_boxes;

// A box or dialog's exec, known to cancel_open_boxes while it runs. None is shown once the
// program is closing (a signal noticed while it was being set up): Rejected at once.
int run_box(QDialog& box) {
    if (ui::closing()) return QDialog::Rejected;
    struct Known {
        explicit Known(QDialog& d) { open_boxes.emplace_back(&d); }
        ~Known() { open_boxes.pop_back(); }  // the execs nest
    } known(box);
    return box.exec();
}

}  // namespace

void cancel_open_boxes() {
    // Innermost first: an outer exec returns only after the inner one has.
    for (auto it = open_boxes.rbegin(); it != open_boxes.rend(); ++it)
        if (*it) (*it)->reject();
}

void set_nobody_answers(bool nobody) {
    nobody_answers_ = nobody;
}

bool nobody_answers() {
    return nobody_answers_;
}

QIcon window_icon() {
    return QIcon(QStringLiteral(":/dorvanex.png"));
}

// ---------------------------------------------------------------------------------
// Message boxes

namespace {

struct ButtonSet {
    int style;
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;  // in order, with result
};

const ButtonSet button_sets[] = {
    {ui::mb_ok, {{QMessageBox::Ok, ui::id_ok}}},
    {ui::mb_ok_cancel, {{QMessageBox::Ok, ui::id_ok}, {QMessageBox::Cancel, ui::id_cancel}}},
    {ui::mb_abort_retry_ignore,
     {{QMessageBox::Abort, ui::id_abort},
      {QMessageBox::Retry, ui::id_retry},
      {QMessageBox::Ignore, ui::id_ignore}}},
    {ui::mb_yes_no_cancel,
     {{QMessageBox::Yes, ui::id_yes},
      {QMessageBox::No, ui::id_no},
      {QMessageBox::Cancel, ui::id_cancel}}},
    {ui::mb_yes_no, {{QMessageBox::Yes, ui::id_yes}, {QMessageBox::No, ui::id_no}}},
    {ui::mb_retry_cancel,
     {{QMessageBox::Retry, ui::id_retry}, {QMessageBox::Cancel, ui::id_cancel}}},
};

QMessageBox::Icon icon_of(int style) {
    switch (style & 0x70) {
        case ui::mb_critical:
            return QMessageBox::Critical;
        case ui::mb_question:
            return QMessageBox::Question;
        case ui::mb_exclamation:
            return QMessageBox::Warning;
        case ui::mb_information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QString box_text(const std::string& cp1252_text) {
    QString s = qstr(cp1252_text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

}  // namespace

int QtMessageBoxes::show(const ui::MsgBoxRequest& box) {
    if (nobody_answers_) end_unanswered(box.title.value_or(ui::services().app_title), box.prompt);
    const ActiveWindowBack back;
    const ButtonSet* set = &button_sets[0];
    for (const auto& b : button_sets)
        if (b.style == (box.style & 0x0F)) set = &b;
    QMessageBox mb(icon_of(box.style), qstr(box.title.value_or(ui::services().app_title)),
                   box_text(box.prompt));
    std::vector<std::pair<QAbstractButton*, int>> results;
    for (const auto& [button, result] : set->buttons)
        results.emplace_back(mb.addButton(button), result);
    // 256, 512: the second or third button is the default.
    const int def = (box.style >> 8) & 0x3;
    if (def < static_cast<int>(results.size()))
        mb.setDefaultButton(qobject_cast<QPushButton*>(results[def].first));
    // The box's own close (Escape, the frame) is Cancel where there is one, else the
    // single OK; boxes without either cannot be closed that way.
    for (const auto& [b, result] : results)
        if (result == ui::id_cancel || (results.size() == 1 && result == ui::id_ok))
            mb.setEscapeButton(b);
    note_box_opened();
    run_box(mb);
    for (const auto& [b, result] : results)
        if (mb.clickedButton() == b) return result;
    return ui::cancel_answer(box.style);
}

// ---------------------------------------------------------------------------------
// File dialogs

std::vector<std::string> qt_name_filters(const std::string& filter) {
    std::vector<std::string> out;
    std::vector<std::string> parts;
    std::string cur;
    for (char ch : filter) {
        if (ch == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!filter.empty()) parts.push_back(cur);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        for (char& ch : patterns)
            if (ch == ';') ch = ' ';
        // "KRV files (*.krv)" already shows its pattern, as Qt wants it.
        if (parts[i].find("(" + patterns + ")") != std::string::npos)
            out.push_back(parts[i]);
        else
            out.push_back(parts[i] + " (" + patterns + ")");
    }
    if (parts.size() % 2 == 1 && !parts.back().empty())  // a label without pattern
        out.push_back(parts.back() + " (*)");
    return out;
}

namespace {

// Qt takes and gives paths as text, where a byte that is no UTF-8 (an older system's
// umlaut) is U+FFFD; Qt can neither list, stat nor enter a name that holds one.
QString shown(const fs::path& path) {
    return QFile::decodeName(path.c_str());
}

// The proposal as Qt can take it. Qt cannot enter the folder of a name it cannot stat: it
// stays where it stands and cuts the '/' off such an absolute proposal, so that one goes
// in relative to the folder Qt stands in, the working folder where Qt could enter none
// and stands there as "." (a ".." is taken back in chosen_path).
QString proposal_for(const QFileDialog& dlg, const fs::path& proposal) {
    if (!proposal.is_absolute() || QFileInfo(shown(proposal.parent_path())).isDir())
        return shown(proposal);
    std::error_code ec;
    const QDir at = dlg.directory();
    const fs::path from = at.path() == "."
                              ? fs::current_path(ec)
                              : fs::path(QFile::encodeName(at.absolutePath()).toStdString());
    return shown(ec ? proposal : proposal.lexically_relative(from));
}

// The system's bytes of the path Qt gives, a relative one from the working folder (where
// Qt stands as "."), ".." taken as Qt takes it: a part that holds U+FFFD is the one entry
// of its folder that Qt shows so. Where no entry or several do, the name is told with the
// reason, and none is given.
std::optional<std::string> chosen_path(const QString& chosen) {
    std::error_code ec;
    fs::path path = QDir::isAbsolutePath(chosen) ? fs::path("/") : fs::current_path(ec);
    for (const QString& part : chosen.split('/', Qt::SkipEmptyParts)) {
        if (part == ".") continue;
        if (part == "..") {
            path = path.parent_path();
            continue;
        }
        if (!part.contains(QChar::ReplacementCharacter)) {
            path /= QFile::encodeName(part).toStdString();
            continue;
        }
        std::vector<fs::path> shown_so;
        for (fs::directory_iterator it(path.empty() ? "." : path, ec), end; !ec && it != end;
             it.increment(ec))
            if (shown(it->path().filename()) == part) shown_so.push_back(it->path().filename());
        if (shown_so.size() != 1) {
            ui::show_titled(
                platform::fault_naming(platform::FaultText::path_file_access_error,
                                       QFile::encodeName(chosen).toStdString(),
                                       platform::system_reason(ec ? ec.value() : EILSEQ)));
            return std::nullopt;
        }
        path /= shown_so.front();
    }
    return path.string();
}

}  // namespace

std::optional<std::string> QtFileDialogs::show(const ui::FileDialogRequest& r) {
    if (nobody_answers_) end_unanswered(r.title, r.save ? "a file to save" : "a file to open");
    const ActiveWindowBack back;
    QFileDialog dlg(QApplication::activeWindow(), qstr(r.title));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name, also where the file must exist: Qt would look for it under its text and
    // miss it in a folder whose name is no UTF-8. The caller reads it under its bytes and
    // tells a missing one (the load in its own words).
    dlg.setFileMode(QFileDialog::AnyFile);
    if (r.save && !(r.flags & ui::ofn_overwrite_prompt))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const auto& f : qt_name_filters(r.filter)) filters << qstr(f);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filter_index >= 1 && r.filter_index <= filters.size())
            dlg.selectNameFilter(filters[r.filter_index - 1]);
    }
    if (!r.default_ext.empty()) dlg.setDefaultSuffix(qstr(r.default_ext));
    // The proposal and the choice are paths: the system's bytes, not the window's text.
    if (!r.file_name.empty()) dlg.selectFile(proposal_for(dlg, r.file_name));
    note_box_opened();
    if (run_box(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return chosen_path(dlg.selectedFiles().front());
}

// ---------------------------------------------------------------------------------
// Printing

void QtPrinter::reset_scale() {
    left_ = 0;
    top_ = 0;
}

void QtPrinter::print_line(const std::string& text) {
    lines_.push_back({text, font_, left_, top_});
}

// Lines go down the page from the printable corner; the origin offsets move them
// (ScaleLeft -400 moves the text 400 twips to the right).
void QtPrinter::paint(QPagedPaintDevice& printer, int resolution, const std::vector<Line>& lines) {
    QPainter p;
    if (!p.begin(&printer)) throw ui::UiFault(platform::FaultText::printer);
    const double dots_per_twip = resolution / 1440.0;
    const QRect page = printer.pageLayout().paintRectPixels(resolution);
    double y = 0;
    for (const Line& line : lines) {
        QFont f = qfont(line.font);
        p.setFont(f);
        const QFontMetricsF fm(f, &printer);
        if (y + fm.height() > page.height() && y > 0) {
            printer.newPage();
            y = 0;
        }
        const double x = -line.left * dots_per_twip;
        const double top = -line.top * dots_per_twip;
        p.drawText(QPointF(x, top + y + fm.ascent()), qstr(line.text));
        y += fm.height();
    }
    p.end();
}

void QtPrinter::end_doc() {
    // The document ends here whatever happens to it.
    std::vector<Line> doc;
    doc.swap(lines_);
    if (doc.empty()) return;
    if (const char* pdf = std::getenv("DORVANEX_PRINT_PDF"); pdf && *pdf) {
        print_pdf(pdf, doc);
        return;
    }
    if (std::unique_ptr<QPrinter> printer = default_printer ? default_printer() : nullptr) {
        paint(*printer, printer->resolution(), doc);
        return;
    }
    if (nobody_answers_) end_unanswered(ui::services().app_title, "a printer to print on");
    QPrinter printer(QPrinter::HighResolution);
    {
        const ActiveWindowBack back;
        QPrintDialog dlg(&printer, QApplication::activeWindow());
        if (run_box(dlg) != QDialog::Accepted) return;  // the user chose not to print
    }
    paint(printer, printer.resolution(), doc);
}

// The page of a PDF printer, made in memory and written under exactly the bytes of the
// name: Qt's PDF printer would take the name as text and lose a byte that is no UTF-8.
// A file that cannot be written is the printer fault with the file and the reason.
void QtPrinter::print_pdf(const std::string& file, const std::vector<Line>& doc) {
    QPrinter like(QPrinter::HighResolution);
    like.setOutputFormat(QPrinter::PdfFormat);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(like.pageLayout());
        pdf.setResolution(like.resolution());
        paint(pdf, pdf.resolution(), doc);
    }
    if (const int err = platform::write_output_file(
            file, {bytes.constData(), static_cast<std::size_t>(bytes.size())}))
        throw ui::UiFault(platform::fault_naming(platform::FaultText::printer, file,
                                                 platform::system_reason(err)));
}

std::unique_ptr<QPrinter> QtPrinter::system_default_printer() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

// ---------------------------------------------------------------------------------
// Text metrics

int QtTextMetrics::text_width(const ui::Font& font, const std::string& text) {
    const QFontMetrics fm(qfont(font));
    return to_twips(fm.horizontalAdvance(qstr(text)));
}

}  // namespace dvx::app
