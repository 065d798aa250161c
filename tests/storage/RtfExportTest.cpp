// The RTF export read back with the tests' own RTF reader (tested in ExportReadersTest).

#include "storage/RtfExport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "results/ResultsTestSupport.h"
#include "storage/ExportFixture.h"

namespace qm::storage {
namespace {

using testing::Table;

TEST(RtfExportTest, ReadsBackCellForCellAsSevenBitText) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(testing::OddTree(locale), DefaultExportColumns(), locale);
    const std::string rtf = RenderExport(document, ExportFormat::Rtf);
    EXPECT_EQ(testing::ReadRtfTable(rtf), testing::ExpectedOddTable(true));
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x80 && (byte >= 0x20 || c == '\r' || c == '\n');
    }));
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
}

TEST(RtfExportTest, AnEmptyTreeGivesTheHeaderRowOnly) {
    const results::testing::FakeLocale locale;
    const std::string rtf = RenderExport(
        ExportDocumentOf(results::ResultTree(), DefaultExportColumns(), locale), ExportFormat::Rtf);
    EXPECT_EQ(testing::ReadRtfTable(rtf), Table{testing::kCaptions});
}

TEST(RtfExportTest, EscapesSyntaxAndWritesUnicodeAsSignedUtf16Units) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"\xC3\xA9", "\\u233?"},
        {"\xE6\x97\xA5", "\\u26085?"},
        {"\xEF\xBC\xA1", "\\u-223?"},                 // U+FF21, above 32767
        {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},  // U+1F600 as a surrogate pair
        {"\xFF", "\\u-3?"},                           // invalid UTF-8 as U+FFFD
        {"\n\t", "\\u9226?\\u9225?"},                 // controls as their pictures
        {" lead", " lead"},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(RtfEscaped(text), escaped) << text;
    }
}

// Long names wrap inside their cells: the table never grows past the page.
TEST(RtfExportTest, ColumnsShareTheWidthOfThePage) {
    ExportDocument document;
    document.columns = DefaultExportColumns();
    document.rows.push_back({0, {"*.TXT", "", "", "", ""}});
    document.rows.push_back(
        {1, {"", std::string(300, 'n'), "/" + std::string(250, 'p') + "/", "1", "d"}});
    const std::string rtf = RenderExport(document, ExportFormat::Rtf);
    std::vector<int> edges;
    for (std::size_t at = rtf.find("\\cellx"); at != std::string::npos;
         at = rtf.find("\\cellx", at + 1)) {
        edges.push_back(std::stoi(rtf.substr(at + 6)));
    }
    ASSERT_EQ(edges.size(), 15u);  // five per row, three rows
    for (std::size_t i = 0; i < edges.size(); ++i) {
        EXPECT_LE(edges[i], 16838 - 2 * 720);
        if (i % 5 != 0) {
            EXPECT_GT(edges[i] - edges[i - 1], 300) << "a column squeezed to nothing";
        }
    }
    EXPECT_EQ(testing::ReadRtfTable(rtf)[2][1], std::string(300, 'n'));
}

}  // namespace
}  // namespace qm::storage
