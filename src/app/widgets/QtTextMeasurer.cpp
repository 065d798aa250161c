#include "app/widgets/QtTextMeasurer.h"

#include <QString>

namespace qm::app {

int QtTextMeasurer::TextWidth(std::string_view text) const {
    return m_metrics.horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace qm::app
