// Restoring the factory state: the parameter set kept in the registry the first time
// a serial number was read, written back into that device. The device is known by what
// it reports itself (type code, serial number), not by what the main window shows.
#include <algorithm>
#include <optional>
#include <string>

#include "link/register_images.h"
#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/config_ops.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/block_transfer.h"
#include "model/firmware.h"
#include "model/input_types.h"
#include "model/model_setup.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "model/reg_settings.h"
#include "texts/messages.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

constexpr int serial_first = 123;

// The first param_count words of the image at one moment: the click's (put back on every
// refusal; param_count may change with the device's firmware on the way) and the set
// the device is sent (put back once the model set-up has loaded its default image).
struct SavedImage {
    decltype(model::param_image) words = model::param_image;
    int count = model::param_count;
    void put_back() const {
        const int n = std::clamp(count, 0, static_cast<int>(words.size()));
        std::copy_n(words.begin(), n, model::param_image.begin());
    }
    // A refusal leaves no trace, the device's words read past a short copy included.
    void put_back_all() const { model::param_image = words; }
};

// The main window's firmware as the click found it. The version check on the way sets
// the device's version, count and flags; a refusal puts them back, so the window goes
// on describing the set it holds (after a firmware upgrade a later program would
// otherwise pass its version check and send words never read).
struct SavedFirmware {
    std::string version = hauptmenu_inst->curr_version.text();
    std::int16_t count = model::param_count;
    std::int16_t krv_fw3 = model::is_krv_fw3;
    std::int16_t lead_res = model::show_lead_res;
    void put_back() const {
        hauptmenu_inst->curr_version.set_text(version);
        model::param_count = count;
        model::is_krv_fw3 = krv_fw3;
        model::show_lead_res = lead_res;
        model::init_sensor_texts();
    }
};

// Family by the device's own type code: 11..15 KRV, 111..113 DLX. 16 and every other
// code have no factory copy to write back.
std::optional<model::Family> restore_family(int code) {
    if (code >= 11 && code <= 15) return model::Family::krv;
    if (code >= 111 && code <= 113) return model::Family::dlx;
    return std::nullopt;
}

int field_count(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '|')) + 1;
}

// A read keeps exactly param_count words, so a copy it stored has as many fields as one
// of the family's firmware versions has words. Any other count is a copy cut short or
// run on: it is no parameter set to send.
bool read_could_store(model::Family family, const std::string& text) {
    const int fields = field_count(text);
    return std::any_of(std::begin(model::supported_versions), std::end(model::supported_versions),
                       [&](const model::SupportedVersion& v) {
                           return v.family == family && v.param_count == fields;
                       });
}

// A copy taken before a firmware upgrade holds nothing for the device's newer words: they
// are read into the image, so the write gives the device back its own values there and
// the image describes the device afterwards. A copy as long as the set reads nothing.
bool read_words_past_copy(int fields) {
    constexpr int chunk = 16;  // as the block read asks
    for (int p = fields; p < model::param_count; p += chunk)
        if (link::read_regs(1000 + p, std::min(chunk, model::param_count - p)) != 0) return false;
    return true;
}

// Steps up to the user's OK; the stored set is in the image when it gives true.
bool prepare(Hauptmenue& m, std::int16_t& code, int& output_mode) {
    if (link::read_device_type(code) != 0) return ops::show(texts::msg_no_connection), false;
    const auto family = restore_family(code);
    if (!family) return ops::show(texts::msg_device_not_supported), false;
    if (link::read_regs(1000 + serial_first, 4) != 0)
        return ops::show(texts::msg_no_connection), false;
    // A serial number that names no device has no copy of its own: a value under such a
    // name would be another device's set, its calibration and bus address included.
    const std::string serial = model::text_from_params(serial_first);
    if (!serial_names_device(serial)) return ops::show(texts::msg_no_stored_config), false;

    const std::string name = factory_copy_name(*family == model::Family::krv, serial);
    std::int16_t err = 0;
    std::string stored =
        model::reg_get_string(model::hkey_local_machine, model::reg_key, name, err);
    if (err != 0) return ops::show(texts::msg_registry_read_error), false;
    // A first read whose copy the registry could not keep left it with this run.
    if (stored.empty()) stored = unkept_factory_copy(name);
    if (stored.empty()) return ops::show(texts::msg_no_stored_config), false;

    if (read_output_mode(output_mode) != 0) return ops::show(texts::msg_no_connection), false;
    m.curr_version.set_text(device_version_text(link::status_regs[version_word]));
    // The device's own family decides, not the option the main window happens to show,
    // and the refusal names that family.
    if (model::check_version_for(*family, m.curr_version.text()) != 0)
        return ops::show(texts::family_form(texts::msg_sw_version_not_supported,
                                            *family == model::Family::krv)),
               false;

    // The stored text is checked whole before it is taken: a damaged value must not
    // send a mixture of two sets, calibration values included, to the device. A set
    // stored before a firmware upgrade is shorter than today's: it fills the first
    // words, the device's newer words keep its own values.
    const int fields = field_count(stored);
    if (!read_could_store(*family, stored) || !model::text_to_params_list(stored))
        return ops::show(texts::msg_no_stored_config), false;
    if (!read_words_past_copy(fields)) return ops::show(texts::msg_no_connection), false;
    return ui::msg_box(texts::msg_overwrite_params, ui::mb_ok_cancel, ops::title) == ui::id_ok;
}

void write_back(Hauptmenue& m, std::int16_t code, const SavedImage& sent, int output_mode) {
    const std::string version = m.curr_version.text();
    // Shows its own outcome; the main window follows the device either way. A set the
    // device took is its own type from now on, as after programming.
    if (model::write_param_block(true, false) == 0) run_hook(device_dialog_hooks().programmed);
    model::set_model_ui(code);
    // The model set-up has put the default image in place: the set the device got again.
    sent.put_back();
    m.curr_version.set_text(version);
    show_output_mode(m, output_mode);
    m.set_main_mask();
}

}  // namespace

void m_restore_cfg_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    if (link::detect_echo() != 0) return;  // the port fault has been shown
    ops::Hourglass busy;
    const SavedImage start;
    const SavedFirmware firmware;
    const auto refused = [&] {
        start.put_back_all();
        firmware.put_back();
    };
    std::optional<SavedImage> sent;
    try {
        std::int16_t code = 0;
        int output_mode = 0;
        if (!prepare(m, code, output_mode)) return refused();
        sent.emplace();
        write_back(m, code, *sent, output_mode);
    } catch (const ui::UiFault& fault) {
        ops::show(fault.text());
        // Before the write the click's state, from it on the set the device was sent.
        if (!sent) return refused();
        sent->put_back();
    }
}

}  // namespace dvx::mainwin
