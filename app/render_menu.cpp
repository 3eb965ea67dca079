// A form's menu bar.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/form.h"
#include "ui/input.h"

namespace dvx::app {

namespace {

void menu_items_of(const ui::MenuItem& item, std::vector<ui::MenuItem*>& out) {
    for (ui::MenuItem* child : item.children()) {
        out.push_back(child);
        menu_items_of(*child, out);
    }
}

void apply_menu_item(QAction* a, const ui::MenuItem& item) {
    if (!item.is_separator()) a->setText(qstr(item.caption()));
    a->setVisible(item.visible());
    a->setEnabled(item.enabled());
    if (!a->menu()) {
        a->setCheckable(item.checked());
        a->setChecked(item.checked());
    }
}

}  // namespace

void Renderer::sync_menu(FormView& fv) {
    ui::Form& f = *fv.form;
    std::vector<ui::MenuItem*> items;  // depth first, in creation order
    for (ui::Control* c : f.controls())
        if (c->kind() == ui::Kind::menu && !static_cast<ui::MenuItem*>(c)->parent_menu()) {
            items.push_back(static_cast<ui::MenuItem*>(c));
            menu_items_of(*static_cast<ui::MenuItem*>(c), items);
        }
    std::vector<ui::MenuItem*> built;
    for (auto& [item, action] : fv.menu_actions) built.push_back(item);
    if (fv.menu && built == items) {
        // Same items: update in place, so an open menu stays valid.
        for (auto& [item, action] : fv.menu_actions) apply_menu_item(action, *item);
        return;
    }
    for (auto& [item, action] : fv.menu_actions) owner_.erase(action);
    fv.menu_actions.clear();
    const bool had = fv.menu != nullptr;
    delete fv.menu;
    fv.menu = nullptr;
    if (items.empty()) {
        if (had) place_window(fv);
        return;
    }
    fv.menu = new QMenuBar(fv.window);
    QFont menu_font = fv.menu->font();  // the system's menu font at the classic 9 points
    menu_font.setPointSizeF(9);
    fv.menu->setFont(menu_font);
    auto hook = [this](QAction* a, ui::MenuItem* item) {
        owner_[a] = item;
        QObject::connect(a, &QAction::triggered, this, [this, a] {
            if (!syncing_) post_to<ui::Control>(a, [](ui::Control& ctl) { ui::user_click(ctl); });
        });
    };
    std::function<void(QWidget*, ui::MenuItem&)> add = [&](QWidget* into, ui::MenuItem& item) {
        QAction* a = nullptr;
        if (!item.children().empty()) {
            auto* menu = new QMenu(qstr(item.caption()), into);
            a = menu->menuAction();
            owner_[a] = &item;
            owner_[menu] = &item;
            // A menu's own Click comes as it opens, before its items are shown.
            QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] {
                if (!syncing_)
                    post_to<ui::Control>(menu, [](ui::Control& ctl) { ui::user_click(ctl); });
            });
            into->addAction(a);
            fv.menu_actions.emplace_back(&item, a);
            for (ui::MenuItem* child : item.children()) add(menu, *child);
        } else {
            a = new QAction(into);
            if (item.is_separator()) a->setSeparator(true);
            hook(a, &item);
            into->addAction(a);
            fv.menu_actions.emplace_back(&item, a);
        }
        apply_menu_item(a, item);
    };
    for (ui::Control* c : f.controls())
        if (c->kind() == ui::Kind::menu && !static_cast<ui::MenuItem*>(c)->parent_menu())
            add(fv.menu, *static_cast<ui::MenuItem*>(c));
    fv.menu->show();
    place_window(fv);
}

}  // namespace dvx::app
