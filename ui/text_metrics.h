#pragma once
// Text measurement. The desktop renderer installs one that asks the real font; without
// one the layer uses a deterministic metric (see Form::text_width). And the rows a
// multi-line text box shows, which only the one drawing it knows.
#include <optional>
#include <string>

#include "ui/control.h"

namespace dvx::ui {

class TextBox;

class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    virtual int text_width(const Font& font, const std::string& cp1252) = 0;  // twips
};

// The headless metric: size x 10 twips per character, bold 10% wider.
int headless_text_width(const Font& font, const std::string& cp1252);

// The width of a text in `font` (a control's, as it draws it), by the installed metric.
int text_width(const Font& font, const std::string& cp1252);

// The caret keys of a multi-line box on the rows it is shown in, a stored line wrapped
// into several: Up and Down to the row above or below at the caret's place on the screen,
// Home and End to the shown row's ends.
enum class RowMove { up, down, start, end };

class TextRows {
  public:
    virtual ~TextRows() = default;
    // Where `move` takes the caret from `pos` (positions of the box's text, a CR LF two);
    // nullopt where the box is shown nowhere, and the layer takes each stored line as a row.
    virtual std::optional<int> row_move(const TextBox& box, int pos, RowMove move) = 0;
};

}  // namespace dvx::ui
