// Names beyond ASCII as a technician meets them: a configuration file saved and loaded
// through Qt's own file dialog and the real file service, under the name typed, and the
// faults that name a path and give the system's reason, as the box shows them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/qt_services.h"
#include "mainwin/config_ops.h"
#include "platform/cp1252.h"
#include "platform/fault.h"
#include "platform/file_registry.h"
#include "platform/posix_serial_port.h"
#include "tests/app/qt_test_app.h"
#include "tests/mainwin/device_fixture.h"
#include "tests/support/locales.h"
#include "tests/support/processes.h"
#include "tests/support/real_line.h"
#include "ui/app.h"

namespace dvx::testing {
namespace {

namespace fs = std::filesystem;

std::string bytes_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The main window with Qt's message boxes and file dialogs, answered as a user would: a
// file dialog gets the path typed into its name field and Enter, a box is read and
// answered with Enter. A dialog that is still up at its next look did not take the
// name: it is left with Esc and counted.
class QtFileNames : public DeviceFixture {
  protected:
    void SetUp() override {
        qt_app();
        DeviceFixture::SetUp();
        ui::services().boxes = &qt_boxes_;
        ui::services().dialogs = &qt_dialogs_;
        QObject::connect(&answer_, &QTimer::timeout, [this] { answer(); });
        answer_.start(2);
    }
    void TearDown() override {
        answer_.stop();
        DeviceFixture::TearDown();
    }

    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes_seen_.push_back(box->text().toStdString());
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
        } else if (auto* fd = qobject_cast<QFileDialog*>(modal)) {
            if (fd == last_dialog_) {
                ++refused_;
                QTest::keyClick(fd, Qt::Key_Escape);
                return;
            }
            last_dialog_ = fd;
            auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(typed_));
            QTest::keyClick(name, Qt::Key_Return);
        }
    }
    void choose(const std::string& utf8_path) {
        typed_ = utf8_path;
        last_dialog_ = nullptr;
    }

    app::QtMessageBoxes qt_boxes_;
    app::QtFileDialogs qt_dialogs_;
    QTimer answer_;
    std::string typed_;
    QPointer<QFileDialog> last_dialog_;
    int refused_ = 0;
    std::vector<std::string> boxes_seen_;  // UTF-8, as Qt shows them
};

// Each name is written as typed and read back from there. Beside it lies a decoy under
// the name's Windows-1252 bytes (the name the file used to get, "?" for a letter the
// code page lacks): the save neither asks to overwrite it nor touches it, and the load
// never reads it.
TEST_F(QtFileNames, AConfigurationIsSavedAndLoadedUnderTheNameTyped) {
    const struct {
        const char* what;
        std::string folder, file;  // UTF-8
    } cases[] = {
        {"a folder with an umlaut", "Kläranlage Nord", "TT-101.krv"},
        {"a file name with an umlaut", "", "Prüfstand.krv"},
        {"a letter outside Windows-1252", "Gdańsk", "Zakład.krv"},
    };
    ASSERT_TRUE(start());
    auto& m = main();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = dir_ / c.folder;
        const fs::path file = folder / c.file;
        const fs::path decoy = platform::system_to_cp1252(file.string());
        ASSERT_NE(decoy, file);
        fs::create_directories(folder);
        fs::create_directories(decoy.parent_path());
        { std::ofstream(decoy) << "not the file chosen\n"; }
        boxes_seen_.clear();
        refused_ = 0;

        const std::string comment = std::string("Pr\xFC") + "fung " + c.what;
        m.Komentar.set_text(comment);
        model::param_image[7] = 4711;
        choose(file.string());
        click(m.m_dat_save);
        EXPECT_EQ(refused_, 0);
        EXPECT_TRUE(boxes_seen_.empty()) << boxes_seen_.front();
        ASSERT_TRUE(fs::is_regular_file(file)) << "on disk under the name shown";
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        if (!c.folder.empty()) {
            EXPECT_EQ(names, (std::vector<std::string>{c.file, c.file + ".lock"}))
                << "nothing else in the folder";
        }
        EXPECT_EQ(bytes_of(decoy), "not the file chosen\n");

        m.Komentar.set_text("changed");
        model::param_image[7] = 0;
        choose(file.string());
        click(m.m_dat_load);
        EXPECT_EQ(refused_, 0) << "the open dialog takes the name";
        EXPECT_TRUE(boxes_seen_.empty()) << boxes_seen_.front();
        EXPECT_EQ(m.Komentar.text(), comment);
        EXPECT_EQ(model::param_image[7], 4711);
        EXPECT_EQ(mainwin::config_file_name, file.string());
    }
}

// A print-out to DORVANEX_PRINT_PDF lands under exactly the bytes of its name, a byte that
// is no UTF-8 and a letter beyond ASCII alike; one that cannot be written is the printer
// fault first, then the file and the system's reason, as the box shows it.
TEST_F(QtFileNames, APrintOutLandsUnderItsNameOrIsToldWithIt) {
    ASSERT_TRUE(start());
    app::QtPrinter printer;
    printer.default_printer = [] { return std::unique_ptr<QPrinter>(); };
    ui::Printer* const before = ui::services().printer;
    ui::services().printer = &printer;
    platform::set_fault_language(platform::FaultLanguage::german);
    const SmallFileSystem read_only(dir_ / "ro", 64, true);
    const std::string d = dir_.string();
    const struct {
        const char* what;
        fs::path pdf;
        std::string box;  // UTF-8; none when the print-out is written
    } cases[] = {
        {"a byte that is no UTF-8",
         dir_ /
             "Pr\xFC"
             "f" /
             "TT-101\xFC.pdf",
         ""},
        {"UTF-8 beyond ASCII", dir_ / "Prüf" / "Schuß.pdf", ""},
        {"a missing folder", dir_ / "no-such-folder" / "x.pdf",
         "Druckerfehler\n" + d + "/no-such-folder/x.pdf\nNo such file or directory"},
        {"a missing folder that is no UTF-8", dir_ / "Kl\xE4r" / "x.pdf",
         "Druckerfehler\n" + d + "/Kl?r/x.pdf\nNo such file or directory"},
        {"a read-only file system", dir_ / "ro" / "x.pdf",
         "Druckerfehler\n" + d + "/ro/x.pdf\nRead-only file system"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.pdf.parent_path() == dir_ / "ro" && !read_only.mounted()) continue;
        if (c.box.empty()) fs::create_directories(c.pdf.parent_path());
        const ScopedEnv env("DORVANEX_PRINT_PDF", c.pdf.string());
        boxes_seen_.clear();
        click(main().m_dat_print);
        if (c.box.empty()) {
            EXPECT_TRUE(boxes_seen_.empty()) << boxes_seen_.front();
            EXPECT_EQ(bytes_of(c.pdf).substr(0, 5), "%PDF-");
            std::vector<fs::path> names;
            for (const auto& e : fs::directory_iterator(c.pdf.parent_path()))
                names.push_back(e.path());
            EXPECT_EQ(names, std::vector<fs::path>{c.pdf}) << "nothing else in the folder";
        } else {
            EXPECT_EQ(boxes_seen_, std::vector<std::string>{c.box});
            EXPECT_FALSE(fs::exists(c.pdf));
        }
    }
    platform::set_fault_language(platform::FaultLanguage::english);
    ui::services().printer = before;
}

// The services' faults name the path and give the system's reason as they came; the box
// shows every letter Windows-1252 has, "?" for the others and for a byte that is no
// UTF-8. German, as the technician's desktop speaks it.
TEST_F(QtFileNames, FaultsShowThePathAndTheSystemsReasonAsTheyCame) {
    const auto german = german_locale("UTF-8");
    if (!german) GTEST_SKIP() << "no German locale on this system";
    const UseLocale speaking(*german);
    ASSERT_TRUE(speaking.ok());
    platform::set_fault_language(platform::FaultLanguage::german);
    const std::string d = dir_.string();

    // Another program holds a pseudo-terminal that a link in a folder with an umlaut names.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    fs::create_directories(dir_ / "Gerät");
    fs::create_symlink(::ptsname(master), dir_ / "Gerät" / "Schnittstelle");

    const auto open_fault = [](const std::string& device,
                               platform::SerialPort* holder = nullptr) -> std::string {
        const ScopedEnv env("DORVANEX_COM1", device);
        if (holder) {
            holder->set_port_number(1);
            holder->open();
        }
        const auto port = platform::make_posix_serial_port();
        port->set_port_number(1);
        try {
            port->open();
        } catch (const platform::Fault& f) {
            return f.text();
        }
        return "opened";
    };
    const auto store_fault = [](const fs::path& file) -> std::string {
        platform::FileRegistry reg(file);
        try {
            reg.key_exists("K");
        } catch (const platform::Fault& f) {
            return f.text();
        }
        return "read";
    };
    fs::create_directories(dir_ / "Prüf");
    { std::ofstream(dir_ / "Prüf" / "registry") << "\x01 kein Einstellungsspeicher\n"; }
    fs::create_directories(dir_ / "Kläranlage" / "registry");
    fs::create_directories(dir_ / "Kläranlage Nord" / "TT-101.krv");
    const auto save_fault = [this](const std::string& file) -> std::string {
        try {
            files_->write_all(file, "x");
        } catch (const platform::Fault& f) {
            return f.text();
        }
        return "saved";
    };
    const auto holder = platform::make_posix_serial_port();

    const struct {
        const char* what;
        std::string text;  // the fault's text (Windows-1252)
        std::string box;   // what the box shows (UTF-8)
    } cases[] = {
        {"a port missing in a folder with an umlaut", open_fault(d + "/Prüf/ttyUSB0"),
         "Ungültige Schnittstellennummer (" + d +
             "/Prüf/ttyUSB0): Datei oder Verzeichnis nicht gefunden"},
        {"a port in use", open_fault(d + "/Gerät/Schnittstelle", holder.get()),
         "Schnittstelle wird bereits verwendet (" + d +
             "/Gerät/Schnittstelle): Das Gerät oder die Ressource ist belegt"},
        {"a letter Windows-1252 lacks", open_fault(d + "/Zakład/ttyUSB0"),
         "Ungültige Schnittstellennummer (" + d +
             "/Zak?ad/ttyUSB0): Datei oder Verzeichnis nicht gefunden"},
        {"a byte that is no UTF-8", open_fault(d + "/Pr\xFC" + "f/ttyUSB0"),
         "Ungültige Schnittstellennummer (" + d +
             "/Pr?f/ttyUSB0): Datei oder Verzeichnis nicht gefunden"},
        {"a damaged settings store", store_fault(dir_ / "Prüf" / "registry"),
         "Die Einstellungsdatei ist beschädigt\n" + d + "/Prüf/registry"},
        {"a settings store that is a folder", store_fault(dir_ / "Kläranlage" / "registry"),
         "Die Einstellungsdatei kann nicht gelesen werden\n" + d +
             "/Kläranlage/registry\nIst ein Verzeichnis"},
        {"a save over a folder", save_fault("Kläranlage Nord/TT-101.krv"),
         "Fehler beim Zugriff auf Pfad/Datei\n" + d + "/Kläranlage Nord/TT-101.krv"},
    };
    holder->close();
    ::close(master);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_seen_.clear();
        ui::msg_box(c.text, ui::mb_ok);
        ASSERT_EQ(boxes_seen_.size(), 1u);
        EXPECT_EQ(boxes_seen_[0], c.box);
    }
    platform::set_fault_language(platform::FaultLanguage::english);
}

}  // namespace
}  // namespace dvx::testing
