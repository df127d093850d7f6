#include "gui/UDisksEjector.h"

#include "support/GuiTestMain.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace tonarion;

Q_DECLARE_METATYPE(tonarion::EjectOutcome)

namespace {

const QString UDisks = QStringLiteral("org.freedesktop.UDisks2");

} // namespace

// Runs under dbus-run-session: UDisks2 is python-dbusmock with tests/gui/udisks2_mock.py on
// the private session bus, started afresh for each case. What the window does with each
// outcome is StickRemovalTest's.
class UDisksEjectorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QProcess> m_mock;

    void startUDisks(const QJsonObject& parameters) {
        m_mock = std::make_unique<QProcess>();
        m_mock->setProcessChannelMode(QProcess::MergedChannels);
        m_mock->start(TONARION_DBUSMOCK_PYTHON,
                      {"-m", "dbusmock", "--session", "--template", TONARION_UDISKS_MOCK, "-p",
                       QString::fromUtf8(QJsonDocument(parameters).toJson())});
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QVERIFY2(bus, "no session bus: run the test under dbus-run-session");
        const bool up = QTest::qWaitFor(
            [&] {
                return bus->isServiceRegistered(UDisks) || m_mock->state() == QProcess::NotRunning;
            },
            15000);
        QVERIFY2(up && m_mock->state() == QProcess::Running,
                 qPrintable("the UDisks2 stand-in did not start (python3-dbusmock missing?): " +
                            QString::fromUtf8(m_mock->readAll())));
    }
    // What reached the stand-in, "OBJECT-PATH METHOD" each.
    static QStringList ejectionCalls() {
        QDBusInterface mock(UDisks, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.Mock",
                            QDBusConnection::sessionBus());
        const QDBusReply<QStringList> calls = mock.call("EjectionCalls");
        return calls.isValid() ? calls.value() : QStringList{calls.error().message()};
    }

private slots:
    void cleanup() {
        if (m_mock) {
            m_mock->kill();
            m_mock->waitForFinished();
            m_mock.reset();
            // The next case must not meet this one's service still on the bus.
            QVERIFY(QTest::qWaitFor([] {
                return !QDBusConnection::sessionBus().interface()->isServiceRegistered(UDisks);
            }));
        }
    }

    void ejectsTheStickMountedAtTheRoot_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QJsonObject>("udisks");
        QTest::addColumn<EjectOutcome>("outcome");
        QTest::addColumn<QStringList>("calls");
        const QString sounds = "/media/anna/SOUNDS";
        const QString unmount = "/org/freedesktop/UDisks2/block_devices/sdc1 Unmount";
        const QString drive = "/org/freedesktop/UDisks2/drives/Sound_Stick ";
        const auto row = [&](const char* name, const QString& root, QJsonObject udisks,
                             EjectOutcome outcome, const QStringList& calls) {
            udisks["stick_mount"] = sounds;
            QTest::newRow(name) << root << udisks << outcome << calls;
        };
        row("unmounted and powered off", sounds + "/", {}, EjectOutcome::Ejected,
            {unmount, drive + "PowerOff"});
        row("ejected where the drive cannot power off", sounds + "/", {{"can_power_off", false}},
            EjectOutcome::Ejected, {unmount, drive + "Eject"});
        row("only unmounted where the drive allows neither", sounds + "/",
            {{"can_power_off", false}, {"ejectable", false}}, EjectOutcome::Ejected, {unmount});
        row("a file open elsewhere", sounds + "/",
            {{"unmount_error", "org.freedesktop.UDisks2.Error.DeviceBusy"}}, EjectOutcome::Busy,
            {unmount});
        row("refused for another reason", sounds + "/",
            {{"unmount_error", "org.freedesktop.UDisks2.Error.NotAuthorized"}},
            EjectOutcome::Failed, {unmount});
        row("a folder UDisks2 does not know", "/home/anna/Stick/", {}, EjectOutcome::NotAStick, {});
        row("the folder a stick is mounted in", "/media/anna/", {}, EjectOutcome::NotAStick, {});
        QTest::newRow("no UDisks2 on the bus")
            << sounds + "/" << QJsonObject() << EjectOutcome::Failed << QStringList();
    }
    void ejectsTheStickMountedAtTheRoot() {
        QFETCH(QString, root);
        QFETCH(QJsonObject, udisks);
        QFETCH(EjectOutcome, outcome);
        QFETCH(QStringList, calls);
        if (!udisks.isEmpty()) {
            startUDisks(udisks);
        }
        UDisksEjector ejector(QDBusConnection::SessionBus);
        const EjectResult result = ejector.eject(root.toStdString());
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(udisks.isEmpty() ? QStringList() : ejectionCalls(), calls);
        // A refusal carries the system's words for whoever the user asks for help.
        QCOMPARE(!result.reason.empty(),
                 outcome == EjectOutcome::Busy || outcome == EjectOutcome::Failed);
        QVERIFY(!udisks.isEmpty() || QString::fromStdString(result.reason).contains(UDisks));
    }
};

TONARION_GUI_TEST(UDisksEjectorTest)
#include "UDisksEjectorTest.moc"
