#include "app/results/DupeTreeView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/results/DupeTreeDelegate.h"
#include "results/EntryText.h"

namespace qm::app {

namespace {

const QColor kLineColor(160, 160, 160);
const QColor kKeyGrey(247, 247, 247);

}  // namespace

DupeTreeView::DupeTreeView(DupeTreeModel* model, QWidget* parent)
    : QTreeView(parent),
      m_model(model),
      m_delegate(new DupeTreeDelegate(this)),
      m_tvMenu(new QMenu(this)) {
    setObjectName(QStringLiteral("DupeTV"));
    setModel(model);
    setItemDelegate(m_delegate);
    setUniformRowHeights(true);  // rows are laid out without asking each one
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setRootIsDecorated(true);
    setIndentation(kNodeIndent);
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    QHeaderView* head = header();
    head->setFixedHeight(kHeaderHeight);
    head->setSectionsMovable(true);
    head->setSectionsClickable(false);
    head->setStretchLastSection(false);
    head->setSectionResizeMode(QHeaderView::Interactive);
    head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The initial widths stand until the first resize; the rules apply from then on.
    m_applyingRule = true;
    for (int column = 0; column < results::kDupeColumnCount; ++column) {
        setColumnWidth(column, kInitialWidths[static_cast<std::size_t>(column)]);
    }
    m_applyingRule = false;
    connect(head, &QHeaderView::sectionResized, this,
            [this](int column, int, int) { ApplyWidthRule(column); });
    connect(head, &QHeaderView::sectionDoubleClicked, this, [this](int) { FitColumns(); });
    connect(head, &QHeaderView::sectionHandleDoubleClicked, this, [this](int) { FitColumns(); });

    m_markAllInDirItem = m_tvMenu->addAction(QStringLiteral("Mark All Files in This Folder"));
    m_markAllInDirItem->setObjectName(QStringLiteral("TVMenuMarkAllInDirItem"));
    m_unMarkAllInDirItem = m_tvMenu->addAction(QStringLiteral("Unmark All Files in This Folder"));
    m_unMarkAllInDirItem->setObjectName(QStringLiteral("TVMenuUnMarkAllInDirItem"));
    m_markDoubleExtensionItem =
        m_tvMenu->addAction(QStringLiteral("Mark All Files With Multiple Extensions"));
    m_markDoubleExtensionItem->setObjectName(QStringLiteral("TVMenuMarkDoubleExtensionItem"));
    m_tvMenu->setObjectName(QStringLiteral("TVMenu"));
    connect(m_markAllInDirItem, &QAction::triggered, this,
            [this] { m_model->MarkAllInDir(SelectedNode()); });
    connect(m_unMarkAllInDirItem, &QAction::triggered, this,
            [this] { m_model->UnMarkAllInDir(SelectedNode()); });
    connect(m_markDoubleExtensionItem, &QAction::triggered, this,
            [this] { m_model->MarkDoubleExtension(); });

    connect(m_model, &DupeTreeModel::Filled, this, &DupeTreeView::AfterFill);
}

DupeTreeView::NodeId DupeTreeView::SelectedNode() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return results::ResultTree::kNoNode;
    }
    return m_model->NodeOf(rows.first());
}

void DupeTreeView::AfterFill() {
    // Roots start expanded, sets collapsed.
    const QModelIndex none;
    for (int row = 0; row < m_model->rowCount(none); ++row) {
        setExpanded(m_model->index(row, 0, none), true);
    }
    FitColumns();
    // A new result is read from its start, wherever the last one was left.
    scrollToTop();
    horizontalScrollBar()->setValue(0);
    emit TargetCommandsEnabled(false);
}

void DupeTreeView::FitColumns() {
    for (int column = 0; column < results::kDupeColumnCount; ++column) {
        resizeColumnToContents(column);
    }
    for (int column = 0; column < results::kDupeColumnCount; ++column) {
        ApplyWidthRule(column);
    }
}

void DupeTreeView::ApplyWidthRule(int column) {
    if (m_applyingRule || column < 0 || column >= results::kDupeColumnCount) {
        return;
    }
    const int width = columnWidth(column);
    int wanted = std::max(width, kMinWidths[static_cast<std::size_t>(column)]);
    if (column == static_cast<int>(results::DupeColumn::FilePath)) {
        wanted = std::min(wanted, kMaxPathWidth);
    }
    if (wanted == width) {
        return;
    }
    m_applyingRule = true;
    setColumnWidth(column, wanted);
    m_applyingRule = false;
}

void DupeTreeView::ExpandNodesBtnClick() {
    results::ResultsHost& host = m_model->Host();
    host.SetStatusText("Expanding nodes.");
    host.Yield();
    expandAll();
    FitColumns();
    host.SetStatusText("");
    host.Yield();
}

void DupeTreeView::CollapseNodesBtnClick() {
    m_model->Host().SetStatusText("");
    collapseAll();
}

void DupeTreeView::SetGridLines(bool on) {
    m_delegate->SetGridLines(on);
    viewport()->update();
}

bool DupeTreeView::GridLines() const {
    return m_delegate->GridLines();
}

QMenu* DupeTreeView::MenuForContextPopup() const {
    const NodeId node = SelectedNode();
    if (node == results::ResultTree::kNoNode || !m_model->Tree().IsFileRow(node)) {
        return nullptr;
    }
    return m_tvMenu;
}

void DupeTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    const NodeId node = m_model->NodeOf(current);
    const bool fileRow = node != results::ResultTree::kNoNode && m_model->Tree().IsFileRow(node);
    emit TargetCommandsEnabled(fileRow);
    emit FocusedNodeChanged(node);
}

void DupeTreeView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex under = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        if (under.isValid()) {
            setCurrentIndex(under);
            selectionModel()->select(
                under, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    PopupMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                          : CurrentRowPosition());
    event->accept();
}

QPoint DupeTreeView::CurrentRowPosition() const {
    const QRect row = visualRect(currentIndex());
    return viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(0, 0));
}

void DupeTreeView::PopupMenu(const QPoint& globalPos) {
    if (QMenu* menu = MenuForContextPopup()) {
        menu->popup(globalPos);
    }
}

void DupeTreeView::ToggleCurrentRow() {
    const QModelIndex box = currentIndex().siblingAtColumn(0);
    if (box.isValid() && box.flags().testFlag(Qt::ItemIsUserCheckable)) {
        const bool checked = box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        m_model->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
}

void DupeTreeView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Select) && modifiers == Qt::NoModifier) {
        ToggleCurrentRow();
        event->accept();
        return;
    }
    // The other key of the desktops for a context menu, besides the Menu key.
    if (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        PopupMenu(CurrentRowPosition());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void DupeTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid()) {
        emit ExecuteRequested();
    }
}

void DupeTreeView::drawBranches(QPainter* painter, const QRect& rect,
                                const QModelIndex& index) const {
    painter->save();
    // The key column's grey, or the selection colour on the selected row.
    const bool selected = selectionModel() != nullptr && selectionModel()->isSelected(index);
    painter->fillRect(rect, selected ? palette().brush(QPalette::Highlight) : QBrush(kKeyGrey));

    int depth = 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        ++depth;
    }
    const int indent = indentation();
    const int midY = rect.top() + rect.height() / 2;
    auto centreX = [&](int level) { return rect.left() + level * indent + indent / 2; };
    auto hasNextSibling = [&](const QModelIndex& i) {
        return i.row() + 1 < m_model->rowCount(i.parent());
    };

    QPen pen(kLineColor, 1, Qt::DotLine);
    painter->setPen(pen);
    // Lines of the ancestors that have more siblings below.
    int level = depth - 1;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent(), --level) {
        if (hasNextSibling(up)) {
            painter->drawLine(centreX(level), rect.top(), centreX(level), rect.bottom());
        }
    }
    // This row's own connector.
    const int x = centreX(depth);
    const bool first = index.row() == 0 && !index.parent().isValid();
    painter->drawLine(x, first ? midY : rect.top(), x,
                      hasNextSibling(index) ? rect.bottom() : midY);
    painter->drawLine(x, midY, rect.left() + (depth + 1) * indent - 2, midY);

    // The expand button: a small box with a plus or a minus.
    if (m_model->hasChildren(index)) {
        const int half = 4;
        const QRect box(x - half, midY - half, 2 * half, 2 * half);
        painter->setPen(QPen(QColor(120, 120, 120), 1));
        painter->setBrush(Qt::white);
        painter->drawRect(box);
        painter->setPen(QPen(Qt::black, 1));
        painter->drawLine(x - 2, midY, x + 2, midY);
        if (!isExpanded(index)) {
            painter->drawLine(x, midY - 2, x, midY + 2);
        }
    }
    painter->restore();
}

}  // namespace qm::app
