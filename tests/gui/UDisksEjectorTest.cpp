#include "gui/UDisksEjector.h"

#include "gui/MainWindow.h"
#include "support/FakeSoundInspector.h"
#include "support/FakeSoundPlayer.h"
#include "support/GuiTestMain.h"
#include "support/TestStick.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

Q_DECLARE_METATYPE(tonarion::EjectOutcome)

namespace {

const QString UDisks = QStringLiteral("org.freedesktop.UDisks2");
const QString Blocks = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
const QString Drives = QStringLiteral("/org/freedesktop/UDisks2/drives/");
const QString DeviceBusy = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

} // namespace

// Runs under dbus-run-session: UDisks2 is python-dbusmock with tests/gui/udisks2_mock.py on
// the private session bus, started afresh for each case.
class UDisksEjectorTest : public QObject {
    Q_OBJECT

private:
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
    QStringList ejectionCalls() const {
        QDBusInterface mock(UDisks, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.Mock",
                            QDBusConnection::sessionBus());
        const QDBusReply<QStringList> calls = mock.call("EjectionCalls");
        return calls.isValid() ? calls.value() : QStringList{calls.error().message()};
    }
    void chooseRemoveStick(MainWindow& window) {
        QTest::mousePress(window.grid()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QMenu* menu = window.popupMenu();
        QVERIFY(menu->isVisible());
        QAction* entry = menu->findChild<QAction*>("mnu_Popup_Entfernen");
        QVERIFY(entry);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
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
        const QString unmount = Blocks + "sdc1 Unmount";
        QTest::newRow("unmounted and powered off")
            << sounds + "/" << QJsonObject{{"stick_mount", sounds}} << EjectOutcome::Ejected
            << QStringList{unmount, Drives + "Sound_Stick PowerOff"};
        QTest::newRow("ejected where the drive cannot power off")
            << sounds + "/" << QJsonObject{{"stick_mount", sounds}, {"can_power_off", false}}
            << EjectOutcome::Ejected << QStringList{unmount, Drives + "Sound_Stick Eject"};
        QTest::newRow("only unmounted where the drive allows neither")
            << sounds + "/"
            << QJsonObject{{"stick_mount", sounds}, {"can_power_off", false}, {"ejectable", false}}
            << EjectOutcome::Ejected << QStringList{unmount};
        QTest::newRow("a file open elsewhere")
            << sounds + "/" << QJsonObject{{"stick_mount", sounds}, {"unmount_error", DeviceBusy}}
            << EjectOutcome::Busy << QStringList{unmount};
        QTest::newRow("refused for another reason")
            << sounds + "/"
            << QJsonObject{{"stick_mount", sounds},
                           {"unmount_error", "org.freedesktop.UDisks2.Error.NotAuthorized"}}
            << EjectOutcome::Failed << QStringList{unmount};
        QTest::newRow("a folder UDisks2 does not know")
            << "/home/anna/Stick/" << QJsonObject{{"stick_mount", sounds}}
            << EjectOutcome::NotAStick << QStringList{};
        QTest::newRow("the folder a stick is mounted in")
            << "/media/anna/" << QJsonObject{{"stick_mount", sounds}} << EjectOutcome::NotAStick
            << QStringList{};
    }
    void ejectsTheStickMountedAtTheRoot() {
        QFETCH(QString, root);
        QFETCH(QJsonObject, udisks);
        QFETCH(EjectOutcome, outcome);
        QFETCH(QStringList, calls);
        startUDisks(udisks);
        UDisksEjector ejector(QDBusConnection::SessionBus);
        const EjectResult result = ejector.eject(root.toStdString());
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(ejectionCalls(), calls);
        // A refusal carries the system's words for whoever the user asks for help.
        QCOMPARE(!result.reason.empty(),
                 outcome == EjectOutcome::Busy || outcome == EjectOutcome::Failed);
    }

    void withoutUDisks2TheEjectFailsWithTheBusReason() {
        UDisksEjector ejector(QDBusConnection::SessionBus);
        const EjectResult result = ejector.eject("/media/anna/SOUNDS/");
        QCOMPARE(result.outcome, EjectOutcome::Failed);
        QVERIFY(QString::fromStdString(result.reason).contains(UDisks));
    }

    void theWindowEndsAfterTheEjectAndStaysAfterARefusal() {
        for (const bool busy : {true, false}) {
            cleanup();
            TestStick stick;
            stick.writeIndexWithSounds({"MGM2-0012-00000.mp3;" + Music + "a.mp3"});
            FakeSoundInspector sounds;

            UDisksEjector ejector(QDBusConnection::SessionBus);
            MainWindow window(stick.workspace, stick.ui);
            window.setSoundInspector(sounds);
            window.setSoundPlayer(std::make_shared<FakeSoundPlayer>());
            window.setStickEjector(ejector);
            QVERIFY(window.load("/opt/tonarion"));
            window.show();
            startUDisks({{"stick_mount", "/stick"}, {"unmount_error", busy ? DeviceBusy : ""}});
            stick.ui.messages.clear();

            chooseRemoveStick(window);
            QCOMPARE(ejectionCalls().value(0), Blocks + "sdc1 Unmount");
            QCOMPARE(stick.ui.messages.size(), std::size_t(1));
            const QString said = QString::fromStdString(stick.ui.lastText());
            QCOMPARE(window.isVisible(), busy);
            if (busy) {
                QVERIFY2(said.contains("ein anderes Programm noch eine Datei auf ihm geöffnet"),
                         qPrintable(said));
                QVERIFY(!stick.files.lockFolder(Root)); // the window holds the stick again
            } else {
                QCOMPARE(said, QString("Der USB-Stick kann jetzt entfernt werden."));
            }
        }
    }
};

TONARION_GUI_TEST(UDisksEjectorTest)
#include "UDisksEjectorTest.moc"
