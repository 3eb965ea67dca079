#pragma once
// The KRV input page H_Inp: input type, measuring range, filter time, lead resistance
// of the 2-wire types and, for the linear types, the physical display (unit text,
// decimals, values at the range ends, range limits). Its Jumper Finder opens the
// input-board picture with the wiring hint of the chosen type.
// Words: 72, 73, 74, 80, 81, 82, 97, 98, 99, 100, 115..118.
#include <cstdint>

#include "pages/work_page.h"
#include "ui/controls.h"

namespace dvx::pages {

class H_Inp : public WorkPage {
  public:
    H_Inp();

    // Fills every control from the image; clamps words 97/98 into the type's limits.
    void set_inp_mask();
    void fill() override { set_inp_mask(); }

    ui::Frame Frame3D1{*this, "Frame3D1", {240, 240, 9090, 2460}};
    ui::Label Label3{Frame3D1, "Label3", {240, 360, 2760, 255}};
    ui::ComboBox Sensor{Frame3D1, "Sensor", {3120, 300, 4200, 315}};
    ui::Label Label4{Frame3D1, "Label4", {240, 780, 2760, 255}};
    ui::TextBox Mesb_0{Frame3D1, "Mesb_0", {3120, 720, 1320, 315}};
    ui::Label L_C_1{Frame3D1, "L_C_1", {4560, 780, 1080, 255}};
    ui::Label Label2{Frame3D1, "Label2", {240, 1200, 2760, 255}};
    ui::TextBox Mesb_1{Frame3D1, "Mesb_1", {3120, 1140, 1320, 315}};
    ui::Label L_C_2{Frame3D1, "L_C_2", {4560, 1200, 1080, 255}};
    ui::Label Label1{Frame3D1, "Label1", {240, 1620, 2760, 255}};
    ui::TextBox in_filt{Frame3D1, "in_filt", {3120, 1560, 1320, 315}};
    ui::Label Label8{Frame3D1, "Label8", {4560, 1620, 1080, 255}};
    ui::Label rl_lab{Frame3D1, "rl_lab", {240, 2040, 2760, 255}};
    ui::TextBox rl_val{Frame3D1, "rl_val", {3120, 1980, 1320, 315}};
    ui::Label rl_u{Frame3D1, "rl_u", {4560, 2040, 1080, 255}};

    ui::Frame Frame_ph{*this, "Frame_ph", {240, 2880, 9090, 3840}};
    ui::Label Lab_Unit{Frame_ph, "Lab_Unit", {240, 360, 2760, 255}};
    ui::TextBox Unit{Frame_ph, "Unit", {3120, 300, 1320, 315}};
    ui::Label Lab_Decp{Frame_ph, "Lab_Decp", {240, 780, 2760, 255}};
    ui::ComboBox ph_Decp{Frame_ph, "ph_Decp", {3120, 720, 1320, 315}};
    ui::Label Label7{Frame_ph, "Label7", {240, 1320, 2760, 255}};
    ui::TextBox Ph_0{Frame_ph, "Ph_0", {3120, 1260, 1320, 315}};
    ui::Label lab_ph_0{Frame_ph, "lab_ph_0", {4560, 1320, 1080, 255}};
    ui::Label Label9{Frame_ph, "Label9", {240, 1740, 2760, 255}};
    ui::TextBox Ph_100{Frame_ph, "Ph_100", {3120, 1680, 1320, 315}};
    ui::Label lab_ph_100{Frame_ph, "lab_ph_100", {4560, 1740, 1080, 255}};
    ui::Label Label6{Frame_ph, "Label6", {240, 2280, 2760, 255}};
    ui::TextBox fub_min{Frame_ph, "fub_min", {3120, 2220, 1320, 315}};
    ui::Label Label5{Frame_ph, "Label5", {4560, 2280, 1080, 255}};
    ui::Label Label10{Frame_ph, "Label10", {240, 2700, 2760, 255}};
    ui::TextBox fub_max{Frame_ph, "fub_max", {3120, 2640, 1320, 315}};
    ui::Label Label11{Frame_ph, "Label11", {4560, 2700, 1080, 255}};

    ui::CommandButton B_Zurueck{*this, "B_Zurück", {240, 6960, 3000, 495}};
    ui::CommandButton cmd_help{*this, "cmd_help", {6330, 6960, 3000, 495}};

  private:
    void Sensor_Click();
    void cmd_help_Click();
    void B_Zurueck_Click();
};

inline ui::FormRef<H_Inp> h_inp_inst;

// Limits of an input type in the set of the firmware in hand (firmware 4 or older).
std::int16_t type_min_now(int type);
std::int16_t type_max_now(int type);
// Display decimals of the physical values: word 82 held within 0..3 (a word without a
// list entry is kept, but never shown with more than 3 decimals).
std::int32_t display_decimals(int unused_word = 0);

// The decimal-point list of both input pages: items " 0000" .. "0.000" (position =
// display decimals, word 82). A choice other than word 82 warns that the alarm values
// move their point too; then word 82 := the choice and the page refills.
void fill_decimal_point_list(ui::ListControl& list);
void decimal_point_chosen(WorkPage& page, const ui::ListControl& list);

}  // namespace dvx::pages
