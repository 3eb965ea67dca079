// Setting one parameter on all devices listed by the gateway scan.
#include "mainwin/bulk_set.h"

#include <exception>
#include <string>

#include "link/transactions.h"
#include "mainwin/bulk_params.h"
#include "mainwin/bus_scan.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "mainwin/progress_boxes.h"
#include "model/block_transfer.h"
#include "texts/captions_dialogs.h"
#include "texts/messages.h"
#include "ui/event_loop.h"

namespace dvx::mainwin {

namespace {

constexpr int param_base = 1000;

// Writes the word into every listed device in list order. The result is the message
// that ends the run.
const std::string& update_listed_devices(Hauptmenue& m, std::int16_t p) {
    const int rows = m.liv_scan.item_count();  // taken once
    for (int i = 1; i <= rows; ++i) {
        // The wait for a device's answers does not yield, so a cancel pressed during the
        // last write is still queued: hear it before deciding on this row.
        if (i > 1) ui::do_events();
        if (!box_still_up(bulk_update_inst)) return texts::msg_bulk_aborted;
        const ScanRowPlace place = scan_row_place(m.liv_scan.item(i));
        Bulk_Update& box = *bulk_update_inst;
        box.lbl_krv_no.set_caption(std::to_string(place.slot));
        box.lbl_rack_no.set_caption(std::to_string(place.rack));
        m.cmb_rack.set_list_index(place.rack - 1);
        m.adr_select.set_list_index(place.slot - 1);
        ui::do_events();  // the cancel button is heard here; it stops the next row
        std::int16_t ok = 0;
        set_one_param(p, ok);
        if (ok == 0) return texts::msg_bulk_aborted;
    }
    return texts::msg_bulk_done;
}

}  // namespace

void set_one_param(std::int16_t p, std::int16_t& ok) {
    ok = 0;
    // The store command keeps the working set: a calibration run's type left in the
    // device is switched back first.
    run_hook(device_dialog_hooks().starting);
    if (link::write_regs(param_base + p, 1) != 0)
        return ops::show(texts::msg_params_not_transmitted);
    // A device that took the word but not the store command would lose it at its next
    // power-up: that is a failed device too, not an updated one.
    if (model::send_store_command() != 0) return ops::show(texts::msg_params_not_transmitted);
    ok = 1;
}

void cmd_bulk_set_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    const int position = m.cmb_bulk_param.list_index();
    if (position < 0 || position >= bulk_param_items) return;
    // The run selects every listed device in turn; the device in hand is selected again
    // at the end, or the program button would send its set into the last one addressed.
    const DeviceSelection selection = DeviceSelection::of(m);
    try {
        if (ui::msg_box(texts::msg_bulk_confirm, ui::mb_ok_cancel, ops::title) != ui::id_ok) return;
        if (m.liv_scan.item_count() == 0) return ops::show(texts::msg_bulk_list_empty);
        bulk_update_inst->show_modeless();
        texts::set_lang_bulk_update(*bulk_update_inst);
        ui::set_mouse_pointer(ui::mp_hourglass);
        ops::show(update_listed_devices(m, bulk_param_table[position]));
    } catch (const std::exception& fault) {
        ops::show(fault.what());
    }
    // The end steps; a fault here is of no further interest.
    try {
        bulk_update_inst.unload();
    } catch (const std::exception&) {
    }
    try {
        selection.put_back(m);
    } catch (const std::exception&) {
    }
    ui::set_mouse_pointer(ui::mp_default);
}

}  // namespace dvx::mainwin
