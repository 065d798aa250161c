#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QClipboard>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/FileDetails.h"
#include "platform/qt/DesktopServices.h"

extern char** environ;

namespace qm::platform {

namespace {

const char* const kFileManagerService = "org.freedesktop.FileManager1";
const char* const kFileManagerPath = "/org/freedesktop/FileManager1";
const char* const kFileManagerInterface = "org.freedesktop.FileManager1";
constexpr int kFileManagerTimeoutMs = 5000;

// Starts program with args in folder (exact bytes), detached from us: its own session, the
// default signal handling, stdin from /dev/null. Reaped by a thread of its own, so it never
// lingers as a zombie. False when it could not be started there.
bool SpawnDetached(const QString& program, const QStringList& args, const std::string& folder) {
    const QByteArray programBytes = QFile::encodeName(program);
    std::vector<QByteArray> argBytes;
    argBytes.reserve(static_cast<std::size_t>(args.size()) + 1);
    argBytes.push_back(programBytes);
    for (const QString& arg : args) {
        argBytes.push_back(arg.toLocal8Bit());
    }
    std::vector<char*> argv;
    argv.reserve(argBytes.size() + 1);
    for (QByteArray& arg : argBytes) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, programBytes.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace

EClipboardError::EClipboardError(const std::string& reason, int code,
                                 const std::string& systemMessage)
    : Error(MessageText(reason, code, systemMessage)) {}

std::string EClipboardError::MessageText(const std::string& reason, int code,
                                         const std::string& systemMessage) {
    return "APIClipboard: " + reason + "\r\nSystem error code: " + std::to_string(code) +
           "\r\nSystem error message: " + systemMessage;
}

QUrl FileUrl(const std::string& path) {
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

SystemDesktopServices::SystemDesktopServices(QDBusConnection bus, UrlOpener opener)
    : m_bus(std::move(bus)), m_opener(std::move(opener)) {
    if (!m_opener) {
        m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
}

bool SystemDesktopServices::Open(const std::string& path) {
    return m_opener(FileUrl(path));
}

bool SystemDesktopServices::Explore(const std::string& folder, const std::string& file) {
    if (!m_bus.isConnected()) {
        return Open(folder);
    }
    const bool fileThere = IsRegularFile(file);
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManagerService, kFileManagerPath, kFileManagerInterface,
        fileThere ? QStringLiteral("ShowItems") : QStringLiteral("ShowFolders"));
    call << QStringList{QString::fromLatin1(FileUrl(fileThere ? file : folder).toEncoded())}
         << QString();
    // The answer comes later; should no file manager take the request, the folder opens then.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kFileManagerTimeoutMs));
    const UrlOpener opener = m_opener;
    const QUrl folderUrl = FileUrl(folder);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [opener, folderUrl](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) {
                             opener(folderUrl);
                         }
                         finished->deleteLater();
                     });
    return true;
}

std::vector<QStringList> SystemDesktopServices::TerminalCandidates(
    const QString& terminalVariable) {
    std::vector<QStringList> candidates;
    candidates.push_back({QStringLiteral("x-terminal-emulator")});
    const QStringList user = QProcess::splitCommand(terminalVariable);
    if (!user.isEmpty()) {
        candidates.push_back(user);
    }
    for (const char* name :
         {"gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal", "lxterminal", "qterminal",
          "terminator", "tilix", "kitty", "alacritty", "foot", "xterm", "urxvt"}) {
        candidates.push_back({QString::fromLatin1(name)});
    }
    return candidates;
}

TerminalOutcome SystemDesktopServices::OpenTerminal(const std::string& folder) {
    const QString variable =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("TERMINAL"));
    for (QStringList command : TerminalCandidates(variable)) {
        const QString program = QStandardPaths::findExecutable(command.takeFirst());
        if (program.isEmpty()) {
            continue;
        }
        return SpawnDetached(program, command, folder) ? TerminalOutcome::Started
                                                       : TerminalOutcome::Failed;
    }
    return TerminalOutcome::NotInstalled;
}

void SystemDesktopServices::SetClipboardText(const QString& text) {
    errno = 0;
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (clipboard == nullptr) {
        const int code = errno;
        throw EClipboardError("could not open the clipboard.", code, std::strerror(code));
    }
    clipboard->setText(text, QClipboard::Clipboard);
    // The clipboard of the platform may refuse silently; what it holds now tells.
    if (clipboard->text(QClipboard::Clipboard) != text) {
        const int code = errno;
        throw EClipboardError("could not copy data block to clipboard.", code, std::strerror(code));
    }
}

}  // namespace qm::platform
