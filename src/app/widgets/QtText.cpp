#include "app/widgets/QtText.h"

#include <QByteArray>
#include <QFile>

namespace qm::app {

QString Utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PathText(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace qm::app
