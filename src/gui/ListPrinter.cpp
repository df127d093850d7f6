#include "gui/ListPrinter.h"

#include "event/EventOptions.h"
#include "model/SoundEntry.h"
#include "workspace/ListExport.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <memory>

namespace tonarion {
namespace {

// Rows of a page: the entries, a title for each group that can start on it, the column
// header; the head and the foot take three more. Every page has the same row height, so the
// pages of one list look alike however the groups fall.
constexpr int TitleRows = EventKindCount + 1;
constexpr int BodyRows = ListPages::EntriesPerPage + TitleRows + 1;
constexpr int PageRows = BodyRows + 3;

constexpr double MarginMillimetres = 15;
// The smallest text a line is set in to fit its width.
constexpr double MinimumPoints = 6.5;

QString header(Column column) {
    return QString::fromUtf8(ColumnHeaders[static_cast<std::size_t>(column)]).trimmed();
}

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QPageLayout a4Portrait() {
    return QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
        QPageLayout::Millimeter);
}

} // namespace

ListPages::ListPages(SoundList list, QString stickRoot, const LoudnessOf& loudnessOf)
    : m_list(std::move(list))
    , m_stickRoot(std::move(stickRoot)) {
    bool anyLoudness = false;
    for (const SoundListGroup& group : m_list.groups) {
        auto& texts = m_loudness.emplace_back();
        for (const SoundListLine& line : group.lines) {
            texts.push_back(loudnessOf ? loudnessOf(line.entry) : QString());
            anyLoudness = anyLoudness || !texts.back().isEmpty();
        }
    }
    if (!anyLoudness) {
        m_loudness.clear();
    }
    m_pages.emplace_back();
    int entries = 0;
    for (int group = 0; group < static_cast<int>(m_list.groups.size()); ++group) {
        const auto& lines = m_list.groups[static_cast<std::size_t>(group)].lines;
        for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
            if (entries == EntriesPerPage) {
                m_pages.emplace_back();
                entries = 0;
            }
            if (line == 0 || m_pages.back().empty()) {
                m_pages.back().push_back({group, -1});
            }
            m_pages.back().push_back({group, line});
            ++entries;
        }
    }
}

bool ListPages::paint(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            return false;
        }
        paintPage(painter, QRect(0, 0, device.width(), device.height()), page);
    }
    return painter.end();
}

void ListPages::paintPage(QPainter& painter, const QRect& area, int page) const {
    const int rowHeight = area.height() / PageRows;
    const int gap = rowHeight / 3;
    // NR, the description, the loudness where it is known and the EntryName beside them.
    const int numberWidth = area.width() * 6 / 100;
    const int nameWidth = area.width() * 22 / 100;
    const int loudnessWidth = m_loudness.empty() ? 0 : area.width() * 8 / 100;
    const int loudnessGap = m_loudness.empty() ? 0 : gap;
    const int descriptionWidth =
        area.width() - numberWidth - nameWidth - loudnessWidth - loudnessGap - 2 * gap;
    const int descriptionLeft = area.left() + numberWidth + gap;
    const int loudnessLeft = descriptionLeft + descriptionWidth + gap;
    const int nameLeft = loudnessLeft + loudnessWidth + loudnessGap;
    const auto rowRect = [&](int row, int left, int width) {
        return QRect(left, area.top() + row * rowHeight, width, rowHeight);
    };
    const auto cells = [&](int row, const QString& number, const QString& description,
                           const QString& loudness, const QString& name) {
        painter.drawText(rowRect(row, area.left(), numberWidth), Qt::AlignRight | Qt::AlignVCenter,
                         number);
        if (loudnessWidth > 0) {
            painter.drawText(rowRect(row, loudnessLeft, loudnessWidth),
                             Qt::AlignRight | Qt::AlignVCenter, loudness);
        }
        painter.drawText(rowRect(row, nameLeft, nameWidth), Qt::AlignLeft | Qt::AlignVCenter, name);
        // A long line (a ZIDAS entry's direction, a long file name) is set smaller rather than
        // cut; only what would still not fit loses its middle.
        const QFont normal = painter.font();
        const int advance = painter.fontMetrics().horizontalAdvance(description);
        if (advance > descriptionWidth) {
            QFont smaller = normal;
            smaller.setPointSizeF(
                std::max(MinimumPoints, normal.pointSizeF() * descriptionWidth / advance));
            painter.setFont(smaller);
        }
        painter.drawText(
            rowRect(row, descriptionLeft, descriptionWidth), Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(description, Qt::ElideMiddle, descriptionWidth));
        painter.setFont(normal);
    };

    QFont font = painter.font();
    font.setPointSizeF(9);
    QFont bold = font;
    bold.setBold(true);
    QFont heading = bold;
    heading.setPointSizeF(12);

    painter.setFont(heading);
    painter.drawText(rowRect(0, area.left(), area.width()), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Soundliste ") + m_stickRoot);
    painter.setFont(bold);
    cells(1, header(Column::Nr), QStringLiteral("Beschreibung"), QStringLiteral("Lautheit"),
          header(Column::Filename));
    painter.drawLine(area.left(), area.top() + 2 * rowHeight, area.right(),
                     area.top() + 2 * rowHeight);

    int row = 2;
    for (const PageRow& pageRow : m_pages[static_cast<std::size_t>(page)]) {
        const SoundListGroup& group = m_list.groups[static_cast<std::size_t>(pageRow.group)];
        if (pageRow.line < 0) {
            painter.setFont(bold);
            painter.drawText(rowRect(row, descriptionLeft, descriptionWidth),
                             Qt::AlignLeft | Qt::AlignBottom, utf8(group.title));
        } else {
            const SoundListLine& line = group.lines[static_cast<std::size_t>(pageRow.line)];
            painter.setFont(font);
            const QString loudness = m_loudness.empty()
                                         ? QString()
                                         : m_loudness[static_cast<std::size_t>(pageRow.group)]
                                                     [static_cast<std::size_t>(pageRow.line)];
            cells(row, QString::number(line.row), utf8(line.description), loudness,
                  utf8(line.entry.entryName));
        }
        ++row;
    }
    painter.setFont(font);
    painter.drawText(rowRect(PageRows - 1, area.left(), area.width()),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Seite %1 von %2").arg(page + 1).arg(pageCount()));
}

ListPrinter::ListPrinter(StickWorkspace& workspace, UserInterface& ui, QMenu& popup,
                         QWidget* window)
    : QObject(window)
    , m_workspace(workspace)
    , m_ui(ui)
    , m_window(window) {
    setObjectName("ListPrinter");
    QAction* print = popup.addAction(QStringLiteral("Liste drucken..."));
    print->setObjectName("mnu_Popup_ListeDrucken");
    QAction* exportEntry = popup.addAction(QStringLiteral("Liste exportieren..."));
    exportEntry->setObjectName("mnu_Popup_ListeExportieren");
    connect(print, &QAction::triggered, this, &ListPrinter::printList);
    connect(exportEntry, &QAction::triggered, this, &ListPrinter::exportList);
}

ListPages ListPrinter::pages() const {
    return ListPages(m_workspace.soundList(), utf8(m_workspace.stickRoot()), m_loudnessOf);
}

QPrintPreviewDialog* ListPrinter::createPreview(QPrinter& printer) {
    printer.setPageLayout(a4Portrait());
    printer.setDocName(QStringLiteral("Soundliste"));
    auto* preview = new QPrintPreviewDialog(&printer, m_window);
    preview->setObjectName("ListPreview");
    preview->setWindowTitle(QStringLiteral("Liste drucken"));
    // The pages are laid out once: the preview paints them again at every zoom.
    auto laidOut = std::make_shared<ListPages>(pages());
    connect(preview, &QPrintPreviewDialog::paintRequested, preview,
            [laidOut](QPrinter* target) { laidOut->paint(*target); });
    return preview;
}

void ListPrinter::printList() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog* preview = createPreview(printer);
    preview->exec();
    delete preview;
}

void ListPrinter::exportList() {
    if (const auto target = m_chooseTarget(m_window, m_lastFolder)) {
        m_lastFolder = QFileInfo(target->file).absolutePath();
        exportTo(*target);
    }
}

bool ListPrinter::exportTo(const ExportTarget& target) {
    std::string bytes;
    bool painted = true;
    if (target.format == Format::Csv) {
        bytes = soundListCsv(m_workspace.soundList());
    } else {
        // Painted in memory: the file itself is written as the CSV is.
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&pdf);
            writer.setPageLayout(a4Portrait());
            writer.setTitle(QStringLiteral("Soundliste"));
            writer.setCreator(QStringLiteral("Tonarion"));
            painted = pages().paint(writer);
        }
        bytes = pdf.data().toStdString();
    }
    const std::string file = QDir::toNativeSeparators(target.file).toStdString();
    const bool written = painted && writeExportedList(*m_computer, file, bytes).ok();
    if (written) {
        showInformation(m_ui, "Die Liste wurde gespeichert:\r\n" + file);
    } else {
        showCritical(m_ui, "Die Liste konnte nicht geschrieben werden:\r\n" + file);
    }
    return written;
}

std::optional<ListPrinter::ExportTarget> ListPrinter::askForExportTarget(QWidget* parent,
                                                                         const QString& folder) {
    const QString pdf = QStringLiteral("PDF-Dokument (*.pdf)");
    const QString csv = QStringLiteral("CSV-Datei für Tabellenkalkulation (*.csv)");
    QString chosenFilter = pdf;
    QString file =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Liste exportieren"),
                                     folder.isEmpty() ? QStringLiteral("Soundliste.pdf")
                                                      : folder + QStringLiteral("/Soundliste.pdf"),
                                     pdf + ";;" + csv, &chosenFilter);
    if (file.isEmpty()) {
        return std::nullopt;
    }
    // A typed extension decides; without one, the chosen filter does and lends its extension.
    const QString suffix = QFileInfo(file).suffix().toLower();
    Format format = chosenFilter == csv ? Format::Csv : Format::Pdf;
    if (suffix == "csv" || suffix == "pdf") {
        format = suffix == "csv" ? Format::Csv : Format::Pdf;
    } else {
        file += format == Format::Csv ? ".csv" : ".pdf";
    }
    return ExportTarget{file, format};
}

} // namespace tonarion
