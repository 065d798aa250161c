#pragma once

#include <QDir>
#include <QString>

namespace qm::test {

// Where a test saves a picture of a window for a person to look at: the build folder's "shots".
inline QString ShotPath(const QString& fileName) {
    const QString folder = QStringLiteral(QM_SHOTS_DIR);
    QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

}  // namespace qm::test
