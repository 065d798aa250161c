#pragma once

#include <QDBusConnection>
#include <QString>
#include <cstdint>

namespace qm::platform {

// Keeps the screen saver and monitor power-off from starting while it is engaged, through the
// freedesktop screen-saver inhibit service on the session bus. Where no such service runs (no
// desktop session), Engage() reports false and nothing else happens.
class ScreenSaverGuard {
public:
    // bus: where the service is looked for; the session bus unless a test hands in its own.
    explicit ScreenSaverGuard(QDBusConnection bus = QDBusConnection::sessionBus());
    ScreenSaverGuard(const ScreenSaverGuard&) = delete;
    ScreenSaverGuard& operator=(const ScreenSaverGuard&) = delete;
    ~ScreenSaverGuard();

    // Idempotent; true when the inhibition is in force.
    bool Engage(const QString& reason);
    // Idempotent; lifts the inhibition taken by Engage().
    void Release();
    bool IsEngaged() const { return m_engaged; }

private:
    QDBusConnection m_bus;
    bool m_engaged = false;
    std::uint32_t m_cookie = 0;
};

}  // namespace qm::platform
