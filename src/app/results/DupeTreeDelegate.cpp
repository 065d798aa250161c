#include "app/results/DupeTreeDelegate.h"

#include <QPainter>

namespace qm::app {

void DupeTreeDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    if (option->state & QStyle::State_Selected) {
        option->palette.setColor(QPalette::HighlightedText, Qt::white);
    }
}

void DupeTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_gridLines)
        return;
    painter->save();
    // The button-shadow colour of the classic palette.
    painter->setPen(option.palette.color(QPalette::Dark));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

}  // namespace qm::app
