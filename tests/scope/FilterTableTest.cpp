#include "scope/FilterTable.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "foundation/Prompter.h"
#include "platform/Locale.h"

namespace qm::scope {
namespace {

class Script : public foundation::Prompter {
public:
    explicit Script(std::deque<bool> answers = {}) : m_answers(std::move(answers)) {}
    bool Ask(const std::string& question) override {
        asked.push_back(question);
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return false;
        }
        const bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }
    bool AskInformation(const std::string& question) override {
        askedAsInformation.push_back(question);
        return Ask(question);
    }
    void Inform(const std::string&) override {}
    void ShowError(const std::string&) override {}
    std::vector<std::string> asked;
    std::vector<std::string> askedAsInformation;

private:
    std::deque<bool> m_answers;
};

std::vector<std::string> Selected(const FilterTable& table) {
    std::vector<std::string> masks;
    for (const FilterRow& row : table.Rows()) {
        if (row.selected) {
            masks.push_back(row.mask);
        }
    }
    return masks;
}

std::size_t RowOf(const FilterTable& table, const std::string& mask) {
    for (std::size_t i = 0; i < table.Count(); ++i) {
        if (table.Row(i).mask == mask) {
            return i;
        }
    }
    ADD_FAILURE() << "no row " << mask;
    return 0;
}

// Flips a row's box as the user does, then runs the rule.
void Tick(FilterTable& table, const std::string& mask, foundation::Prompter& prompter) {
    const std::size_t row = RowOf(table, mask);
    table.SetSelected(row, !table.Row(row).selected);
    table.ApplyCheckBoxRule(row, prompter);
}

TEST(FilterTableTest, GlobalFiltersAreExactlyStarAndStarDotStar) {
    EXPECT_TRUE(IsGlobalFilter("*"));
    EXPECT_TRUE(IsGlobalFilter("*.*"));
    for (const char* mask : {" *.*", "*.* ", "**", "*.", "*.?", ""}) {
        EXPECT_FALSE(IsGlobalFilter(mask)) << mask;
    }
}

TEST(FilterTableTest, DefaultTable) {
    FilterTable table;
    table.LoadDefaultFilters();
    ASSERT_EQ(table.Count(), 15u);
    EXPECT_EQ(table.Row(0), (FilterRow{"*.*", "All Files", false}));
    EXPECT_EQ(table.Row(8), (FilterRow{"*.pas", "Delphi Source Code Files", false}));
    EXPECT_EQ(table.Row(14), (FilterRow{"*.wmf", "Windows Meta File Image Files", false}));
    EXPECT_TRUE(Selected(table).empty());
    EXPECT_EQ(table.LabelText(), "[None Selected]");
    EXPECT_EQ(table.CursorRowAfterFill(), 0u);
}

TEST(FilterTableTest, CursorAfterFill) {
    FilterTable table;
    EXPECT_FALSE(table.CursorRowAfterFill());
    table.SetRows({{"*.a", "A"}, {"*.b", "B"}});
    EXPECT_EQ(table.CursorRowAfterFill(), 0u);
    table.SetRows({{"*.a", "A"}, {"*", "All"}, {"*.*", "All"}});
    EXPECT_EQ(table.CursorRowAfterFill(), 1u);
}

TEST(FilterTableTest, LabelJoinsSelectedMasksInTableOrder) {
    FilterTable table;
    table.SetRows({{"*.z", "Z", true}, {"*.a", "A", false}, {"old *.log", "L", true}});
    EXPECT_EQ(table.LabelText(), "*.z, old *.log");
}

TEST(FilterTableTest, GlobalFilterRule) {
    struct Case {
        const char* name;
        std::vector<std::string> before;  // ticked in this order, no questions
        std::string tick;
        std::deque<bool> answers;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        {"global over others, Yes", {"*.bmp", "*.gif"}, "*.*", {true}, {"*.*"}},
        {"global over others, No", {"*.bmp", "*.gif"}, "*.*", {false}, {"*.bmp", "*.gif"}},
        {"other over global, Yes", {"*.*"}, "*.bmp", {true}, {"*.bmp"}},
        {"other over global, No", {"*.*"}, "*.bmp", {false}, {"*.*"}},
        {"second global asks nothing", {"*.*"}, "*", {}, {"*", "*.*"}},
        {"ordinary beside ordinary", {"*.bmp"}, "*.gif", {}, {"*.bmp", "*.gif"}},
        {"unticking asks nothing", {"*.bmp", "*.gif"}, "*.gif", {}, {"*.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterTable table;
        table.SetRows({{"*", "Everything"}, {"*.*", "All Files"}, {"*.bmp", "B"}, {"*.gif", "G"}});
        Script quiet;
        for (const std::string& mask : c.before) {
            Tick(table, mask, quiet);
        }
        Script script(c.answers);
        Tick(table, c.tick, script);
        EXPECT_EQ(script.asked.size(), c.answers.size());
        EXPECT_EQ(Selected(table), c.after);
    }
}

// While a question shows, the table already holds what it is about: the global question keeps the
// new global tick, the replace question has taken the new ordinary tick back and is information.
TEST(FilterTableTest, WhatTheTableHoldsWhileAsking) {
    struct Case {
        const char* name;
        std::string before;
        std::string tick;
        bool tickedWhileAsked;
        bool asInformation;
    };
    const Case cases[] = {
        {"global over ordinary", "*.bmp", "*.*", true, false},
        {"ordinary over global", "*.*", "*.bmp", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterTable table;
        table.SetRows({{"*.*", "All Files"}, {"*.bmp", "B"}});
        Script quiet;
        Tick(table, c.before, quiet);
        const std::size_t row = RowOf(table, c.tick);
        table.SetSelected(row, true);
        std::vector<bool> seen;
        Script script({false});
        table.ApplyCheckBoxRule(row, script, [&] { seen.push_back(table.Row(row).selected); });
        EXPECT_EQ(seen, std::vector<bool>{c.tickedWhileAsked});
        EXPECT_EQ(script.askedAsInformation.size(), c.asInformation ? 1u : 0u);
    }
}

TEST(FilterTableTest, ReplacingTouchesOnlyTheFirstSelectedGlobalRow) {
    FilterTable table;
    table.SetRows({{"*", "Everything", true}, {"*.*", "All Files", true}, {"*.bmp", "B"}});
    Script yes({true});
    Tick(table, "*.bmp", yes);
    ASSERT_EQ(yes.asked.size(), 1u);
    EXPECT_EQ(yes.asked[0], kReplaceGlobalFilterQuestion);
    EXPECT_EQ(Selected(table), (std::vector<std::string>{"*.*", "*.bmp"}));
}

TEST(FilterTableTest, GlobalYesUnselectsOtherGlobalRowsToo) {
    FilterTable table;
    table.SetRows({{"*", "Everything", true}, {"*.*", "All Files"}, {"*.bmp", "B", true}});
    Script yes({true});
    Tick(table, "*.*", yes);
    ASSERT_EQ(yes.asked.size(), 1u);
    EXPECT_EQ(yes.asked[0], kGlobalFilterQuestion);
    EXPECT_NE(yes.asked[0].find("selection.  \r\n\r\nAre you sure"), std::string::npos);
    EXPECT_EQ(Selected(table), std::vector<std::string>{"*.*"});
}

TEST(FilterTableTest, AddFilterSortsMergesAndUnselects) {
    auto locale = platform::CreateLocale("en_US");
    FilterTable table;
    table.LoadDefaultFilters();
    table.SetSelected(3, true);
    table.AddFilter("*.BMP", "bitmap image files", *locale);
    EXPECT_EQ(table.Count(), 15u);  // equal ignoring case
    EXPECT_TRUE(Selected(table).empty());

    table.AddFilter("a|b", "X", *locale);
    ASSERT_EQ(table.Count(), 16u);
    EXPECT_EQ(table.Row(RowOf(table, "a")).definition, "b|X");

    // Equal rows already present merge into one; the rest is sorted case-insensitively.
    table.SetRows({{"*.b", "B"}, {"*.A", "a"}, {"*.a", "A"}});
    table.AddFilter("*.C", "c", *locale);
    ASSERT_EQ(table.Count(), 3u);
    EXPECT_EQ(table.Row(0).mask, "*.A");
    EXPECT_EQ(table.Row(1).mask, "*.b");
    EXPECT_EQ(table.Row(2).mask, "*.C");

    FilterTable empty;
    empty.AddFilter("*.x", "X", *locale);
    EXPECT_EQ(empty.Rows(), (std::vector<FilterRow>{{"*.x", "X", false}}));
}

TEST(FilterTableTest, EditKeepsPlaceAndSelection) {
    FilterTable table;
    table.SetRows({{"*.a", "A"}, {"*.txt", "Text", true}, {"*.c", "C"}});
    table.EditFilter(1, "*.text", "Texts");
    EXPECT_EQ(table.Row(1), (FilterRow{"*.text", "Texts", true}));
    EXPECT_EQ(table.LabelText(), "*.text");
}

TEST(FilterTableTest, DeleteClosesTheGapAndTheLastRowLeavesNothingSelected) {
    FilterTable table;
    table.SetRows({{"*.a", "A"}, {"*.b", "B", true}, {"*.c", "C"}});
    table.DeleteFilter(0);
    EXPECT_EQ(table.Row(0).mask, "*.b");
    table.SetRows({{"*.only", "Only", true}});
    table.DeleteFilter(0);
    EXPECT_FALSE(table.HasFilters());
    EXPECT_EQ(table.LabelText(), "[None Selected]");
    EXPECT_THROW(table.DeleteFilter(0), std::out_of_range);
    EXPECT_EQ(DeleteFilterQuestion("Bitmap Image Files"),
              "Are you sure you want to delete the filter \"Bitmap Image Files\"?");
}

TEST(FilterTableTest, SelectAll) {
    FilterTable table;
    table.LoadDefaultFilters();
    table.SetSelected(0, true);
    EXPECT_EQ(table.SelectAll(),
              "*.bmp, *.dll, *.doc, *.exe, *.gif, *.ht*, *.jp*, *.pas, *.php, *.png, *.psd, "
              "*.tiff, *.txt, *.wmf");
    EXPECT_FALSE(table.Row(0).selected);
    EXPECT_EQ(Selected(table).size(), 14u);

    table.SetRows({{"*.txt", "T"}, {"old *.log", "L"}, {"*.TXT", "T2"}, {"*.abc", "A"}});
    EXPECT_EQ(table.SelectAll(), "*.abc, *.log, *.txt, old");

    table.SetRows({{"*", "E"}, {"*.*", "A", true}});
    EXPECT_EQ(table.SelectAll(), "");
    EXPECT_TRUE(Selected(table).empty());

    FilterTable empty;
    EXPECT_EQ(empty.SelectAll(), "");
}

}  // namespace
}  // namespace qm::scope
