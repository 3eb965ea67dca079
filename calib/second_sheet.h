#pragma once
// The controls both second sheets of the KRV input calibration carry (firmware "4.00" on
// and before): the potentiometer inputs 0-600 Ohm and 0-5000 Ohm, the current and the
// voltage input, each with two points of a reference field, a "Read in" button and a
// gauge.
#include <array>
#include <span>

#include "calib/cal_sheet.h"

namespace dvx::calib {

// The second sheets of both firmware generations carry the same controls.
// The fixed input type of a reference word of the second sheets: 13/14 the 0-600 Ohm
// input (12), 19/20 the 0-5000 Ohm input (15), 43/44 the current (19), 49/50 the
// voltage input (18).
int second_sheet_type(int word);
// The decimals of that type (the same in both firmware generations).
std::int32_t second_sheet_decimals(int word);

// The eight reference fields, within the limits `min` and `max` give a field's word
// (the firmware generation's limits of its type).
constexpr std::array<pages::NumericField, 8> second_sheet_fields(pages::WordRule min,
                                                                 pages::WordRule max) {
    using pages::by;
    const auto d = by(second_sheet_decimals);
    return {{
        {"ph_r1_0", 13, d, d, by(min), by(max)},
        {"ph_r1_1", 14, d, d, by(min), by(max)},
        {"ph_r2_0", 19, d, d, by(min), by(max)},
        {"ph_r2_1", 20, d, d, by(min), by(max)},
        {"ph_ma_0", 43, d, d, by(min), by(max)},
        {"ph_ma_1", 44, d, d, by(min), by(max)},
        {"ph_V_0", 49, d, d, by(min), by(max)},
        {"ph_V_1", 50, d, d, by(min), by(max)},
    }};
}

class SecondSheet : public CalSheet {
  protected:
    using CalSheet::CalSheet;

  public:
    ui::Frame Frame3D2{*this, "Frame3D2", {120, 600, 9360, 1500}};
    ui::Label Label4{Frame3D2, "Label4", {120, 300, 1800, 255}};
    ui::TextBox ph_r1_0{Frame3D2, "ph_r1_0", {2040, 240, 1080, 315}};
    ui::Label ph_lab1{Frame3D2, "ph_lab1", {3180, 300, 600, 255}};
    ui::CommandButton Command3D4{Frame3D2, "Command3D4", {3840, 240, 1560, 375}};
    ui::Gauge ga_r1_0{Frame3D2, "ga_r1_0", {5520, 240, 3600, 315}};
    ui::Label Label5{Frame3D2, "Label5", {120, 780, 1800, 255}};
    ui::TextBox ph_r1_1{Frame3D2, "ph_r1_1", {2040, 720, 1080, 315}};
    ui::Label ph_lab2{Frame3D2, "ph_lab2", {3180, 780, 600, 255}};
    ui::CommandButton Command3D5{Frame3D2, "Command3D5", {3840, 720, 1560, 375}};
    ui::Gauge ga_r1_1{Frame3D2, "ga_r1_1", {5520, 720, 3600, 315}};

    ui::Frame Frame3D3{*this, "Frame3D3", {120, 2220, 9360, 1500}};
    ui::Label Label3{Frame3D3, "Label3", {120, 300, 1800, 255}};
    ui::TextBox ph_r2_0{Frame3D3, "ph_r2_0", {2040, 240, 1080, 315}};
    ui::Label Label7{Frame3D3, "Label7", {3180, 300, 600, 255}};
    ui::CommandButton Command3D7{Frame3D3, "Command3D7", {3840, 240, 1560, 375}};
    ui::Gauge ga_r2_0{Frame3D3, "ga_r2_0", {5520, 240, 3600, 315}};
    ui::Label Label2{Frame3D3, "Label2", {120, 780, 1800, 255}};
    ui::TextBox ph_r2_1{Frame3D3, "ph_r2_1", {2040, 720, 1080, 315}};
    ui::Label Label6{Frame3D3, "Label6", {3180, 780, 600, 255}};
    ui::CommandButton Command3D6{Frame3D3, "Command3D6", {3840, 720, 1560, 375}};
    ui::Gauge ga_r2_1{Frame3D3, "ga_r2_1", {5520, 720, 3600, 315}};

    ui::Frame Frame3D4{*this, "Frame3D4", {120, 3840, 9360, 1500}};
    ui::Label Label14{Frame3D4, "Label14", {120, 300, 1800, 255}};
    ui::TextBox ph_ma_0{Frame3D4, "ph_ma_0", {2040, 240, 1080, 315}};
    ui::Label Label9{Frame3D4, "Label9", {3180, 300, 600, 255}};
    ui::CommandButton Command3D9{Frame3D4, "Command3D9", {3840, 240, 1560, 375}};
    ui::Gauge ga_ma_0{Frame3D4, "ga_ma_0", {5520, 240, 3600, 315}};
    ui::Label Label15{Frame3D4, "Label15", {120, 780, 1800, 255}};
    ui::TextBox ph_ma_1{Frame3D4, "ph_ma_1", {2040, 720, 1080, 315}};
    ui::Label Label10{Frame3D4, "Label10", {3180, 780, 600, 255}};
    ui::CommandButton Command3D10{Frame3D4, "Command3D10", {3840, 720, 1560, 375}};
    ui::Gauge ga_ma_1{Frame3D4, "ga_ma_1", {5520, 720, 3600, 315}};

    ui::Frame Frame3D5{*this, "Frame3D5", {120, 5460, 9360, 1500}};
    ui::Label Label17{Frame3D5, "Label17", {120, 300, 1800, 255}};
    ui::TextBox ph_V_0{Frame3D5, "ph_V_0", {2040, 240, 1080, 315}};
    ui::Label Label19{Frame3D5, "Label19", {3180, 300, 600, 255}};
    ui::CommandButton Command3D12{Frame3D5, "Command3D12", {3840, 240, 1560, 375}};
    ui::Gauge ga_v_0{Frame3D5, "ga_v_0", {5520, 240, 3600, 315}};
    ui::Label Label16{Frame3D5, "Label16", {120, 780, 1800, 255}};
    ui::TextBox ph_V_1{Frame3D5, "ph_V_1", {2040, 720, 1080, 315}};
    ui::Label Label18{Frame3D5, "Label18", {3180, 780, 600, 255}};
    ui::CommandButton Command3D11{Frame3D5, "Command3D11", {3840, 720, 1560, 375}};
    ui::Gauge ga_v_1{Frame3D5, "ga_v_1", {5520, 720, 3600, 315}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 120, 2400, 375}};
    ui::CommandButton Command3D3{*this, "Command3D3", {7080, 120, 2400, 375}};

  protected:
    // Unit labels and the field table (fixed types 12, 15, 19, 18; the firmware
    // generation's limits); the fill: the gauges, then the fields, in their order.
    void set_up_second_sheet(std::span<const pages::NumericField> fields);
    void fill_second_sheet();
};

}  // namespace dvx::calib
