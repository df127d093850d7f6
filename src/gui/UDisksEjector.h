#pragma once

#include "workspace/StickEjecting.h"

#include <QDBusConnection>

namespace tonarion {

// Ejects a stick through UDisks2, the service behind the desktop's own "safely remove": the
// file system mounted at the stick's root is unmounted, then the drive is powered off or
// ejected where it allows that. The program asks on the system bus; tests hand a session bus
// with a stand-in service on it.
class UDisksEjector final : public StickEjector {
public:
    explicit UDisksEjector(QDBusConnection::BusType bus);

    EjectResult eject(const std::string& stickRoot) override;

private:
    QDBusConnection::BusType m_bus;
};

} // namespace tonarion
