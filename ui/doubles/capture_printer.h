#pragma once
// Test double for the printer: captures every printed line with the font and the
// origin it was printed in, and each end of document. An injected fault makes every
// following call throw UiFault with its text.
#include <optional>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "ui/printer.h"

namespace dvx::ui {

class CapturePrinter final : public Printer {
  public:
    struct Line {
        std::string text;
        PrinterFont font;
        int scale_left;
        int scale_top;
        int document;  // 0 for the first document, counting end_doc calls
    };
    void reset_scale() override;
    void set_scale_left(int twips) override;
    void set_scale_top(int twips) override;
    void set_font(const PrinterFont& font) override;
    const PrinterFont& font() const override { return font_; }
    void print_line(const std::string& text) override;
    void end_doc() override;
    // Drops the current document's lines; works also while a fault is injected.
    void kill_doc() override;

    std::optional<std::string> fault;  // every call throws UiFault(*fault)
    // A printer that fails part-way: `fault` is set to this text once this many lines
    // have been printed.
    std::optional<std::size_t> fault_after_lines;
    std::string fault_after_text = platform::fault_text(platform::FaultText::printer);
    const std::vector<Line>& lines() const { return lines_; }
    // The texts of one document.
    std::vector<std::string> texts(int document = 0) const;
    int documents() const { return docs_; }
    int discarded() const { return killed_; }

  private:
    void check() const;
    PrinterFont font_;
    int left_ = 0, top_ = 0, docs_ = 0, killed_ = 0;
    std::vector<Line> lines_;
};

}  // namespace dvx::ui
