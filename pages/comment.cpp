#include "pages/comment.h"

#include <string>

#include "mainwin/device_ops_common.h"
#include "mainwin/hauptmenu.h"
#include "model/block_transfer.h"
#include "model/comment_text.h"
#include "model/number_text.h"
#include "model/view_bindings.h"
#include "texts/captions_pages.h"
#include "texts/messages.h"
#include "ui/fault.h"

namespace dvx::pages {

namespace {

constexpr std::size_t comment_chars = 2000;
constexpr char end_mark = '\x03';

// Marks a transfer for its length, so a click let through by its pauses does nothing.
class TransferGuard {
  public:
    explicit TransferGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~TransferGuard() { busy_ = false; }
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;

  private:
    bool& busy_;
};

}  // namespace

Comment::Comment() : Form("comment", {0, 0, 9690, 8225}) {
    comment_txt.set_multi_line(true);
    comment_txt.set_max_length(static_cast<int>(comment_chars));
    on_load = [this] { Form_Load(); };
    on_unload = [this](int& cancel) { Form_Unload(cancel); };
    Command3D1.on_click = [this] { Command3D1_Click(); };
    B_save.on_click = [this] { B_save_Click(); };
    Command3D2.on_click = [this] { Command3D2_Click(); };
    B_Zurueck.on_click = [this] { B_Zurueck_Click(); };
}

void Comment::Form_Load() {
    texts::set_lang_comment(*this);
}

void Comment::Form_Unload(int& cancel) {
    // The transfer's handler still works on this page: it closes when that ends.
    if (busy_) {
        cancel = 1;
        return;
    }
    // Closing by the frame keeps the edited text, as Back does.
    copy_to_store();
    mainwin::hauptmenu_inst->set_visible(true);
}

void Comment::copy_to_store() {
    model::view_bindings().set_komentar(comment_txt.text());
}

void Comment::Command3D1_Click() {
    if (busy_) return;
    TransferGuard guard(busy_);
    mainwin::ops::Hourglass hourglass;
    // A failed read leaves the store and the box as they were.
    if (model::read_comment_block() != 0) return mainwin::ops::show(texts::msg_no_connection);
    model::words_to_comment();
    comment_txt.set_text(model::view_bindings().get_komentar());
    mainwin::ops::show(texts::msg_comment_read);
}

void Comment::B_save_Click() {
    if (busy_) return;
    TransferGuard guard(busy_);
    std::string t = model::trim_blanks(comment_txt.text());
    if (t.size() < comment_chars) t += end_mark;
    copy_to_store();
    model::comment_to_words(t);
    mainwin::ops::Hourglass hourglass;
    try {
        // Shows its own outcome.
        model::write_comment_block(static_cast<int>(t.size()));
    } catch (const ui::UiFault& fault) {
        mainwin::ops::show(fault.text());
    }
}

void Comment::Command3D2_Click() {
    if (busy_) return;
    copy_to_store();
    model::print_comment_page();
}

void Comment::B_Zurueck_Click() {
    if (busy_) return;
    copy_to_store();
    unload();
}

}  // namespace dvx::pages
