#pragma once
// The DLX input page dlx3_Inp: measuring range, filter time, supervision limits of the
// measured value, physical display (unit text, decimals, values at the range ends) and
// the square root of the input signal. The input kind the device reports in status
// word 2 (mV, two voltage inputs, current) fixes the decimals, limits and units.
// Words: 72, 73, 80, 81, 82, 97, 98, 100, 108, 115..118.
#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::pages {

class Dlx3_Inp : public WorkPage {
  public:
    Dlx3_Inp();

    void set_inp_d3_mask();
    void fill() override { set_inp_d3_mask(); }

    ui::Frame Frame3D1{*this, "Frame3D1", {240, 240, 9090, 2160}};
    ui::Label Label4{Frame3D1, "Label4", {240, 360, 2760, 255}};
    ui::TextBox Mesb_0{Frame3D1, "Mesb_0", {3120, 300, 1320, 315}};
    ui::Label L_C_1{Frame3D1, "L_C_1", {4560, 360, 1080, 255}};
    ui::Label Label2{Frame3D1, "Label2", {240, 780, 2760, 255}};
    ui::TextBox Mesb_1{Frame3D1, "Mesb_1", {3120, 720, 1320, 315}};
    ui::Label L_C_2{Frame3D1, "L_C_2", {4560, 780, 1080, 255}};
    ui::Label Label1{Frame3D1, "Label1", {240, 1200, 2760, 255}};
    ui::TextBox in_filt{Frame3D1, "in_filt", {3120, 1140, 1320, 315}};
    ui::Label Label8{Frame3D1, "Label8", {4560, 1200, 1080, 255}};
    ui::CheckBox Chk_sqr{Frame3D1, "Chk_sqr", {240, 1680, 5400, 315}};

    ui::Frame Frame3D2{*this, "Frame3D2", {240, 2520, 9090, 1260}};
    ui::Label Label6{Frame3D2, "Label6", {240, 360, 2760, 255}};
    ui::TextBox fub_min{Frame3D2, "fub_min", {3120, 300, 1320, 315}};
    ui::Label Label5{Frame3D2, "Label5", {4560, 360, 1080, 255}};
    ui::Label Label10{Frame3D2, "Label10", {240, 780, 2760, 255}};
    ui::TextBox fub_max{Frame3D2, "fub_max", {3120, 720, 1320, 315}};
    ui::Label Label11{Frame3D2, "Label11", {4560, 780, 1080, 255}};

    ui::Frame Frame_ph{*this, "Frame_ph", {240, 3900, 9090, 2160}};
    ui::Label Lab_Unit{Frame_ph, "Lab_Unit", {240, 360, 2760, 255}};
    ui::TextBox Unit{Frame_ph, "Unit", {3120, 300, 1320, 315}};
    ui::Label Lab_Decp{Frame_ph, "Lab_Decp", {240, 780, 2760, 255}};
    ui::ComboBox ph_Decp{Frame_ph, "ph_Decp", {3120, 720, 1320, 315}};
    ui::Label Label7{Frame_ph, "Label7", {240, 1260, 2760, 255}};
    ui::TextBox Ph_0{Frame_ph, "Ph_0", {3120, 1200, 1320, 315}};
    ui::Label lab_ph_0{Frame_ph, "lab_ph_0", {4560, 1260, 1080, 255}};
    ui::Label Label9{Frame_ph, "Label9", {240, 1680, 2760, 255}};
    ui::TextBox Ph_100{Frame_ph, "Ph_100", {3120, 1620, 1320, 315}};
    ui::Label lab_ph_100{Frame_ph, "lab_ph_100", {4560, 1680, 1080, 255}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {240, 6960, 3000, 495}};

  private:
    void Chk_sqr_Click();
};

inline ui::FormRef<Dlx3_Inp> dlx3_inp_inst;

}  // namespace dvx::pages
