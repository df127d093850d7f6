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

// What the list's bytes are is the core's (its CSV, its pages' lines); here, the pages, the
// way to the file and to the printer, and what the user is told.
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
        reset();
        startFolders.clear();
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
    // Prints through the popup's preview to a PDF file, as a print dialog's "Print to File"
    // does; the pages of the preview, then those printed.
    QList<int> printed() {
        const QString file = in("gedruckt.pdf");
        QList<int> pages;
        whenDialogOpens<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            auto* shown = preview->findChild<QPrintPreviewWidget*>();
            pages << shown->pageCount();
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(file);
            shown->print();
            preview->reject();
        });
        popupOn(0, 1, "mnu_Popup_ListeDrucken");
        QFile written(file);
        return pages << (written.open(QIODevice::ReadOnly) ? pagesOf(written.readAll()) : 0);
    }

private slots:
    void cleanup() { window.reset(); }

    // Forty entries to a page, an empty list on one, in the exported file and in the preview
    // and on the printer alike.
    void exportsAndPrintsFortyEntriesToAPageOrTellWhyNot() {
        for (const auto& [entries, pages] : {std::pair{0, 1}, {40, 1}, {41, 2}}) {
            open(entries);
            const QByteArray pdf = exported("liste.pdf", ListPrinter::Format::Pdf);
            QVERIFY2(pdf.startsWith("%PDF-"), pdf.left(20).constData());
            QCOMPARE(QList<int>({pagesOf(pdf)}) + printed(), QList<int>(3, pages));
        }
        // The saved file is named as the system spells it ("C:\...\liste.pdf" on Windows).
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>{"Die Liste wurde gespeichert:\r\n" +
                                          QDir::toNativeSeparators(in("liste.pdf")).toStdString()});
        // The CSV file holds the core's bytes; the next export starts in the last one's
        // folder; a file that cannot be written is told, and nothing else.
        QCOMPARE(exported("liste.csv", ListPrinter::Format::Csv),
                 QByteArray::fromStdString(soundListCsv(stick->workspace.soundList())));
        for (const auto format : {ListPrinter::Format::Pdf, ListPrinter::Format::Csv}) {
            stick->ui.messages.clear();
            QCOMPARE(exported("nowhere/liste", format), QByteArray("(none)"));
            QCOMPARE(stick->ui.messages.size(), std::size_t(1));
            QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Critical);
            QVERIFY(QString::fromStdString(stick->ui.lastText()).contains("nowhere"));
        }
        const QString last = QFileInfo(in("liste.csv")).absolutePath();
        QCOMPARE(startFolders,
                 QStringList({"", last, last, QFileInfo(in("nowhere/liste")).absolutePath()}));
    }

    // The save dialog: a typed extension decides the format, else the chosen filter does and
    // lends its extension.
    void theFileDialogChoosesTheFormat() {
        const struct {
            const char* typed;
            int filter;
            const char* file;
            ListPrinter::Format format;
        } cases[] = {{"liste", 0, "liste.pdf", ListPrinter::Format::Pdf},
                     {"liste", 1, "liste.csv", ListPrinter::Format::Csv},
                     {"liste.PDF", 1, "liste.PDF", ListPrinter::Format::Pdf},
                     {"liste.csv", 0, "liste.csv", ListPrinter::Format::Csv}};
        const QString dir = QFileInfo(in("x")).absolutePath();
        for (const auto& c : cases) {
            whenDialogOpens<QFileDialog>([&](QFileDialog* dialog) {
                dialog->setOption(QFileDialog::DontConfirmOverwrite);
                dialog->selectNameFilter(dialog->nameFilters().at(c.filter));
                // Typed as a user types it: selectFile() leaves the name alone while the name
                // box has the focus, which depends on when the dialog got activated.
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                name->setText(dir + "/" + c.typed);
                QTest::keyClick(name, Qt::Key_Return);
            });
            const auto target = ListPrinter::askForExportTarget(nullptr, dir);
            QVERIFY(target && target->format == c.format);
            QCOMPARE(target->file, dir + "/" + c.file);
        }
    }
};

TONARION_GUI_TEST(ListPrinterTest)
#include "ListPrinterTest.moc"
