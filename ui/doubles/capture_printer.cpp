#include "ui/doubles/capture_printer.h"

#include "ui/fault.h"

namespace dvx::ui {

void CapturePrinter::check() const {
    if (fault) throw UiFault(*fault);
}

void CapturePrinter::reset_scale() {
    check();
    left_ = top_ = 0;
}

void CapturePrinter::set_scale_left(int twips) {
    check();
    left_ = twips;
}

void CapturePrinter::set_scale_top(int twips) {
    check();
    top_ = twips;
}

void CapturePrinter::set_font(const PrinterFont& font) {
    check();
    font_ = font;
}

void CapturePrinter::print_line(const std::string& text) {
    if (fault_after_lines && lines_.size() >= *fault_after_lines) fault = fault_after_text;
    check();
    lines_.push_back({text, font_, left_, top_, docs_});
}

void CapturePrinter::end_doc() {
    check();
    ++docs_;
}

void CapturePrinter::kill_doc() {
    std::erase_if(lines_, [this](const Line& l) { return l.document == docs_; });
    ++killed_;
}

std::vector<std::string> CapturePrinter::texts(int document) const {
    std::vector<std::string> out;
    for (const auto& l : lines_)
        if (l.document == document) out.push_back(l.text);
    return out;
}

}  // namespace dvx::ui
