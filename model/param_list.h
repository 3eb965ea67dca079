#pragma once
// The parameter set as one line of text: param_image words 0 .. param_count - 1 as
// signed decimal numbers joined by "|" ("9|100|-1|..."). It is kept as the snapshot
// that tells unsaved changes and as the factory copy of a device in the registry.
#include <string>

namespace dvx::model {

// The text of the current parameter set.
std::string params_to_text();

// Stores the numbers of text into param_image from word 0 up, at most param_count
// words; a text of fewer fields leaves the words after them as they are. The whole
// text is checked first: every field (the empty text is one empty field) must be a
// number within -32768..32767 (after rounding, halves to even). When one is not,
// nothing changes (neither the image nor text) and the result is false. Otherwise
// text is left holding what follows the fields stored (empty when all were stored).
bool text_to_params_list(std::string& text);

}  // namespace dvx::model
