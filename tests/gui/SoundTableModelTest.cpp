#include "gui/SoundTableModel.h"

#include "support/GuiTestMain.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>
#include <QTest>

using namespace tonarion;

class SoundTableModelTest : public QObject {
    Q_OBJECT

private slots:
    // Every change of the table reaches the model as proper Qt notifications.
    void followsEveryChangeOfTheTable() {
        SoundTable table;
        SoundTableModel model(table);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(model.rowCount(), 1); // the empty row
        table.appendEntry(SoundEntry{.entryName = "b", .sourcePath = "/b.mp3"});
        table.appendEntry(SoundEntry{.entryName = "a", .sourcePath = "/a.mp3"});
        table.appendEntry(SoundEntry{.sourcePath = "/c.mp3"});
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.headerData(3, Qt::Vertical, Qt::DisplayRole).toString(), QString("4"));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        table.sortByColumn(Column::Filename);
        QCOMPARE(model.index(0, 0).data().toString(), QString("b"));
        const QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        table.replaceRow(2, SoundEntry{.entryName = "z"});
        QCOMPARE(model.index(1, 0).data().toString(), QString("z"));
        QCOMPARE(changed.count(), 1);
        table.removeRow(1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 0).data().toString(), QString("z"));
        table.clear();
        QCOMPARE(model.rowCount(), 1);
    }

    // A row whose sound is found nowhere shows it in its Pfad cell, and only there.
    void marksTheMissingSoundInThePfadCell() {
        SoundTable table;
        SoundTableModel model(table);
        table.appendEntry(SoundEntry{.entryName = "MGM2-0012-00000.mp3", .sourcePath = "/a.mp3"});
        table.appendEntry(SoundEntry{
            .entryName = "UZM_-0029-00000.mp3", .sourcePath = "/gone.mp3", .address1 = "0029"});
        const QModelIndex gone = model.index(1, 1);
        QVERIFY(!gone.data(Qt::ForegroundRole).isValid());
        const QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        table.setSoundNotFound(2, true);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
        const QColor colour = gone.data(Qt::ForegroundRole).value<QColor>();
        QVERIFY(colour.red() > 150 && colour.green() < 80 && colour.blue() < 80);
        for (const QModelIndex& unmarked : {model.index(1, 0), model.index(0, 1)}) {
            QVERIFY(!unmarked.data(Qt::ForegroundRole).isValid());
            QVERIFY(unmarked.data(Qt::ToolTipRole).toString().isEmpty());
        }
        table.setSoundNotFound(2, false);
        QVERIFY(!gone.data(Qt::ForegroundRole).isValid());
    }
};

TONARION_GUI_TEST(SoundTableModelTest)
#include "SoundTableModelTest.moc"
