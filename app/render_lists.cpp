// Combo boxes, list boxes and list views.
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/input.h"

namespace dvx::app {

namespace {

// The open list of a combo box takes the arrows, Page, Home/End, Enter and Esc; a letter
// or digit finds nothing there (Qt would jump to the first entry it begins).
class NoKeyboardSearch : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        const QString text = static_cast<QKeyEvent*>(e)->text();
        return !text.isEmpty() && text.at(0).isPrint();
    }
};

}  // namespace

QWidget* Renderer::make_list(ui::Control& c, QWidget* parent) {
    switch (c.kind()) {
        case ui::Kind::combo_box: {
            auto* cb = new QComboBox(parent);
            cb->view()->installEventFilter(new NoKeyboardSearch(cb));
            return cb;
        }
        case ui::Kind::list_box:
            return new QListWidget(parent);
        default: {
            auto* t = new QTreeWidget(parent);
            t->setRootIsDecorated(false);
            t->setItemsExpandable(false);
            t->setUniformRowHeights(true);
            t->setSelectionMode(QAbstractItemView::SingleSelection);
            t->setSelectionBehavior(QAbstractItemView::SelectRows);
            t->setAllColumnsShowFocus(true);
            // The columns keep the widths and the order the program gave them: the
            // header offers no resizing, moving, sorting or stretching of its own.
            QHeaderView* h = t->header();
            h->setSectionsMovable(false);
            h->setSectionsClickable(false);
            h->setSectionResizeMode(QHeaderView::Fixed);
            h->setStretchLastSection(false);
            h->setMinimumSectionSize(0);
            return t;
        }
    }
}

void Renderer::connect_list(ui::Control& c, QWidget* w) {
    using namespace ui;
    switch (c.kind()) {
        case Kind::combo_box: {
            auto* cb = static_cast<QComboBox*>(w);
            QObject::connect(cb, &QComboBox::activated, this, [this, cb](int index) {
                if (syncing_) return;
                post_pressed<ListControl>(cb, [index](ListControl& l) { user_select(l, index); });
                restore(cb);
            });
            break;
        }
        case Kind::list_box: {
            auto* lw = static_cast<QListWidget*>(w);
            QObject::connect(
                lw, &QListWidget::itemClicked, this, [this, lw](QListWidgetItem* item) {
                    if (syncing_) return;
                    const int row = lw->row(item);
                    post_pressed<ListControl>(lw, [row](ListControl& l) { user_select(l, row); });
                    restore(lw);
                });
            QObject::connect(
                lw, &QListWidget::itemDoubleClicked, this, [this, lw](QListWidgetItem*) {
                    if (syncing_) return;
                    post_pressed<Control>(lw, [](Control& ctl) { user_dbl_click(ctl); });
                });
            // The scroll bar, used by the mouse, scrolls the rows through the layer
            // (TopIndex); Qt's own moves (a drag over the rows) are put back at the flush.
            QScrollBar* bar = lw->verticalScrollBar();
            QObject::connect(bar, &QScrollBar::actionTriggered, this, [this, lw, bar](int) {
                if (syncing_) return;
                const int top = bar->sliderPosition();
                post_to<ListControl>(lw,
                                     [top](ListControl& l) { l.scroll_rows(top - l.top_index()); });
            });
            break;
        }
        default: {
            auto* tw = static_cast<QTreeWidget*>(w);
            QObject::connect(
                tw, &QTreeWidget::itemClicked, this, [this, tw](QTreeWidgetItem* item, int) {
                    if (syncing_) return;
                    const int row = tw->indexOfTopLevelItem(item) + 1;
                    post_pressed<ListView>(tw, [row](ListView& lv) { user_select(lv, row); });
                    restore(tw);
                });
            QObject::connect(
                tw, &QTreeWidget::itemDoubleClicked, this, [this, tw](QTreeWidgetItem*, int) {
                    if (syncing_) return;
                    post_pressed<Control>(tw, [](Control& ctl) { user_dbl_click(ctl); });
                });
            break;
        }
    }
}

void Renderer::sync_list(ControlView& v, unsigned bits) {
    ui::Control& c = *v.control;
    QWidget* w = v.widget;
    switch (c.kind()) {
        case ui::Kind::combo_box: {
            auto& l = static_cast<ui::ListControl&>(c);
            auto* cb = static_cast<QComboBox*>(w);
            if (bits & d_items) {
                cb->clear();
                for (int i = 0; i < l.list_count(); ++i) cb->addItem(qstr(l.list(i)));
            }
            if (bits & (d_state | d_items)) cb->setCurrentIndex(l.list_index());
            break;
        }
        case ui::Kind::list_box: {
            auto& l = static_cast<ui::ListControl&>(c);
            auto* lw = static_cast<QListWidget*>(w);
            if (bits & d_items) {
                lw->clear();
                for (int i = 0; i < l.list_count(); ++i) lw->addItem(qstr(l.list(i)));
            }
            if (bits & (d_state | d_items)) {
                lw->setCurrentRow(l.list_index());
                if (l.list_index() < 0) lw->clearSelection();
                if (QListWidgetItem* top = lw->item(l.top_index()))
                    lw->scrollToItem(top, QAbstractItemView::PositionAtTop);
            }
            break;
        }
        default: {
            auto& lv = static_cast<ui::ListView&>(c);
            auto* tw = static_cast<QTreeWidget*>(w);
            if (bits & d_items) {
                tw->clear();
                tw->setColumnCount(std::max(1, lv.column_count()));
                QStringList headers;
                for (int i = 1; i <= lv.column_count(); ++i) headers << qstr(lv.column_text(i));
                tw->setHeaderLabels(headers);
                for (int i = 1; i <= lv.column_count(); ++i)
                    tw->setColumnWidth(i - 1, to_px(lv.column_width(i)));
                QList<QTreeWidgetItem*> rows;
                for (int i = 1; i <= lv.item_count(); ++i) {
                    const ui::ListItem& item = lv.item(i);
                    auto* row = new QTreeWidgetItem;
                    row->setText(0, qstr(item.text()));
                    for (int k = 1; k < lv.column_count(); ++k)
                        row->setText(k, qstr(item.sub_item(k)));
                    rows << row;
                }
                tw->addTopLevelItems(rows);
            }
            if (bits & (d_state | d_items)) {
                QTreeWidgetItem* sel =
                    lv.selected_index() > 0 ? tw->topLevelItem(lv.selected_index() - 1) : nullptr;
                tw->setCurrentItem(sel);
                if (!sel) tw->clearSelection();
            }
            break;
        }
    }
}

}  // namespace dvx::app
