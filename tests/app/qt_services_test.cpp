// The real platform services: message boxes, file dialogs, printing and text metrics
// with Qt. The dialogs are answered by a timer, as a user would.
#include "app/qt_services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/twips.h"
#include "tests/app/qt_test_app.h"
#include "ui/app.h"
#include "ui/services.h"

namespace dvx::testing {
namespace {

// Runs `answer` on the modal dialog once it is up.
void answer_dialog(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(w);
        }
    });
    poll->start(5);
}

TEST(QtMessageBoxes, StyleGivesButtonsIconDefaultAndResult) {
    qt_app();
    app::QtMessageBoxes boxes;
    QStringList buttons;
    QString title, text, default_button;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answer_dialog([&](QWidget* w) {
        auto* mb = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(mb, nullptr);
        title = mb->windowTitle();
        text = mb->text();
        icon = mb->icon();
        for (QAbstractButton* b : mb->buttons()) buttons << b->text().remove('&');
        default_button = mb->defaultButton() ? mb->defaultButton()->text().remove('&') : QString();
        mb->button(QMessageBox::No)->click();
    });
    const int result = boxes.show(
        {"Save the changes?\r\nNow", ui::mb_yes_no_cancel | ui::mb_question | 256, std::nullopt});
    EXPECT_EQ(result, ui::id_no);
    EXPECT_EQ(title, QString::fromStdString(ui::services().app_title));
    EXPECT_EQ(text, "Save the changes?\nNow");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons.size(), 3);
    EXPECT_EQ(default_button, "No");  // 256: the second button

    answer_dialog([](QWidget* w) { w->close(); });  // the frame's close is Cancel
    EXPECT_EQ(boxes.show({"Go on?", ui::mb_ok_cancel | ui::mb_critical, std::string("Own title")}),
              ui::id_cancel);
}

TEST(QtFileDialogs, FilterListDefaultExtensionAndCancel) {
    struct Case {
        const char* filter;
        std::vector<std::string> qt;
    };
    const Case cases[] = {
        {"KRV files (*.krv)|*.krv|All files|*.*", {"KRV files (*.krv)", "All files (*.*)"}},
        {"Configurations|*.krv;*.dlx", {"Configurations (*.krv *.dlx)"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(app::qt_name_filters(c.filter), c.qt);
    }

    qt_app();
    const auto dir =
        std::filesystem::temp_directory_path() / ("dvx-dlg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    app::QtFileDialogs dialogs;
    ui::FileDialogRequest req;
    req.save = true;
    req.title = "Save configuration";
    req.default_ext = "krv";
    req.file_name = (dir / "unit17").string();
    req.filter = "KRV|*.krv|DLX|*.dlx";
    req.filter_index = 2;
    QString filter, suffix, title;
    answer_dialog([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        filter = fd->selectedNameFilter();
        suffix = fd->defaultSuffix();
        title = fd->windowTitle();
        static_cast<QDialog*>(fd)->accept();
    });
    const auto chosen = dialogs.show(req);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (dir / "unit17.krv").string());
    EXPECT_EQ(filter, "DLX (*.dlx)");
    EXPECT_EQ(suffix, "krv");
    EXPECT_EQ(title, "Save configuration");

    answer_dialog([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(dialogs.show(req).has_value());
    std::filesystem::remove_all(dir);
}

TEST(QtPrinter, DocumentGoesToThePdfFile) {
    qt_app();
    const auto pdf = std::filesystem::temp_directory_path() /
                     ("dvx-print-" + std::to_string(::getpid()) + ".pdf");
    ::setenv("DORVANEX_PRINT_PDF", pdf.c_str(), 1);
    app::QtPrinter printer;
    printer.set_font_name("courier new");
    printer.set_font_size(10);
    printer.set_scale_left(-400);
    for (int i = 0; i < 120; ++i)
        printer.print_line("Parameter " + std::to_string(i) +
                           " = 12,5 \xB0"
                           "C");
    printer.end_doc();
    ::unsetenv("DORVANEX_PRINT_PDF");
    std::ifstream in(pdf, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
    std::filesystem::remove(pdf);
    printer.end_doc();  // an empty document prints nothing and asks nothing
}

// The document goes to the default printer without a dialog (a PDF printer stands in
// for it here).
TEST(QtPrinter, DocumentGoesToTheDefaultPrinterWithoutADialog) {
    qt_app();
    ::unsetenv("DORVANEX_PRINT_PDF");
    const auto pdf = std::filesystem::temp_directory_path() /
                     ("dvx-default-printer-" + std::to_string(::getpid()) + ".pdf");
    app::QtPrinter printer;
    int asked = 0;
    printer.default_printer = [&] {
        ++asked;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(QString::fromStdString(pdf.string()));
        return p;
    };
    int dialogs = 0;
    QTimer user;  // a dialog would fail the test and be cancelled
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ++dialogs;
            static_cast<QDialog*>(w)->reject();
        }
    });
    user.start(5);
    printer.print_line("Parameter 1");
    printer.end_doc();
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(asked, 1);
    std::ifstream in(pdf, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    std::filesystem::remove(pdf);
}

// Without DORVANEX_PRINT_PDF and without a default printer the user picks the printer;
// cancelling prints nothing, and the document ends there: the next one starts empty.
TEST(QtPrinter, CancelledPrintDialogPrintsNothing) {
    qt_app();
    ::unsetenv("DORVANEX_PRINT_PDF");
    app::QtPrinter printer;
    printer.default_printer = [] { return std::unique_ptr<QPrinter>(); };
    int dialogs = 0;
    QTimer user;  // cancels every dialog that comes up while the test runs
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ++dialogs;
            EXPECT_NE(qobject_cast<QPrintDialog*>(w), nullptr) << w->metaObject()->className();
            static_cast<QDialog*>(w)->reject();
        }
    });
    user.start(5);
    printer.print_line("Parameter 1");
    printer.end_doc();
    EXPECT_EQ(dialogs, 1);
    printer.end_doc();  // nothing left to print: no second dialog
    EXPECT_EQ(dialogs, 1);
}

// Where no one can answer, a box, a file dialog or the print dialog would wait for
// ever: each is told on stderr (title and text) and ends the program at once, with
// its own exit code. Nothing modal is ever shown.
TEST(QtServicesWithNobodyToAnswer, EveryDialogIsToldAndEndsTheProgram) {
    qt_app();
    ::unsetenv("DORVANEX_PRINT_PDF");
    app::QtMessageBoxes boxes;
    app::QtFileDialogs dialogs;
    app::QtPrinter printer;
    printer.default_printer = [] { return std::unique_ptr<QPrinter>(); };
    ui::FileDialogRequest save;
    save.save = true;
    save.title = "Save configuration";
    struct Case {
        const char* name;
        std::function<void()> show;
        std::string told;
    };
    const std::string title = ui::services().app_title;
    const Case cases[] = {
        {"box",
         [&] {
             boxes.show({"Can not access registry. Must abort.", ui::mb_critical, std::nullopt});
         },
         "dorvanex: " + title + ": Can not access registry. Must abort.\n"},
        {"box of two lines, own title",
         [&] {
             boxes.show({"No connection !\r\nWhy", ui::mb_ok_cancel, std::string("Ger\xe4t")});
         },
         "dorvanex: Ger\xc3\xa4t: No connection !\nWhy\n"},
        {"file dialog", [&] { dialogs.show(save); },
         "dorvanex: Save configuration: a file to save\n"},
        {"print dialog",
         [&] {
             printer.print_line("Parameter 1");
             printer.end_doc();
         },
         "dorvanex: " + title + ": a printer to print on\n"},
    };
    int modal = 0;
    QTimer watch;  // closes anything modal that comes up after all
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ++modal;
            w->close();
        }
    });
    watch.start(5);
    app::set_nobody_answers(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::reset_forms();
        ::testing::internal::CaptureStderr();
        bool ended = false;
        try {
            c.show();
        } catch (const ui::ProgramEnded&) {
            ended = true;
        }
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ended);
        EXPECT_EQ(ui::program_exit_code(), app::exit_unanswered);
        EXPECT_EQ(err.rfind(c.told, 0), 0u) << err;
    }
    app::set_nobody_answers(false);
    ui::reset_forms();
    EXPECT_EQ(modal, 0);
}

// The window icon is built into the program, so it shows without an icon theme or
// Qt's SVG plugin.
TEST(QtServices, WindowIconIsBuiltIn) {
    qt_app();
    const QIcon icon = app::window_icon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(64, 64)});
    EXPECT_FALSE(icon.pixmap(64, 64).isNull());
}

TEST(QtTextMetrics, WiderTextAndBoldMeasureWider) {
    qt_app();
    app::QtTextMetrics m;
    ui::Font f;
    const int narrow = m.text_width(f, "iii");
    const int wide = m.text_width(f, "WWW");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, narrow);
    f.bold = true;
    EXPECT_GE(m.text_width(f, "WWW"), wide);
    EXPECT_EQ(m.text_width(f, ""), 0);
}

}  // namespace
}  // namespace dvx::testing
