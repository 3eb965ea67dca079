#pragma once
// KRV input calibration for firmware "4.00" on, second sheet: the potentiometer inputs
// 0-600 Ohm and 0-5000 Ohm, the current and the voltage input; from firmware "4.10" the
// mA and V points also take the thermocouple loop reading.
#include "calib/second_sheet.h"

namespace dvx::calib {

class Krv4_Cal1 : public SecondSheet {
  public:
    Krv4_Cal1();

    void set_cal42_mask() { fill_second_sheet(); }
    void fill() override { set_cal42_mask(); }

  private:
    void read_resistor_point(int k, std::int16_t mode, int second_word);
    void read_signal_point(int k);
};

inline ui::FormRef<Krv4_Cal1> krv4_cal1_inst;

}  // namespace dvx::calib
