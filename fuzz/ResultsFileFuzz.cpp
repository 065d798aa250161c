// Any bytes as a results file: read them as a load does, fill the tree, save it and export it.
// Nothing may crash; what is saved must read back row for row; every export must stay a valid
// document (UTF-8 for CSV, text and HTML, 7-bit ASCII for RTF).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Locale.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"
#include "storage/ExportDocument.h"
#include "storage/ResultsFile.h"
#include "storage/Utf8Text.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    static const auto locale = platform::CreateLocale("en_US");
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::vector<storage::ResultsFileRow> rows = storage::ParseResultsFileText(text);
    results::ResultTree tree;
    results::NullResultsHost host;
    results::PopulateResultsTree(tree, rows, host, results::BlockedFolderRule(), *locale);

    const std::vector<storage::ResultsFileRow> saved = storage::ResultsRowsOf(tree);
    Check(saved.size() == tree.FileRowCount());
    const std::string savedText = storage::ResultsFileText(saved);
    Check(storage::ParseResultsFileText(savedText) == saved);

    const storage::ExportDocument document =
        storage::ExportDocumentOf(tree, storage::DefaultExportColumns(), *locale);
    for (const storage::ExportFormat format :
         {storage::ExportFormat::Csv, storage::ExportFormat::Text, storage::ExportFormat::Html}) {
        const std::string exported = storage::RenderExport(document, format);
        Check(storage::ValidUtf8(exported) == exported);
    }
    for (const char c : storage::RenderExport(document, storage::ExportFormat::Rtf)) {
        Check(static_cast<unsigned char>(c) < 0x80);
    }
    return 0;
}
