#pragma once
// The one way a caption text reaches a window. The windows live above this library, so
// every caption table names its controls and this sets the text by name: the window's
// title, a control's caption or a list view's column header.
#include <string>
#include <string_view>

#include "ui/form.h"

namespace dvx::texts {

// What of the control a caption row sets.
enum class CaptionTarget {
    caption,     // Caption of a label, button, frame, check box or menu item
    form_title,  // the window's own caption (control is empty)
    column_2,    // header of column 2 of a list view
};

// Sets `text` on `form`; a control missing from the form, or one that cannot take the
// text, is passed over.
void apply_caption(ui::Form& form, std::string_view control, CaptionTarget target,
                   const std::string& text);

}  // namespace dvx::texts
