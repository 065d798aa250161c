#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "foundation/Error.h"

namespace qm::platform {

// The clipboard could not take a text. The message names the step that failed (reason, e.g.
// "could not open the clipboard.") with the system's error code and its text for that code.
class EClipboardError : public Error {
public:
    EClipboardError(const std::string& reason, int code, const std::string& systemMessage);
    static std::string MessageText(const std::string& reason, int code,
                                   const std::string& systemMessage);
};

enum class TerminalOutcome {
    Started,
    NotInstalled,  // no terminal emulator was found
    Failed,        // one was found but could not be started there
};

// What the results' file commands ask of the desktop. Paths are exact bytes; a path is never
// handed to a shell. Tests replace the whole service, so that no test starts a program.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Opens a folder in the file manager, or a file with the program the desktop associates
    // with it. False when it could not be handed to the desktop.
    virtual bool Open(const std::string& path) = 0;
    // Shows file (in folder) selected in the user's file manager, or the folder when the file
    // is gone; where no file manager takes the request, opens the folder.
    virtual bool Explore(const std::string& folder, const std::string& file) = 0;
    // Starts the user's terminal emulator with folder as its working folder.
    virtual TerminalOutcome OpenTerminal(const std::string& folder) = 0;
    // Puts text on the clipboard as plain text, replacing what it held. Throws EClipboardError
    // when the clipboard cannot be used.
    virtual void SetClipboardText(const QString& text) = 0;
};

// The file: URL of path, with every byte of it kept (percent-encoded where needed).
QUrl FileUrl(const std::string& path);

// The desktop of a freedesktop session: xdg-open through QDesktopServices, the file manager's
// org.freedesktop.FileManager1 interface on the session bus, the Debian terminal alternative or
// the user's $TERMINAL or a common terminal emulator, and QClipboard.
class SystemDesktopServices : public DesktopServices {
public:
    // How a URL goes to the desktop; QDesktopServices::openUrl unless a test hands in another.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit SystemDesktopServices(QDBusConnection bus = QDBusConnection::sessionBus(),
                                   UrlOpener opener = {});

    bool Open(const std::string& path) override;
    bool Explore(const std::string& folder, const std::string& file) override;
    TerminalOutcome OpenTerminal(const std::string& folder) override;
    void SetClipboardText(const QString& text) override;

    // The terminal commands tried, in order: x-terminal-emulator, then terminalVariable (a
    // program name with its own arguments, split at blanks with double quotes grouping words,
    // never run by a shell), then the common emulators.
    static std::vector<QStringList> TerminalCandidates(const QString& terminalVariable);

private:
    QDBusConnection m_bus;
    UrlOpener m_opener;
};

}  // namespace qm::platform
