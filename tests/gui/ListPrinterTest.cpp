#include "gui/ListPrinter.h"

#include "support/GuiTestMain.h"
#include "support/SoundFiles.h"
#include "support/WindowFixture.h"
#include "workspace/SoundList.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

using namespace tonarion;
using namespace tonarion::testing;

// What the list's bytes are is the core's (its CSV, its pages' lines); here, the way to the
// file and to the printer, and what the user is told.
class ListPrinterTest : public QObject, WindowFixture {
    Q_OBJECT

    TempFolder folder{"tonarion-liste-"};
    QStringList startFolders; // where each export's chooser was asked to start

    // A file in the test's folder, spelt as Qt spells paths.
    QString in(const char* name) const {
        return QDir::fromNativeSeparators(QString::fromStdString(folder.path(name)));
    }
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
        openWindow();
    }
    // Exports through the popup; the file's bytes.
    QByteArray exported(const char* name, ListPrinter::Format format) {
        const QString file = in(name);
        window->findChild<ListPrinter*>("ListPrinter")
            ->setExportChooser([this, file, format](QWidget*, const QString& start) {
                startFolders << start;
                return std::optional<ListPrinter::ExportTarget>({file, format});
            });
        popupOn(0, 1, "mnu_Popup_ListeExportieren");
        QFile written(file);
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray("(none)");
    }
    static int pagesOf(const QByteArray& pdf) {
        return static_cast<int>(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
    }

private slots:
    void init() {
        reset();
        startFolders.clear();
    }
    void cleanup() { window.reset(); }

    void pdfHasOnePagePerFortyEntries_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty table") << 0 << 1;
        QTest::newRow("one full page") << 40 << 1;
        QTest::newRow("one entry more") << 41 << 2;
    }
    void pdfHasOnePagePerFortyEntries() {
        QFETCH(int, entries);
        QFETCH(int, pages);
        open(entries);
        const QByteArray pdf = exported("liste.pdf", ListPrinter::Format::Pdf);
        QVERIFY2(pdf.startsWith("%PDF-"), pdf.left(20).constData());
        QCOMPARE(pagesOf(pdf), pages);
        // The saved file is named as the system spells it ("C:\...\liste.pdf" on Windows).
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>{"Die Liste wurde gespeichert:\r\n" +
                                          QDir::toNativeSeparators(in("liste.pdf")).toStdString()});
    }

    // The CSV file holds the core's bytes; the next export starts in the last one's folder;
    // a file that cannot be written is told, and nothing else.
    void exportsWriteTheCoresBytesOrTellWhyNot() {
        open(3);
        QCOMPARE(exported("liste.csv", ListPrinter::Format::Csv),
                 QByteArray::fromStdString(soundListCsv(stick->workspace.soundList())));
        for (const auto format : {ListPrinter::Format::Pdf, ListPrinter::Format::Csv}) {
            stick->ui.messages.clear();
            QCOMPARE(exported("nowhere/liste", format), QByteArray("(none)"));
            QCOMPARE(stick->ui.messages.size(), std::size_t(1));
            QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Critical);
            QVERIFY(QString::fromStdString(stick->ui.lastText()).contains("nowhere"));
        }
        QCOMPARE(startFolders, QStringList({"", QFileInfo(in("liste.csv")).absolutePath(),
                                            QFileInfo(in("nowhere/liste")).absolutePath()}));
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
        const QString dir = QFileInfo(in("x")).absolutePath();
        whenDialogOpens<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectNameFilter(dialog->nameFilters().at(filter));
            // Typed as a user types it: selectFile() leaves the name alone while the name box
            // has the focus, which depends on when the dialog got activated.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(dir + "/" + typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        const auto target = ListPrinter::askForExportTarget(nullptr, dir);
        QVERIFY(target);
        QCOMPARE(target->file, dir + "/" + file);
        QCOMPARE(target->format == ListPrinter::Format::Csv, csv);
    }

    void printingShowsThePreviewAndPrintsItsPages() {
        open(41);
        int previewPages = 0;
        const QString file = in("gedruckt.pdf");
        whenDialogOpens<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            previewPages = pages->pageCount();
            // Printing to a file, as a print dialog's "Print to File" does.
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(file);
            pages->print();
            preview->reject();
        });
        popupOn(0, 1, "mnu_Popup_ListeDrucken");
        QCOMPARE(previewPages, 2);
        QFile printed(file);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QCOMPARE(pagesOf(printed.readAll()), 2);
    }
};

TONARION_GUI_TEST(ListPrinterTest)
#include "ListPrinterTest.moc"
