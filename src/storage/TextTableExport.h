#pragma once

#include <string>
#include <string_view>

#include "storage/ExportDocument.h"

namespace qm::storage {

// The text table of document: the header row of captions, then one line per row, cells separated
// by separator, lines separated by CR LF (the last has none). With "," it is CSV by RFC 4180, and
// with a blank it is the text export, read back by the same rules.
std::string TextTableText(const ExportDocument& document, char separator);

// A cell of a text table: quoted when it holds the separator, a double quote, CR or LF (and with
// a blank as the separator also a tab), with every double quote inside doubled; anything else as
// it stands. Invalid UTF-8 becomes U+FFFD,
// so the table is valid UTF-8.
std::string TextTableCell(std::string_view text, char separator);

}  // namespace qm::storage
