#include "app/widgets/MarkupStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace qm::app {

MarkupStatusBar::MarkupStatusBar(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);

    m_panel0 = new QWidget(this);
    m_panel0->setObjectName(QStringLiteral("SBPanel0"));
    auto* panel0Layout = new QHBoxLayout(m_panel0);
    panel0Layout->setContentsMargins(0, 0, 0, 0);
    m_progress = new QProgressBar(m_panel0);
    m_progress->setObjectName(QStringLiteral("SBProgress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setMaximumHeight(16);
    panel0Layout->addWidget(m_progress);
    layout->addWidget(m_panel0);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("SBPanel1"));
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::NoTextInteraction);
    // Long paths must not widen the window: the panel takes the room it is given.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setMinimumHeight(fontMetrics().height() + 4);
    layout->addWidget(m_text, 1);

    SetPanel0Width(0);

    m_blinkTimer.setInterval(kBlinkIntervalMs);
    connect(&m_blinkTimer, &QTimer::timeout, this, [this] {
        m_blinkVisible = !m_blinkVisible;
        Render();
    });
}

void MarkupStatusBar::SetPanel0Width(int width) {
    m_panel0Width = width > 0 ? width : 0;
    m_panel0->setFixedWidth(m_panel0Width);
    m_panel0->setVisible(m_panel0Width > 0);
}

void MarkupStatusBar::SetProgress(int percent) {
    m_progress->setValue(percent);
}

void MarkupStatusBar::SetText(const QString& markup) {
    SetText(QList<StatusPart>{{markup, false}});
}

void MarkupStatusBar::SetText(const QList<StatusPart>& parts) {
    m_parts = parts;
    m_blinkVisible = true;
    if (StatusMarkupBlinks(m_parts)) {
        m_blinkTimer.start();
    } else {
        m_blinkTimer.stop();
    }
    Render();
}

QString MarkupStatusBar::Text() const {
    QString text;
    for (const StatusPart& part : m_parts) {
        text += part.text;
    }
    return text;
}

QString MarkupStatusBar::PlainText() const {
    return StatusMarkupPlainText(m_parts);
}

void MarkupStatusBar::Render() {
    m_text->setText(StatusMarkupToHtml(m_parts, m_blinkVisible));
}

}  // namespace qm::app
