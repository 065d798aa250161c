#include "app/results/DupeTreeDelegate.h"

#include <QApplication>
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

QSize DupeTreeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (index.column() >= 1) {
        opt.font.setBold(true);
        opt.fontMetrics = QFontMetrics(opt.font);
    }
    const QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
    const QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), opt.widget);
    return {size.width(), size.height() + 1};  // the grid line's pixel row
}

void DupeTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // The background across the whole cell, the content above its last pixel row.
    QStyleOptionViewItem full = option;
    initStyleOption(&full, index);
    const QStyle* style = full.widget != nullptr ? full.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &full, painter, full.widget);
    QStyleOptionViewItem content = option;
    content.rect.adjust(0, 0, 0, -1);
    QStyledItemDelegate::paint(painter, content, index);
    if (!m_gridLines) {
        return;
    }
    painter->save();
    // The button-shadow colour of the classic palette.
    painter->setPen(option.palette.color(QPalette::Dark));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

}  // namespace qm::app
