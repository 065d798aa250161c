// The screen saver stays off while a search runs with "Disable Screen Saver During Search" ticked:
// the main window against a stand-in screen-saver service on a private message bus.
#include <QAction>
#include <QDBusConnection>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>

#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "platform/qt/ScreenSaverGuard.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmMain;
using qm::test::Content;
using qm::test::TempTree;

namespace {

// Counts the inhibitions in force, as a desktop's screen saver keeps them.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::atomic<int> inhibitions{0};

public slots:
    uint Inhibit(const QString& /*app*/, const QString& /*reason*/) {
        ++inhibitions;
        return 7u;
    }
    void UnInhibit(uint /*cookie*/) { --inhibitions; }
};

}  // namespace

class MainFormScreenSaverTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void OffWhileSearching_data();
    void OffWhileSearching();

private:
    QProcess m_daemon;
    QString m_address;
    QThread m_serviceThread;
    FakeScreenSaver* m_service = nullptr;
    std::unique_ptr<QDBusConnection> m_serviceBus;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
};

void MainFormScreenSaverTest::initTestCase() {
    m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!m_daemon.waitForStarted(5000)) {
        QSKIP("dbus-daemon is not installed");
    }
    QVERIFY(m_daemon.waitForReadyRead(5000));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    m_serviceBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("service")));
    QVERIFY(m_serviceBus->isConnected());
    // The service answers on its own thread, as another program would, while the window's thread
    // waits for the reply.
    m_service = new FakeScreenSaver;
    m_service->moveToThread(&m_serviceThread);
    m_serviceThread.start();
    QVERIFY(m_serviceBus->registerObject("/org/freedesktop/ScreenSaver", m_service,
                                         QDBusConnection::ExportAllSlots));
    QVERIFY(m_serviceBus->registerService("org.freedesktop.ScreenSaver"));
}

void MainFormScreenSaverTest::cleanupTestCase() {
    if (m_serviceBus) {
        m_serviceBus->unregisterService("org.freedesktop.ScreenSaver");
    }
    m_serviceThread.quit();
    m_serviceThread.wait();
    delete m_service;
    m_daemon.terminate();
    m_daemon.waitForFinished(3000);
}

void MainFormScreenSaverTest::init() {
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->UseScreenSaverGuard(std::make_unique<qm::platform::ScreenSaverGuard>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("window"))));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormScreenSaverTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    w.reset();
    prompter.reset();
    QCOMPARE(m_service->inhibitions.load(), 0);
}

void MainFormScreenSaverTest::OffWhileSearching_data() {
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("abort");
    QTest::newRow("ticked") << true << false;
    QTest::newRow("ticked, aborted") << true << true;
    QTest::newRow("not ticked") << false << false;
}

void MainFormScreenSaverTest::OffWhileSearching() {
    QFETCH(bool, ticked);
    QFETCH(bool, abort);
    TempTree files({{"a/x.txt", Content("same")}, {"b/x.txt", Content("same")}});
    w->AddSearchPath(files.Root());
    w->SelectAllFiltersBtnClick();
    QVERIFY(w->SearchBtn->isEnabled());
    if (!ticked) {
        w->DisableSSItem->trigger();
    }
    QCOMPARE(w->DisableSSItem->isChecked(), ticked);

    int duringSearch = -1;
    int afterAbort = -1;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (duringSearch >= 0) {
            return;
        }
        duringSearch = m_service->inhibitions.load();
        if (abort) {
            QTest::mouseClick(w->AbortSearchBtn, Qt::LeftButton);
            // The search still runs out its steps, but no longer counts as in progress.
            afterAbort = m_service->inhibitions.load();
        }
    });
    QTest::mouseClick(w->SearchBtn, Qt::LeftButton);

    QCOMPARE(duringSearch, ticked ? 1 : 0);
    if (abort) {
        QCOMPARE(afterAbort, 0);
    }
    QVERIFY(!w->ScreenSaverSuppressed());
    QCOMPARE(m_service->inhibitions.load(), 0);
}

QTEST_MAIN(MainFormScreenSaverTest)
#include "MainFormScreenSaverTest.moc"
