#include "engine/SearchCriteria.h"

#include <limits>

#include "engine/SortedTextList.h"
#include "platform/Locale.h"

namespace qm::engine {

namespace {

std::optional<std::int64_t> LimitBytes(const std::string& text, std::int64_t multiplier) {
    const std::int64_t units = ParseWholeNumber(text);
    if (units <= 0) {
        return std::nullopt;
    }
    // Saturate instead of wrapping: a huge limit stays huge (no file is that large).
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (units > kMax / multiplier) {
        return kMax;
    }
    return units * multiplier;
}

// Blanks and control characters separate items, like ",".
bool IsBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= ' ';
}

}  // namespace

std::int64_t SearchCriteria::SizeMultiplier() const {
    switch (sizeUnitIndex) {
        case static_cast<int>(SizeUnit::KiloBytes):
            return 1024;
        case static_cast<int>(SizeUnit::MegaBytes):
            return std::int64_t{1024} * 1000;
        default:
            return 1;
    }
}

std::optional<std::int64_t> SearchCriteria::MinSizeBytes() const {
    return LimitBytes(minSizeText, SizeMultiplier());
}

std::optional<std::int64_t> SearchCriteria::MaxSizeBytes() const {
    return LimitBytes(maxSizeText, SizeMultiplier());
}

std::vector<std::string> SplitMaskItems(const std::string& maskText) {
    std::vector<std::string> items;
    const std::size_t n = maskText.size();
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < n && IsBlank(maskText[p])) {
            ++p;
        }
    };
    skipBlanks();
    while (p < n && maskText[p] != '\0') {
        std::string item;
        if (maskText[p] == '"') {
            // Quoted: runs to the closing quote, a doubled quote is one quote; an unclosed quote
            // runs to the end.
            ++p;
            while (p < n) {
                if (maskText[p] == '"') {
                    if (p + 1 < n && maskText[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += maskText[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < n && !IsBlank(maskText[p]) && maskText[p] != ',' && maskText[p] != '\0') {
                ++p;
            }
            item.assign(maskText, start, p - start);
        }
        if (!item.empty()) {
            items.push_back(std::move(item));
        }
        skipBlanks();
        if (p < n && maskText[p] == ',') {
            ++p;
            skipBlanks();
        }
    }
    return items;
}

std::vector<std::string> SplitMaskText(const std::string& maskText,
                                       const platform::Locale& locale) {
    SortedTextList list(locale, SortedTextList::Duplicates::Ignore,
                        SortedTextList::DuplicateTest::Collation);
    for (std::string& item : SplitMaskItems(maskText)) {
        list.Add(std::move(item));
    }
    return list.TakeLines();
}

std::vector<std::string> SplitMaskText(const std::string& maskText) {
    return SplitMaskText(maskText, platform::UserLocale());
}

}  // namespace qm::engine
