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
    // Each frame's points keep their 32-bit values at the words given last.
    // The 0-600 Ohm input.
    PointFrame Frame3D2{*this,
                        {"Frame3D2",
                         {{"Label4", "ph_r1_0", "ph_lab1", "Command3D4", "ga_r1_0"},
                          {"Label5", "ph_r1_1", "ph_lab2", "Command3D5", "ga_r1_1"}}},
                        600,
                        {9, 11}};
    ui::Label &Label4 = Frame3D2.points[0].label, &Label5 = Frame3D2.points[1].label;
    ui::TextBox &ph_r1_0 = Frame3D2.points[0].field, &ph_r1_1 = Frame3D2.points[1].field;
    ui::Label &ph_lab1 = Frame3D2.points[0].unit, &ph_lab2 = Frame3D2.points[1].unit;
    ui::CommandButton &Command3D4 = Frame3D2.points[0].read_in,
                      &Command3D5 = Frame3D2.points[1].read_in;
    ui::Gauge &ga_r1_0 = Frame3D2.points[0].gauge, &ga_r1_1 = Frame3D2.points[1].gauge;

    // The 0-5000 Ohm input.
    PointFrame Frame3D3{*this,
                        {"Frame3D3",
                         {{"Label3", "ph_r2_0", "Label7", "Command3D7", "ga_r2_0"},
                          {"Label2", "ph_r2_1", "Label6", "Command3D6", "ga_r2_1"}}},
                        2220,
                        {15, 17}};
    ui::Label &Label3 = Frame3D3.points[0].label, &Label2 = Frame3D3.points[1].label;
    ui::TextBox &ph_r2_0 = Frame3D3.points[0].field, &ph_r2_1 = Frame3D3.points[1].field;
    ui::Label &Label7 = Frame3D3.points[0].unit, &Label6 = Frame3D3.points[1].unit;
    ui::CommandButton &Command3D7 = Frame3D3.points[0].read_in,
                      &Command3D6 = Frame3D3.points[1].read_in;
    ui::Gauge &ga_r2_0 = Frame3D3.points[0].gauge, &ga_r2_1 = Frame3D3.points[1].gauge;

    // The current input.
    PointFrame Frame3D4{*this, current_frame_names, 3840, {39, 41}};
    ui::Label &Label14 = Frame3D4.points[0].label, &Label15 = Frame3D4.points[1].label;
    ui::TextBox &ph_ma_0 = Frame3D4.points[0].field, &ph_ma_1 = Frame3D4.points[1].field;
    ui::Label &Label9 = Frame3D4.points[0].unit, &Label10 = Frame3D4.points[1].unit;
    ui::CommandButton &Command3D9 = Frame3D4.points[0].read_in,
                      &Command3D10 = Frame3D4.points[1].read_in;
    ui::Gauge &ga_ma_0 = Frame3D4.points[0].gauge, &ga_ma_1 = Frame3D4.points[1].gauge;

    // The voltage input.
    PointFrame Frame3D5{*this,
                        {"Frame3D5",
                         {{"Label17", "ph_V_0", "Label19", "Command3D12", "ga_v_0"},
                          {"Label16", "ph_V_1", "Label18", "Command3D11", "ga_v_1"}}},
                        5460,
                        {45, 47}};
    ui::Label &Label17 = Frame3D5.points[0].label, &Label16 = Frame3D5.points[1].label;
    ui::TextBox &ph_V_0 = Frame3D5.points[0].field, &ph_V_1 = Frame3D5.points[1].field;
    ui::Label &Label19 = Frame3D5.points[0].unit, &Label18 = Frame3D5.points[1].unit;
    ui::CommandButton &Command3D12 = Frame3D5.points[0].read_in,
                      &Command3D11 = Frame3D5.points[1].read_in;
    ui::Gauge &ga_v_0 = Frame3D5.points[0].gauge, &ga_v_1 = Frame3D5.points[1].gauge;

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 120, 2400, 375}};
    ui::CommandButton Command3D3{*this, "Command3D3", {7080, 120, 2400, 375}};

  protected:
    // Unit labels and the field table (fixed types 12, 15, 19, 18; the firmware
    // generation's limits); the fill: the gauges, then the fields, in their order.
    void set_up_second_sheet(std::span<const pages::NumericField> fields);
    void fill_second_sheet();
    // The frames top to bottom.
    std::array<PointFrame*, 4> frames() { return {&Frame3D2, &Frame3D3, &Frame3D4, &Frame3D5}; }
};

}  // namespace dvx::calib
