#pragma once
// The main window's two device operations: reading the transmitter at the selected
// address (or rack and slot) into the parameter image, and programming the image into
// it. Both probe the adapter first, work under the hourglass pointer and report
// everything in message boxes; neither returns a result.
#include <cstdint>
#include <optional>
#include <string>

namespace dvx::mainwin {

class Hauptmenue;

// The firmware word: the type read takes registers 0..4, this one with them.
inline constexpr int version_word = 4;

// The read button B_FQN_Read (also the double click on a gateway list row): type code
// and model set-up, firmware check and param_count, the parameter block and the
// output-mode word; then "Parameter read in.", the identity fields, param_snapshot and
// the factory copy in the registry when none exists for the serial number yet (and the
// serial number names a device: see serial_names_device).
// A block read that fails leaves param_image as the model set-up left it (the default
// image): a half-read set is never taken over. When only the output-mode word fails, the
// whole set read stays in the image; the fields and the snapshot are not refreshed.
void B_FQN_Read_Click();

// The program button B_FQN_Write: asks, checks the image's firmware, the device's
// firmware, its output jumpers and (by a question) a foreign serial number, then writes
// the image with the store command. param_snapshot is retaken only when every request
// and the store succeeded.
void B_FQN_Write_Click();

// Firmware word as the version text: "." before the last two digits (405 -> "4.05",
// 99 -> ".99"); 0..9 are padded to two digits (5 -> ".05"), which no supported list holds.
std::string device_version_text(std::int16_t word);

// Reads the parameter block of the device whose type code and firmware word were read
// just before, with that device's own parameter count (model::read_param_block); one
// broken off part-way leaves param_image as it was, so no mix of two parameter sets
// remains. 0 read, 1 a request failed.
std::int16_t read_param_block_whole(std::int16_t type_code, std::int16_t version_word);

// Reads the output-mode word (register 26): `code` gets its high byte, the output-mode
// jumper code (above 20: a current output). The result is read_one_reg's; a failed
// read leaves `code` as it was.
std::int16_t read_output_mode(int& code);
// The main window keeps the device's output mode: v_mode the code, in_use "1".
void show_output_mode(Hauptmenue& m, int code);

// Output-mode code of a v_mode text (blanks around it allowed); none when the text is
// not a number, so programming cannot tell current from voltage output.
std::optional<double> output_mode_code(const std::string& text);

// Value name of a device's factory copy in the registry: "KRV FACTORY SETTINGS " or
// "DLX FACTORY SETTINGS " followed directly by the serial-number text.
std::string factory_copy_name(bool krv, const std::string& serial);

// The first set read this run under a factory copy's name that the registry did not
// keep (empty when none): the next read stores it, a restore takes it. The main
// window's load forgets them, as a new run of the program does.
std::string unkept_factory_copy(const std::string& name);
void forget_unkept_factory_copies();

// False for a serial-number text that names no device: empty, or 8 blanks, 8 zero
// bytes or 8 bytes 0xFF. Such a device gets no factory copy and has none to restore.
bool serial_names_device(const std::string& serial);

}  // namespace dvx::mainwin
