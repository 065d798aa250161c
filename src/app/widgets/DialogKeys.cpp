#include "app/widgets/DialogKeys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace qm::app {

bool HandleDialogKey(QDialog& dialog, const QPushButton& ok, const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event.key() == Qt::Key_Escape) {
        if (mods == Qt::NoModifier) {
            dialog.reject();
        }
        return true;
    }
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) && !ok.isEnabled();
}

}  // namespace qm::app
