// Tab controls. Controls on a page are placed relative to the whole tab control: each
// page is an overlay below the tab bar, shown while its tab is selected.
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "app/render_common.h"
#include "app/twips.h"
#include "ui/input.h"

namespace dvx::app {

QWidget* Renderer::make_tabs(ui::Control&, QWidget* parent) {
    return new QTabWidget(parent);
}

// Tabs and page overlays up to the layer's count of tabs.
void Renderer::add_tab_pages(ControlView& v) {
    auto& tc = static_cast<ui::TabControl&>(*v.control);
    auto* tw = static_cast<QTabWidget*>(v.widget);
    while (tw->count() < tc.tabs()) tw->addTab(new QWidget, QString());
    while (static_cast<int>(v.pages.size()) < tc.tabs()) {
        auto* page = new QWidget(tw);
        page->installEventFilter(this);
        owner_[page] = &tc;
        v.pages.push_back(page);
        const int bar = tw->tabBar()->sizeHint().height();
        page->setGeometry(0, bar, tw->width(), std::max(1, tw->height() - bar));
    }
}

void Renderer::connect_tabs(ui::Control&, QWidget* w) {
    auto* t = static_cast<QTabWidget*>(w);
    QObject::connect(t, &QTabWidget::currentChanged, this, [this, t](int index) {
        if (syncing_ || index < 0) return;
        post_to<ui::TabControl>(t, [index](ui::TabControl& tc) { ui::user_switch_tab(tc, index); });
        restore(t);
    });
}

void Renderer::sync_tabs(ControlView& v, unsigned bits) {
    auto& tc = static_cast<ui::TabControl&>(*v.control);
    auto* tw = static_cast<QTabWidget*>(v.widget);
    if (bits & d_items) {
        while (tw->count() > tc.tabs()) {
            QWidget* p = tw->widget(tw->count() - 1);
            tw->removeTab(tw->count() - 1);
            delete p;
        }
        add_tab_pages(v);
        for (int i = 0; i < tc.tabs(); ++i) tw->setTabText(i, qstr(tc.tab_caption(i)));
    }
    if (bits & (d_state | d_items)) {
        if (tc.tab() < tw->count()) tw->setCurrentIndex(tc.tab());
        for (int i = 0; i < static_cast<int>(v.pages.size()); ++i) {
            v.pages[i]->setVisible(i == tc.tab());
            if (i == tc.tab()) v.pages[i]->raise();
        }
    }
}

}  // namespace dvx::app
