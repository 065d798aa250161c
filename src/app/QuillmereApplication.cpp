#include "app/QuillmereApplication.h"

#include <exception>

#include "app/dialogs/MessageBoxPrompter.h"

namespace qm::app {

QuillmereApplication::QuillmereApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmere"));
    setApplicationDisplayName(QStringLiteral("Quillmere"));
}

bool QuillmereApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        MessageBoxPrompter(activeWindow()).ShowError(error.what());
    }
    return false;
}

}  // namespace qm::app
