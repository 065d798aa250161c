#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qm::app {

// The window's only conversions between core text and QString. Core text is UTF-8; a path is the
// file system's bytes and becomes a QString only to be shown, through Qt's file-name codec, which
// also turns a path the user gives (a dropped folder, a tree node) back into the same bytes.
QString Utf8Text(std::string_view text);
QString PathText(std::string_view path);
std::string PathBytes(const QString& path);

}  // namespace qm::app
