#include "gui/UDisksEjector.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QMap>
#include <QVariant>

#include <optional>

namespace tonarion {
namespace {

inline const QString Service = QStringLiteral("org.freedesktop.UDisks2");
inline const QString ManagerPath = QStringLiteral("/org/freedesktop/UDisks2");
inline const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
inline const QString FilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
inline const QString DriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
inline const QString DeviceBusy = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

// Unmounting waits until the system has written out what it still holds for the stick.
constexpr int UnmountTimeoutMs = 120'000;

using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

// A property of a type QtDBus has no built-in conversion for arrives still marshalled.
template <typename T>
T demarshalled(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        T result;
        value.value<QDBusArgument>() >> result;
        return result;
    }
    return value.value<T>();
}

// UDisks2 spells mount points as NUL-terminated bytes, without a trailing separator.
bool isMountedAt(const QVariantMap& filesystem, const QByteArray& folder) {
    const auto points = demarshalled<QList<QByteArray>>(filesystem.value("MountPoints"));
    for (QByteArray point : points) {
        while (point.endsWith('\0')) {
            point.chop(1);
        }
        if (point == folder) {
            return true;
        }
    }
    return false;
}

QByteArray folderOf(const std::string& stickRoot) {
    QByteArray folder = QByteArray::fromStdString(stickRoot);
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder;
}

struct StickObjects {
    QDBusObjectPath filesystem;
    std::optional<QDBusObjectPath> drive;
    bool canPowerOff = false;
    bool ejectable = false;
};

std::optional<StickObjects> findStick(const ManagedObjects& objects, const QByteArray& folder) {
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const InterfaceProperties& interfaces = object.value();
        if (!interfaces.contains(FilesystemInterface) ||
            !isMountedAt(interfaces.value(FilesystemInterface), folder)) {
            continue;
        }
        StickObjects stick{object.key(), std::nullopt};
        const auto drive = demarshalled<QDBusObjectPath>(
            interfaces.value(BlockInterface).value(QStringLiteral("Drive")));
        // "/" where no drive stands behind the block device, as for a loop device.
        if (objects.contains(drive) && objects.value(drive).contains(DriveInterface)) {
            const QVariantMap properties = objects.value(drive).value(DriveInterface);
            stick.drive = drive;
            stick.canPowerOff = properties.value(QStringLiteral("CanPowerOff")).toBool();
            stick.ejectable = properties.value(QStringLiteral("Ejectable")).toBool();
        }
        return stick;
    }
    return std::nullopt;
}

QDBusMessage udisksCall(const QDBusObjectPath& object, const QString& interface,
                        const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(Service, object.path(), interface, method);
    call << QVariantMap();
    return call;
}

EjectResult failure(const QDBusMessage& reply) {
    const EjectOutcome outcome =
        reply.errorName() == DeviceBusy ? EjectOutcome::Busy : EjectOutcome::Failed;
    return {outcome, reply.errorMessage().toStdString()};
}

} // namespace

UDisksEjector::UDisksEjector(QDBusConnection::BusType bus)
    : m_bus(bus) {
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
}

EjectResult UDisksEjector::eject(const std::string& stickRoot) {
    const QDBusConnection bus = m_bus == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                                                    : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return {EjectOutcome::Failed, bus.lastError().message().toStdString()};
    }
    const QDBusReply<ManagedObjects> objects = bus.call(QDBusMessage::createMethodCall(
        Service, ManagerPath, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects")));
    if (!objects.isValid()) {
        return {EjectOutcome::Failed, objects.error().message().toStdString()};
    }
    const auto stick = findStick(objects.value(), folderOf(stickRoot));
    if (!stick) {
        return {EjectOutcome::NotAStick, {}};
    }
    const QDBusMessage unmounted =
        bus.call(udisksCall(stick->filesystem, FilesystemInterface, QStringLiteral("Unmount")),
                 QDBus::Block, UnmountTimeoutMs);
    if (unmounted.type() == QDBusMessage::ErrorMessage) {
        return failure(unmounted);
    }
    // Once unmounted, the file system is complete and the stick may be pulled. Powering the
    // drive off as well only spares it the sudden loss of power, so a refusal is no failure.
    if (stick->drive && (stick->canPowerOff || stick->ejectable)) {
        const QString method =
            stick->canPowerOff ? QStringLiteral("PowerOff") : QStringLiteral("Eject");
        bus.call(udisksCall(*stick->drive, DriveInterface, method));
    }
    return {EjectOutcome::Ejected, {}};
}

} // namespace tonarion
