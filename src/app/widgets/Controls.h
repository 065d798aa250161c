#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;
class QToolButton;
class QWidget;

namespace qm::app {

// Small makers for the named controls of the windows: each control carries its name as
// objectName (tests and readers find it by that name), and its hint both as tooltip (the hint
// window) and as status tip (the status-bar hint line).
void SetHint(QWidget* widget, const QString& hint);
void SetHint(QAction* action, const QString& hint);

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent);
// A flat text button of a toolbar.
QToolButton* MakeToolButton(const QString& caption, const char* name, const QString& hint,
                            QWidget* parent);
QGroupBox* MakeGroup(const QString& caption, const char* name, QWidget* parent);
// Appends an item to menu.
QAction* AddMenuItem(QMenu* menu, const QString& caption, const char* name, const QString& hint,
                     const QKeySequence& shortcut = {});

}  // namespace qm::app
