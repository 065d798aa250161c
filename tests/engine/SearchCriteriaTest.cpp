#include "engine/SearchCriteria.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Locale.h"

namespace qm::engine {
namespace {

using Lines = std::vector<std::string>;

TEST(SearchCriteriaTest, InitialValuesAreThoseOfAFreshWindow) {
    const SearchCriteria c;
    EXPECT_TRUE(c.searchFolders.empty());
    EXPECT_EQ(c.fileMaskText, "[None Selected]");
    EXPECT_TRUE(c.includeHidden);
    EXPECT_TRUE(c.includeSubFolders);
    EXPECT_EQ(c.depthLimit, 0);
    EXPECT_EQ(c.sizeUnitIndex, 1);
    EXPECT_EQ(c.method, Method::ContentsOnly);
    EXPECT_FALSE(c.ignoreSubFolders);
    EXPECT_FALSE(c.dateRange.enabled);
    EXPECT_FALSE(c.MinSizeBytes().has_value());
    EXPECT_FALSE(c.MaxSizeBytes().has_value());
}

TEST(SearchCriteriaTest, SizeMultiplier) {
    const struct {
        int index;
        std::int64_t multiplier;
    } cases[] = {{0, 1}, {1, 1024}, {2, 1024000}, {3, 1}, {-1, 1}, {99, 1}};
    for (const auto& c : cases) {
        SearchCriteria criteria;
        criteria.sizeUnitIndex = c.index;
        EXPECT_EQ(criteria.SizeMultiplier(), c.multiplier) << c.index;
    }
}

TEST(SearchCriteriaTest, SizeLimitsInEveryUnit) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const struct {
        const char* text;
        int unit;
        std::optional<std::int64_t> bytes;
    } cases[] = {
        {"0", 0, std::nullopt},
        {"", 1, std::nullopt},
        {"abc", 1, std::nullopt},
        {"-5", 1, std::nullopt},
        {"1.5", 1, std::nullopt},
        {"7", 0, 7},
        {" 7", 0, 7},
        {"+7", 0, 7},
        {"1", 1, 1024},
        {"1", 2, 1024000},
        {"5", 3, 5},
        {"2097151", 1, 2147482624LL},
        {"3000", 2, 3072000000LL},  // beyond 32 bits: still a real limit
        {"4194304", 1, 4294967296LL},
        {"9223372036854775807", 0, kMax},
        {"9223372036854775807", 2, kMax},  // saturates, never wraps negative
    };
    for (const auto& c : cases) {
        SearchCriteria criteria;
        criteria.sizeUnitIndex = c.unit;
        criteria.minSizeText = c.text;
        criteria.maxSizeText = c.text;
        EXPECT_EQ(criteria.MinSizeBytes(), c.bytes) << '"' << c.text << "\" unit " << c.unit;
        EXPECT_EQ(criteria.MaxSizeBytes(), c.bytes) << '"' << c.text << "\" unit " << c.unit;
    }
}

TEST(SearchCriteriaTest, SplitMaskItems) {
    const struct {
        const char* text;
        Lines items;
    } cases[] = {
        {"*.jpg, *.png", {"*.jpg", "*.png"}},
        {"*.jpg,*.png", {"*.jpg", "*.png"}},
        {"  *.jpg  ,  *.png  ", {"*.jpg", "*.png"}},
        {"[None Selected]", {"[None", "Selected]"}},  // a blank splits a mask in two
        {"My File*.txt", {"My", "File*.txt"}},
        {"\"My File*.txt\", *.doc", {"My File*.txt", "*.doc"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"unclosed *.x", {"unclosed *.x"}},
        {"\"a b\"c", {"a b", "c"}},
        {"a\"b", {"a\"b"}},
        {"a\tb\nc\x01"
         "d",
         {"a", "b", "c", "d"}},
        {",,a,, ,b,", {"a", "b"}},
        {"\"\", a", {"a"}},
        {"", {}},
        {"   ", {}},
        {"*.\xc3\xa9t\xff", {"*.\xc3\xa9t\xff"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitMaskItems(c.text), c.items) << '"' << c.text << '"';
    }
}

TEST(SearchCriteriaTest, SplitMaskTextSortsWithoutDuplicates) {
    const auto locale = platform::CreateLocale("en_US");
    const struct {
        const char* text;
        Lines masks;
    } cases[] = {
        {"*.png, *.jpg, *.bmp", {"*.bmp", "*.jpg", "*.png"}},
        {"*.JPG, *.jpg, *.Jpg", {"*.JPG"}},  // case-insensitive duplicates: first one stays
        {"*.ht*, *.html", {"*.ht*", "*.html"}},
        {"*.*", {"*.*"}},
        {"b, A, a, B", {"A", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitMaskText(c.text, *locale), c.masks) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace qm::engine
