#pragma once

#include <QObject>

#include "results/TreeColors.h"

class QAction;
class QMenu;
class QWidget;

namespace qm::app {

class DupeTreeView;

// The colour menu ColorMenu and the grid menu GridMenu of the results toolbar, acting on a
// DupeTreeView and its model's colour state.
class DupeTreeMenus : public QObject {
    Q_OBJECT
public:
    // view must outlive the menus; the menus are children of menuParent.
    DupeTreeMenus(DupeTreeView* view, QWidget* menuParent);

    // The colour chooser; the default is the platform's colour dialog in its full form, with the
    // two preset custom colours.
    void SetColorChooser(results::ColorChooser chooser) { m_chooser = std::move(chooser); }

    QMenu* ColorMenu() const { return m_colorMenu; }
    QMenu* GridMenu() const { return m_gridMenu; }
    QAction* ColorMenuPrimaryItem() const { return m_primaryItem; }
    QAction* ColorMenuSecondaryItem() const { return m_secondaryItem; }
    QAction* ColorMenuTurnOffItem() const { return m_turnOffItem; }
    QAction* ColorMenuTurnOnItem() const { return m_turnOnItem; }
    QAction* GridMenuOnItem() const { return m_gridOnItem; }
    QAction* GridMenuOffItem() const { return m_gridOffItem; }

    void ColorMenuPrimaryItemClick();
    void ColorMenuSecondaryItemClick();
    void ColorMenuTurnOffItemClick();
    void ColorMenuTurnOnItemClick();
    void GridMenuOnItemClick();
    void GridMenuOffItemClick();

    // Opens menu with its top-left corner at the bottom-left corner of button.
    static void PopupBelow(QMenu* menu, QWidget* button);

    static results::ColorChooser PlatformColorChooser(QWidget* parent);

private:
    void Apply(const results::TreeColors& colors);

    DupeTreeView* m_view;
    results::ColorChooser m_chooser;
    QMenu* m_colorMenu;
    QMenu* m_gridMenu;
    QAction* m_primaryItem;
    QAction* m_secondaryItem;
    QAction* m_turnOffItem;
    QAction* m_turnOnItem;
    QAction* m_gridOnItem;
    QAction* m_gridOffItem;
};

}  // namespace qm::app
