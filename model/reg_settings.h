#pragma once
// The program's settings and the factory copies of the devices it has read, kept as
// string values under one key of the registry service. These two procedures are the
// only road to it: no deleting, no enumerating, no other value type.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dvx::model {

// The root every caller passes; the settings store knows no other.
inline constexpr std::int32_t hkey_local_machine = static_cast<std::int32_t>(0x80000002u);
inline constexpr const char* reg_key = "SOFTWARE\\TAVRO\\DORVANEX";

// Value names (the factory prefixes are followed by the serial-number text).
inline constexpr const char* reg_language = "LANGUAGE";
inline constexpr const char* reg_form_state = "FORM STATE";
inline constexpr const char* reg_form_top = "FROM TOP";
inline constexpr const char* reg_form_left = "FROM LE";
inline constexpr const char* reg_form_width = "FROM WI";
inline constexpr const char* reg_form_height = "FORM HI";
inline constexpr const char* reg_krv_factory = "KRV FACTORY SETTINGS ";
inline constexpr const char* reg_dlx_factory = "DLX FACTORY SETTINGS ";

// The reader's buffer: a value of more bytes than this (the text and its zero, so a
// text of 2000 characters or more) reads as the empty text.
inline constexpr std::size_t reg_buffer_size = 2000;

// One string value. A missing key or value, a value of size 0, one of another type
// than a string and one too long for the buffer read as the empty text with err 0;
// reading never creates the key. A store that cannot be read shows the fault's text in
// a box with the application's default title, sets err to 1 and gives the empty text.
std::string reg_get_string(std::int32_t root, const std::string& key, const std::string& value_name,
                           std::int16_t& err);

// Creates the key when needed and writes one string value (the text and its zero).
// Result: 0 written, 1 not written. A write refused for missing write access fails
// silently; any other write that does not get through shows the store's fault (its
// path and the reason) in a box, once per kind of fault in a run.
std::int16_t reg_set_string(const std::string& key, const std::string& value_name,
                            const std::string& value);

// Several string values written as one change of the store (one wait for its lock, and
// no other instance's save between them). Result and faults as reg_set_string.
std::int16_t reg_set_strings(const std::string& key,
                             const std::vector<std::pair<std::string, std::string>>& values);

// Writes the value only when the store holds none under that name, or an empty one,
// decided and written under one hold of the store, so of two instances writing at
// once the first stays. Result: 0 when the store holds a value there afterwards (this
// one or the one that was there), 1 when not. Faults as reg_set_string.
std::int16_t reg_set_string_if_missing(const std::string& key, const std::string& value_name,
                                       const std::string& value);

}  // namespace dvx::model
