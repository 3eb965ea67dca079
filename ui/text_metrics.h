#pragma once
// Text measurement. The desktop renderer installs one that asks the real font; without
// one the layer uses a deterministic metric (see Form::text_width).
#include <string>

#include "ui/control.h"

namespace dvx::ui {

class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    virtual int text_width(const Font& font, const std::string& cp1252) = 0;  // twips
};

// The headless metric: size x 10 twips per character, bold 10% wider.
int headless_text_width(const Font& font, const std::string& cp1252);

// The width of a text in `font` (a control's, as it draws it), by the installed metric.
int text_width(const Font& font, const std::string& cp1252);

}  // namespace dvx::ui
