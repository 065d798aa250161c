#pragma once

#include <QTreeView>
#include <array>

#include "app/results/DupeTreeModel.h"

class QMenu;
class QAction;

namespace qm::app {

class DupeTreeDelegate;

// The results tree DupeTV: a tree view over a DupeTreeModel with the five columns and their width
// rules, roots expanded and sets collapsed after a fill (which opens scrolled to the top), tree
// lines, single whole-row selection, the context menu TVMenu that opens only on a selected file
// row (from the mouse, the Menu key or Shift+F10), and the focus rule of the target commands. The
// space bar flips the current row's box whatever its current column.
class DupeTreeView : public QTreeView {
    Q_OBJECT
public:
    using NodeId = DupeTreeModel::NodeId;

    static constexpr int kHeaderHeight = 24;
    static constexpr int kNodeIndent = 30;
    static constexpr std::array<int, 5> kInitialWidths = {120, 100, 200, 65, 100};
    static constexpr std::array<int, 5> kMinWidths = {120, 75, 200, 88, 125};
    static constexpr int kMaxPathWidth = 1000;

    // model must outlive the view.
    explicit DupeTreeView(DupeTreeModel* model, QWidget* parent = nullptr);

    DupeTreeModel* Model() const { return m_model; }

    // The selected node, kNoNode when nothing is selected.
    NodeId SelectedNode() const;

    // Every column fitted to its widest cell text; the width rules then apply.
    void FitColumns();
    // The toolbar's expand and collapse commands.
    void ExpandNodesBtnClick();
    void CollapseNodesBtnClick();

    // Grid lines between the cells.
    void SetGridLines(bool on);
    bool GridLines() const;

    // The context menu. It holds the three marking items; the window inserts its file commands
    // around them. MenuForContextPopup is the menu, or null where no menu may open.
    QMenu* TVMenu() const { return m_tvMenu; }
    QAction* MarkAllInDirItem() const { return m_markAllInDirItem; }
    QAction* UnMarkAllInDirItem() const { return m_unMarkAllInDirItem; }
    QAction* MarkDoubleExtensionItem() const { return m_markDoubleExtensionItem; }
    QMenu* MenuForContextPopup() const;

signals:
    // The target commands (open, explore, execute) follow the focused row: enabled exactly on a
    // file row.
    void TargetCommandsEnabled(bool enabled);
    // The focused node changed (the image preview follows it); kNoNode for none.
    void FocusedNodeChanged(quint32 node);
    // A double click on a row: execute the selected file.
    void ExecuteRequested();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ApplyWidthRule(int column);
    void AfterFill();
    void ToggleCurrentRow();
    // Opens TVMenu at globalPos when a file row is selected.
    void PopupMenu(const QPoint& globalPos);
    // Where a menu opened from the keyboard shows: at the current row.
    QPoint CurrentRowPosition() const;

    DupeTreeModel* m_model;
    DupeTreeDelegate* m_delegate;
    QMenu* m_tvMenu;
    QAction* m_markAllInDirItem;
    QAction* m_unMarkAllInDirItem;
    QAction* m_markDoubleExtensionItem;
    bool m_applyingRule = false;
};

}  // namespace qm::app
