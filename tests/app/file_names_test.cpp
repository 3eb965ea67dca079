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
#include <optional>
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
#include "texts/messages.h"
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
// file dialog gets the path typed into its name field (or its proposal as it stands) and
// Enter, a box is read and answered with Enter (Esc from the sixth since the last choice,
// so a save that keeps failing ends). A dialog that is still up at its next look did not
// take the name: it is left with Esc and counted. Boxes have a timer of their own: a box
// that comes up from the Enter that answers a dialog is shown while the dialog's timer is
// still in its tick, and Qt fires no timer again from within its own tick.
class QtFileNames : public DeviceFixture {
  protected:
    void SetUp() override {
        qt_app();
        DeviceFixture::SetUp();
        ui::services().boxes = &qt_boxes_;
        ui::services().dialogs = &qt_dialogs_;
        QObject::connect(&answer_, &QTimer::timeout, [this] { answer_dialog(); });
        answer_.start(2);
        QObject::connect(&answer_boxes_, &QTimer::timeout, [this] { answer_box(); });
        answer_boxes_.start(2);
    }
    void TearDown() override {
        answer_.stop();
        answer_boxes_.stop();
        DeviceFixture::TearDown();
    }

    void answer_box() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        boxes_seen_.push_back(box->text().toStdString());
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box,
                        boxes_seen_.size() > 5 ? Qt::Key_Escape : Qt::Key_Return);
    }
    void answer_dialog() {
        auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!fd || !fd->isVisible()) return;
        if (fd == last_dialog_) {
            ++refused_;
            QTest::keyClick(fd, Qt::Key_Escape);
            return;
        }
        last_dialog_ = fd;
        auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        proposed_ = name->text().toStdString();
        if (typed_) name->setText(QString::fromStdString(*typed_));
        QTest::keyClick(name, Qt::Key_Return);
    }
    // The path typed, UTF-8 as Qt shows it (a byte that is no UTF-8 shows as U+FFFD);
    // none takes the proposal as it stands.
    void choose(const std::optional<std::string>& utf8_path) {
        typed_ = utf8_path;
        last_dialog_ = nullptr;
        boxes_seen_.clear();
    }

    app::QtMessageBoxes qt_boxes_;
    app::QtFileDialogs qt_dialogs_;
    QTimer answer_, answer_boxes_;
    std::optional<std::string> typed_;
    std::string proposed_;  // what the name field showed when the dialog came up
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

// Every regular file under the folder but the connection settings the main window keeps
// in the working folder.
std::vector<fs::path> files_under(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().filename().string().rfind("krv_con.cfg", 0) != 0)
            out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// The process's working folder from construction to destruction.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : was_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(was_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    fs::path was_;
};

// The working folder and the folder a configuration goes to, each named in ASCII, in
// UTF-8 beyond ASCII and with a byte that is no UTF-8 (0xFC, an older system's umlaut):
// Qt shows that byte as U+FFFD and can neither list, stat nor enter such a folder. The
// name typed as Qt shows it (relative to the working folder at a first start there), the
// proposal of the last path taken as it stands while Qt's dialog opens in another folder
// and at a first start, and the path typed for the load: each is the file under exactly
// its bytes; a missing one is the load's own message. Qt shows no box of its own and
// nothing lands anywhere else.
TEST_F(QtFileNames, AConfigurationLandsUnderItsOwnBytesInEveryKindOfFolder) {
    const struct {
        const char* kind;
        std::string name;
    } folders[] = {{"ASCII", "Werk"},
                   {"UTF-8", "Kläranlage"},
                   {"0xFC",
                    "Pr\xFC"
                    "f"}};
    ASSERT_TRUE(start());
    auto& m = main();
    platform::DiskFiles files;  // paths from the working folder, as in the program
    ui::services().files = &files;
    const fs::path root = fs::canonical(dir_);
    // Qt's file dialog opens where the last one stood, as any dialog's setDirectory leaves
    // it. A folder that is gone, in a folder that is gone, opens it in the working folder,
    // as at a first start there.
    QFileDialog last;
    const auto next_dialog_opens_in = [&last](const fs::path& folder) {
        last.setDirectory(QFile::decodeName(folder.c_str()));
    };
    const fs::path gone = root / "gone" / "gone", elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    const std::string exists = platform::to_utf8(texts::msg_file_exists);
    const std::string not_config = platform::to_utf8(texts::msg_not_config_file);
    int row = 0;
    for (const auto& w : folders) {
        for (int t = -1; t < 3; ++t) {
            const std::string in = t < 0 ? std::string() : folders[t].name;
            SCOPED_TRACE(
                std::string("working folder ") + w.kind + ", the file " +
                (t < 0 ? "in it" : std::string("in a folder of it in ") + folders[t].kind));
            const fs::path work = root / ("row" + std::to_string(row++)) / w.name;
            const fs::path file = work / in / "TT-101.krv";
            fs::create_directories(file.parent_path());
            const InFolder working(work);
            m.Komentar1.set_text("");  // the save proposes the last path
            mainwin::config_file_name.clear();
            refused_ = 0;

            m.Komentar.set_text("first");
            next_dialog_opens_in(gone);
            choose((fs::path(in) / "TT-101.krv").string());
            click(m.m_dat_save);
            EXPECT_TRUE(boxes_seen_.empty()) << boxes_seen_.front();
            EXPECT_TRUE(fs::is_regular_file(file)) << "typed";

            const struct {
                const char* what;
                fs::path opens_in;
                const char* comment;
            } proposals[] = {{"another folder", elsewhere, "second"},
                             {"a first start", gone, "third"}};
            for (const auto& p : proposals) {
                SCOPED_TRACE(std::string("the proposal while the dialog opens in ") + p.what);
                m.Komentar.set_text(p.comment);
                next_dialog_opens_in(p.opens_in);
                choose(std::nullopt);
                click(m.m_dat_save);
                // The name alone where Qt enters its folder, else the path from where the
                // dialog stands.
                const fs::path from = p.opens_in == gone ? work : elsewhere;
                EXPECT_EQ(
                    proposed_,
                    file.string().find('\xFC') == std::string::npos
                        ? "TT-101.krv"
                        : QFile::decodeName(file.lexically_relative(from).c_str()).toStdString());
                EXPECT_EQ(boxes_seen_, std::vector<std::string>{exists});
                EXPECT_NE(bytes_of(file).find(p.comment), std::string::npos);
            }

            m.Komentar.set_text("changed");
            choose(file.string());
            click(m.m_dat_load);
            EXPECT_TRUE(boxes_seen_.empty()) << boxes_seen_.front();
            EXPECT_EQ(m.Komentar.text(), "third");
            EXPECT_EQ(mainwin::config_file_name, file.string());

            choose((file.parent_path() / "missing.krv").string());
            click(m.m_dat_load);
            EXPECT_EQ(boxes_seen_, std::vector<std::string>{not_config});

            EXPECT_EQ(refused_, 0) << "every dialog took its name";
            EXPECT_EQ(files_under(work.parent_path()),
                      (std::vector<fs::path>{file, file.string() + ".lock"}));
            EXPECT_EQ(files_under(elsewhere), std::vector<fs::path>{});
        }
    }
    for (const auto& e : fs::recursive_directory_iterator(root))
        EXPECT_EQ(e.path().string().find("\xEF\xBF\xBD"), std::string::npos) << e.path();
}

// A name that Qt shows with U+FFFD where no entry of its folder, or more than one, shows
// so cannot be given back as bytes: it is refused with the name and the reason, and the
// save writes nothing and the load takes nothing.
TEST_F(QtFileNames, ANameQtCannotGiveBackIsRefusedWithIt) {
    ASSERT_TRUE(start());
    auto& m = main();
    const std::string d = fs::canonical(dir_).string();
    fs::create_directories(dir_ /
                           "Pr\xFC"
                           "f");
    fs::create_directories(dir_ /
                           "Pr\xE4"
                           "f");
    const std::string shown_alike = d +
                                    "/Pr\xEF\xBF\xBD"
                                    "f/TT-101.krv";
    const std::string refused = "Path/File access error\n";
    const std::string reason = "\nInvalid or incomplete multibyte or wide character";
    const struct {
        const char* what;
        ui::Control& menu;
        std::string typed, box;
    } cases[] = {
        {"a save into either of two folders Qt shows alike", m.m_dat_save, shown_alike,
         refused + d + "/Pr?f/TT-101.krv" + reason},
        {"a load from either of them", m.m_dat_load, shown_alike,
         refused + d + "/Pr?f/TT-101.krv" + reason},
        {"a save into a folder no entry is shown as", m.m_dat_save,
         d + "/Kl\xEF\xBF\xBD"
             "r/TT-101.krv",
         refused + d + "/Kl?r/TT-101.krv" + reason},
        {"a load of a file no entry is shown as", m.m_dat_load, d + "/TT\xEF\xBF\xBD.krv",
         refused + d + "/TT?.krv" + reason},
    };
    const std::vector<fs::path> before = files_under(dir_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        mainwin::config_file_name = "before";
        m.Komentar.set_text("kept");
        refused_ = 0;
        choose(c.typed);
        click(c.menu);
        EXPECT_EQ(refused_, 0);
        EXPECT_EQ(boxes_seen_, std::vector<std::string>{c.box});
        EXPECT_EQ(mainwin::config_file_name, "before") << "as a cancel";
        EXPECT_EQ(m.Komentar.text(), "kept");
        EXPECT_EQ(files_under(dir_), before);
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
