#include "engine/FileRecords.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/Locale.h"

namespace qm::engine {

namespace {

constexpr char kFieldSep = '|';

std::string UpperAsciiLetters(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string_view FileNamePart(std::string_view path, char delim) {
    const std::size_t pos = path.rfind(delim);
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d", value);
    return buffer;
}

}  // namespace

const char* MethodName(Method method) {
    switch (method) {
        case Method::ContentsOnly:
            return "Contents Only";
        case Method::SizeOnly:
            return "Size Only";
        case Method::NameOnly:
            return "Name Only";
        case Method::NameAndSize:
            return "Name And Size";
        case Method::ContentsAndName:
            return "Contents And Name";
    }
    return "Contents Only";
}

FieldNumbers FieldNumbersOf(Method method) {
    switch (method) {
        case Method::SizeOnly:
            return FieldNumbers{1, 5, 3, 2, 4};
        case Method::NameOnly:
        case Method::NameAndSize:
            return FieldNumbers{1, 6, 5, 2, 4};
        case Method::ContentsOnly:
        case Method::ContentsAndName:
            break;
    }
    return FieldNumbers{1, 6, 3, 2, 5};
}

std::int64_t ParseWholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return 0;
    }
    // Accumulate as a negative number so that the most negative value parses too.
    std::int64_t value = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return 0;
        }
        const int digit = c - '0';
        if (value < (kMin + digit) / 10) {
            return 0;  // out of range is no integer
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) {
            return 0;
        }
        return -value;
    }
    return value;
}

std::string SizeText(std::int64_t size) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10" PRId64, size);
    return buffer;
}

std::string DateText(platform::FileTime time, const platform::Locale& locale) {
    return DateText(platform::LocalFileDate(time), locale);
}

std::string DateText(const platform::LocalDateTime& local, const platform::Locale& locale) {
    const std::string dateSep = locale.DateSeparator();
    const std::string timeSep = locale.TimeSeparator();
    int hour12 = local.hour % 12;
    if (hour12 == 0) {
        hour12 = 12;
    }
    char year[16];
    if (local.year < 0) {
        std::snprintf(year, sizeof year, "-%.4d", -local.year);
    } else {
        std::snprintf(year, sizeof year, "%.4d", local.year);
    }
    std::string text;
    text.reserve(32);
    text += TwoDigits(local.month);
    text += dateSep;
    text += TwoDigits(local.day);
    text += dateSep;
    text += year;
    text += ' ';
    text += TwoDigits(hour12);
    text += timeSep;
    text += TwoDigits(local.minute);
    text += timeSep;
    text += TwoDigits(local.second);
    text += local.hour < 12 ? " AM" : " PM";
    return text;
}

std::string ChecksumText(std::uint32_t checksum) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%.8" PRIX32, checksum);
    return buffer;
}

std::string NameKey(std::string_view path, char delim) {
    return UpperAsciiLetters(FileNamePart(path, delim));
}

std::string ExtensionKey(std::string_view path, char delim) {
    const std::string_view name = FileNamePart(path, delim);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return "(None)";
    }
    return "*" + UpperAsciiLetters(name.substr(dot));
}

std::string GroupText(std::int64_t group) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6" PRId64, group);
    return buffer;
}

std::string DuplicateLineText(const DuplicateEntry& entry, Method method,
                              const platform::Locale& locale) {
    std::string text = GroupText(entry.group);
    text += kFieldSep;
    text += entry.extensionKey;
    text += kFieldSep;
    switch (method) {
        case Method::SizeOnly:
            text += SizeText(entry.size);
            text += kFieldSep;
            text += entry.path;
            break;
        case Method::NameOnly:
        case Method::NameAndSize:
            text += entry.nameKey;
            text += kFieldSep;
            text += entry.path;
            text += kFieldSep;
            text += SizeText(entry.size);
            break;
        case Method::ContentsOnly:
        case Method::ContentsAndName:
            text += SizeText(entry.size);
            text += kFieldSep;
            text += ChecksumText(entry.checksum);
            text += kFieldSep;
            text += entry.path;
            break;
    }
    text += kFieldSep;
    text += DateText(entry.lastWrite, locale);
    return text;
}

}  // namespace qm::engine
