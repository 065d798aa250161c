#pragma once

#include <string>
#include <string_view>

#include "storage/ExportDocument.h"

namespace qm::storage {

// document as one HTML document (UTF-8, declared) holding one table with an empty caption: the
// captions in its head, the rows in its body, the size column right-aligned, root rows bold and
// set heads shaded as in the tree. The nesting column is indented by level. Every text is escaped,
// so a file called "<script>...</script>" shows as that name and runs nothing; the page also
// forbids scripts and outside loads through its content security policy. The markup is well-formed
// XML as well (XHTML-compatible), lines end with CR LF and the last line, "</html>", has none.
std::string HtmlText(const ExportDocument& document);

// text escaped for HTML element content or a quoted attribute: "&", "<", ">", '"' and "'" as
// character references, every character as VisibleCodePoint shows it, valid UTF-8 throughout.
std::string HtmlEscaped(std::string_view text);

}  // namespace qm::storage
