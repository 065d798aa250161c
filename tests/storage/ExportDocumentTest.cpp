#include "storage/ExportDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/Error.h"
#include "results/ResultsTestSupport.h"
#include "storage/ExportFixture.h"
#include "storage/TextTableExport.h"
#include "storage/Utf8Text.h"
#include "support/TempTree.h"

namespace qm::storage {
namespace {

using results::DupeColumn;
using testing::ExpectedOddTable;
using testing::ReadCsv;
using testing::Table;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ExportDocumentTest, HoldsEveryRowDepthFirstWithTheTreesCellTexts) {
    const results::testing::FakeLocale locale;
    const results::ResultTree tree = testing::OddTree(locale);
    const ExportDocument document = ExportDocumentOf(tree, DefaultExportColumns(), locale);

    std::vector<std::string> captions;
    for (const ExportColumn& column : document.columns) {
        captions.push_back(column.caption);
    }
    EXPECT_EQ(captions, testing::kCaptions);
    ASSERT_EQ(document.rows.size(), tree.NodeCount());
    std::vector<int> levels;
    for (const ExportRow& row : document.rows) {
        levels.push_back(row.level);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 2, 2, 2, 1, 2, 2, 0, 1, 2, 0, 1, 2, 2}));
    // Cells are the tree's own texts: raw bytes, nothing in a file row's Extension cell.
    EXPECT_EQ(document.rows[0].cells, (std::vector<std::string>{"*.TXT", "", "", "", ""}));
    EXPECT_EQ(
        document.rows[5].cells,
        (std::vector<std::string>{"", "bad-\xFF\xFE-\xE6\x97.txt", test::NativePath("/data/\xFF/"),
                                  "1,234,567", testing::kFixtureDate}));
}

// The CSV and the text export are one table with two separators; each reads back cell for cell
// with a strict RFC 4180 reader, names with commas, quotes and line breaks included.
TEST(ExportDocumentTest, CsvAndTextTablesReadBackCellForCell) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(testing::OddTree(locale), DefaultExportColumns(), locale);
    const Table expected = ExpectedOddTable(false);
    for (const auto& [format, separator] :
         {std::pair{ExportFormat::Csv, ','}, std::pair{ExportFormat::Text, ' '}}) {
        const std::string text = RenderExport(document, format);
        EXPECT_EQ(ReadCsv(text, separator), expected) << separator;
        EXPECT_EQ(ValidUtf8(text), text) << "not valid UTF-8";
        ASSERT_GE(text.size(), 4u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_NE(text.substr(text.size() - 4), "\r\n\r\n");
    }
    const std::string csv = RenderExport(document, ExportFormat::Csv);
    EXPECT_EQ(csv.rfind("Extension,File Name,File Path,File Size (Bytes),Last Modified\r\n"
                        "*.TXT,,,,\r\n"
                        ">,\"a,b.txt\"," +
                            test::NativePath("/data/plain/") +
                            ",\"1,234,567\",01/05/2006 03:04:05 PM\r\n",
                        0),
              0u)
        << csv;
    const std::string text = RenderExport(document, ExportFormat::Text);
    EXPECT_EQ(text.rfind("Extension \"File Name\" \"File Path\" \"File Size (Bytes)\" \"Last "
                         "Modified\"\r\n*.TXT    \r\n>"
                         " a,b.txt " +
                             test::NativePath("/data/plain/") +
                             " 1,234,567 \"01/05/2006 03:04:05 PM\"\r\n",
                         0),
              0u)
        << text;
    // Between blanks a tab would read as a gap between cells, so the text form quotes it too.
    EXPECT_NE(text.find(" \"tab\there.txt\" "), std::string::npos);
    EXPECT_NE(csv.find(",tab\there.txt,"), std::string::npos);
}

// The window hands its columns in display order, maybe fewer of them.
TEST(ExportDocumentTest, ColumnsComeInTheGivenOrderHeaderIncluded) {
    const results::testing::FakeLocale locale;
    const std::vector<ExportColumn> columns = {{DupeColumn::FileSize, "File Size (Bytes)"},
                                               {DupeColumn::Extension, "Extension"},
                                               {DupeColumn::FileName, "File Name"}};
    const ExportDocument document = ExportDocumentOf(testing::OddTree(locale), columns, locale);
    const Table table = ReadCsv(RenderExport(document, ExportFormat::Csv));
    const Table full = ExpectedOddTable(false);
    ASSERT_EQ(table.size(), full.size());
    for (std::size_t r = 0; r < table.size(); ++r) {
        EXPECT_EQ(table[r], (std::vector<std::string>{full[r][3], full[r][0], full[r][1]})) << r;
    }
}

TEST(ExportDocumentTest, AnEmptyTreeGivesTheHeaderRowOnly) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(results::ResultTree(), DefaultExportColumns(), locale);
    EXPECT_EQ(RenderExport(document, ExportFormat::Csv),
              "Extension,File Name,File Path,File Size (Bytes),Last Modified\r\n");
    EXPECT_EQ(ReadCsv(RenderExport(document, ExportFormat::Text), ' '), Table{testing::kCaptions});
}

TEST(ExportDocumentTest, WritingReplacesTheFileOnlyWhenComplete) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(testing::OddTree(locale), DefaultExportColumns(), locale);
    test::TempTree tree{{"old.csv", test::Content("old")}, {"folder/", test::Folder()}};

    WriteExport(tree.Path("old.csv"), document, ExportFormat::Csv);
    EXPECT_EQ(ReadBytes(tree.Path("old.csv")), RenderExport(document, ExportFormat::Csv));

    for (const std::string& target : {tree.Path("folder"), tree.Path("missing/new.htm")}) {
        EXPECT_THROW(WriteExport(target, document, ExportFormat::Html), FileError) << target;
    }
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("folder")));
    EXPECT_TRUE(std::filesystem::is_empty(tree.Path("folder")));
}

}  // namespace
}  // namespace qm::storage
