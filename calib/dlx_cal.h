#pragma once
// DLX input calibration: the two points of the current or voltage input (worded by the
// input kind, status word 2, as the device read last reported it) and the supply
// circuit of a current input. The runs measure the device as it stands (mode 31).
// Closing shows the main window again without giving the placement back.
#include "calib/cal_sheet.h"

namespace dvx::calib {

class Dlx_Cal : public CalSheet {
  public:
    Dlx_Cal();

    void set_cal3_mask();
    void fill() override { set_cal3_mask(); }

    // The input's two points; their runs store from words 0 and 1.
    PointFrame Frame3D4{*this, current_frame_names, 600, {0, 1}};
    ui::Label &Label14 = Frame3D4.points[0].label, &Label15 = Frame3D4.points[1].label;
    ui::TextBox &ph_ma_0 = Frame3D4.points[0].field, &ph_ma_1 = Frame3D4.points[1].field;
    ui::Label &Label9 = Frame3D4.points[0].unit, &Label10 = Frame3D4.points[1].unit;
    ui::CommandButton &Command3D9 = Frame3D4.points[0].read_in,
                      &Command3D10 = Frame3D4.points[1].read_in;
    ui::Gauge &ga_ma_0 = Frame3D4.points[0].gauge, &ga_ma_1 = Frame3D4.points[1].gauge;

    ui::Frame Frame3D1{*this, "Frame3D1", {120, 2220, 9360, 900}};
    ui::Gauge Ga_uiout{Frame3D1, "Ga_uiout", {2040, 300, 3360, 315}};
    ui::CommandButton Command3D1{Frame3D1, "Command3D1", {5520, 270, 1560, 375}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {120, 120, 2400, 375}};

  private:
    void read_point(int first_word);
    void read_supply();
};

inline ui::FormRef<Dlx_Cal> dlx_cal_inst;

}  // namespace dvx::calib
