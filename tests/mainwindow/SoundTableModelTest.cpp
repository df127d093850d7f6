#include "mainwindow/SoundTableModel.h"

#include <QAbstractItemModelTester>
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
};

QTEST_MAIN(SoundTableModelTest)
#include "SoundTableModelTest.moc"
