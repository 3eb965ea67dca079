#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <utility>

#include "texts/messages.h"

namespace dvx::app {

QString qt_translation_of(texts::Lang lang) {
    switch (lang) {
        case texts::Lang::german:
            return "qtbase_de";
        case texts::Lang::dutch:
            return "qtbase_nl";
        case texts::Lang::english:
            break;
    }
    return {};
}

QtTranslations::QtTranslations(QString folder) : folder_(std::move(folder)) {}

QtTranslations::~QtTranslations() {
    if (following_) texts::language_applied() = nullptr;
    drop();
}

QString QtTranslations::default_folder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtTranslations::drop() {
    if (installed_) QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
}

bool QtTranslations::use(texts::Lang lang) {
    // A change of model family fills the message table again in the same language; every
    // reload would send all widgets a language change.
    if (lang_ == lang) return installed_ || qt_translation_of(lang).isEmpty();
    lang_ = lang;
    // Never two languages at once: the old one goes before the new one is looked for.
    drop();
    const QString stem = qt_translation_of(lang);
    if (stem.isEmpty()) return true;
    if (!translator_.load(stem, folder_)) return false;
    installed_ = QCoreApplication::installTranslator(&translator_);
    return installed_;
}

void QtTranslations::follow_message_table() {
    texts::language_applied() = [this](texts::Lang lang) { use(lang); };
    following_ = true;
}

}  // namespace dvx::app
