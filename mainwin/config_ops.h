#pragma once
// The main window's File and restore menus: one transmitter data set kept in a
// configuration file and brought back, the configuration print-out, the comment
// print-out, and the factory state written back into the connected device. Saving,
// loading and printing work offline; only the restore talks to the device.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dvx::mainwin {

// m_dat_save: the data set into a configuration file chosen in the save dialog
// ("krv" or "dlx" by family, the TAG proposed as the name).
void m_dat_save_Click();
// m_dat_load: a configuration file chosen in the open dialog into the main window and
// the image. A file that is not a whole configuration changes nothing.
void m_dat_load_Click();
// m_dat_mpr: the comment print-out.
void m_dat_mpr_Click();
// m_dat_print: the configuration protocol of the image on the printer.
void m_dat_print_Click();
// m_restore_cfg: the parameter set stored when this serial number was first read,
// written back into the device after the user's OK.
void m_restore_cfg_Click();

// The path last chosen in either dialog ("" until then), as the dialog gives it: the
// system's bytes, so a name of any letters is saved and read under the name chosen.
inline std::string config_file_name;

// A configuration file: 1006 fields, each ended by "|" (comment, TAG, version,
// output mode, parameter words 0..999, S_SNAP, DLX family). Nothing is escaped.
inline constexpr int cfg_words = 1000;
inline constexpr int cfg_fields = 4 + cfg_words + 2;

struct ConfigFile {
    std::string comment, tag, version, output_mode;
    // One entry per parameter word: none for an empty or non-numeric field, which
    // leaves the word as it is.
    std::array<std::optional<std::int16_t>, cfg_words> words;
    std::string snap, dlx;  // "0", "1" or anything else (ignored)
};

// The content of a file for the data set, byte for byte.
std::string cfg_file_text(const ConfigFile& c);

// The whole content checked before anything is taken: none when it has fewer than 1006
// fields or a numeric word outside -32768..32767. Surplus fields can only come from
// a "|" in the comment (no other field can hold one), so they are joined back into it.
std::optional<ConfigFile> parse_cfg_file(std::string content);

}  // namespace dvx::mainwin
