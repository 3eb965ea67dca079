#pragma once
// Qt's own texts (the standard buttons of message boxes, the file and print dialogs) in
// the program's language, from the translations that come with Qt.
#include <QString>
#include <QTranslator>
#include <optional>

#include "texts/language.h"

namespace dvx::app {

// Qt's translation file stem for a language: "qtbase_de", "qtbase_nl"; empty for
// English, which is Qt's own.
QString qt_translation_of(texts::Lang lang);

class QtTranslations {
  public:
    // `folder` holds Qt's .qm files; by default the one Qt was installed with.
    explicit QtTranslations(QString folder = default_folder());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    static QString default_folder();

    // Makes Qt speak `lang`. False where its translation is missing or unreadable: Qt then
    // speaks English, and the program goes on. The language already in use is kept as it is.
    bool use(texts::Lang lang);

    // From now on Qt follows every language the message table is filled in.
    void follow_message_table();

  private:
    void drop();
    QString folder_;
    QTranslator translator_;
    bool installed_ = false;
    std::optional<texts::Lang> lang_;  // the last one asked for
    bool following_ = false;
};

}  // namespace dvx::app
