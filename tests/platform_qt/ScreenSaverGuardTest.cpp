// The guard against a stand-in screen-saver service on a private message bus.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QThread>
#include <QtTest>
#include <atomic>

#include "platform/qt/ScreenSaverGuard.h"

namespace {

// Answers Inhibit/UnInhibit like a desktop's screen saver and remembers what is inhibited.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::atomic<int> inhibitions{0};
    std::atomic<int> calls{0};
    QString lastReason;

public slots:
    uint Inhibit(const QString& /*app*/, const QString& reason) {
        ++calls;
        ++inhibitions;
        lastReason = reason;
        return 41u + static_cast<uint>(calls.load());
    }
    void UnInhibit(uint /*cookie*/) {
        ++calls;
        --inhibitions;
    }
};

}  // namespace

class ScreenSaverGuardTest : public QObject {
    Q_OBJECT

private:
    QProcess m_daemon;
    QString m_address;
    QThread m_serviceThread;
    FakeScreenSaver* m_service = nullptr;

private slots:
    void initTestCase() {
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (!m_daemon.waitForStarted(5000)) {
            QSKIP("dbus-daemon is not installed");
        }
        QVERIFY(m_daemon.waitForReadyRead(5000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase() {
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }

    void withoutServiceNothingIsEngaged() {
        QDBusConnection client = QDBusConnection::connectToBus(m_address, "client-empty");
        QVERIFY(client.isConnected());
        qm::platform::ScreenSaverGuard guard(client);
        QVERIFY(!guard.Engage("search"));
        QVERIFY(!guard.IsEngaged());
        guard.Release();  // harmless when nothing is engaged
    }

    void engageAndReleaseInhibitOnce() {
        // The service lives on its own connection and thread, as another program would.
        QDBusConnection serviceBus = QDBusConnection::connectToBus(m_address, "service");
        QVERIFY(serviceBus.isConnected());
        m_service = new FakeScreenSaver;
        m_service->moveToThread(&m_serviceThread);
        m_serviceThread.start();
        QVERIFY(serviceBus.registerObject("/org/freedesktop/ScreenSaver", m_service,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService("org.freedesktop.ScreenSaver"));

        QDBusConnection client = QDBusConnection::connectToBus(m_address, "client");
        {
            qm::platform::ScreenSaverGuard guard(client);
            QVERIFY(guard.Engage("Duplicate file search"));
            QVERIFY(guard.Engage("again"));  // idempotent: no second inhibition
            QCOMPARE(m_service->inhibitions.load(), 1);
            QCOMPARE(m_service->lastReason, QString("Duplicate file search"));
            guard.Release();
            QTRY_COMPARE(m_service->inhibitions.load(), 0);
            QVERIFY(!guard.IsEngaged());

            QVERIFY(guard.Engage("second search"));
            QCOMPARE(m_service->inhibitions.load(), 1);
        }  // the destructor lifts what is still engaged
        QTRY_COMPARE(m_service->inhibitions.load(), 0);

        serviceBus.unregisterService("org.freedesktop.ScreenSaver");
        m_serviceThread.quit();
        m_serviceThread.wait();
        delete m_service;
    }
};

QTEST_GUILESS_MAIN(ScreenSaverGuardTest)
#include "ScreenSaverGuardTest.moc"
