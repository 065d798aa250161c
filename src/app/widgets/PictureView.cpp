#include "app/widgets/PictureView.h"

#include <QPainter>

namespace qm::app {

PictureView::PictureView(bool animate, QWidget* parent) : QWidget(parent), m_animate(animate) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PictureView::NextFrame);
}

void PictureView::SetPicture(DecodedPicture picture) {
    m_timer.stop();
    m_picture = std::move(picture);
    m_frame = 0;
    m_loopsDone = 0;
    m_finished = false;
    if (isVisible()) {
        ScheduleNextFrame();
    }
    update();
}

QRect PictureView::PictureRect() const {
    if (!HasPicture()) {
        return {};
    }
    const QRect area = contentsRect();
    // The picture's own size in pixels is its largest; the decode may have made it smaller.
    const QSize natural =
        m_picture.sourceSize.isValid() ? m_picture.sourceSize : m_picture.image.size();
    const QSize shown = PictureDecoder::FitWithin(natural, area.size());
    return QRect(area.left() + (area.width() - shown.width()) / 2,
                 area.top() + (area.height() - shown.height()) / 2, shown.width(), shown.height());
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
    if (!HasPicture()) {
        return;
    }
    const QImage& image =
        Animated() ? m_picture.frames[static_cast<qsizetype>(m_frame)] : m_picture.image;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PictureRect(), image);
}

void PictureView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScheduleNextFrame();
}

void PictureView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void PictureView::ScheduleNextFrame() {
    if (!Animated() || m_finished || m_timer.isActive()) {
        return;
    }
    m_timer.start(m_picture.delays.value(m_frame, 100));
}

void PictureView::NextFrame() {
    if (!Animated()) {
        return;
    }
    if (m_frame + 1 < m_picture.frames.size()) {
        ++m_frame;
    } else {
        // A loop count of n repeats the animation n times after the first showing; -1 forever.
        ++m_loopsDone;
        if (m_picture.loopCount >= 0 && m_loopsDone > m_picture.loopCount) {
            m_finished = true;
            return;
        }
        m_frame = 0;
    }
    update();
    ScheduleNextFrame();
}

}  // namespace qm::app
