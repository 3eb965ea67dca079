#pragma once
// The diagnosis pages: the transmitter's self-supervision live, one row per supervised
// function with its current-fault bit (status word 5) and its latched fault-memory bit
// (status word 6), and a button that resets the memory in the device. Wartung_krv serves
// KRV transmitters (ten functions), Wartung DLX transmitters (eleven). Like the online
// page, the polling loop go_on_wartung runs inside the main window's diagnosis button
// until the page is closed or the device stops answering.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace dvx::pages {

// 1: the user asked to reset the fault memory; the running loop sends the reset. Shared
// by both pages; dropped when a diagnosis run starts and when a page closes, so a
// request never reaches another run (another device).
inline std::int16_t error_reset_request = 0;

// One supervised function: its bit in words 5 and 6, its frame, and the names of its
// caption label and its current-fault and fault-memory check boxes.
struct DiagnosisRow {
    std::uint16_t bit;
    bool system;  // in the system frame fra_system, else in the maintenance frame
    std::string_view label, current, memory;
};

// Rows top to bottom; the DLX boxes keep the names of the row positions they share with
// the KRV page, so most of them differ from their bit.
// clang-format off
inline constexpr DiagnosisRow krv_diagnosis_rows[] = {
    {0x040, false, "lbl_e_0040", "c_e_040", "l_e_040"},
    {0x010, false, "Label14", "c_e_010", "l_e_010"},
    {0x008, false, "Label13", "c_e_008", "l_e_008"},
    {0x020, false, "Label15", "c_e_020", "l_e_020"},
    {0x100, false, "Label1", "c_e_100", "l_e_100"},
    {0x002, true, "lbl_e_0002", "c_e_002", "l_e_002"},
    {0x080, true, "lbl_e_0080", "c_e_080", "l_e_080"},
    {0x004, true, "lbl_e_0004", "c_e_004", "l_e_004"},
    {0x200, true, "Label18", "c_e_200", "l_e_200"},
    {0x001, true, "Label11", "c_e_001", "l_e_001"},
};
inline constexpr DiagnosisRow dlx_diagnosis_rows[] = {
    {0x008, false, "Label13", "c_e_008", "l_e_008"},
    {0x010, false, "Label15", "c_e_020", "l_e_020"},
    {0x020, false, "Label18", "c_e_200", "l_e_200"},
    {0x040, false, "Label11", "c_e_001", "l_e_001"},
    {0x400, false, "Label1", "c_e_100", "l_e_100"},
    {0x100, false, "Label2", "c_e_400", "l_e_400"},
    {0x001, true, "lbl_e_0002", "c_e_002", "l_e_002"},
    {0x200, true, "lbl_e_0080", "c_e_080", "l_e_080"},
    {0x002, true, "lbl_e_0004", "c_e_004", "l_e_004"},
    {0x080, true, "lbl_e_0040", "c_e_040", "l_e_040"},
    {0x004, true, "Label14", "c_e_010", "l_e_010"},
};
// clang-format on

class DiagnosisPage : public ui::Form {
  public:
    // The polling loop: a pending reset is written first (register 6 := 0), then
    // registers 5 and 6 are read and shown; 0.5 s pause through a gateway; events once
    // per cycle. Ends on closing or a link failure; the main window is shown again.
    void go_on_wartung();

    std::span<const DiagnosisRow> rows() const { return rows_; }
    ui::Label& row_label(std::uint16_t bit);
    ui::CheckBox& current_box(std::uint16_t bit);
    ui::CheckBox& memory_box(std::uint16_t bit);

    ui::Label Label20{*this, "Label20", {5400, 240, 1800, 255}};
    ui::Label Label21{*this, "Label21", {7320, 240, 1800, 255}};
    ui::Frame Frame3D2{*this, "Frame3D2", {240, 600, 9000, 2640}};
    ui::Frame fra_system{*this, "fra_system", {240, 3360, 9000, 2280}};
    ui::CommandButton B_err_res{*this, "B_err_res", {240, 7140, 3600, 375}};
    ui::CommandButton B_Zurueck{*this, "B_Zurück", {6240, 7140, 3000, 375}};

  protected:
    DiagnosisPage(std::string name, std::span<const DiagnosisRow> rows);
    // A hidden row hides its caption and both boxes (they are still set every cycle).
    void show_row(std::uint16_t bit, bool shown);

  private:
    struct Row {
        std::unique_ptr<ui::Label> label;
        std::unique_ptr<ui::CheckBox> current, memory;
    };
    const Row& row(std::uint16_t bit) const;
    void Form_Unload(int& cancel);

    std::span<const DiagnosisRow> rows_;
    std::vector<Row> controls_;
};

class Wartung_krv : public DiagnosisPage {
  public:
    Wartung_krv();
};

class Wartung : public DiagnosisPage {
  public:
    Wartung();
    // By the DLX input kind (status word 2): the minimum-value row not for the mV and
    // 0..1100 V inputs (1000, 1001), the supply-circuit row only for a mA input. At load
    // and at every opening.
    void apply_input_kind();
};

inline ui::FormRef<Wartung_krv> wartung_krv_inst;
inline ui::FormRef<Wartung> wartung_inst;

// The main window's diagnosis button: the overwrite question, a fresh read of the device
// and the version gate, then the page of its family, polling until it ends.
void Command3D3_Click();

}  // namespace dvx::pages
