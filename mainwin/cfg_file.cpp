// Configuration files: the main window's identity fields, the whole parameter image,
// the hardware-variant box and the family in one checked file, and back.
#include <string>
#include <vector>

#include "mainwin/config_ops.h"
#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/checked_file.h"
#include "model/comment_text.h"
#include "model/firmware.h"
#include "model/number_text.h"
#include "model/param_image.h"
#include "platform/cp1252.h"
#include "texts/messages.h"
#include "ui/fault.h"

namespace dvx::mainwin {

namespace {

// Dialog flags: no read-only box, keep the current folder, the folder must exist
// (2060); opening also wants an existing file (6156).
constexpr int save_flags = ui::ofn_hide_read_only | ui::ofn_no_change_dir | ui::ofn_path_must_exist;
constexpr int load_flags = save_flags | ui::ofn_file_must_exist;

std::string family_ext() {
    return texts::is_krv != 0 ? "krv" : "dlx";
}

// Sets up CMDialog1 in the order the dialog expects and shows it; the chosen path.
// Cancel throws the dialog's UiFault.
std::string choose_file(Hauptmenue& m, bool save, const std::string& title, int flags,
                        const std::string& name, const std::string& filter) {
    ui::CommonDialog& d = m.CMDialog1;
    d.dialog_title = title;
    d.flags = flags;
    d.default_ext = family_ext();
    d.file_name = name;
    d.filter = filter;
    d.cancel_error = true;
    if (save)
        d.show_save();
    else
        d.show_open();
    return d.file_name;
}

ConfigFile config_of(const Hauptmenue& m) {
    ConfigFile c;
    c.comment = m.Komentar.text();
    c.tag = m.Komentar1.text();
    c.version = m.curr_version.text();
    c.output_mode = m.v_mode.text();
    for (int i = 0; i < cfg_words; ++i) c.words[i] = model::param_image[i];
    c.snap = m.S_SNAP.value() == 1 ? "1" : "0";
    c.dlx = m.S_DLX.value() ? "1" : "0";
    return c;
}

void save(Hauptmenue& m) {
    const std::string ext = family_ext();
    // The TAG proposes the name (ABC padded with blanks gives ABC.krv), else the last path.
    // The TAG is the window's text; the proposal a path, in the system's bytes.
    const std::string tag = model::trim_blanks(m.Komentar1.text());
    const std::string proposal =
        tag.empty() ? config_file_name : platform::to_utf8(tag.substr(0, 8) + "." + ext);
    const std::string filter = texts::msg_config_file_filter + " (*." + ext + ")|*." + ext + "|" +
                               texts::msg_config_file_filter + " (*.*)|*.*";
    const std::string path =
        choose_file(m, true, texts::msg_save_config_title, save_flags, proposal, filter);
    if (path.empty()) return;
    config_file_name = path;
    if (ui::services().files->exists(path) &&
        ui::msg_box(texts::msg_file_exists, ui::mb_ok_cancel, ops::title) != ui::id_ok)
        return;
    // No delete first: the container writes beside the old file and renames over it,
    // so a failed write keeps the old configuration.
    ops::Hourglass busy;
    model::write_checked_file(config_file_name, cfg_file_text(config_of(m)));
}

void apply(Hauptmenue& m, const ConfigFile& c) {
    m.Komentar.set_text(c.comment);
    m.Komentar1.set_text(c.tag);
    m.curr_version.set_text(c.version);
    m.v_mode.set_text(c.output_mode);
    for (int i = 0; i < cfg_words; ++i)
        if (c.words[i]) model::param_image[i] = *c.words[i];
    if (c.snap == "1" || c.snap == "0") m.S_SNAP.set_value(c.snap == "1" ? 1 : 0);
    // Through the options' values: their Click handlers switch is_krv and the texts.
    if (c.dlx == "1") {
        m.S_DLX.set_value(true);
        m.S_KRV.set_value(false);
    } else if (c.dlx == "0") {
        m.S_KRV.set_value(true);
        m.S_DLX.set_value(false);
    }
}

void load(Hauptmenue& m) {
    const std::string ext = family_ext();
    const std::string filter = texts::msg_config_file_filter + "  (*." + ext + ")|*." + ext + "|" +
                               texts::msg_all_files_filter + " (*.*)|*.*";
    const std::string path =
        choose_file(m, false, texts::msg_load_config_title, load_flags, "", filter);
    if (!path.empty()) {
        config_file_name = path;
        // Checked whole before anything is taken: a damaged or foreign file changes nothing.
        const auto config = parse_cfg_file(model::read_checked_file(path));
        if (config)
            apply(m, *config);
        else
            ops::show(texts::msg_not_config_file);
    }
    // The loaded version sets param_count; an unsupported one is not reported here.
    model::check_version(m.curr_version.text());
    m.set_main_mask();
}

}  // namespace

std::string cfg_file_text(const ConfigFile& c) {
    std::string text;
    auto field = [&text](const std::string& f) {
        text += f;
        text += '|';
    };
    field(c.comment);
    field(c.tag);
    field(c.version);
    field(c.output_mode);
    for (const auto& w : c.words) field(w ? std::to_string(*w) : std::string());
    field(c.snap);
    field(c.dlx);
    return text;
}

std::optional<ConfigFile> parse_cfg_file(std::string content) {
    std::vector<std::string> fields;
    while (!content.empty()) fields.push_back(model::split_bar(content));
    if (fields.size() < static_cast<std::size_t>(cfg_fields)) return std::nullopt;

    ConfigFile c;
    // Every field beyond 1006 was split off the comment by a "|" of its own.
    const std::size_t comment_parts = fields.size() - cfg_fields + 1;
    for (std::size_t i = 0; i < comment_parts; ++i) {
        if (i > 0) c.comment += '|';
        c.comment += fields[i];
    }
    auto next = fields.begin() + static_cast<std::ptrdiff_t>(comment_parts);
    c.tag = *next++;
    c.version = *next++;
    c.output_mode = *next++;
    for (int i = 0; i < cfg_words; ++i, ++next) {
        const auto v = model::numeric_value(*next);
        if (!v) continue;  // empty or no number: the word stays
        const auto w = model::round_to_i16(*v);
        if (!w) return std::nullopt;
        c.words[i] = *w;
    }
    c.snap = *next++;
    c.dlx = *next;
    return c;
}

void m_dat_save_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    try {
        save(m);
    } catch (const ui::UiFault&) {
        // Cancel in the dialog (or a fault) ends the operation without a word.
    }
    ui::set_mouse_pointer(ui::mp_default);
}

void m_dat_load_Click() {
    Hauptmenue& m = *hauptmenu_inst;
    try {
        load(m);
    } catch (const ui::UiFault&) {
        // Cancel in the dialog ends the operation: nothing read, nothing changed.
    }
}

void m_dat_mpr_Click() {
    model::print_comment_page();
}

}  // namespace dvx::mainwin
