#include "texts/caption_target.h"

#include "ui/controls.h"

namespace dvx::texts {

void apply_caption(ui::Form& form, std::string_view control, CaptionTarget target,
                   const std::string& text) {
    if (target == CaptionTarget::form_title) {
        form.set_caption(text);
        return;
    }
    ui::Control* c = form.control(control);
    if (!c) return;
    if (target == CaptionTarget::column_2) {
        auto* view = dynamic_cast<ui::ListView*>(c);
        if (view && view->column_count() >= 2) view->set_column_text(2, text);
        return;
    }
    if (auto* cc = dynamic_cast<ui::CaptionControl*>(c)) cc->set_caption(text);
}

}  // namespace dvx::texts
