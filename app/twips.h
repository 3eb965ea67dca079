#pragma once
// Units and text at the boundary between the window layer and Qt: designed geometry
// in twips becomes pixels (15 twips a pixel at 96 dpi, scaled with the screen's
// logical dpi), Windows-1252 text becomes QString and back, ui fonts become QFonts.
#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "ui/control.h"
#include "ui/printer.h"

namespace dvx::app {

// Pixels per twip; set once from the primary screen (1/15 until then).
double px_per_twip();
void set_screen_dpi(double logical_dpi);
// Reads the primary screen's logical dpi (needs a QGuiApplication).
void use_primary_screen();

int to_px(int twips);
int to_twips(int px);

QString qstr(const std::string& cp1252);
std::string cp1252(const QString& s);

QFont qfont(const ui::Font& f);
QFont qfont(const ui::PrinterFont& f);
// 0x00BBGGRR; none for a system colour (top bit set): the style's own colour then.
std::optional<QColor> qcolor(std::uint32_t c);

}  // namespace dvx::app
