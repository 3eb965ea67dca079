// Qt's own dialogs in the program's language: Qt's translations follow every filling of
// the message table; English where Qt's translation files are missing. The dialogs are
// Qt's widgets here (offscreen), so their texts can be read off the shown dialog.
#include "app/qt_translations.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/qt_services.h"
#include "mainwin/hauptmenu.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/main_window_fixture.h"
#include "tests/support/real_line.h"
#include "texts/messages.h"
#include "ui/input.h"

namespace dvx::testing {
namespace {

// The button and label texts of the next modal dialog, access-key marks dropped; the
// dialog is closed as by Cancel.
class DialogTexts {
  public:
    DialogTexts() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            poll_.stop();
            for (auto* b : w->findChildren<QAbstractButton*>()) texts << b->text().remove('&');
            for (auto* l : w->findChildren<QLabel*>()) texts << l->text().remove('&');
            static_cast<QDialog*>(w)->reject();
        });
        poll_.start(5);
    }
    QStringList texts;

  private:
    QTimer poll_;
};

QStringList file_dialog_texts() {
    DialogTexts seen;
    app::QtFileDialogs dialogs;
    ui::FileDialogRequest save;
    save.save = true;
    save.title = "Konfigurationsdatei speichern";
    EXPECT_EQ(dialogs.show(save), std::nullopt);
    return seen.texts;
}

QStringList message_box_texts() {
    DialogTexts seen;
    app::QtMessageBoxes boxes;
    EXPECT_EQ(boxes.show({"Trotzdem fortfahren ?", ui::mb_yes_no_cancel, std::nullopt}),
              ui::id_cancel);
    return seen.texts;
}

QStringList print_dialog_texts() {
    DialogTexts seen;
    const ScopedEnv no_pdf("DORVANEX_PRINT_PDF", std::nullopt);
    app::QtPrinter printer;
    printer.default_printer = [] { return std::unique_ptr<QPrinter>(); };
    printer.print_line("Parameter 1");
    printer.end_doc();
    return seen.texts;
}

class QtTranslationsTest : public MainWindowFixture {
  protected:
    void SetUp() override {
        qt_app();
        MainWindowFixture::SetUp();
        translations_.follow_message_table();
    }
    void choose(ui::MenuItem& item) {
        loop_.post([&item] { ui::user_click(item); });
        pump();
    }
    // Gone with the test: every other test reads Qt's English texts.
    app::QtTranslations translations_;
};

struct Spoken {
    QStringList file_dialog, message_box, print_dialog;
};

const Spoken german{{"Speichern", "Abbrechen", "Suchen in:", "Dateiname:"},
                    {"Ja", "Nein", "Abbrechen"},
                    {"Drucken", "Abbrechen"}};
const Spoken dutch{{"Opslaan", "Annuleren", "Zoeken in:", "Bestandsnaam:"},
                   {"Ja", "Nee", "Annuleren"},
                   {"Afdrukken", "Annuleren"}};
const Spoken english{
    {"Save", "Cancel", "Look in:", "File name:"}, {"Yes", "No", "Cancel"}, {"Print", "Cancel"}};

void expect_spoken(const Spoken& want) {
    auto expect_in = [](const QStringList& shown, const QStringList& wanted) {
        for (const QString& t : wanted)
            EXPECT_TRUE(shown.contains(t))
                << t.toStdString() << " in " << shown.join('|').toStdString();
    };
    expect_in(file_dialog_texts(), want.file_dialog);
    expect_in(message_box_texts(), want.message_box);
    expect_in(print_dialog_texts(), want.print_dialog);
}

// From the start in the stored language, then each language of the menu in turn.
TEST_F(QtTranslationsTest, DialogsSpeakTheLanguageOfTheStartAndOfTheMenu) {
    ASSERT_TRUE(start(0, "D"));
    {
        SCOPED_TRACE("German at start");
        expect_spoken(german);
    }
    struct Step {
        const char* name;
        ui::MenuItem mainwin::Hauptmenue::*item;
        const Spoken& spoken;
    };
    const Step steps[] = {
        {"Dutch", &mainwin::Hauptmenue::m_lang_NL, dutch},
        {"English", &mainwin::Hauptmenue::m_land_gb, english},
        {"German", &mainwin::Hauptmenue::m_lang_d, german},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        choose(main().*step.item);
        expect_spoken(step.spoken);
    }
    // A change of family keeps the language.
    loop_.post([this] { ui::user_click(main().S_DLX); });
    pump();
    expect_spoken(german);
}

// A stored code the language rule reads as German ("nl" is not "NL") makes Qt German too.
TEST_F(QtTranslationsTest, StoredCodeOutsideTheRuleSpeaksGerman) {
    ASSERT_TRUE(start(0, "nl"));
    expect_spoken(german);
}

// A machine without Qt's translations, or with only some of them: the program goes on in
// English, and a language that is missing never leaves the one before it in place.
TEST(QtTranslations, MissingTranslationsLeaveQtInEnglish) {
    qt_app();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("dvx-qt-translations-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const QString only_german = QString::fromStdString(folder.string());
    ASSERT_TRUE(QFile::copy(QDir(app::QtTranslations::default_folder()).filePath("qtbase_de.qm"),
                            QDir(only_german).filePath("qtbase_de.qm")))
        << "Qt's translations are not installed";
    {
        app::QtTranslations none(only_german + "/nothing-here");
        EXPECT_FALSE(none.use(texts::Lang::german));
        EXPECT_TRUE(file_dialog_texts().contains("Cancel"));

        app::QtTranslations some(only_german);
        EXPECT_TRUE(some.use(texts::Lang::german));
        EXPECT_TRUE(file_dialog_texts().contains("Abbrechen"));
        EXPECT_FALSE(some.use(texts::Lang::dutch));
        EXPECT_TRUE(file_dialog_texts().contains("Cancel"));
        EXPECT_TRUE(some.use(texts::Lang::german));
    }
    // Gone with its owner.
    EXPECT_TRUE(file_dialog_texts().contains("Cancel"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace dvx::testing
