#include "app/QuillmereApplication.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <exception>

#include "app/dialogs/MessageBoxPrompter.h"

// The icon lives in this static library; its resource is registered before the first use.
static void InitQuillmereResources() {
    Q_INIT_RESOURCE(quillmere);
}

namespace qm::app {

QIcon QuillmereIcon() {
    InitQuillmereResources();
    QSvgRenderer renderer(QStringLiteral(":/quillmere/quillmere.svg"));
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QuillmereApplication::QuillmereApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmere"));
    // The name of the installed menu entry (packaging/), by which Wayland and task bars match
    // the window to its entry and icon.
    setDesktopFileName(QStringLiteral("org.quillmere.Quillmere"));
    setWindowIcon(QuillmereIcon());
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
