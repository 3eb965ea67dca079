#pragma once
// The connection settings file "krv_con.cfg" in the program's current folder: the
// port and address choices of the main window and the two passwords, kept in a
// checked file as six "|"-ended fields (port index, "0", address index, empty,
// scrambled password 1, scrambled password 2). The main window owns the controls;
// these procedures take and give the values as plain data.
#include <array>
#include <optional>
#include <string>

namespace dvx::model {

inline constexpr const char* con_file_name = "krv_con.cfg";
inline constexpr int con_fields = 6;

// The fields as this instance last read them from the file or wrote them. Several
// instances share the file: a save writes the fields this one changed since and keeps
// the others as the file holds them now, so a password changed in another instance is
// not written back by a value this one never touched. An instance that found no
// readable file counts from the settings it started with. None (a process's start):
// no load yet, all ours.
extern std::optional<std::array<std::string, con_fields>> con_base_fields;

struct ConSettings {
    int port_index = -1;  // list index of the port choice (0 for "COM1"), -1 nothing chosen
    int adr_index = 0;    // list index of the address (or rack) choice
    std::string password_level_1;
    std::string password_level_2;
};

// What the file gives at start; a field the reader does not accept stays empty and
// the main window keeps its own value for it.
struct ConSettingsRead {
    std::optional<int> port_index;
    std::optional<int> adr_index;
    std::optional<std::string> password_level_1;
    std::optional<std::string> password_level_2;
};

// The file's content for these settings, e.g. "0|0|4||||" for COM1, address index 4
// and two empty passwords.
std::string con_file_text(const ConSettings& s);

// Writes "krv_con.cfg"; the result is not looked at (faults were shown already). A field
// this instance left as it was at its last read or save keeps what the file holds now,
// so another running instance's change of it stays.
void save_settings(const ConSettings& s);

// Reads "krv_con.cfg": the port index when it is numeric and below port_count, the
// address index when numeric and below adr_count, each password when its field is not
// empty. A missing or damaged file gives nothing; the settings the window holds without
// it (start) are then what this instance's saves count their changes from.
ConSettingsRead load_settings(int port_count, int adr_count, const ConSettings& start = {});

}  // namespace dvx::model
