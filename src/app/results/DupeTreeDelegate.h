#pragma once

#include <QStyledItemDelegate>

namespace qm::app {

// Paints the cells of DupeTV from the model's roles: no focus rectangle, white text on a
// selected row, and grid lines between cells when switched on. The last pixel row of a cell is
// kept for the horizontal grid line, so the line never covers text (an underscore at the bottom
// of a name). A cell of a text column asks for the width of its text in bold, the style of a
// marked row, so columns fitted before a row is marked still hold it.
class DupeTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DupeTreeDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    void SetGridLines(bool on) { m_gridLines = on; }
    bool GridLines() const { return m_gridLines; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool m_gridLines = false;
};

}  // namespace qm::app
