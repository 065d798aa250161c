#pragma once

#include <QFrame>
#include <QList>
#include <QTimer>

#include "app/widgets/StatusMarkup.h"

class QLabel;
class QProgressBar;

namespace qm::app {

// The status bar SB: panel 0 a progress bar (shown by giving it width 150, hidden with width 0),
// panel 1 a line of status mark-up (see StatusMarkup.h); blinking text blinks.
class MarkupStatusBar : public QFrame {
    Q_OBJECT
public:
    static constexpr int kProgressWidth = 150;
    static constexpr int kBlinkIntervalMs = 500;

    explicit MarkupStatusBar(QWidget* parent = nullptr);

    // Panel 0: width 0 hides the progress bar, any other width shows it that wide.
    void SetPanel0Width(int width);
    int Panel0Width() const { return m_panel0Width; }
    QProgressBar* ProgressBar() const { return m_progress; }
    void SetProgress(int percent);

    // Panel 1.
    void SetText(const QString& markup);
    void SetText(const QList<StatusPart>& parts);
    // The text as set (markup included) and as read (tags removed).
    QString Text() const;
    QString PlainText() const;
    QLabel* TextPanel() const { return m_text; }
    bool Blinking() const { return m_blinkTimer.isActive(); }

private:
    void Render();

    int m_panel0Width = 0;
    QWidget* m_panel0 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_text = nullptr;
    QList<StatusPart> m_parts;
    bool m_blinkVisible = true;
    QTimer m_blinkTimer;
};

}  // namespace qm::app
