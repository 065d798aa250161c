// The HTML export read back by libxml2, once as strict XML and once by its HTML parser. Where
// there is no libxml2 (the Windows build), the checks that need no parser run alone.

#include "storage/HtmlExport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

#include <set>

#include "results/ResultsTestSupport.h"
#include "storage/ExportFixture.h"

namespace qm::storage {
namespace {

using testing::Table;

// Without a parser: the page's frame, every cell of the odd tree as escaped text in order, and
// nothing of the names' markup left raw.
TEST(HtmlExportTest, EveryCellStandsEscapedInOrderAndNoNameBecomesMarkup) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(testing::OddTree(locale), DefaultExportColumns(), locale);
    const std::string html = RenderExport(document, ExportFormat::Html);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\r\n", 0), 0u);
    ASSERT_GE(html.size(), 9u);
    EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
    for (const char* raw : {"<script", "<img", "<b>"}) {
        EXPECT_EQ(html.find(raw), std::string::npos) << raw;
    }
    std::size_t at = 0;
    for (const std::vector<std::string>& row : testing::ExpectedOddTable(true)) {
        for (const std::string& cell : row) {
            if (cell.empty()) {
                continue;
            }
            const std::size_t found = html.find(">" + HtmlEscaped(cell) + "<", at);
            ASSERT_NE(found, std::string::npos) << "cell " << cell << " after offset " << at;
            at = found;
        }
    }
}

#ifndef _WIN32
struct Parsed {
    Table rows;                        // every tr: the texts of its th or td cells
    std::set<std::string> elements;    // every element name
    std::set<std::string> attributes;  // every attribute name
    std::vector<std::string> errors;
    int captions = 0;
    std::string captionText;
    std::string charset;
};

void CollectErrors(void* context, const xmlError* error) {
    auto* errors = static_cast<std::vector<std::string>*>(context);
    errors->push_back(std::to_string(error->line) + ": " +
                      (error->message != nullptr ? error->message : "?"));
}

std::string TextOf(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

std::string Name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

void Walk(xmlNode* node, Parsed& parsed) {
    for (xmlNode* n = node; n != nullptr; n = n->next) {
        if (n->type != XML_ELEMENT_NODE) {
            continue;
        }
        const std::string name = Name(n);
        parsed.elements.insert(name);
        for (xmlAttr* a = n->properties; a != nullptr; a = a->next) {
            parsed.attributes.insert(reinterpret_cast<const char*>(a->name));
            if (name == "meta" && Name(reinterpret_cast<xmlNode*>(a)) == "charset") {
                parsed.charset = TextOf(reinterpret_cast<xmlNode*>(a));
            }
        }
        if (name == "caption") {
            ++parsed.captions;
            parsed.captionText += TextOf(n);
        }
        if (name == "tr") {
            std::vector<std::string> cells;
            for (xmlNode* c = n->children; c != nullptr; c = c->next) {
                if (c->type == XML_ELEMENT_NODE && (Name(c) == "td" || Name(c) == "th")) {
                    cells.push_back(TextOf(c));
                }
            }
            parsed.rows.push_back(cells);
        }
        Walk(n->children, parsed);
    }
}

Parsed Parse(const std::string& html, bool asXml) {
    Parsed parsed;
    xmlSetStructuredErrorFunc(&parsed.errors, reinterpret_cast<xmlStructuredErrorFunc>(
                                                  reinterpret_cast<void (*)()>(CollectErrors)));
    const int size = static_cast<int>(html.size());
    xmlDoc* doc = asXml
                      ? xmlReadMemory(html.data(), size, "export.htm", "UTF-8", XML_PARSE_NONET)
                      : htmlReadMemory(html.data(), size, "export.htm", "UTF-8", HTML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (doc == nullptr) {
        parsed.errors.push_back("no document");
        return parsed;
    }
    Walk(xmlDocGetRootElement(doc), parsed);
    xmlFreeDoc(doc);
    return parsed;
}

// Names that look like markup show as text and nothing in the page can run: the document is
// well-formed XML (so no "<" slipped through unescaped and the UTF-8 is valid), the HTML parser
// finds only the table's own elements, and both read every cell back as the tree shows it.
TEST(HtmlExportTest, ReadsBackCellForCellAndRunsNothing) {
    const results::testing::FakeLocale locale;
    const ExportDocument document =
        ExportDocumentOf(testing::OddTree(locale), DefaultExportColumns(), locale);
    const std::string html = RenderExport(document, ExportFormat::Html);
    const Table expected = testing::ExpectedOddTable(true);
    for (const bool asXml : {true, false}) {
        const Parsed parsed = Parse(html, asXml);
        EXPECT_TRUE(parsed.errors.empty()) << (asXml ? "XML: " : "HTML: ") << parsed.errors[0];
        EXPECT_EQ(parsed.rows, expected) << (asXml ? "XML" : "HTML");
        EXPECT_EQ(parsed.elements,
                  (std::set<std::string>{"html", "head", "meta", "title", "style", "body", "table",
                                         "caption", "thead", "tbody", "tr", "th", "td"}));
        for (const std::string& attribute : parsed.attributes) {
            EXPECT_NE(attribute.rfind("on", 0), 0u) << attribute;
        }
        EXPECT_EQ(parsed.captions, 1);
        EXPECT_EQ(parsed.captionText, "");
        EXPECT_EQ(parsed.charset, "utf-8");
    }
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\r\n", 0), 0u);
    EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
}

TEST(HtmlExportTest, AnEmptyTreeGivesTheHeaderRowOnly) {
    const results::testing::FakeLocale locale;
    const std::string html =
        RenderExport(ExportDocumentOf(results::ResultTree(), DefaultExportColumns(), locale),
                     ExportFormat::Html);
    const Parsed parsed = Parse(html, true);
    EXPECT_TRUE(parsed.errors.empty());
    EXPECT_EQ(parsed.rows, Table{testing::kCaptions});
    // The parsers do report what they reject.
    EXPECT_FALSE(Parse("<p>a < b</p>", true).errors.empty());
    EXPECT_FALSE(Parse("<p>\xFF</p>", true).errors.empty());
    EXPECT_FALSE(Parse("<table><tr><td>a</td></tr></tabel>", false).errors.empty());
}

#endif

TEST(HtmlExportTest, EscapesMarkupCharactersAndShowsControls) {
    const std::pair<std::string, std::string> cases[] = {
        {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&#39;f"},
        {"&lt;", "&amp;lt;"},
        {"\x01\x7F", "\xE2\x90\x81\xE2\x90\xA1"},
        {"\xC2\x85", "\xEF\xBF\xBD"},      // a C1 control
        {"\xEF\xB7\x90", "\xEF\xBF\xBD"},  // a noncharacter
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(HtmlEscaped(text), escaped) << text;
    }
}

}  // namespace
}  // namespace qm::storage
