#include "app/widgets/BoldItemDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/widgets/TreeNodeHelpers.h"

namespace qm::app {

void BoldItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(kBoldRole).toBool()) {
        option->font.setBold(true);
        option->fontMetrics = QFontMetrics(option->font);
    }
}

QRect BoldItemDelegate::CentredCheckRect(const QStyleOptionViewItem& option) const {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
    return QRect(option.rect.x() + (option.rect.width() - w) / 2,
                 option.rect.y() + (option.rect.height() - h) / 2, w, h);
}

void BoldItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QVariant check = index.data(Qt::CheckStateRole);
    if (index.column() != m_centreCheckColumn || !check.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Background and selection as usual, then the check box alone in the middle.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QStyleOptionButton box;
    box.rect = CentredCheckRect(option);
    box.state = option.state & (QStyle::State_Enabled | QStyle::State_MouseOver);
    box.state |= check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

bool BoldItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (index.column() != m_centreCheckColumn) {
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
    const QVariant check = index.data(Qt::CheckStateRole);
    if (!check.isValid() || !(index.flags() & Qt::ItemIsUserCheckable) ||
        !(index.flags() & Qt::ItemIsEnabled)) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton ||
                !CentredCheckRect(option).contains(mouse->position().toPoint())) {
                return false;
            }
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // Presses on the box are the box's; only the release flips it.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return CentredCheckRect(option).contains(mouse->position().toPoint());
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select) {
                return false;
            }
            break;
        }
        default:
            return false;
    }
    const Qt::CheckState next = check.toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    return model->setData(index, next, Qt::CheckStateRole);
}

}  // namespace qm::app
