#pragma once

class QDialog;
class QKeyEvent;
class QPushButton;

namespace qm::app {

// The keys every dialog of the program treats alike: Esc without Shift, Ctrl or Alt closes it as
// Cancel, Esc with one of them does nothing, and Enter confirms only while ok is enabled. True
// when event was one of these and is dealt with; otherwise the dialog handles it as usual.
bool HandleDialogKey(QDialog& dialog, const QPushButton& ok, const QKeyEvent& event);

// Only the Esc rule, for the dialogs whose Enter goes to the default button or to nothing.
bool HandleEscape(QDialog& dialog, const QKeyEvent* event);

}  // namespace qm::app
