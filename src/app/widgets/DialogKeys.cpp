#include "app/widgets/DialogKeys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace qm::app {

bool HandleEscape(QDialog& dialog, const QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        return false;
    }
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier) {
        dialog.reject();
    }
    return true;
}

bool HandleDialogKey(QDialog& dialog, const QPushButton& ok, const QKeyEvent& event) {
    if (HandleEscape(dialog, &event)) {
        return true;
    }
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) && !ok.isEnabled();
}

}  // namespace qm::app
