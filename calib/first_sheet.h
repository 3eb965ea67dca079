#pragma once
// The controls both first sheets of the KRV input calibration carry (firmware "4.00" on
// and before): the resistance thermometer, the cold junction, and the thermocouple frame
// with the mV input, and what their fills and buttons share.
#include <optional>

#include "calib/cal_sheet.h"
#include "model/input_types.h"

namespace dvx::calib {

inline constexpr SensorGroup rtd_group{model::rtd_types, model::rtd_index, 0};

class FirstSheet : public CalSheet {
  protected:
    FirstSheet(std::string name, ui::Rect rect);

  public:
    // Sensor 1: the resistance thermometer.
    ui::Frame Frame3D4{*this, "Frame3D4", {120, 600, 9360, 1620}};
    ui::Label Label14{Frame3D4, "Label14", {120, 300, 1800, 255}};
    ui::ComboBox Sensor_3{Frame3D4, "Sensor_3", {2040, 240, 3600, 315}};
    ui::Label Label7{Frame3D4, "Label7", {120, 720, 1800, 255}};
    ui::TextBox ph_pt_0{Frame3D4, "ph_pt_0", {2040, 660, 1080, 315}};
    ui::Label Label2{Frame3D4, "Label2", {3180, 720, 600, 255}};
    ui::CommandButton Command3D6{Frame3D4, "Command3D6", {3840, 660, 1560, 375}};
    ui::Gauge ga_pt_0{Frame3D4, "ga_pt_0", {5520, 660, 3600, 315}};
    ui::Label Label9{Frame3D4, "Label9", {120, 1140, 1800, 255}};
    ui::TextBox ph_pt_1{Frame3D4, "ph_pt_1", {2040, 1080, 1080, 315}};
    ui::Label Label3{Frame3D4, "Label3", {3180, 1140, 600, 255}};
    ui::CommandButton Command3D7{Frame3D4, "Command3D7", {3840, 1080, 1560, 375}};
    ui::Gauge ga_pt_1{Frame3D4, "ga_pt_1", {5520, 1080, 3600, 315}};

    // The cold junction.
    ui::Frame Frame3D3{*this, "Frame3D3", {120, 2340, 9360, 1200}};
    ui::Label Lab_3{Frame3D3, "Lab_3", {120, 300, 1800, 255}};
    ui::TextBox Temp_Val{Frame3D3, "Temp_Val", {2040, 240, 1080, 315}};
    ui::Label L_C_3{Frame3D3, "L_C_3", {3240, 300, 2160, 255}};
    ui::Label Lab_filter{Frame3D3, "Lab_filter", {5520, 300, 1440, 255}};
    ui::TextBox tc_filt{Frame3D3, "tc_filt", {7080, 240, 840, 315}};
    ui::Label Label10{Frame3D3, "Label10", {8040, 300, 360, 255}};
    ui::Label Label15{Frame3D3, "Label15", {2040, 720, 1800, 255}};
    ui::Label Label16{Frame3D3, "Label16", {3960, 720, 2400, 255}};

    // Sensor 2: thermocouples and the mV input.
    ui::Frame Frame3D2{*this, "Frame3D2", {120, 3660, 9360, 1980}};
    ui::Label Label6{Frame3D2, "Label6", {120, 300, 1800, 255}};
    ui::ComboBox Sensor_2{Frame3D2, "Sensor_2", {2040, 240, 3600, 315}};
    ui::Label Label4{Frame3D2, "Label4", {120, 720, 1800, 255}};
    ui::TextBox ph_th2_0{Frame3D2, "ph_th2_0", {2040, 660, 1080, 315}};
    ui::Label ph_lab1{Frame3D2, "ph_lab1", {3180, 720, 600, 255}};
    ui::CommandButton Command3D4{Frame3D2, "Command3D4", {3840, 660, 1560, 375}};
    ui::Gauge ga_th2_0{Frame3D2, "ga_th2_0", {5520, 660, 3600, 315}};
    ui::Label Label5{Frame3D2, "Label5", {120, 1140, 1800, 255}};
    ui::TextBox ph_th2_1{Frame3D2, "ph_th2_1", {2040, 1080, 1080, 315}};
    ui::Label ph_lab2{Frame3D2, "ph_lab2", {3180, 1140, 600, 255}};
    ui::CommandButton Command3D5{Frame3D2, "Command3D5", {3840, 1080, 1560, 375}};
    ui::Gauge ga_th2_1{Frame3D2, "ga_th2_1", {5520, 1080, 3600, 315}};
    ui::CheckBox tvg_2{Frame3D2, "tvg_2", {120, 1560, 7200, 255}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 120, 2400, 375}};
    ui::CommandButton Command3D3{*this, "Command3D3", {7080, 120, 2400, 375}};


  protected:
    // The fill steps of the resistance-thermometer frame, of the thermocouple frame
    // Frame3D2 (its group `tc`) and of the cold-junction row.
    void fill_rtd();
    void fill_tc2(const SensorGroup& tc);
    void fill_cold_junction();
    // The value of a resistance-thermometer point, by the connection chosen now (read
    // again after the run): 3-wire r0 - r1, 2- and 4-wire r0; none for any other type.
    std::optional<std::int64_t> rtd_point_value(const MeasureValues& r);
    // The cold-junction word after the fill: R[44] of the run when `cjt` is ticked.
    static void put_cold_junction(int word, const ui::CheckBox& cjt, std::int32_t reading);
};

}  // namespace dvx::calib
