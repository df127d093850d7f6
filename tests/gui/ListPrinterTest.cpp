#include "gui/ListPrinter.h"

#include "gui/MainWindow.h"
#include "support/FakeSoundInspector.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class ListPrinterTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    std::unique_ptr<FakeSoundInspector> sounds;
    std::unique_ptr<MainWindow> window;
    QTemporaryDir folder;
    QStringList startFolders; // where each export's chooser was asked to start

    // A stick with this many turnout and feedback entries, in the main window.
    void open(int entries) {
        std::vector<std::string> lines;
        for (int i = 1; i <= entries; ++i) {
            lines.push_back(QStringLiteral("%1M2-%2-00000.mp3;/m/sound %3.mp3")
                                .arg(i % 2 ? "MG" : "RB")
                                .arg(i, 4, 10, QChar('0'))
                                .arg(i)
                                .toStdString());
        }
        stick->writeIndex(lines);
        window = std::make_unique<MainWindow>(stick->workspace, stick->ui);
        window->setSoundInspector(*sounds);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
    }
    ListPrinter* printer() const { return window->findChild<ListPrinter*>("ListPrinter"); }
    // Right-clicks the first row and picks a popup entry with the mouse.
    void popup(const char* entry) {
        clickCell(window->grid(), 0, 1, Qt::RightButton, QTest::mousePress);
        QMenu* menu = window->popupMenu();
        QVERIFY(menu->isVisible());
        QAction* action = menu->findChild<QAction*>(entry);
        QVERIFY(action);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    // Exports through the popup into the test's folder; the file's bytes.
    QByteArray exported(const QString& name, ListPrinter::Format format) {
        const QString file = folder.filePath(name);
        printer()->setExportChooser([this, file, format](QWidget*, const QString& start) {
            startFolders << start;
            return std::optional<ListPrinter::ExportTarget>({file, format});
        });
        popup("mnu_Popup_ListeExportieren");
        QFile written(file);
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray("(none)");
    }
    static int pagesOf(const QByteArray& pdf) {
        return static_cast<int>(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
    }

private slots:
    void init() {
        startFolders.clear();
        stick = std::make_unique<TestStick>();
        sounds = std::make_unique<FakeSoundInspector>();
    }
    void cleanup() { window.reset(); }

    void pdfHasOnePagePerFortyEntries_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty table") << 0 << 1;
        QTest::newRow("one full page") << 40 << 1;
        QTest::newRow("one entry more") << 41 << 2;
        QTest::newRow("three pages") << 81 << 3;
    }
    void pdfHasOnePagePerFortyEntries() {
        QFETCH(int, entries);
        QFETCH(int, pages);
        open(entries);
        const QByteArray pdf = exported("liste.pdf", ListPrinter::Format::Pdf);
        QVERIFY2(pdf.startsWith("%PDF-"), pdf.left(20).constData());
        QCOMPARE(pagesOf(pdf), pages);
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>{
                     "Die Liste wurde gespeichert:\r\n" +
                     QDir::toNativeSeparators(folder.filePath("liste.pdf")).toStdString()});
        // The next export starts in the folder of the last one.
        exported("liste.pdf", ListPrinter::Format::Pdf);
        QCOMPARE(startFolders, QStringList({"", folder.path()}));
    }

    void csvExportWritesTheCoresBytes() {
        open(3);
        const QByteArray csv = exported("liste.csv", ListPrinter::Format::Csv);
        const std::string expected = soundListCsv(stick->workspace.soundList());
        QCOMPARE(csv, QByteArray::fromStdString(expected));
        QVERIFY(csv.contains("\r\n1;MGM2-0001-00000.mp3;/m/sound 1.mp3;Magnetartikel;GRÜN;"));
        QVERIFY(csv.contains("Rückmeldung 2, belegt, Priorität 2, unterbrechbar – sound 2.mp3"));
    }

    void aFileThatCannotBeWrittenIsToldAndNothingElse() {
        open(1);
        for (const auto format : {ListPrinter::Format::Pdf, ListPrinter::Format::Csv}) {
            stick->ui.messages.clear();
            QCOMPARE(exported("nowhere/liste", format), QByteArray("(none)"));
            QCOMPARE(stick->ui.messages.size(), std::size_t(1));
            QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Critical);
            QVERIFY(QString::fromStdString(stick->ui.lastText()).contains("nowhere"));
        }
    }

    // The save dialog: a typed extension decides the format, else the chosen filter does and
    // lends its extension.
    void theFileDialogChoosesTheFormat_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("csv");
        QTest::newRow("pdf filter, no extension") << "liste" << 0 << "liste.pdf" << false;
        QTest::newRow("csv filter, no extension") << "liste" << 1 << "liste.csv" << true;
        QTest::newRow("csv filter, pdf typed") << "liste.PDF" << 1 << "liste.PDF" << false;
        QTest::newRow("pdf filter, csv typed") << "liste.csv" << 0 << "liste.csv" << true;
    }
    void theFileDialogChoosesTheFormat() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, file);
        QFETCH(bool, csv);
        whenDialogOpens<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectNameFilter(dialog->nameFilters().at(filter));
            // Typed as a user types it: selectFile() leaves the name alone while the name box
            // has the focus, which depends on when the dialog got activated.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(folder.filePath(typed));
            QTest::keyClick(name, Qt::Key_Return);
        });
        const auto target = ListPrinter::askForExportTarget(nullptr, folder.path());
        QVERIFY(target);
        QCOMPARE(target->file, folder.filePath(file));
        QCOMPARE(target->format == ListPrinter::Format::Csv, csv);
    }

    void printingShowsThePreviewAndPrintsItsPages() {
        open(41);
        int previewPages = 0;
        const QString file = folder.filePath("gedruckt.pdf");
        whenDialogOpens<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            previewPages = pages->pageCount();
            // Printing to a file, as a print dialog's "Print to File" does.
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(file);
            pages->print();
            preview->reject();
        });
        popup("mnu_Popup_ListeDrucken");
        QCOMPARE(previewPages, 2);
        QFile printed(file);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QCOMPARE(pagesOf(printed.readAll()), 2);
    }
};

TONARION_GUI_TEST(ListPrinterTest)
#include "ListPrinterTest.moc"
