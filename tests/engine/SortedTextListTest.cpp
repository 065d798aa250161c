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
    EXPECT_EQ(list.Lines(), (Lines{"A", "a", "a", "B", "b", "C", "c"}));
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
    EXPECT_EQ(first.Lines(), second.Lines());
    std::rotate(lines.begin(), lines.begin() + 4, lines.end());
    SortedTextList third(*m_locale, Dup::Ignore, Eq::Exact);
    third.SuspendSorting();
    for (const std::string& line : lines) third.Add(line);
    third.ResumeSorting();
    EXPECT_EQ(first.Lines(), third.Lines());
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
        EXPECT_EQ(list.Lines(), c.kept) << "first added: " << c.added.front();
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

TEST_F(SortedTextListTest, SuspendedSortingAppendsAndReplacesInPlace) {
    SortedTextList list(*m_locale, Dup::Ignore);
    list.SuspendSorting();
    list.Add("c");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.Lines(), (Lines{"c", "a", "b"}));
    EXPECT_FALSE(list.Add("A").has_value()) << "duplicates rule holds while suspended";
    EXPECT_TRUE(list.Replace(0, "d"));
    EXPECT_EQ(list.Lines(), (Lines{"d", "a", "b"}));
    EXPECT_FALSE(list.Replace(0, "B")) << "would duplicate b";
    EXPECT_EQ(list[0], "d");
    EXPECT_TRUE(list.Replace(0, "D")) << "replacing a line by another spelling of itself";
    EXPECT_EQ(list.IndexOf("b"), 2u);
    list.ResumeSorting();
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "D"}));
    list.Add("c");
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "D"}));
    // The replaced "d" freed its spelling.
    EXPECT_TRUE(list.Add("e").has_value());
}

TEST_F(SortedTextListTest, ReplaceContentAddsUnderOwnRules) {
    SortedTextList source(*m_locale, Dup::Accept);
    for (const char* line : {"b", "B", "a", "b"}) source.Add(line);
    SortedTextList target(*m_locale, Dup::Ignore);
    target.Add("old");
    target.ReplaceContent(source);
    EXPECT_EQ(target.Lines(), (Lines{"a", "B"}));
    EXPECT_FALSE(target.Contains("old"));
    EXPECT_FALSE(target.Add("A").has_value());

    SortedTextList unsorted(*m_locale, Dup::Accept);
    unsorted.SuspendSorting();
    unsorted.ReplaceContent(Lines{"z", "y", "y"});
    EXPECT_EQ(unsorted.Lines(), (Lines{"z", "y", "y"}));
}

TEST_F(SortedTextListTest, FindAndIndexOf) {
    SortedTextList collated(*m_locale, Dup::Ignore, Eq::Collation);
    SortedTextList exact(*m_locale, Dup::Ignore, Eq::Exact);
    for (const char* line : {"/d/Foo/", "/d/bar/", "/d/foo/", "/d/zed/"}) {
        collated.Add(line);
        exact.Add(line);
    }
    std::size_t index = 99;
    EXPECT_TRUE(collated.Find("/D/FOO/", index));
    EXPECT_EQ(collated[index], "/d/Foo/");
    EXPECT_FALSE(collated.Find("/d/cat/", index));
    EXPECT_EQ(index, 1u) << "insertion point after /d/bar/";
    EXPECT_TRUE(collated.IndexOf("/D/FOO/").has_value());

    EXPECT_FALSE(exact.IndexOf("/D/FOO/").has_value());
    ASSERT_TRUE(exact.IndexOf("/d/foo/").has_value());
    EXPECT_EQ(exact[*exact.IndexOf("/d/foo/")], "/d/foo/");
    ASSERT_TRUE(exact.IndexOf("/d/Foo/").has_value());
    EXPECT_EQ(exact[*exact.IndexOf("/d/Foo/")], "/d/Foo/");

    exact.SuspendSorting();
    exact.Add("/d/Aaa/");
    EXPECT_EQ(exact.IndexOf("/d/Aaa/"), exact.Count() - 1);
    EXPECT_FALSE(exact.IndexOf("/d/aaa/").has_value());
}

TEST_F(SortedTextListTest, DeleteAndClearForgetLines) {
    SortedTextList list(*m_locale);
    list.Add("a");
    list.Add("b");
    list.Delete(0);
    EXPECT_EQ(list.Lines(), (Lines{"b"}));
    EXPECT_TRUE(list.Add("A").has_value());
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.Add("b").has_value());
}

}  // namespace
}  // namespace qm::engine
