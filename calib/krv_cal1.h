#pragma once
// KRV input calibration before firmware "4.00", second sheet: the potentiometer inputs
// 0-600 Ohm and 0-5000 Ohm (scaled on firmware "3.00".."3.05"), the current and the
// voltage input (both measured as the +/-20 mA type).
#include "calib/second_sheet.h"

namespace dvx::calib {

class Krv_Cal1 : public SecondSheet {
  public:
    Krv_Cal1();

    void set_cal2_mask() { fill_second_sheet(); }
    void fill() override { set_cal2_mask(); }

  private:
    void read_point(int k, std::int16_t mode, int r3_word, std::int32_t multiplier);
};

inline ui::FormRef<Krv_Cal1> krv_cal1_inst;

}  // namespace dvx::calib
