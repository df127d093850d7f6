// Renders every window and dialog state of the program to PNG files, in whatever platform
// Qt runs on (scripts/screenshots uses the offscreen one), so that layouts can be looked at
// without a desktop.

#include "cli/CliUserInterface.h"
#include "gui/DriveDialog.h"
#include "gui/EventDialog.h"
#include "gui/LevelDialog.h"
#include "gui/ListPrinter.h"
#include "gui/MainWindow.h"
#include "gui/ProgramLook.h"
#include "gui/QtUserInterface.h"
#include "gui/SettingsDialog.h"
#include "gui/SoundPlayback.h"
#include "gui/SoundTableModel.h"
#include "gui/StickCheckDialog.h"
#include "storage/platform/SystemPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QTranslator>

#include <cmath>
#include <deque>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>

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

std::string littleEndian(std::uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    return text;
}

// 16-bit mono PCM at 44.1 kHz in a WAV file, as a recorder writes it.
std::string wavOf(const std::string& samples) {
    const auto little = littleEndian;
    const auto size = static_cast<std::uint32_t>(samples.size());
    return "RIFF" + little(36 + size, 4) + "WAVEfmt " + little(16, 4) + little(1, 2) +
           little(1, 2) + little(44100, 4) + little(88200, 4) + little(2, 2) + little(16, 2) +
           "data" + little(size, 4) + samples;
}

// Seconds of a 440 Hz tone of the given peak (0..1), as a sound library delivers one.
std::string toneWav(double seconds, double peak) {
    std::string samples;
    const auto count = static_cast<int>(seconds * 44100);
    for (int i = 0; i < count; ++i) {
        const double value = peak * 32767 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0);
        samples += littleEndian(static_cast<std::uint32_t>(static_cast<std::int16_t>(value)), 2);
    }
    return wavOf(samples);
}

// A second of a tone as a WAV recorder writes it.
std::string wavRecording() {
    std::string samples;
    for (std::uint32_t i = 0; i < 44100; ++i) {
        samples += littleEndian((i % 100) * 300, 2);
    }
    return wavOf(samples);
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

// The windows painted on one picture as they lie on the screen, the last one on top.
QPixmap stacked(const std::vector<QWidget*>& windows) {
    QRect area;
    for (QWidget* window : windows) {
        area |= QRect(window->mapToGlobal(QPoint()), window->size());
    }
    QPixmap picture(area.size());
    picture.fill(Qt::darkGray);
    QPainter painter(&picture);
    for (QWidget* window : windows) {
        painter.drawPixmap(window->mapToGlobal(QPoint()) - area.topLeft(), window->grab());
    }
    return picture;
}

// Runs a step that opens modal windows (message boxes, dialogs) and hands the one in front to
// the next handler until that handler takes it (returns true), and then must close it.
using ModalHandler = std::function<bool(QWidget&)>;
void answerModals(std::deque<ModalHandler> handlers, const std::function<void()>& step) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&handlers] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || handlers.empty()) {
            return;
        }
        QApplication::processEvents();
        if (handlers.front()(*modal)) {
            handlers.pop_front();
        }
    });
    timer.start(20);
    step();
}

// A handler for answerModals: the message box over the given windows goes into a picture of
// its own when named, and is closed with the button of the given text.
ModalHandler messageShot(Shooter& shooter, std::vector<QWidget*> behind, QString name,
                         QString button) {
    return [&shooter, behind, name, button](QWidget& modal) -> bool {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (box == nullptr) {
            return false; // the dialog that is to open the box
        }
        if (!name.isEmpty()) {
            std::vector<QWidget*> windows = behind;
            windows.push_back(box);
            shooter.save(stacked(windows), name);
        }
        for (QAbstractButton* candidate : box->buttons()) {
            if (candidate->text() == button) {
                candidate->click();
                return true;
            }
        }
        box->close();
        return true;
    };
}

// The messages of the window's own steps go to the message boxes a user sees only where a
// picture shows them; everywhere else they go to the console.
class ShownUserInterface final : public UserInterface {
public:
    explicit ShownUserInterface(UserInterface& console)
        : m_console(console)
        , m_target(&console) {}
    void showBoxes(bool on) { m_target = on ? static_cast<UserInterface*>(&m_boxes) : &m_console; }

    MessageAnswer showMessage(const Message& message) override {
        return m_target->showMessage(message);
    }
    void setBusyPointer(bool busy) override { m_target->setBusyPointer(busy); }
    void showWaitWindow() override { m_target->showWaitWindow(); }
    void hideWaitWindow() override { m_target->hideWaitWindow(); }
    void reportProgress(int done, int total) override { m_target->reportProgress(done, total); }
    void processPendingEvents() override { m_target->processPendingEvents(); }
    void setCancellable(bool cancellable) override { m_target->setCancellable(cancellable); }
    bool cancelRequested() override { return m_target->cancelRequested(); }

private:
    QtUserInterface m_boxes;
    UserInterface& m_console;
    UserInterface* m_target;
};

// A sound that plays until it is stopped, whether or not the machine has a sound device.
class EndlessPlayer final : public SoundPlayer {
public:
    std::string play(const std::string&, const std::atomic<bool>& stop) override {
        while (!stop) {
            QThread::msleep(5);
        }
        return {};
    }
};

// The window with its popup menu, opened by a right click on a cell of the given row.
QPixmap withPopup(MainWindow& window, int row) {
    QWidget* cells = window.grid()->viewport();
    const QPoint at = window.grid()->visualRect(window.model()->index(row, 3)).center();
    QMouseEvent rightPress(QEvent::MouseButtonPress, at, cells->mapToGlobal(at), Qt::RightButton,
                           Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(cells, &rightPress);
    QApplication::processEvents();
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.drawPixmap(window.mapFromGlobal(window.popupMenu()->pos()), window.popupMenu()->grab());
    painter.end();
    window.popupMenu()->hide();
    return picture;
}

// The first sounds of the stick are tones of different loudness, so that the tooltips and
// the levelling dialog have something to tell; the others are silence.
constexpr double TonePeaks[] = {0.9, 0.25, 0.5};

void writeStick(const QString& folder, bool withEntries, SoundConverter& converter) {
    std::ofstream index((folder + "/tonkat.tkx").toStdString(), std::ios::binary);
    index << "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
    if (withEntries) {
        for (const char* const& line : DozenEntries) {
            index << line << "\r\n";
            // The sounds are on the stick, except one that the user has lost.
            const std::string name = std::string(line).substr(0, 19);
            const auto entry = static_cast<std::size_t>(&line - DozenEntries);
            std::string sound = silence(name == LowRateSound);
            if (entry < std::size(TonePeaks)) {
                const std::string wav = toneWav(3, TonePeaks[entry]);
                ConversionResult tone = converter.encodeForModule(
                    std::span(reinterpret_cast<const std::uint8_t*>(wav.data()), wav.size()), 0,
                    {});
                if (tone.outcome == ConversionResult::Outcome::Done) {
                    sound.assign(tone.bytes.begin(), tone.bytes.end());
                }
            }
            if (name != LostSound) {
                std::ofstream((folder + "/").toStdString() + name, std::ios::binary) << sound;
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
    // Qt's German texts, loaded as the program loads them: the standard buttons of Qt's own
    // dialogs (the input box, the file dialog) must read as the program's own do.
    QTranslator qtTexts;
    if (!installQtTexts(qtTexts)) {
        std::cerr << "Qt's German texts are missing\n";
        return 1;
    }
    std::cerr << "Qt's texts: " << QDir::toNativeSeparators(qtTexts.filePath()).toStdString()
              << '\n';
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Tonarion"),
                        QStringLiteral("Qt's standard buttons"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QStringList texts;
        for (const auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            texts << box.button(button)->text().remove(QLatin1Char('&'));
        }
        if (texts != QStringList{"Ja", "Nein", "Abbrechen"}) {
            std::cerr << "Qt's standard buttons are not German: " << texts.join(", ").toStdString()
                      << '\n';
            return 1;
        }
        shooter.save(box, "qt-standard-buttons");
    }
    const auto files = makeSystemFileOperations();
    CliUserInterface console(std::cerr);
    ShownUserInterface ui(console);

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
        // No stick plugged in: the list waits for one, "manuelle Eingabe" is there already.
        Session session;
        ShownMedia media;
        StickWorkspace workspace(session, media, ui);
        DriveDialog dialog({}, workspace, ui, [](QWidget*) { return std::nullopt; });
        shooter.save(dialog, "drive-dialog-no-stick");
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
        // Converting and levelling may be stopped: the window offers "Abbrechen".
        waitUi.setCancellable(true);
        waitUi.showWaitWindow();
        waitUi.reportProgress(3, 12);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "frmWait") {
                shooter.save(window->grab(), "wait-window-cancellable");
            }
        }
        waitUi.hideWaitWindow();
        waitUi.setCancellable(false);
    }
    const std::unique_ptr<SoundConverter> converter = makeSoundConverter();
    for (const bool withEntries : {false, true}) {
        QTemporaryDir stick;
        writeStick(stick.path(), withEntries, *converter);
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
        session.table().setSoundNotFound(5, true); // the lost one
        shooter.save(window, "main-window-dozen-rows");

        // A right click on row 8: that row becomes current and the popup opens over it.
        shooter.save(withPopup(window, 7), "main-window-popup-menu");

        // While row 8's sound plays, its popup entry and the event dialog's button stop it.
        window.setSoundPlayer(std::make_shared<EndlessPlayer>());
        window.listenToCurrentRow();
        shooter.save(withPopup(window, 7), "main-window-popup-playing");
        window.playback()->stop();
        answerModals({[&shooter, &window](QWidget& dialog) -> bool {
                         dialog.findChild<QAbstractButton*>("cmdAnhoeren")->click();
                         QApplication::processEvents();
                         shooter.save(stacked({&window, &dialog}), "event-dialog-playing");
                         dialog.close();
                         return true;
                     }},
                     [&window] { emit window.grid()->bindRequested(); });
        window.playback()->stop();

        // "Beenden" with the two dropped rows still unbound asks first; "Nein" keeps the window.
        ui.showBoxes(true);
        answerModals({messageShot(shooter, {&window}, "main-window-end-question", "Nein")},
                     [&window] { window.findChild<QAbstractButton*>("cmdBeenden")->click(); });
        ui.showBoxes(false);

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
        shooter.save(withToolTip(window, window.model()->index(1, 3)),
                     "main-window-tooltip-loudness");
        // Row 9's sound is at a rate the module may play mute: the popup offers a new encode.
        shooter.save(withPopup(window, 8), "main-window-popup-prepare");

        // "Lautstärke angleichen..." with three rows selected.
        {
            LevelDialog level(3, workspace.table().entryCount(), workspace.medianLoudness(),
                              &window);
            shooter.save(level, "level-dialog");
        }

        SettingsDialog settings(workspace, ui, &window);
        shooter.save(settings, "settings-dialog");
        settings.hide();
        {
            // An emptied Modellzeit, confirmed with "Ja": the refusal names the field, and the
            // dialog stays open behind it.
            SettingsDialog refused(workspace, ui, &window);
            refused.show();
            QApplication::processEvents();
            refused.findChild<QLineEdit*>("Text2")->clear();
            ui.showBoxes(true);
            answerModals(
                {messageShot(shooter, {}, "", "Ja"),
                 messageShot(shooter, {&window, &refused}, "settings-dialog-refused", "OK"),
                 messageShot(shooter, {}, "", "Nein")},
                [&refused] {
                    refused.findChild<QAbstractButton*>("Command1_0")->click();
                    QApplication::processEvents();
                    refused.close();
                });
            ui.showBoxes(false);
        }

        // What a Mac and a pulled stick leave, beside the lost sound, for the stick check.
        const std::string root = workspace.stickRoot();
        for (const Setting setting : AllSettings) {
            std::ofstream(root + workspace.currentSettings()[setting], std::ios::binary);
        }
        std::ofstream(root + "._MGM2-0012-00000.mp3", std::ios::binary) << "AppleDouble";
        std::ofstream(root + "ZUM_-0001-00000.mp3.tonarion-new", std::ios::binary) << "half";
        QDir().mkpath(QString::fromStdString(root + ".Trashes/501"));
        StickCheckDialog check(workspace, ui, &window);
        shooter.save(check, "stick-check");
        check.hide();

        // "Liste drucken...": the preview of the list as it will be printed.
        QPrinter printer(QPrinter::HighResolution);
        std::unique_ptr<QPrintPreviewDialog> preview(
            window.findChild<ListPrinter*>("ListPrinter")->createPreview(printer));
        preview->resize(900, 1000);
        shooter.save(*preview, "print-preview");
        preview->hide();

        // A recording saved as WAV and renamed to .mp3, added as a drop adds it: the look into
        // it finds no MPEG audio, and the message names it once the look is done.
        QTemporaryDir music;
        // With the system's separators, as a drop hands it over.
        const std::string renamed =
            QDir::toNativeSeparators(music.path() + "/aufnahme.mp3").toStdString();
        std::ofstream(renamed, std::ios::binary) << wavRecording();
        window.setSoundFileChooser(
            [&renamed](QWidget*) { return std::vector<std::string>{renamed}; });
        bool told = false;
        const ModalHandler shot = messageShot(shooter, {&window}, "main-window-renamed-wav", "OK");
        ui.showBoxes(true);
        answerModals({[&told, &shot](QWidget& modal) {
                         return told = shot(modal);
                     }},
                     [&] {
                         window.addSoundFiles();
                         for (int wait = 0; !told && wait < 500; ++wait) {
                             QThread::msleep(10);
                             QApplication::processEvents();
                         }
                     });

        // Recordings from a sound library, dropped as WAV: one question for the whole drop.
        std::vector<std::string> recordings;
        for (const char* name : {"durchfahrt.wav", "ansage.wav", "glocke.wav"}) {
            recordings.push_back(QDir::toNativeSeparators(music.path() + "/" + name).toStdString());
            std::ofstream(recordings.back(), std::ios::binary) << toneWav(2, 0.4);
        }
        window.setSoundFileChooser([&recordings](QWidget*) { return recordings; });
        answerModals({messageShot(shooter, {&window}, "main-window-convert-question", "Ja")},
                     [&window] { window.addSoundFiles(); });
        // "Ja": the rows hold their MP3s in memory until they are bound.
        shooter.save(
            withToolTip(window, window.model()->index(workspace.table().entryCount() - 1, 2)),
            "main-window-tooltip-converted");

        // "Anhören" through the system's sound output. On a machine without a sound device
        // (a build server, Wine without one) the user is told so; elsewhere the sound plays.
        told = false;
        const ModalHandler noDevice =
            messageShot(shooter, {&window}, "main-window-no-sound-device", "OK");
        window.setSoundPlayer(makeSoundPlayer());
        window.grid()->setCurrentIndex(window.model()->index(0, 3));
        answerModals({[&told, &noDevice](QWidget& modal) {
                         return told = noDevice(modal);
                     }},
                     [&] {
                         window.listenToCurrentRow();
                         for (int wait = 0; !told && window.playback()->isPlaying() && wait < 1000;
                              ++wait) {
                             QThread::msleep(10);
                             QApplication::processEvents();
                         }
                     });
        window.playback()->stop();
        ui.showBoxes(false);
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
