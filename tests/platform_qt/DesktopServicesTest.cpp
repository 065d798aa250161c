// The desktop services of the file commands: file URLs that keep every byte of a path, the
// clipboard, the terminal started in a folder with an argument list (never a shell), and the file
// manager asked over a private message bus, with the folder opened when none answers. Stand-in
// terminals and a stand-in file manager: no test starts a real program.
#include <QClipboard>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/qt/DesktopServices.h"

using qm::platform::EClipboardError;
using qm::platform::FileUrl;
using qm::platform::SystemDesktopServices;
using qm::platform::TerminalOutcome;

namespace {

// Takes ShowItems and ShowFolders requests as a desktop's file manager does.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList requests;

public slots:
    void ShowItems(const QStringList& uris, const QString& /*startupId*/) {
        requests << QStringLiteral("items ") + uris.join(u' ');
    }
    void ShowFolders(const QStringList& uris, const QString& /*startupId*/) {
        requests << QStringLiteral("folders ") + uris.join(u' ');
    }
};

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A stand-in terminal: writes its working folder and its arguments, one per line, to the file
// named by QM_TERMINAL_LOG.
void WriteFakeTerminal(const QString& path) {
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\n"
        "{ printf '%s\\n' \"$PWD\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } "
        "> \"$QM_TERMINAL_LOG.part\"\n"
        "command -p mv \"$QM_TERMINAL_LOG.part\" \"$QM_TERMINAL_LOG\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QStringList ReadLog(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace

class DesktopServicesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ClipboardErrorMessage();
    void FileUrlsKeepEveryByte_data();
    void FileUrlsKeepEveryByte();
    void OpenHandsTheUrlToTheDesktop();
    void ClipboardTextReplacesWhatItHeld();
    void TerminalsTriedInOrder();
    void TerminalStartsInTheFolderWithoutAShell();
    void TerminalFromTheTerminalVariable();
    void NoTerminalOrNoFolder();
    void ExploreAsksTheFileManager();

private:
    QByteArray m_path;
    QByteArray m_terminal;
    bool m_hadTerminal = false;
    QTemporaryDir m_dir;
};

void DesktopServicesTest::init() {
    QVERIFY(m_dir.isValid());
    m_path = qgetenv("PATH");
    m_hadTerminal = qEnvironmentVariableIsSet("TERMINAL");
    m_terminal = qgetenv("TERMINAL");
    qunsetenv("TERMINAL");
}

void DesktopServicesTest::cleanup() {
    qputenv("PATH", m_path);
    if (m_hadTerminal) {
        qputenv("TERMINAL", m_terminal);
    } else {
        qunsetenv("TERMINAL");
    }
}

void DesktopServicesTest::ClipboardErrorMessage() {
    const EClipboardError error("could not lock global memory handle.", 8,
                                "Not enough memory resources are available.");
    QCOMPARE(std::string(error.what()),
             std::string("APIClipboard: could not lock global memory handle.\r\nSystem error "
                         "code: 8\r\nSystem error message: Not enough memory resources are "
                         "available."));
}

void DesktopServicesTest::FileUrlsKeepEveryByte_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("plain") << QByteArray("/home/ann/a.jpg") << QByteArray("file:///home/ann/a.jpg");
    QTest::newRow("blanks and signs") << QByteArray("/home/ann/my #1 100%?.jpg")
                                      << QByteArray("file:///home/ann/my%20%231%20100%25%3F.jpg");
    QTest::newRow("a folder") << QByteArray("/home/ann/photos/")
                              << QByteArray("file:///home/ann/photos/");
    QTest::newRow("invalid UTF-8")
        << QByteArray("/data/\xff\xfe.png") << QByteArray("file:///data/%FF%FE.png");
    QTest::newRow("UTF-8") << QByteArray("/data/\xc3\xa9t\xc3\xa9.png")
                           << QByteArray("file:///data/%C3%A9t%C3%A9.png");
}

void DesktopServicesTest::FileUrlsKeepEveryByte() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, encoded);
    const QUrl url = FileUrl(path.toStdString());
    QVERIFY(url.isValid());
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toEncoded(), encoded);
    QCOMPARE(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), path);
}

void DesktopServicesTest::OpenHandsTheUrlToTheDesktop() {
    QList<QUrl> opened;
    SystemDesktopServices services(QDBusConnection(QString()), [&](const QUrl& url) {
        opened << url;
        return opened.size() == 1;
    });
    QVERIFY(services.Open("/home/ann/a b.jpg"));
    QVERIFY(!services.Open("/home/ann/"));
    QCOMPARE(opened, (QList<QUrl>{QUrl::fromLocalFile("/home/ann/a b.jpg"),
                                  QUrl::fromLocalFile("/home/ann/")}));
    // Without a message bus, explore opens the folder.
    opened.clear();
    QVERIFY(services.Explore("/home/ann/", "/home/ann/a b.jpg"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile("/home/ann/")});
}

void DesktopServicesTest::ClipboardTextReplacesWhatItHeld() {
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    SystemDesktopServices services(QDBusConnection(QString()), [](const QUrl&) { return true; });
    services.SetClipboardText(QStringLiteral("/home/ann/photos/"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/home/ann/photos/"));
}

void DesktopServicesTest::TerminalsTriedInOrder() {
    const auto candidates =
        SystemDesktopServices::TerminalCandidates(QStringLiteral("kitty --single-instance"));
    QVERIFY(candidates.size() > 3);
    QCOMPARE(candidates[0], QStringList{"x-terminal-emulator"});
    QCOMPARE(candidates[1], (QStringList{"kitty", "--single-instance"}));
    QVERIFY(std::find(candidates.begin(), candidates.end(), QStringList{"xterm"}) !=
            candidates.end());
    QCOMPARE(SystemDesktopServices::TerminalCandidates(QString()).size(), candidates.size() - 1);
}

void DesktopServicesTest::TerminalStartsInTheFolderWithoutAShell() {
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    WriteFakeTerminal(bin + QStringLiteral("/x-terminal-emulator"));
    qputenv("PATH", QFile::encodeName(bin));
    const QString log = m_dir.filePath(QStringLiteral("terminal.log"));
    qputenv("QM_TERMINAL_LOG", QFile::encodeName(log));
    // A name a shell would run parts of.
    const QString folder = m_dir.filePath(QStringLiteral("we $(touch pwned); 'q' \"x\" `id` &"));
    QVERIFY(QDir().mkpath(folder));

    SystemDesktopServices services(QDBusConnection(QString()), [](const QUrl&) { return false; });
    QCOMPARE(services.OpenTerminal(Bytes(folder) + "/"), TerminalOutcome::Started);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
    QCOMPARE(ReadLog(log), QStringList{folder});
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QDir(folder).filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
}

void DesktopServicesTest::TerminalFromTheTerminalVariable() {
    const QString bin = m_dir.filePath(QStringLiteral("bin2"));
    QVERIFY(QDir().mkpath(bin));
    WriteFakeTerminal(bin + QStringLiteral("/my-term"));
    qputenv("PATH", QFile::encodeName(bin));
    qputenv("TERMINAL", "my-term --hold \"two words\"");
    const QString log = m_dir.filePath(QStringLiteral("variable.log"));
    qputenv("QM_TERMINAL_LOG", QFile::encodeName(log));

    SystemDesktopServices services(QDBusConnection(QString()), [](const QUrl&) { return false; });
    QCOMPARE(services.OpenTerminal(Bytes(m_dir.path()) + "/"), TerminalOutcome::Started);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
    QCOMPARE(ReadLog(log), (QStringList{m_dir.path(), "[--hold]", "[two words]"}));
}

void DesktopServicesTest::NoTerminalOrNoFolder() {
    const QString empty = m_dir.filePath(QStringLiteral("empty-bin"));
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", QFile::encodeName(empty));
    SystemDesktopServices services(QDBusConnection(QString()), [](const QUrl&) { return false; });
    QCOMPARE(services.OpenTerminal(Bytes(m_dir.path()) + "/"), TerminalOutcome::NotInstalled);

    WriteFakeTerminal(empty + QStringLiteral("/xterm"));
    QCOMPARE(services.OpenTerminal(Bytes(m_dir.filePath(QStringLiteral("gone"))) + "/"),
             TerminalOutcome::Failed);
}

void DesktopServicesTest::ExploreAsksTheFileManager() {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
    if (!daemon.waitForStarted(5000)) {
        QSKIP("dbus-daemon is not installed");
    }
    QVERIFY(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    const QString folder = m_dir.filePath(QStringLiteral("photos")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("a b.jpg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QList<QUrl> opened;
    {
        SystemDesktopServices services(
            QDBusConnection::connectToBus(address, QStringLiteral("window")), [&](const QUrl& url) {
                opened << url;
                return true;
            });
        // Nobody answers: the folder opens.
        QVERIFY(services.Explore(Bytes(folder), Bytes(file.fileName())));
        QTRY_COMPARE_WITH_TIMEOUT(opened, QList<QUrl>{QUrl::fromLocalFile(folder)}, 10000);

        QDBusConnection serviceBus =
            QDBusConnection::connectToBus(address, QStringLiteral("file manager"));
        FakeFileManager manager;
        QVERIFY(serviceBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        opened.clear();
        QVERIFY(services.Explore(Bytes(folder), Bytes(file.fileName())));
        QTRY_COMPARE_WITH_TIMEOUT(manager.requests.size(), 1, 10000);
        QCOMPARE(manager.requests[0],
                 QStringLiteral("items ") +
                     QString::fromLatin1(QUrl::fromLocalFile(file.fileName()).toEncoded()));
        // The file is gone: its folder is shown.
        QVERIFY(file.remove());
        QVERIFY(services.Explore(Bytes(folder), Bytes(file.fileName())));
        QTRY_COMPARE_WITH_TIMEOUT(manager.requests.size(), 2, 10000);
        QCOMPARE(manager.requests[1],
                 QStringLiteral("folders ") +
                     QString::fromLatin1(QUrl::fromLocalFile(folder).toEncoded()));
        QTest::qWait(100);
        QVERIFY(opened.isEmpty());
        serviceBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("file manager"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("window"));
    daemon.terminate();
    daemon.waitForFinished(3000);
}

QTEST_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
