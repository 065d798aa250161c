#include "app/widgets/PathListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace qm::app {

namespace {

bool AcceptsDrop(const QDropEvent* event) {
    return event->mimeData() && event->mimeData()->hasUrls() &&
           (event->possibleActions() & (Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
}

}  // namespace

PathListBox::PathListBox(QWidget* parent) : QListWidget(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setUniformItemSizes(true);
}

void PathListBox::SetHorizontalExtent(int extent) {
    m_extent = std::max(0, extent);
    updateGeometries();
}

int PathListBox::HighlightedRow() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? row(item) : -1;
}

void PathListBox::updateGeometries() {
    QListWidget::updateGeometries();
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, m_extent - viewport()->width()));
    bar->setPageStep(viewport()->width());
}

void PathListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (AcceptsDrop(event)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PathListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (AcceptsDrop(event)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PathListBox::dropEvent(QDropEvent* event) {
    if (!AcceptsDrop(event)) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    emit FilesDropped(paths);
}

void FitHorizontalExtent(PathListBox& listBox, int startingWidth) {
    if (startingWidth == 0) {
        listBox.SetHorizontalExtent(0);
        return;
    }
    const QFontMetrics metrics(listBox.font());
    int widest = startingWidth;
    for (int i = 0; i < listBox.count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(listBox.item(i)->text()));
    }
    const int frame = listBox.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &listBox);
    listBox.SetHorizontalExtent(widest + frame);
}

}  // namespace qm::app
