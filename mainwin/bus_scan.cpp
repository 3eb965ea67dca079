// The bus scans: the direct bus address by address, the gateways rack by rack and slot
// by slot, and the clicks in the two device lists they fill.
#include "mainwin/bus_scan.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "mainwin/progress_boxes.h"
#include "model/block_transfer.h"
#include "model/checked_file.h"
#include "model/gateway_kinds.h"
#include "model/model_setup.h"
#include "model/param_image.h"
#include "model/param_words.h"
#include "texts/messages.h"
#include "ui/event_loop.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

constexpr int last_address_index = 254;  // bus address 255

constexpr int gateway_block = link::first_register(link::RegisterArea::hzl);
constexpr int concentrator_block = link::first_register(link::RegisterArea::bnr);
constexpr int concentrator_words = 5;
constexpr int presence_first_word = 3;  // gateway racks and concentrator slots alike
constexpr int identity_first = 119;     // TAG 119..122, serial number 123..126
constexpr int identity_words = 8;
constexpr int tag_word = 119;
constexpr int serial_word = 123;

// What differs between the two gateways: the words of the block the scan reads, and
// the gateway's type code, racks and slots.
struct GatewayKind {
    int block_words;
    model::GatewayKind gateway;
};
constexpr GatewayKind hzl{20, model::hzl_gateway};
constexpr GatewayKind hzl3{40, model::hzl3_gateway};

// ---- Direct bus ----------------------------------------------------------------

// What one address may change before its device is known to be listed. The block read
// empties the comment store; the set in hand keeps its comment unless another is taken.
struct DeviceScratch {
    decltype(model::param_image) image = model::param_image;
    std::int16_t count = model::param_count;
    decltype(link::status_regs) status = link::status_regs;
    std::string comment = hauptmenu_inst->Komentar.text();

    void put_back() const {
        model::param_image = image;
        model::param_count = count;
        link::status_regs = status;
        hauptmenu_inst->Komentar.set_text(comment);
    }
};

// Reads the transmitter at the selected address completely and lists it. False, with
// the image, count and status words as they were, when there is none or a read fails.
bool scan_address(Hauptmenue& m) {
    const DeviceScratch before;
    std::int16_t code = 0;
    if (link::read_device_type(code) != 0 || !model::find_model_type(code)) {
        before.put_back();
        return false;
    }
    const std::int16_t version = link::status_regs[version_word];
    // The block read takes this device's own count: a 140-word set is read whole.
    int output_mode = 0;
    if (read_output_mode(output_mode) != 0 || model::read_param_block(code, version) != 0) {
        before.put_back();
        return false;
    }
    // The set stays in the image: never with the type of a run that was not switched back.
    run_hook(device_dialog_hooks().read_in);
    m.dev_list.add_item(model::tag_line(m.adr_select.text()));
    m.curr_version.set_text(device_version_text(version));
    show_output_mode(m, output_mode);
    m.set_main_mask();
    return true;
}

// ---- Behind a gateway ----------------------------------------------------------

void add_scan_row(Hauptmenue& m, int rack, int slot) {
    ui::ListItem& row = m.liv_scan.add_item(std::to_string(rack + 1));
    row.set_sub_item(1, std::to_string(slot + 1));
    row.set_sub_item(2, model::text_from_params(serial_word));
    row.set_sub_item(3, model::text_from_params(tag_word));
}

void tell_no_gateway_connection() {
    ui::msg_box(texts::msg_no_connection_gateway, ui::mb_ok);
}

void scan_racks(Hauptmenue& m, const GatewayKind& kind) {
    if (link::read_regs(gateway_block, kind.block_words) != 0) return tell_no_gateway_connection();
    if (link::hzl_regs[0] != kind.gateway.type_code)
        return void(ui::msg_box(texts::msg_wrong_device, ui::mb_ok));

    // A silent rack or slot is passed over; a lost line ends the scan, told, and leaves
    // the port for the next operation to open again.
    for (const int rack : presence_list(link::hzl_regs, presence_first_word, kind.gateway.racks)) {
        m.cmb_rack.set_list_index(rack);
        if (link::read_regs(concentrator_block, concentrator_words) != 0) {
            if (link::port_lost()) return tell_no_gateway_connection();
            continue;
        }
        for (const int slot :
             presence_list(link::bnr_regs, presence_first_word, kind.gateway.slots)) {
            m.adr_select.set_list_index(slot);
            if (link::read_regs(1000 + identity_first, identity_words) == 0)
                add_scan_row(m, rack, slot);
            else if (link::port_lost())
                return tell_no_gateway_connection();
        }
    }
}

// The gateway scans' boxes have no title of their own.
void scan_gateway(const GatewayKind& kind) {
    Hauptmenue& m = *hauptmenu_inst;
    const DeviceSelection selection = DeviceSelection::of(m);
    if (link::detect_echo() != 0) return;  // the port fault has been shown

    ops::Hourglass busy;
    // Every row's TAG and serial number pass through the image's words 119..126; the
    // device in hand keeps its own, or the next programming would send another's.
    std::array<std::int16_t, identity_words> identity{};
    const auto words = model::param_image.begin() + identity_first;
    std::copy_n(words, identity_words, identity.begin());
    try {
        m.liv_scan.clear_items();
        scan_racks(m, kind);
    } catch (const std::exception& fault) {
        ui::msg_box(fault.what(), ui::mb_ok);
    }
    std::copy(identity.begin(), identity.end(), words);
    selection.put_back(m);
}

// The classic CInt of a list text: a whole number (blanks around it allowed), rounded,
// in 16 bits.
int int16_of(const std::string& text) {
    const auto v = model::numeric_value(text);
    if (!v) throw ui::UiFault(platform::FaultText::type_mismatch);
    const auto i = model::round_to_i16(*v);
    if (!i) throw ui::UiFault(platform::FaultText::overflow);
    return *i;
}

// Selects the rack and slot of liv_scan's selected row; false when there is none.
bool select_scan_row(Hauptmenue& m) {
    if (m.liv_scan.item_count() < 1) return false;
    const ui::ListItem* row = m.liv_scan.selected_item();
    if (!row) return false;
    const ScanRowPlace place = scan_row_place(*row);
    m.cmb_rack.set_list_index(place.rack - 1);
    m.adr_select.set_list_index(place.slot - 1);
    return true;
}

}  // namespace

std::vector<int> presence_list(std::span<const std::int16_t> image, int first_word, int count) {
    std::vector<int> present;
    for (int i = 0; i < count; ++i) {
        const auto word = static_cast<std::uint16_t>(image[first_word + i / 16]);
        if (word >> (i % 16) & 1) present.push_back(i);
    }
    return present;
}

DeviceSelection DeviceSelection::of(const Hauptmenue& m) {
    return {m.cmb_rack.list_index(), m.adr_select.list_index()};
}

void DeviceSelection::put_back(Hauptmenue& m) const {
    m.cmb_rack.set_list_index(rack_index);
    m.adr_select.set_list_index(adr_index);
}

ScanRowPlace scan_row_place(const ui::ListItem& row) {
    return {int16_of(row.text()), int16_of(row.sub_item(1))};
}

void Command3D4_Click() {
    switch (model::bus_mode) {
        case 1:
            return scan_device_hzl();
        case 2:
            return scan_dev_hzl_3();
        default:
            return scan_device_std();
    }
}

void scan_device_std() {
    Hauptmenue& m = *hauptmenu_inst;
    if (link::detect_echo() != 0) return;  // the port fault has been shown

    adr_seek_inst->show_modeless();
    int found = m.adr_select.list_index();
    m.dev_list.clear();
    // With no address selected the first try would go to address 0, the broadcast
    // address no device answers: start at 1.
    int n = std::max(found, 0);
    try {
        for (;; ++n) {
            ui::do_events();  // the cancel button is heard here
            if (!box_still_up(adr_seek_inst)) break;
            adr_seek_inst->refresh();
            if (n > last_address_index) break;
            m.adr_select.set_list_index(n);
            adr_seek_inst->Label1.set_caption(texts::msg_current_address + std::to_string(n + 1));
            if (scan_address(m)) {
                found = n;
            } else if (link::port_lost()) {
                // Every further address would fail as well, and its request would spend
                // the port's one reopening on a line not back yet.
                ops::show(texts::msg_no_connection);
                break;
            }
        }
    } catch (const std::exception& fault) {
        ops::show(fault.what());
    }
    m.adr_select.set_list_index(found);
    adr_seek_inst.unload();
}

void scan_device_hzl() {
    scan_gateway(hzl);
}

void scan_dev_hzl_3() {
    scan_gateway(hzl3);
}

void dev_list_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    const std::string row = m.dev_list.text();
    // The address is the row's first three characters, right-aligned.
    const double address = model::leading_number(row.substr(0, 3));
    m.adr_select.set_list_index(static_cast<int>(address) - 1);
}

void liv_scan_Click() {
    try {
        select_scan_row(*hauptmenu_inst);
    } catch (const std::exception& fault) {
        ui::msg_box(fault.what(), ui::mb_ok);
    }
}

void liv_scan_DblClick() {
    try {
        if (select_scan_row(*hauptmenu_inst)) B_FQN_Read_Click();
    } catch (const std::exception& fault) {
        ui::msg_box(fault.what(), ui::mb_ok);
    }
}

}  // namespace dvx::mainwin
