#pragma once
// KRV input calibration before firmware "4.00", first sheet: the resistance thermometer,
// the two thermocouple groups (B, R, T, S, U and E, J, K, L with the mV input), the
// cold-junction settings. Its sister sheet Krv_Cal1 calibrates the potentiometer, mA
// and V inputs. On firmware "3.00".."3.05" the resistance-thermometer points are scaled.
#include "calib/first_sheet.h"

namespace dvx::calib {

class Krv_Cal : public FirstSheet {
  public:
    Krv_Cal();

    void set_cal1_mask();
    void fill() override { set_cal1_mask(); }

    // Thermocouple group 1, between the cold junction and group 2.
    ui::Frame Frame3D1{*this, "Frame3D1", {120, 3660, 9360, 1980}};
    ui::Label Label1{Frame3D1, "Label1", {120, 300, 1800, 255}};
    ui::ComboBox Sensor_1{Frame3D1, "Sensor_1", {2040, 240, 3600, 315}};
    ui::Label Label11{Frame3D1, "Label11", {120, 720, 1800, 255}};
    ui::TextBox ph_th1_0{Frame3D1, "ph_th1_0", {2040, 660, 1080, 315}};
    ui::Label Label12{Frame3D1, "Label12", {3180, 720, 600, 255}};
    ui::CommandButton Command3D2{Frame3D1, "Command3D2", {3840, 660, 1560, 375}};
    ui::Gauge ga_th1_0{Frame3D1, "ga_th1_0", {5520, 660, 3600, 315}};
    ui::Label Label8{Frame3D1, "Label8", {120, 1140, 1800, 255}};
    ui::TextBox ph_th1_1{Frame3D1, "ph_th1_1", {2040, 1080, 1080, 315}};
    ui::Label Label13{Frame3D1, "Label13", {3180, 1140, 600, 255}};
    ui::CommandButton Command3D1{Frame3D1, "Command3D1", {3840, 1080, 1560, 375}};
    ui::Gauge ga_th1_1{Frame3D1, "ga_th1_1", {5520, 1080, 3600, 315}};
    ui::CheckBox tvg_1{Frame3D1, "tvg_1", {120, 1560, 7200, 255}};

  private:
    void read_rtd_point(int k);
    void read_tc_point(const SensorGroup& group, ui::ComboBox& list, int k, int second_word,
                       int cold_junction_word, const ui::CheckBox& cjt);
};

inline ui::FormRef<Krv_Cal> krv_cal_inst;

// Resistance and potentiometer points of firmware "3.00".."3.05" are kept as if the
// reference reading r3 had been `multiplier`: P[k..k+1] := v * multiplier / r3. A value
// that does not fit 32 bits, or r3 = 0, leaves the pair as it was. Without the flag the
// value is stored as it came (when it fits).
void put_point_scaled(int k, std::int64_t v, std::int32_t r3, std::int32_t multiplier);

}  // namespace dvx::calib
