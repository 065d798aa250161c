#pragma once

#include <QFile>
#include <string>

namespace qm::test {

// The whole content of the file at path, or "<unreadable>".
inline std::string ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return "<unreadable>";
    }
    return file.readAll().toStdString();
}

// Makes or replaces the file at path with bytes.
inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

}  // namespace qm::test
