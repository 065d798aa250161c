#include "app/widgets/Controls.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace qm::app {

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

void SetHint(QAction* action, const QString& hint) {
    action->setToolTip(hint);
    action->setStatusTip(hint);
}

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QToolButton* MakeToolButton(const QString& caption, const char* name, const QString& hint,
                            QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    SetHint(button, hint);
    return button;
}

QGroupBox* MakeGroup(const QString& caption, const char* name, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

QAction* AddMenuItem(QMenu* menu, const QString& caption, const char* name, const QString& hint,
                     const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    SetHint(item, hint);
    return item;
}

}  // namespace qm::app
