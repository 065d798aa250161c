#include "platform/qt/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <utility>

namespace qm::platform {

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kAcknowledge = "ok\n";

// The display a session shows on, as the variables of the process name it.
QString DisplayOf(const QProcessEnvironment& environment) {
    QString wayland = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (!wayland.isEmpty()) {
        return wayland;
    }
    QString x11 = environment.value(QStringLiteral("DISPLAY"));
    if (!x11.isEmpty()) {
        // ":0" and ":0.0" are one display: the screen number does not make another session.
        static const QRegularExpression screen(QStringLiteral("^(.*:\\d+)\\.\\d+$"));
        const QRegularExpressionMatch match = screen.match(x11);
        return match.hasMatch() ? match.captured(1) : x11;
    }
    const QString session = environment.value(QStringLiteral("XDG_SESSION_ID"));
    return session.isEmpty() ? QStringLiteral("console") : session;
}

QString FileNameSafe(const QString& text) {
    QString safe;
    for (const QChar c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
            c == u'.' || c == u'-') {
            safe += c;
        } else {
            safe += QStringLiteral("_%1").arg(c.unicode(), 0, 16);
        }
    }
    return safe;
}

}  // namespace

QString InstanceName(const QProcessEnvironment& environment, unsigned userId) {
    return QStringLiteral("quillmere-%1-%2").arg(userId).arg(FileNameSafe(DisplayOf(environment)));
}

QString InstanceFolder(const QProcessEnvironment& environment, unsigned userId) {
    QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        return runtime;
    }
    QString temporary = environment.value(QStringLiteral("TMPDIR"));
    if (temporary.isEmpty() || !QDir::isAbsolutePath(temporary)) {
        temporary = QStringLiteral("/tmp");
    }
    QString folder = QDir(temporary).filePath(QStringLiteral("quillmere-%1").arg(userId));
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    // lstat: a link planted under this name is no folder of ours.
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != userId || (info.st_mode & 077) != 0) {
        return {};
    }
    return folder;
}

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent),
      m_folder(std::move(folder)),
      m_name(std::move(name)),
      m_lock(QDir(m_folder).filePath(m_name + QStringLiteral(".lock"))) {
    // Only a lock whose process has ended is stale; the age of a lock says nothing, the first
    // instance holds it for days.
    m_lock.setStaleLockTime(0);
}

std::unique_ptr<SingleInstance> SingleInstance::ForThisSession() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    return std::make_unique<SingleInstance>(InstanceFolder(environment, ::getuid()),
                                            InstanceName(environment, ::getuid()));
}

SingleInstance::~SingleInstance() {
    if (m_server != nullptr) {
        m_server->close();
    }
}

QString SingleInstance::EndpointPath() const {
    return QDir(m_folder).filePath(m_name);
}

SingleInstance::Role SingleInstance::Claim(int waitMs) {
    if (m_folder.isEmpty()) {
        return Role::First;
    }
    if (m_lock.tryLock(0)) {
        Listen();
        return Role::First;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        // No lock can be made here (no such folder, no permission): nothing tells whether
        // another instance runs, so this one does.
        return Role::First;
    }
    m_delivered = RequestActivation(waitMs);
    return Role::Second;
}

void SingleInstance::Listen() {
    // The lock is ours, so whatever endpoint is there was left by an instance that ended without
    // removing it.
    QLocalServer::removeServer(EndpointPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(EndpointPath())) {
        // The instance runs all the same; later starts find the lock and end without a window.
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            Serve(socket);
        }
    });
}

void SingleInstance::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto answer = [this, socket] {
        if (!socket->canReadLine()) {
            // A request is one short line; anything longer is no request.
            if (socket->bytesAvailable() > kActivate.size()) {
                socket->abort();
            }
            return;
        }
        const QByteArray line = socket->readLine(kActivate.size() + 1);
        if (line == kActivate) {
            socket->write(kAcknowledge);
            socket->flush();
            emit ActivationRequested();
        }
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, answer);
    // The request may have arrived with the connection.
    if (socket->bytesAvailable() > 0) {
        answer();
    }
}

bool SingleInstance::RequestActivation(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    // The running instance may still be starting and not listen yet: try again until it does.
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(EndpointPath());
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(kActivate);
            if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
                return false;
            }
            QByteArray reply;
            while (!reply.endsWith('\n') &&
                   socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                reply += socket.readAll();
            }
            return reply == kAcknowledge;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
}

}  // namespace qm::platform
