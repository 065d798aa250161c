#pragma once

#include <QStyledItemDelegate>

namespace qm::app {

// Draws an item bold when its kBoldRole is true; with centreCheckColumn >= 0 the check box of
// that column is drawn and hit in the middle of its cell.
class BoldItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit BoldItemDelegate(QObject* parent = nullptr, int centreCheckColumn = -1)
        : QStyledItemDelegate(parent), m_centreCheckColumn(centreCheckColumn) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QRect CentredCheckRect(const QStyleOptionViewItem& option) const;

    int m_centreCheckColumn;
};

}  // namespace qm::app
