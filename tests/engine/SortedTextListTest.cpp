#include "engine/SortedTextList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/Locale.h"

namespace qm::engine {
namespace {

using Lines = std::vector<std::string>;
using Dup = SortedTextList::Duplicates;
using Eq = SortedTextList::DuplicateTest;

class SortedTextListTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
};

TEST_F(SortedTextListTest, OrdersCaseInsensitivelyWithByteTieBreak) {
    SortedTextList list(*m_locale, Dup::Accept);
    for (const char* line : {"b", "a", "C", "A", "c", "B", "a"}) list.Add(line);
    EXPECT_EQ(list.TakeLines(), (Lines{"A", "a", "a", "B", "b", "C", "c"}));
}

TEST_F(SortedTextListTest, OrderDoesNotDependOnInsertionOrder) {
    Lines lines = {"/data/foo/", "/data/Foo/", "/data/FOO/",      "/data/f\xffo/", "/data/f\xfeo/",
                   "/data/a b/", "/data/a|b/", "/data/\xc3\xa9/", "/data/E/"};
    SortedTextList first(*m_locale, Dup::Ignore, Eq::Exact);
    for (const std::string& line : lines) first.Add(line);
    std::reverse(lines.begin(), lines.end());
    SortedTextList second(*m_locale, Dup::Ignore, Eq::Exact);
    for (const std::string& line : lines) second.Add(line);
    EXPECT_EQ(first.Count(), lines.size());  // exact test: every spelling is its own line
    const Lines firstLines = first.TakeLines();
    EXPECT_EQ(firstLines, second.TakeLines());
    std::rotate(lines.begin(), lines.begin() + 4, lines.end());
    SortedTextList third(*m_locale, Dup::Ignore, Eq::Exact);
    third.SuspendSorting();
    for (const std::string& line : lines) third.Add(line);
    third.ResumeSorting();
    EXPECT_EQ(firstLines, third.TakeLines());
}

TEST_F(SortedTextListTest, DuplicatesRules) {
    const struct {
        Dup rule;
        Eq test;
        Lines added;
        Lines kept;
    } cases[] = {
        // The first spelling added stays.
        {Dup::Ignore, Eq::Collation, {"Foo", "foo", "FOO", "bar"}, {"bar", "Foo"}},
        {Dup::Ignore, Eq::Collation, {"foo", "Foo"}, {"foo"}},
        {Dup::Ignore, Eq::Exact, {"/d/Foo/", "/d/foo/", "/d/Foo/"}, {"/d/Foo/", "/d/foo/"}},
        {Dup::Accept, Eq::Collation, {"x", "X", "x"}, {"X", "x", "x"}},
        {Dup::Accept, Eq::Exact, {"x", "x"}, {"x", "x"}},
        // Invalid UTF-8 is never dropped nor merged with other bytes.
        {Dup::Ignore, Eq::Collation, {"a\xff", "a\xfe", "a\xff"}, {"a\xfe", "a\xff"}},
    };
    for (const auto& c : cases) {
        SortedTextList list(*m_locale, c.rule, c.test);
        for (const std::string& line : c.added) list.Add(line);
        EXPECT_EQ(list.TakeLines(), c.kept) << "first added: " << c.added.front();
    }
}

TEST_F(SortedTextListTest, AddReportsIndexOrRefusal) {
    SortedTextList list(*m_locale);
    EXPECT_EQ(list.Add("m"), 0u);
    EXPECT_EQ(list.Add("a"), 0u);
    EXPECT_EQ(list.Add("z"), 2u);
    EXPECT_FALSE(list.Add("M").has_value());
    EXPECT_EQ(list.Count(), 3u);
}

TEST_F(SortedTextListTest, SuspendedSortingAppendsAndSortsOnceWhenResumed) {
    SortedTextList list(*m_locale, Dup::Ignore);
    list.SuspendSorting();
    EXPECT_EQ(list.Add("c"), 0u);
    EXPECT_EQ(list.Add("a"), 1u);
    EXPECT_EQ(list.Add("b"), 2u);
    EXPECT_FALSE(list.Add("A").has_value()) << "duplicates rule holds while suspended";
    list.ResumeSorting();
    EXPECT_EQ(list.Add("D"), 3u) << "sorted again from here on";
    EXPECT_EQ(list.Add("bb"), 2u);
    EXPECT_EQ(list.TakeLines(), (Lines{"a", "b", "bb", "c", "D"}));
}

TEST_F(SortedTextListTest, TakingAndClearingForgetLines) {
    SortedTextList list(*m_locale);
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.TakeLines(), (Lines{"a", "b"}));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.Add("A").has_value());
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.Add("a").has_value());
}

}  // namespace
}  // namespace qm::engine
