// Programming a device: the parameter image in memory written into the transmitter at
// the selected address, after making sure the device is the kind the image was made
// for (same firmware, same output jumpers, and the user's word when its serial number
// differs from the image's).
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "link/serial_line.h"
#include "link/transactions.h"
#include "mainwin/device_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "mainwin/page_openers.h"
#include "model/block_transfer.h"
#include "model/firmware.h"
#include "model/param_image.h"
#include "model/param_list.h"
#include "model/param_words.h"
#include "texts/messages.h"

namespace dvx::mainwin {

namespace {

constexpr int serial_first = 123;  // words 123..126, register 1123..
constexpr int serial_words = 4;
// Output-mode codes below 20 mean voltage output, above 20 current output; 20 matches both.
constexpr double mode_boundary = 20;

bool jumpers_differ(int device_code, double image_code) {
    return (device_code < mode_boundary && image_code > mode_boundary) ||
           (device_code > mode_boundary && image_code < mode_boundary);
}

bool ask(const std::string& question) {
    return ui::msg_box(question, ui::mb_ok_cancel, ops::title) == ui::id_ok;
}

void program_device(Hauptmenue& m, const std::string& image_version) {
    auto* const serial = model::param_image.data() + serial_first;
    std::array<std::int16_t, serial_words> image_serial{};
    std::copy_n(serial, serial_words, image_serial.begin());

    std::int16_t word = 0;
    if (link::read_one_reg(version_word, word) != 0) return ops::show(texts::msg_no_connection);
    if (device_version_text(word) != image_version) return ops::show(texts::msg_version_mismatch);

    int device_mode = 0;
    if (read_output_mode(device_mode) != 0) return ops::show(texts::msg_no_connection);
    // An image whose output mode is no number (a hand-edited file) cannot be matched
    // with the jumpers: it is refused like a mismatch rather than written unchecked.
    const auto image_mode = output_mode_code(m.v_mode.text());
    if (!image_mode || jumpers_differ(device_mode, *image_mode)) {
        // This box has no title of its own: the application's default title.
        ui::msg_box(
            texts::msg_programming_not_possible + ops::crlf + texts::msg_output_jumper_mismatch,
            ui::mb_ok);
        return;
    }

    // The answer lands in the image's serial words; the copy goes back at once.
    const bool serial_read = link::read_regs(1000 + serial_first, serial_words) == 0;
    const std::string s_dev = model::text_from_params(serial_first);
    std::copy(image_serial.begin(), image_serial.end(), serial);
    if (!serial_read) return ops::show(texts::msg_no_connection);
    const std::string s_img = model::text_from_params(serial_first);
    if (s_dev != s_img &&
        !ask(texts::msg_serial_overwrite_1 + ops::crlf + s_dev + ops::crlf +
             texts::msg_serial_overwrite_2 + ops::crlf + s_img + ops::crlf + texts::msg_continue))
        return;

    const bool with_cal = m.Check3D2.value() != 0;
    const bool with_serial = m.Ser_No.enabled();
    // A failed request or store leaves the set unsaved in the device: the snapshot stays,
    // so quitting still warns.
    if (model::write_param_block(with_cal, with_serial) == 0) {
        param_snapshot = model::params_to_text();
        run_hook(device_dialog_hooks().programmed);
    }
}

}  // namespace

std::optional<double> output_mode_code(const std::string& text) {
    const auto b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    const auto e = text.find_last_not_of(' ') + 1;
    double v = 0;
    const char* first = text.data() + b;
    const char* last = text.data() + e;
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

void B_FQN_Write_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    if (!ask(texts::msg_overwrite_params)) return;
    if (link::detect_echo() != 0) return;  // the port fault has been shown
    const std::string image_version = m.curr_version.text();
    if (model::check_version(image_version) != 0) {
        ops::show(texts::msg_sw_version_not_supported);
        ui::set_mouse_pointer(ui::mp_default);
        return;
    }
    ops::Hourglass busy;
    run_hook(device_dialog_hooks().starting);
    program_device(m, image_version);
}

}  // namespace dvx::mainwin
