// Renders every window and dialog state of the program to PNG files, in whatever platform
// Qt runs on (scripts/screenshots uses the offscreen one), so that layouts can be looked at
// without a desktop.

#include "cli/CliUserInterface.h"
#include "gui/DriveDialog.h"
#include "gui/EventDialog.h"
#include "gui/ListPrinter.h"
#include "gui/MainWindow.h"
#include "gui/ProgramLook.h"
#include "gui/QtUserInterface.h"
#include "gui/SettingsDialog.h"
#include "gui/SoundTableModel.h"
#include "gui/StickCheckDialog.h"
#include "storage/platform/SystemPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>
#include <QToolTip>

#include <fstream>
#include <iostream>

using namespace tonarion;

namespace {

class Shooter {
public:
    explicit Shooter(QString folder)
        : m_folder(std::move(folder)) {
        QDir().mkpath(m_folder);
    }

    void save(const QPixmap& picture, const QString& name) {
        const QString path = m_folder + "/" + name + ".png";
        picture.save(path);
        std::cout << path.toStdString() << '\n';
    }
    void save(QWidget& widget, const QString& name) {
        widget.show();
        QApplication::processEvents();
        save(widget.grab(), name);
    }

private:
    QString m_folder;
};

// Sticks that tell their label, size and file system, the same on every machine; the drive
// dialog asks nothing else of them.
class ShownMedia final : public FileOperations {
public:
    FileValue<VolumeInfo> volumeInfo(const std::string& folder) override {
        if (folder.ends_with("SOUNDSTICK/")) {
            return {folder, VolumeInfo{"SOUNDSTICK", "FAT32", 3'900'000'000, 3'100'000'000}};
        }
        if (folder.ends_with("MODELLBAHN-SOUNDS-2024/")) {
            return {folder,
                    VolumeInfo{"MODELLBAHN-SOUNDS-2024", "FAT16", 1'950'000'000, 1'400'000'000}};
        }
        return {folder, VolumeInfo{"", "exFAT", 62'000'000'000, 61'500'000'000}};
    }
    FileResult ShellDelete(const std::string& path) override { return none(path); }
    FileResult CopyFileReplace(const std::string&, const std::string& target,
                               const CopyProgress&) override {
        return none(target);
    }
    FileResult EnsureFile(const std::string& path) override { return none(path); }
    bool FileExists(const std::string&) override { return false; }
    FileResult renameFile(const std::string&, const std::string& to) override { return none(to); }
    FileValue<std::string> readFile(const std::string& path) override {
        return {path, unsupported()};
    }
    FileResult writeFileDurably(const std::string& path, const std::string&) override {
        return none(path);
    }
    FileResult replaceFile(const std::string&, const std::string& to) override { return none(to); }
    FileValue<FileStatus> status(const std::string& path) override { return {path, unsupported()}; }
    FileValue<FreeSpace> freeSpace(const std::string& folder) override {
        return {folder, unsupported()};
    }
    FileValue<std::unique_ptr<FolderLock>> lockFolder(const std::string& folder) override {
        return {folder, unsupported()};
    }
    FileValue<FileIdentity> identity(const std::string& path) override {
        return {path, unsupported()};
    }
    FileValue<std::vector<std::string>> listFiles(const std::string& folder) override {
        return {folder, unsupported()};
    }

private:
    static std::error_code unsupported() {
        return std::make_error_code(std::errc::operation_not_supported);
    }
    static FileResult none(const std::string& path) { return FileResult(path, unsupported()); }
};

// A stick folder with an index file of a dozen entries of every kind and two dropped files.
const char* const DozenEntries[] = {
    "MGM2-0012-00000.mp3;C:\\Musik\\Weiche\\pfiff.mp3",
    "MRO1-0013-00014.mp3;C:\\Musik\\Weiche\\signal-rot.mp3",
    "RBM1-0005-00008.mp3;C:\\Musik\\Bahnhof\\ansage-gleis-1.mp3",
    "RFO2-0006-00000.mp3;C:\\Musik\\Bahnhof\\abfahrt.mp3",
    "L1M3-0007-20002.mp3;C:\\Musik\\Zug\\gueterzug.mp3",
    "LXO1-0012-01234.mp3;C:\\Musik\\Zug\\dampflok-br01.mp3",
    "KSM4-0001-00010.mp3;C:\\Musik\\Kontakt\\schranke.mp3",
    "ZUM_-0001-00000.mp3;C:\\Musik\\Zufall\\kirchenglocke.mp3",
    "ZUO_-0002-00000.mp3;C:\\Musik\\Zufall\\hund.mp3",
    "UZM_-0029-00000.mp3;C:\\Musik\\Uhr\\fruehstueck.mp3",
    "END_-0001-00000.mp3;C:\\Musik\\Endlos\\wald.mp3",
    "END_-0002-00000.mp3;C:\\Musik\\Endlos\\stadt.mp3",
};

constexpr const char* LostSound = "L1M3-0007-20002.mp3";
constexpr const char* LowRateSound = "ZUO_-0002-00000.mp3";

// Three seconds of silence in valid MPEG frames, as demo/make-sounds writes them: MPEG-1 at
// 44.1 kHz, 128 kbit/s, mono, or MPEG-2 at 22.05 kHz, 64 kbit/s, which the tooltip warns of.
std::string silence(bool lowRate) {
    std::string frame =
        lowRate ? std::string("\xff\xf3\x80\xc0", 4) : std::string("\xff\xfb\x90\xc0", 4);
    frame.resize(lowRate ? 208 : 417, '\0');
    std::string frames;
    for (int i = 0; i < (lowRate ? 250 : 115); ++i) {
        frames += frame;
    }
    return frames;
}

// The window with the tooltip a help event on the cell brings up, painted where it shows.
QPixmap withToolTip(MainWindow& window, const QModelIndex& cell) {
    QWidget* cells = window.grid()->viewport();
    const QPoint at = window.grid()->visualRect(cell).center();
    QHelpEvent help(QEvent::ToolTip, at, cells->mapToGlobal(at));
    QApplication::sendEvent(cells, &help);
    QApplication::processEvents();
    QPixmap picture = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel") && top->isVisible()) {
            QPainter painter(&picture);
            painter.drawPixmap(window.mapFromGlobal(top->pos()), top->grab());
        }
    }
    QToolTip::hideText();
    return picture;
}

void writeStick(const QString& folder, bool withEntries) {
    std::ofstream index((folder + "/tonkat.tkx").toStdString(), std::ios::binary);
    index << "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
    if (withEntries) {
        for (const char* line : DozenEntries) {
            index << line << "\r\n";
            // The sounds are on the stick, except one that the user has lost.
            const std::string name = std::string(line).substr(0, 19);
            if (name != LostSound) {
                std::ofstream((folder + "/").toStdString() + name, std::ios::binary)
                    << silence(name == LowRateSound);
            }
        }
    }
    for (const char* setting :
         {"SET_-0001-00021.mp3", "SET_-0002-00180.mp3", "SET_-0003-00028.mp3",
          "SET_-0004-00002.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}) {
        index << setting << "\r\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    applyProgramLook(app);
    Shooter shooter(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    const auto files = makeSystemFileOperations();
    CliUserInterface ui(std::cerr);

    {
        // Mount points as udisks makes them: long, and alike up to their last folder.
        Session session;
        ShownMedia media;
        StickWorkspace workspace(session, media, ui);
        DriveDialog dialog({"USB-Laufwerk /media/anna/SOUNDSTICK/",
                            "USB-Laufwerk /run/media/anna-maria.schmidt/MODELLBAHN-SOUNDS-2024/",
                            "USB-Laufwerk /media/anna/3A5F-1C2B/"},
                           workspace, ui, [](QWidget*) { return std::nullopt; });
        dialog.findChild<QListWidget*>("List1")->setCurrentRow(1);
        shooter.save(dialog, "drive-dialog");
    }
    {
        // The wait window as a commit shows it: painted before the slow work begins.
        QtUserInterface waitUi;
        waitUi.showWaitWindow();
        waitUi.reportProgress(7, 12);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "frmWait") {
                shooter.save(window->grab(), "wait-window");
            }
        }
        waitUi.hideWaitWindow();
    }
    for (const bool withEntries : {false, true}) {
        QTemporaryDir stick;
        writeStick(stick.path(), withEntries);
        Session session;
        StickWorkspace workspace(session, *files, ui);
        workspace.openFolder(stick.path().toStdString());
        MainWindow window(workspace, ui);
        window.load("/opt/tonarion");
        window.activate();
        if (!withEntries) {
            shooter.save(window, "main-window-empty");
            continue;
        }
        workspace.dropFiles(
            std::vector<std::string>{"C:\\Musik\\neu\\bremse.mp3", "C:\\Musik\\neu\\kupplung.mp3"});
        // The window title carries the temporary folder; show the stick as a user would see it.
        window.setWindowTitle(QStringLiteral("Tonarion [/media/anna/SOUNDSTICK/tonkat.tkx]"));
        window.grid()->setCurrentIndex(window.model()->index(4, 0));
        session.table.setSoundNotFound(5, true); // the lost one
        shooter.save(window, "main-window-dozen-rows");

        // A right click on row 8: that row becomes current and the popup opens over it.
        QWidget* cells = window.grid()->viewport();
        const QPoint at = window.grid()->visualRect(window.model()->index(7, 3)).center();
        QMouseEvent rightPress(QEvent::MouseButtonPress, at, cells->mapToGlobal(at),
                               Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(cells, &rightPress);
        QApplication::processEvents();
        QPixmap withMenu = window.grab();
        QPainter painter(&withMenu);
        painter.drawPixmap(window.mapFromGlobal(window.popupMenu()->pos()),
                           window.popupMenu()->grab());
        painter.end();
        shooter.save(withMenu, "main-window-popup-menu");
        window.popupMenu()->hide();

        window.fitColumnWidths();
        shooter.save(window, "main-window-fitted");

        // The sounds are looked into on a worker thread; their formats come as tooltips.
        for (int wait = 0;
             wait < 200 &&
             !window.model()->index(8, 0).data(Qt::ToolTipRole).toString().contains("kHz");
             ++wait) {
            QThread::msleep(10);
            QApplication::processEvents();
        }
        window.grid()->setCurrentIndex(window.model()->index(0, 3));
        shooter.save(withToolTip(window, window.model()->index(0, 3)),
                     "main-window-tooltip-format");
        shooter.save(withToolTip(window, window.model()->index(8, 3)),
                     "main-window-tooltip-low-rate");

        SettingsDialog settings(workspace, &window);
        shooter.save(settings, "settings-dialog");
        settings.hide();

        // What a Mac and a pulled stick leave, beside the lost sound, for the stick check.
        const std::string root = workspace.stickRoot();
        for (const Setting setting : AllSettings) {
            std::ofstream(root + workspace.currentSettings()[setting], std::ios::binary);
        }
        std::ofstream(root + "._MGM2-0012-00000.mp3", std::ios::binary) << "AppleDouble";
        std::ofstream(root + "ZUM_-0001-00000.mp3.tonarion-new", std::ios::binary) << "half";
        QDir().mkpath(QString::fromStdString(root + ".Trashes/501"));
        StickCheckDialog check(workspace, &window);
        shooter.save(check, "stick-check");
        check.hide();

        // "Liste drucken...": the preview of the list as it will be printed.
        QPrinter printer(QPrinter::HighResolution);
        std::unique_ptr<QPrintPreviewDialog> preview(
            window.findChild<ListPrinter*>("ListPrinter")->createPreview(printer));
        preview->resize(900, 1000);
        shooter.save(*preview, "print-preview");
        preview->hide();
    }

    const auto noComposition = [](const EventSelection&) {
        return std::optional<NeuerEintrag>();
    };
    {
        EventDialog dialog("", "", noComposition);
        shooter.save(dialog, "event-dialog-empty");
        const char* const kinds[] = {"M", "R", "L", "K", "Z", "U", "E"};
        for (int kind = 0; kind < EventKindCount; ++kind) {
            dialog.findChild<QAbstractButton*>(QStringLiteral("Option1_%1").arg(kind))->click();
            shooter.save(dialog, QStringLiteral("event-dialog-kind-%1").arg(kinds[kind]));
        }
    }
    {
        EventDialog dialog("L1M3-0012-00042.mp3", "ZIDAS-Empfänger", noComposition);
        shooter.save(dialog, "event-dialog-prefilled-loco");
    }
    {
        // Opened from the main window, the dialog can play the sound being bound.
        EventDialog dialog("MGM2-0012-00000.mp3", "Magnetartikel", noComposition);
        dialog.setRowFile("C:\\Musik\\Weiche\\pfiff.mp3");
        dialog.setListen([] {});
        shooter.save(dialog, "event-dialog-listen");
    }
    return 0;
}
