// One instance per user and display: the name, the hand-over of an activation request, and the
// endpoint a crashed instance leaves behind.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/qt/SingleInstance.h"

using qm::platform::InstanceFolder;
using qm::platform::InstanceName;
using qm::platform::SingleInstance;

namespace {

// What a second start does, on a thread of its own so that this one can serve the first.
struct SecondStart {
    SingleInstance::Role role = SingleInstance::Role::First;
    bool delivered = false;
    std::atomic<bool> done{false};
    std::thread thread;

    SecondStart(const QString& folder, const QString& name) {
        thread = std::thread([this, folder, name] {
            SingleInstance second(folder, name);
            role = second.Claim(10000);
            delivered = second.ActivationDelivered();
            done = true;
        });
    }
    SecondStart(const SecondStart&) = delete;
    SecondStart& operator=(const SecondStart&) = delete;
    ~SecondStart() { thread.join(); }
};

QProcessEnvironment Environment(std::initializer_list<std::pair<const char*, const char*>> vars) {
    QProcessEnvironment environment;
    for (const auto& [key, value] : vars) {
        environment.insert(QString::fromLatin1(key), QString::fromLatin1(value));
    }
    return environment;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void NamesArePerUserAndDisplay();
    void TheFolderIsTheUsersRuntimeFolder();
    void ASecondStartActivatesTheFirst();
    void AnEndpointLeftByACrashDoesNotStopTheNextStart();
    void NoLockPossibleRunsAsTheFirst();
};

void SingleInstanceTest::NamesArePerUserAndDisplay() {
    struct Case {
        QProcessEnvironment environment;
        unsigned user;
        QString name;
    };
    const Case cases[] = {
        {Environment({{"DISPLAY", ":0"}}), 1000, QStringLiteral("quillmere-1000-_3a0")},
        // The screen number is no other display.
        {Environment({{"DISPLAY", ":0.1"}}), 1000, QStringLiteral("quillmere-1000-_3a0")},
        {Environment({{"DISPLAY", ":1"}}), 1000, QStringLiteral("quillmere-1000-_3a1")},
        {Environment({{"DISPLAY", ":0"}}), 1001, QStringLiteral("quillmere-1001-_3a0")},
        {Environment({{"DISPLAY", "host.example:10.0"}}), 7,
         QStringLiteral("quillmere-7-host.example_3a10")},
        // Wayland names the session, also where X clients run beside it.
        {Environment({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}), 5,
         QStringLiteral("quillmere-5-wayland-0")},
        {Environment({{"XDG_SESSION_ID", "c2"}}), 5, QStringLiteral("quillmere-5-c2")},
        {Environment({}), 5, QStringLiteral("quillmere-5-console")},
        // Nothing of a display may reach into another folder.
        {Environment({{"WAYLAND_DISPLAY", "../../x y"}}), 5,
         QStringLiteral("quillmere-5-.._2f.._2fx_20y")},
    };
    for (const Case& c : cases) {
        QCOMPARE(InstanceName(c.environment, c.user), c.name);
    }
}

void SingleInstanceTest::TheFolderIsTheUsersRuntimeFolder() {
    QTemporaryDir runtime;
    QTemporaryDir temporary;
    QVERIFY(runtime.isValid() && temporary.isValid());
    const QByteArray runtimePath = runtime.path().toLocal8Bit();
    const QByteArray temporaryPath = temporary.path().toLocal8Bit();
    const unsigned user = ::getuid();
    QCOMPARE(InstanceFolder(Environment({{"XDG_RUNTIME_DIR", runtimePath.constData()}}), user),
             runtime.path());

    // Without a runtime folder: a folder of the user's own in the temporary folder, made private.
    const QString own = temporary.filePath(QStringLiteral("quillmere-%1").arg(user));
    for (const char* unusable : {"", "relative/run", "/no/such/folder"}) {
        QCOMPARE(InstanceFolder(Environment({{"XDG_RUNTIME_DIR", unusable},
                                             {"TMPDIR", temporaryPath.constData()}}),
                                user),
                 own);
        QCOMPARE(
            QFileInfo(own).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
            QFileDevice::Permissions());
    }

    // What someone else may have put there under that name is not used.
    const auto folderFor = [&] {
        return InstanceFolder(Environment({{"TMPDIR", temporaryPath.constData()}}), user);
    };
    const QByteArray ownPath = QFile::encodeName(own);
    QVERIFY(::chmod(ownPath.constData(), 0777) == 0);
    QCOMPARE(folderFor(), QString());  // others may enter it
    QVERIFY(::chmod(ownPath.constData(), 0700) == 0);
    QVERIFY(::chown(ownPath.constData(), user + 1, static_cast<gid_t>(-1)) == 0);
    QCOMPARE(folderFor(), QString());  // another user's
    QVERIFY(QDir(own).removeRecursively());
    QVERIFY(QFile::link(runtime.path(), own));
    QCOMPARE(folderFor(), QString());  // a link to elsewhere
    QVERIFY(QFile::remove(own));
    QVERIFY(QFile(own).open(QIODevice::WriteOnly));
    QCOMPARE(folderFor(), QString());  // no folder at all

    // Without a folder the program runs as the only one it can tell.
    SingleInstance nowhere(QString(), QStringLiteral("instance"));
    QCOMPARE(nowhere.Claim(1000), SingleInstance::Role::First);
    QVERIFY(!QFileInfo::exists(QStringLiteral("instance.lock")));
}

void SingleInstanceTest::ASecondStartActivatesTheFirst() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    SingleInstance first(folder.path(), QStringLiteral("instance"));
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QSignalSpy activations(&first, &SingleInstance::ActivationRequested);

    // Something that is no activation request changes nothing.
    QLocalSocket stranger;
    stranger.connectToServer(first.EndpointPath());
    QVERIFY(stranger.waitForConnected(5000));
    stranger.write("open the pod bay doors\n");
    QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(activations.count(), 0);

    for (int start = 1; start <= 2; ++start) {
        SecondStart second(folder.path(), QStringLiteral("instance"));
        QTRY_VERIFY_WITH_TIMEOUT(second.done, 15000);
        QCOMPARE(second.role, SingleInstance::Role::Second);
        QVERIFY(second.delivered);
        QCOMPARE(activations.count(), start);
    }

    // Another display is another instance.
    SingleInstance elsewhere(folder.path(), QStringLiteral("instance-elsewhere"));
    QCOMPARE(elsewhere.Claim(), SingleInstance::Role::First);
}

void SingleInstanceTest::AnEndpointLeftByACrashDoesNotStopTheNextStart() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString name = QStringLiteral("crashed");
    // An instance that is killed: nothing of it removes its lock file or its endpoint.
    QProcess crashing;
    crashing.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--claim-and-crash"), folder.path(), name});
    QVERIFY(crashing.waitForFinished(15000));
    QCOMPARE(crashing.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFileInfo::exists(folder.filePath(name)));
    QVERIFY(QFileInfo::exists(folder.filePath(name + QStringLiteral(".lock"))));

    SingleInstance next(folder.path(), name);
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
    QSignalSpy activations(&next, &SingleInstance::ActivationRequested);
    SecondStart second(folder.path(), name);
    QTRY_VERIFY_WITH_TIMEOUT(second.done, 15000);
    QCOMPARE(second.role, SingleInstance::Role::Second);
    QVERIFY(second.delivered);
    QCOMPARE(activations.count(), 1);
}

void SingleInstanceTest::NoLockPossibleRunsAsTheFirst() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    SingleInstance nowhere(folder.filePath(QStringLiteral("missing/folder")),
                           QStringLiteral("instance"));
    QCOMPARE(nowhere.Claim(1000), SingleInstance::Role::First);
}

// "--claim-and-crash FOLDER NAME": become the instance, then die as a crash does.
int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--claim-and-crash") == 0) {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (instance.Claim() != SingleInstance::Role::First) {
            return 2;
        }
        ::kill(::getpid(), SIGKILL);
    }
    QCoreApplication application(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SingleInstanceTest.moc"
