#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

#include "engine/SearchHost.h"

class QLabel;
class QToolButton;

namespace qm::app {

// The progress panel InfoPanel ("Scan Summary:") that floats over the main window during and after
// a search: the state of the three steps ("Pending", "In Progress", "Done") and the four counters
// of the walk. Its own close button hides it; nothing else does.
class SearchSummaryPanel : public QFrame {
    Q_OBJECT
public:
    explicit SearchSummaryPanel(QWidget* parent);

    // Counters at 0, step 1 in progress, steps 2 and 3 pending.
    void Reset();
    void SetStepState(engine::SearchStep step, engine::StepState state);
    void SetCounter(engine::Counter counter, std::int64_t value);
    // Centres the panel over an area of outerSize (its left edge at (width - panel width) / 2, its
    // top likewise, rounded toward zero), shows it and raises it.
    void ShowCentred(QSize outerSize);

    QLabel* StepLabel(engine::SearchStep step) const;
    QLabel* CounterLabel(engine::Counter counter) const;
    QToolButton* CloseButton() const { return m_closeButton; }

private:
    std::array<QLabel*, 3> m_steps{};
    std::array<QLabel*, 4> m_counters{};
    QToolButton* m_closeButton;
};

}  // namespace qm::app
