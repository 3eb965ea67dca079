#pragma once
// The default printer as the print-outs use it: reset the scale, one coordinate
// offset, the font, lines of text and the end (or the discarding) of the document. Page breaks are the
// printer's. No printer, or a printer error, throws UiFault (its text is shown).
#include <string>

namespace dvx::ui {

struct PrinterFont {
    std::string name = "Arial";
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool strikethrough = false;
    bool transparent = true;
    bool underline = false;
    bool operator==(const PrinterFont&) const = default;
};

class Printer {
  public:
    virtual ~Printer() = default;
    // Resets the coordinate system to twips from the page's printable corner.
    virtual void reset_scale() = 0;
    // Moves the origin: ScaleLeft / ScaleTop in twips (-400 moves the text right).
    virtual void set_scale_left(int twips) = 0;
    virtual void set_scale_top(int twips) = 0;
    virtual void set_font(const PrinterFont& font) = 0;
    virtual const PrinterFont& font() const = 0;
    virtual void print_line(const std::string& text) = 0;  // Windows-1252
    virtual void end_doc() = 0;
    // Discards the document begun so far (a print-out broken off by a fault); the next
    // line starts a new one.
    virtual void kill_doc() = 0;

    // Conveniences over set_font.
    void set_font_name(const std::string& n);
    void set_font_size(double s);
    void set_font_bold(bool b);
    void set_font_italic(bool b);
    void set_font_strikethrough(bool b);
    void set_font_transparent(bool b);
    void set_font_underline(bool b);
    void print_line() { print_line(std::string()); }
};

// The installed printer; UiFault "Printer error" when there is none.
Printer& printer();

}  // namespace dvx::ui
