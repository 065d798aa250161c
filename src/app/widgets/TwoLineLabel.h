#pragma once

#include <QLabel>

namespace qm::app {

// A word-wrapping label of a fixed two-line height. It never asks its layout for a height per
// width (as a wrapping QLabel does after every text change), so it cannot squeeze its neighbours.
class TwoLineLabel : public QLabel {
    Q_OBJECT
public:
    explicit TwoLineLabel(const QString& text, QWidget* parent = nullptr);
    bool hasHeightForWidth() const override { return false; }
};

}  // namespace qm::app
