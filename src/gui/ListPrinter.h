#pragma once

#include "model/UserInterface.h"
#include "workspace/RunningSystem.h"
#include "workspace/StickWorkspace.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QPagedPaintDevice;
class QPainter;
class QPrintPreviewDialog;
class QPrinter;
class QRect;
class QWidget;

namespace tonarion {

// The list on paper: the same pages for the printer and for a PDF file. Each page holds up to
// 40 entries under their group's title, which is repeated at the top of a page that goes on
// with a group; the stick is named at the head and the page number at the foot.
class ListPages {
public:
    static constexpr int EntriesPerPage = 40;
    // An entry's loudness ("−17 LUFS"), or nothing where its sound has not been measured.
    using LoudnessOf = std::function<QString(const SoundEntry&)>;

    // With the loudness of at least one entry known, the pages give it a column of its own.
    ListPages(SoundList list, QString stickRoot, const LoudnessOf& loudnessOf = {});

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    // Paints every page on a device that has no painter yet; false when it cannot be painted.
    bool paint(QPagedPaintDevice& device) const;

private:
    struct PageRow {
        int group;
        int line; // -1: the group's title
    };
    void paintPage(QPainter& painter, const QRect& area, int page) const;

    SoundList m_list;
    QString m_stickRoot;
    // By group and line; empty when no entry's loudness is known.
    std::vector<std::vector<QString>> m_loudness;
    std::vector<std::vector<PageRow>> m_pages;
};

// "Liste drucken..." and "Liste exportieren..." in the main window's popup menu.
class ListPrinter final : public QObject {
    Q_OBJECT
public:
    enum class Format { Pdf, Csv };
    struct ExportTarget {
        QString file;
        Format format;
    };
    // Asks where to export to, starting in the given folder; nothing when the user cancels.
    using ExportChooser =
        std::function<std::optional<ExportTarget>(QWidget* parent, const QString& folder)>;

    ListPrinter(StickWorkspace& workspace, UserInterface& ui, QMenu& popup, QWidget* window);

    // The file dialog of "Liste exportieren..."; tests answer it themselves.
    void setExportChooser(ExportChooser chooser) { m_chooseTarget = std::move(chooser); }
    // What the look into the sounds found: their loudness is printed where it is known.
    void setLoudnessOf(ListPages::LoudnessOf loudnessOf) { m_loudnessOf = std::move(loudnessOf); }
    static std::optional<ExportTarget> askForExportTarget(QWidget* parent, const QString& folder);

    // The print preview of the list as it stands, not yet shown; its print button prints.
    QPrintPreviewDialog* createPreview(QPrinter& printer);
    void printList();
    void exportList();
    // Writes the list and says where; false after telling the user that the file could not be
    // written.
    bool exportTo(const ExportTarget& target);

private:
    ListPages pages() const;

    StickWorkspace& m_workspace;
    UserInterface& m_ui;
    QWidget* m_window;
    // What the export writes with: the list goes to a file of the computer, wherever the user
    // chose, while the workspace's file operations are those of the stick.
    std::unique_ptr<FileOperations> m_computer = makeSystemFileOperations();
    ExportChooser m_chooseTarget = &ListPrinter::askForExportTarget;
    ListPages::LoudnessOf m_loudnessOf;
    // The folder of the last export: the next one starts there. The working folder is
    // usually the program's, where nobody looks for a list.
    QString m_lastFolder;
};

} // namespace tonarion
