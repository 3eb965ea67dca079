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

    ui::Frame Frame3D4{*this, "Frame3D4", {120, 600, 9360, 1500}};
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
