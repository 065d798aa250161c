#include "app/results/DupeTreeMenus.h"

#include <QColorDialog>
#include <QMenu>
#include <QWidget>

#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"

namespace qm::app {

DupeTreeMenus::DupeTreeMenus(DupeTreeView* view, QWidget* menuParent)
    : QObject(view),
      m_view(view),
      m_chooser(PlatformColorChooser(menuParent)),
      m_colorMenu(new QMenu(menuParent)),
      m_gridMenu(new QMenu(menuParent)) {
    m_colorMenu->setObjectName(QStringLiteral("ColorMenu"));
    m_gridMenu->setObjectName(QStringLiteral("GridMenu"));
    const results::TreeColors& colors = view->Model()->Colors();
    m_primaryItem = m_colorMenu->addAction(QString::fromStdString(colors.primaryItemCaption));
    m_secondaryItem = m_colorMenu->addAction(QString::fromStdString(colors.secondaryItemCaption));
    m_turnOffItem = m_colorMenu->addAction(QStringLiteral("Turn &Off Grid Coloring"));
    m_turnOnItem = m_colorMenu->addAction(QStringLiteral("&Turn On Grid Coloring"));
    m_primaryItem->setCheckable(true);
    m_secondaryItem->setCheckable(true);
    m_primaryItem->setObjectName(QStringLiteral("ColorMenuPrimaryItem"));
    m_secondaryItem->setObjectName(QStringLiteral("ColorMenuSecondaryItem"));
    m_turnOffItem->setObjectName(QStringLiteral("ColorMenuTurnOffItem"));
    m_turnOnItem->setObjectName(QStringLiteral("ColorMenuTurnOnItem"));
    m_gridOnItem = m_gridMenu->addAction(QStringLiteral("&Turn Display Grid On"));
    m_gridOffItem = m_gridMenu->addAction(QStringLiteral("Turn &Display Grid Off"));
    m_gridOnItem->setObjectName(QStringLiteral("GridMenuOnItem"));
    m_gridOffItem->setObjectName(QStringLiteral("GridMenuOffItem"));

    connect(m_primaryItem, &QAction::triggered, this, &DupeTreeMenus::ColorMenuPrimaryItemClick);
    connect(m_secondaryItem, &QAction::triggered, this,
            &DupeTreeMenus::ColorMenuSecondaryItemClick);
    connect(m_turnOffItem, &QAction::triggered, this, &DupeTreeMenus::ColorMenuTurnOffItemClick);
    connect(m_turnOnItem, &QAction::triggered, this, &DupeTreeMenus::ColorMenuTurnOnItemClick);
    connect(m_gridOnItem, &QAction::triggered, this, &DupeTreeMenus::GridMenuOnItemClick);
    connect(m_gridOffItem, &QAction::triggered, this, &DupeTreeMenus::GridMenuOffItemClick);
}

void DupeTreeMenus::Apply(const results::TreeColors& colors) {
    m_view->Model()->SetColors(colors);
    m_primaryItem->setText(QString::fromStdString(colors.primaryItemCaption));
    m_secondaryItem->setText(QString::fromStdString(colors.secondaryItemCaption));
    m_primaryItem->setChecked(colors.primaryOverride);
    m_secondaryItem->setChecked(colors.secondaryOverride);
    m_primaryItem->setEnabled(colors.selectItemsEnabled);
    m_secondaryItem->setEnabled(colors.selectItemsEnabled);
    m_view->viewport()->update();
}

void DupeTreeMenus::ColorMenuPrimaryItemClick() {
    results::TreeColors colors = m_view->Model()->Colors();
    results::ColorMenuPrimaryItemClick(colors, m_chooser);
    Apply(colors);
}

void DupeTreeMenus::ColorMenuSecondaryItemClick() {
    results::TreeColors colors = m_view->Model()->Colors();
    results::ColorMenuSecondaryItemClick(colors, m_chooser);
    Apply(colors);
}

void DupeTreeMenus::ColorMenuTurnOffItemClick() {
    results::TreeColors colors = m_view->Model()->Colors();
    results::ColorMenuTurnOffItemClick(colors);
    Apply(colors);
}

void DupeTreeMenus::ColorMenuTurnOnItemClick() {
    results::TreeColors colors = m_view->Model()->Colors();
    results::ColorMenuTurnOnItemClick(colors);
    Apply(colors);
}

void DupeTreeMenus::GridMenuOnItemClick() {
    m_view->SetGridLines(true);
}

void DupeTreeMenus::GridMenuOffItemClick() {
    m_view->SetGridLines(false);
}

void DupeTreeMenus::PopupBelow(QMenu* menu, QWidget* button) {
    menu->popup(button->mapToGlobal(button->rect().bottomLeft()));
}

results::ColorChooser DupeTreeMenus::PlatformColorChooser(QWidget* parent) {
    return [parent](results::RgbColor preset) -> std::optional<results::RgbColor> {
        QColorDialog::setCustomColor(0, ToQColor(results::kPresetCustomColor1));
        QColorDialog::setCustomColor(1, ToQColor(results::kPresetCustomColor2));
        const QColor chosen = QColorDialog::getColor(ToQColor(preset), parent);
        if (!chosen.isValid()) {
            return std::nullopt;
        }
        return results::MakeRgb(chosen.red(), chosen.green(), chosen.blue());
    };
}

}  // namespace qm::app
