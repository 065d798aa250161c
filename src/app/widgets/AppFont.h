#pragma once

#include <QFont>
#include <QString>

namespace qm::app {

// family at pointSize when the system has it; otherwise the closest sans-serif face available
// (Tahoma is narrower than most, so condensed faces come first).
QFont ClosestFont(const QString& family, int pointSize);

}  // namespace qm::app
