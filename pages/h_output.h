#pragma once
// The analog output page H_output, for both families: output range, MIN and MAX limits,
// alarm value, filter time and the square root of the output signal, shown in current
// or voltage scaling. Words 102..106 hold tenths of mA for a current output and twice
// the tenths of V for a voltage output (200 = 20.0 mA = 10.0 V). Words 102..108.
#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::pages {

class H_output : public WorkPage {
  public:
    H_output();

    void set_output_mask();
    void fill() override { set_output_mask(); }

    // 1 when Out_mode reads as a voltage output (any value but 0).
    bool voltage() const;

    ui::Frame Frame3D2{*this, "Frame3D2", {240, 1560, 9090, 3720}};
    ui::Label Label11{Frame3D2, "Label11", {240, 360, 2760, 255}};
    ui::TextBox Ber_anf{Frame3D2, "Ber_anf", {3120, 300, 1320, 315}};
    ui::Label Label2{Frame3D2, "Label2", {4560, 360, 1080, 255}};
    ui::Label Label10{Frame3D2, "Label10", {240, 780, 2760, 255}};
    ui::TextBox Ber_ende{Frame3D2, "Ber_ende", {3120, 720, 1320, 315}};
    ui::Label Label3{Frame3D2, "Label3", {4560, 780, 1080, 255}};
    ui::Label Label7{Frame3D2, "Label7", {240, 1200, 2760, 255}};
    ui::TextBox Ber_min{Frame3D2, "Ber_min", {3120, 1140, 1320, 315}};
    ui::Label Label4{Frame3D2, "Label4", {4560, 1200, 1080, 255}};
    ui::Label Label8{Frame3D2, "Label8", {240, 1620, 2760, 255}};
    ui::TextBox Ber_max{Frame3D2, "Ber_max", {3120, 1560, 1320, 315}};
    ui::Label Label5{Frame3D2, "Label5", {4560, 1620, 1080, 255}};
    ui::Label Label15{Frame3D2, "Label15", {240, 2040, 2760, 255}};
    ui::TextBox Ber_fub{Frame3D2, "Ber_fub", {3120, 1980, 1320, 315}};
    ui::Label Label9{Frame3D2, "Label9", {4560, 2040, 1080, 255}};
    ui::Label Label6{Frame3D2, "Label6", {240, 2460, 2760, 255}};
    ui::TextBox out_filt{Frame3D2, "out_filt", {3120, 2400, 1320, 315}};
    ui::Label Label12{Frame3D2, "Label12", {4560, 2460, 1080, 255}};
    ui::CheckBox Chk_sqr{Frame3D2, "Chk_sqr", {240, 3000, 5400, 315}};

    ui::Frame out_typ{*this, "out_typ", {240, 240, 9090, 1140}};
    ui::OptionButton curr_out{out_typ, "curr_out", {240, 420, 2400, 315}};
    ui::OptionButton volt_out{out_typ, "volt_out", {3120, 420, 2400, 315}};

    ui::Label lbl_info{*this, "lbl_info", {240, 5460, 9090, 555}};
    ui::TextBox Out_mode{*this, "Out_mode", {8400, 6240, 600, 315}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {240, 6960, 3000, 495}};
    ui::CommandButton cmd_help{*this, "cmd_help", {6330, 6960, 3000, 495}};

  private:
    void Chk_sqr_Click();
    void output_kind_chosen(const char* out_mode, const char* v_mode);
    void B_Zurueck_Click();
};

inline ui::FormRef<H_output> h_output_inst;

}  // namespace dvx::pages
