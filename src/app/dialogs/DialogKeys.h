#pragma once

#include <QDialog>
#include <QKeyEvent>

namespace qm::app {

// The editing dialogs see Esc before their controls do: Esc pressed without Shift, Ctrl or Alt
// cancels the dialog, Esc with one of them does nothing at all. True when the key was Esc and has
// been dealt with.
inline bool HandleEscape(QDialog& dialog, const QKeyEvent* event) {
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

}  // namespace qm::app
