#pragma once

#include <QApplication>
#include <QIcon>

namespace qm::app {

// Quillmere's own icon (resources/quillmere.svg), drawn at the sizes desktops ask for.
QIcon QuillmereIcon();

// The application object: its name, and the icon of every window. It sets no display name, which
// the platform would append to every window title. An error that a command does not handle ends
// that command and is shown by the general error display (a message box titled "Quillmere"); the
// program goes on.
class QuillmereApplication : public QApplication {
    Q_OBJECT
public:
    QuillmereApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qm::app
