// Reading a device: the whole parameter set of the transmitter at the selected address
// into param_image, the window set up for its family and firmware, its identity shown,
// the snapshot for unsaved changes, and the first set ever read from each serial number
// kept in the registry as the device's factory state.
#include <map>
#include <string>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/block_transfer.h"
#include "model/firmware.h"
#include "model/model_setup.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "model/reg_settings.h"
#include "texts/messages.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

// The first set read this run of each device whose copy the registry did not keep: a
// later read stores it, never the set the device holds after the technician's changes.
std::map<std::string, std::string> unkept_copies;

// Keeps the first parameter set read from a serial number; an existing copy is the
// device's factory state and is never replaced (decided under the store's lock, so
// another instance's copy made meanwhile stays). A copy that could not be kept is told.
void store_factory_copy(Hauptmenue& m) {
    const std::string serial = m.Ser_No.text();
    if (!serial_names_device(serial)) return;
    const std::string name = factory_copy_name(m.S_KRV.value(), serial);
    std::int16_t err = 0;
    const std::string stored =
        model::reg_get_string(model::hkey_local_machine, model::reg_key, name, err);
    if (err == 0 && !stored.empty()) return;
    const auto unkept = unkept_copies.find(name);
    const std::string copy =
        unkept != unkept_copies.end() ? unkept->second : model::params_to_text();
    // A store that cannot be read keeps no copy either: the first set stays for the run.
    if (err == 0 && model::reg_set_string_if_missing(model::reg_key, name, copy) == 0) {
        unkept_copies.erase(name);
        return;
    }
    unkept_copies.emplace(name, copy);
    ops::show(texts::msg_factory_copy_not_kept);
}

void read_device(Hauptmenue& m) {
    std::int16_t code = 0;
    if (link::read_device_type(code) != 0) return ops::show(texts::msg_no_connection);
    // Switches the family option (and with it is_krv and the texts) and resets the image.
    if (model::set_model_ui(code) != 0) return ops::show(texts::msg_device_not_supported);

    // The type read took registers 0..4, the firmware word with them.
    m.curr_version.set_text(device_version_text(link::status_regs[version_word]));
    if (model::check_version(m.curr_version.text()) != 0)
        return ops::show(texts::msg_sw_version_not_supported);

    if (read_param_block_whole(code, link::status_regs[version_word]) != 0)
        return ops::show(texts::msg_no_connection);
    run_hook(device_dialog_hooks().read_in);
    // The set is whole now: a failure here keeps it, only the fields and the snapshot
    // stay the previous device's.
    int output_mode = 0;
    if (read_output_mode(output_mode) != 0) return ops::show(texts::msg_no_connection);

    ops::show(texts::msg_params_read);
    show_output_mode(m, output_mode);
    m.set_main_mask();
    param_snapshot = model::params_to_text();
    store_factory_copy(m);
}

}  // namespace

std::int16_t read_param_block_whole(std::int16_t type_code, std::int16_t version_word) {
    // The link reads straight into param_image; keep what was there.
    const auto before = model::param_image;
    if (model::read_param_block(type_code, version_word) == 0) return 0;
    model::param_image = before;
    return 1;
}

std::int16_t read_output_mode(int& code) {
    std::int16_t word = 0;
    const std::int16_t r = link::read_one_reg(26, word);
    if (r == 0) code = model::shr16(word, 8) & 255;
    return r;
}

void show_output_mode(Hauptmenue& m, int code) {
    m.v_mode.set_text(std::to_string(code));
    m.in_use.set_text("1");
}

std::string device_version_text(std::int16_t word) {
    if (auto text = model::version_text(word)) return *text;
    // One digit: pad as a two-digit fraction, so 5 reads ".05" (and is refused).
    return ".0" + std::to_string(word);
}

std::string unkept_factory_copy(const std::string& name) {
    const auto copy = unkept_copies.find(name);
    return copy != unkept_copies.end() ? copy->second : std::string();
}

void forget_unkept_factory_copies() {
    unkept_copies.clear();
}

std::string factory_copy_name(bool krv, const std::string& serial) {
    return std::string(krv ? model::reg_krv_factory : model::reg_dlx_factory) + serial;
}

bool serial_names_device(const std::string& serial) {
    // Blanks, binary zeros and erased words (0xFFFF) are what a device without a serial
    // number holds; every such device of a family would share one copy.
    for (const char filler : {' ', '\0', '\xFF'})
        if (serial.find_first_not_of(filler) == std::string::npos) return false;
    return true;
}

void B_FQN_Read_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    if (link::detect_echo() != 0) return;  // the port fault has been shown
    ops::Hourglass busy;
    try {
        run_hook(device_dialog_hooks().starting);
        read_device(m);
    } catch (const ui::UiFault& fault) {
        m.set_main_mask();
        ops::show(fault.text());
    }
}

}  // namespace dvx::mainwin
