#include "pages/wartung.h"

#include <stdexcept>
#include <string>

#include "link/register_images.h"
#include "link/transactions.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "pages/live_opening.h"
#include "pages/page_open.h"
#include "texts/captions_wartung.h"
#include "texts/messages.h"

namespace dvx::pages {

namespace {

constexpr int row_height = 360;
constexpr int current_errors = 5, error_memory = 6;

}  // namespace

DiagnosisPage::DiagnosisPage(std::string name, std::span<const DiagnosisRow> rows)
    : Form(std::move(name)), rows_(rows) {
    int maintenance = 0, system = 0;
    for (const DiagnosisRow& r : rows_) {
        ui::Frame& frame = r.system ? fra_system : Frame3D2;
        const int top = 300 + row_height * (r.system ? system++ : maintenance++);
        Row c;
        c.label = std::make_unique<ui::Label>(frame, std::string(r.label), ui::Rect{240, top, 4800, 255});
        c.current = std::make_unique<ui::CheckBox>(frame, std::string(r.current),
                                                   ui::Rect{5760, top, 255, 255});
        c.memory = std::make_unique<ui::CheckBox>(frame, std::string(r.memory),
                                                  ui::Rect{7680, top, 255, 255});
        controls_.push_back(std::move(c));
    }
    // The buttons lie below the rows: last in the tab order.
    close_tab_order({&B_err_res, &B_Zurueck});
    B_err_res.on_click = [] { error_reset_request = 1; };
    B_Zurueck.on_click = [this] { unload(); };
    on_unload = [this](int& cancel) { Form_Unload(cancel); };
    // Back, by button or frame, ends the polls also while one waits in a link pause.
    B_Zurueck.set_runs_while_busy();
    set_closes_while_busy();
}

const DiagnosisPage::Row& DiagnosisPage::row(std::uint16_t bit) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].bit == bit) return controls_[i];
    throw std::out_of_range("no diagnosis row for bit " + std::to_string(bit));
}
ui::Label& DiagnosisPage::row_label(std::uint16_t bit) {
    return *row(bit).label;
}
ui::CheckBox& DiagnosisPage::current_box(std::uint16_t bit) {
    return *row(bit).current;
}
ui::CheckBox& DiagnosisPage::memory_box(std::uint16_t bit) {
    return *row(bit).memory;
}

void DiagnosisPage::show_row(std::uint16_t bit, bool shown) {
    const Row& r = row(bit);
    r.label->set_visible(shown);
    r.current->set_visible(shown);
    r.memory->set_visible(shown);
}

void DiagnosisPage::Form_Unload(int&) {
    error_reset_request = 0;
    mainwin::back_to_main(*this);
}

void DiagnosisPage::go_on_wartung() {
    // A request left from an earlier run would clear another device's memory.
    error_reset_request = 0;
    auto prepare = [] {
        link::reg_win_start = current_errors;
        link::reg_win_count = 2;
    };
    auto cycle = [this] {
        if (error_reset_request != 0) {
            // Served once, before this cycle's read; not retried on failure.
            error_reset_request = 0;
            link::status_regs[error_memory] = 0;
            if (link::write_regs(error_memory, 1) != 0) return false;
        }
        if (link::read_reg_window() != 0) return false;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            controls_[i].current->set_value(model::block_bitfield(current_errors, rows_[i].bit));
            controls_[i].memory->set_value(model::block_bitfield(error_memory, rows_[i].bit));
        }
        return true;
    };
    poll_live_page(*this, prepare, cycle, texts::msg_maintenance_not_possible);
}

Wartung_krv::Wartung_krv() : DiagnosisPage("Wartung_krv", krv_diagnosis_rows) {
    on_load = [this] { texts::set_lang_wartung_krv(*this); };
}

Wartung::Wartung() : DiagnosisPage("Wartung", dlx_diagnosis_rows) {
    on_load = [this] {
        texts::set_lang_wartung(*this);
        apply_input_kind();
    };
}

void Wartung::apply_input_kind() {
    const int kind = link::status_regs[2];
    const bool mv_or_high_volt = kind == 1000 || kind == 1001;
    show_row(0x020, !mv_or_high_volt);
    show_row(0x400, !mv_or_high_volt && kind != 1002);
}

void Command3D3_Click() {
    run_trapped([] {
        if (reread_for_live_page(LivePage::diagnosis) != 0) return;
        // The captions are set anew at every opening, also on a page still loaded. So are
        // the DLX rows: a page left loaded by a link failure may meet another input kind.
        if (mainwin::hauptmenu_inst->S_DLX.value()) {
            Wartung& page = open_page(wartung_inst);
            texts::set_lang_wartung(page);
            page.apply_input_kind();
            page.go_on_wartung();
        } else {
            Wartung_krv& page = open_page(wartung_krv_inst);
            texts::set_lang_wartung_krv(page);
            page.go_on_wartung();
        }
    });
}

}  // namespace dvx::pages
