#pragma once
// KRV input calibration for firmware "4.00" on, first sheet: the resistance thermometer
// (sensor 1), the thermocouples and the mV input (sensor 2), the cold-junction settings.
// Its sister sheet Krv4_Cal1 calibrates the potentiometer, mA and V inputs.
#include "calib/first_sheet.h"

namespace dvx::calib {

class Krv4_Cal : public FirstSheet {
  public:
    Krv4_Cal();

    void set_cal41_mask();
    void fill() override { set_cal41_mask(); }

  private:
    void read_rtd_point(int k);
    void read_tc_point(int k, int cold_junction_word);
};

inline ui::FormRef<Krv4_Cal> krv4_cal_inst;

}  // namespace dvx::calib
