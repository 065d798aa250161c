#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace qm::app {

// The hint window of every control: plain text (a tag in a hint shows as typed) in Tahoma 9 (or
// the closest face) with the tooltip colours, wrapped at one third of the screen width, shown
// 50 ms after the pointer rests on a control and hidden 20 s later. Over an item view the item's
// own hint comes first (a file row of the results tree), the view's hint where it has none.
class TGraphicHintWindow : public QLabel {
    Q_OBJECT
public:
    static constexpr int kShowDelayMs = 50;
    static constexpr int kHidePauseMs = 20000;

    // Installs the hint window, its font and timing for the whole application; idempotent.
    static void Install();
    // The one hint window, once installed.
    static TGraphicHintWindow* Instance();

    // Shows text for the control at globalPos; empty text hides the window.
    void ShowHint(const QString& text, const QPoint& globalPos, QWidget* control);
    void HideHint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TGraphicHintWindow();

    QPointer<QWidget> m_control;
    QTimer m_hideTimer;
};

}  // namespace qm::app
