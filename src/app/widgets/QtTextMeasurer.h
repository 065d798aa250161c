#pragma once

#include <QFont>
#include <QFontMetrics>

#include "foundation/TextMeasurer.h"

namespace qm::app {

// Text widths in the pixels of a Qt font (the status bar's, for shortened paths).
class QtTextMeasurer final : public foundation::TextMeasurer {
public:
    explicit QtTextMeasurer(const QFont& font) : m_metrics(font) {}
    int TextWidth(std::string_view text) const override;

private:
    QFontMetrics m_metrics;
};

}  // namespace qm::app
