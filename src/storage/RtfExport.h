#pragma once

#include <string>
#include <string_view>

#include "storage/ExportDocument.h"

namespace qm::storage {

// document as an RTF document: a landscape page holding one table whose header row repeats on
// every page, its column widths shared out by the length of their texts (long texts wrap inside
// their cells), the size column right-aligned, root rows bold and the nesting column indented by
// level. The file is 7-bit ASCII; lines end with CR LF and the last line, "}", has none.
std::string RtfText(const ExportDocument& document);

// text as RTF body text: "\", "{" and "}" escaped, printable ASCII as it stands, every other
// character as \uN? (N the signed 16-bit UTF-16 unit, astral characters as a surrogate pair, "?"
// the fallback of readers without Unicode), controls and invalid UTF-8 as VisibleCodePoint shows
// them.
std::string RtfEscaped(std::string_view text);

}  // namespace qm::storage
