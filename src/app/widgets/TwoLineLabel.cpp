#include "app/widgets/TwoLineLabel.h"

namespace qm::app {

TwoLineLabel::TwoLineLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setWordWrap(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(2 * fontMetrics().lineSpacing() + 6);
}

}  // namespace qm::app
