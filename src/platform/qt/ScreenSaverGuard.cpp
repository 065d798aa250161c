#include "platform/qt/ScreenSaverGuard.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <utility>

namespace qm::platform {

namespace {
const char* const kService = "org.freedesktop.ScreenSaver";
const char* const kPath = "/org/freedesktop/ScreenSaver";
const char* const kInterface = "org.freedesktop.ScreenSaver";

bool ServiceAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return false;
    }
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
    return registered.isValid() && registered.value();
}
}  // namespace

ScreenSaverGuard::ScreenSaverGuard(QDBusConnection bus) : m_bus(std::move(bus)) {}

ScreenSaverGuard::~ScreenSaverGuard() {
    Release();
}

bool ScreenSaverGuard::Engage(const QString& reason) {
    if (m_engaged) {
        return true;
    }
    if (!ServiceAvailable(m_bus)) {
        return false;
    }
    QDBusInterface screenSaver(kService, kPath, kInterface, m_bus);
    const QString app = QCoreApplication::applicationName().isEmpty()
                            ? QStringLiteral("Quillmere")
                            : QCoreApplication::applicationName();
    const QDBusReply<std::uint32_t> reply =
        screenSaver.call(QStringLiteral("Inhibit"), app, reason);
    if (!reply.isValid()) {
        return false;
    }
    m_cookie = reply.value();
    m_engaged = true;
    return true;
}

void ScreenSaverGuard::Release() {
    if (!m_engaged) {
        return;
    }
    m_engaged = false;
    if (!m_bus.isConnected()) {
        return;
    }
    QDBusInterface screenSaver(kService, kPath, kInterface, m_bus);
    screenSaver.call(QStringLiteral("UnInhibit"), m_cookie);
}

}  // namespace qm::platform
