#pragma once

#include <QApplication>

namespace qm::app {

// The application object. An error that a command does not handle ends that command and is shown
// by the general error display (a message box titled "Quillmere"); the program goes on.
class QuillmereApplication : public QApplication {
    Q_OBJECT
public:
    QuillmereApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qm::app
