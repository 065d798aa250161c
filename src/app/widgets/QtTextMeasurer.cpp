#include "app/widgets/QtTextMeasurer.h"

#include "app/widgets/QtText.h"

namespace qm::app {

int QtTextMeasurer::TextWidth(std::string_view text) const {
    return m_metrics.horizontalAdvance(Utf8Text(text));
}

}  // namespace qm::app
