#include "scope/FilterTable.h"

#include <algorithm>
#include <stdexcept>

#include "engine/SearchCriteria.h"
#include "foundation/Prompter.h"
#include "platform/Locale.h"

namespace qm::scope {

std::string DeleteFilterQuestion(std::string_view definition) {
    std::string text = "Are you sure you want to delete the filter \"";
    text += definition;
    text += "\"?";
    return text;
}

bool IsGlobalFilter(std::string_view mask) {
    return mask == "*" || mask == "*.*";
}

std::vector<FilterRow> DefaultFilters() {
    return {
        {"*.*", "All Files"},
        {"*.bmp", "Bitmap Image Files"},
        {"*.dll", "Dynamic Link Library Files"},
        {"*.doc", "Document Files"},
        {"*.exe", "Executable Files"},
        {"*.gif", "GIF Image Files"},
        {"*.ht*", "HTML Files"},
        {"*.jp*", "JPEG Image Files"},
        {"*.pas", "Delphi Source Code Files"},
        {"*.php", "PHP Files"},
        {"*.png", "PNG Image Files"},
        {"*.psd", "Photoshop Files"},
        {"*.tiff", "Tag Image File Format Files"},
        {"*.txt", "Text Files"},
        {"*.wmf", "Windows Meta File Image Files"},
    };
}

bool FilterTable::OtherFilterSelected() const {
    return std::any_of(m_rows.begin(), m_rows.end(), [](const FilterRow& row) {
        return row.selected && !IsGlobalFilter(row.mask);
    });
}

std::optional<std::size_t> FilterTable::FirstSelectedGlobalRow() const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].selected && IsGlobalFilter(m_rows[i].mask)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> FilterTable::FirstGlobalRow() const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (IsGlobalFilter(m_rows[i].mask)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> FilterTable::CursorRowAfterFill() const {
    if (m_rows.empty()) {
        return std::nullopt;
    }
    return FirstGlobalRow().value_or(0);
}

std::string FilterTable::LabelText() const {
    std::string text;
    for (const FilterRow& row : m_rows) {
        if (row.selected) {
            text += row.mask;
            text += ", ";
        }
    }
    if (text.empty()) {
        return std::string(kNoneSelected);
    }
    text.resize(text.size() - 2);
    return text;
}

std::string FilterTable::SortedLabelText() const {
    std::string joined;
    for (const FilterRow& row : m_rows) {
        if (row.selected) {
            if (!joined.empty()) {
                joined += ", ";
            }
            joined += row.mask;
        }
    }
    std::string caption;
    for (const std::string& item : engine::SplitMaskText(joined)) {
        if (!caption.empty()) {
            caption += ", ";
        }
        caption += item;
    }
    return caption;
}

void FilterTable::ApplyCheckBoxRule(std::size_t index, foundation::Prompter& prompter,
                                    const std::function<void()>& beforeQuestion) {
    const auto ask = [&](std::string_view question, bool asInformation) {
        if (beforeQuestion) {
            beforeQuestion();
        }
        return asInformation ? prompter.AskInformation(std::string(question))
                             : prompter.Ask(std::string(question));
    };
    FilterRow& row = m_rows.at(index);
    if (!row.selected) {
        return;
    }
    if (IsGlobalFilter(row.mask)) {
        // A global filter already covers everything; it never stands beside ordinary filters.
        if (OtherFilterSelected()) {
            if (ask(kGlobalFilterQuestion, false)) {
                for (std::size_t i = 0; i < m_rows.size(); ++i) {
                    m_rows[i].selected = (i == index);
                }
            } else {
                m_rows.at(index).selected = false;
            }
        }
        return;
    }
    const std::optional<std::size_t> global = FirstSelectedGlobalRow();
    if (!global) {
        return;
    }
    // The new tick is taken back before the question, which is asked as information.
    row.selected = false;
    if (ask(kReplaceGlobalFilterQuestion, true)) {
        m_rows.at(*global).selected = false;
        m_rows.at(index).selected = true;
    }
}

void FilterTable::ClearSelection() {
    for (FilterRow& row : m_rows) {
        row.selected = false;
    }
}

std::string FilterTable::SelectAll() {
    if (m_rows.empty()) {
        return {};
    }
    for (FilterRow& row : m_rows) {
        row.selected = !IsGlobalFilter(row.mask);
    }
    return SortedLabelText();
}

void FilterTable::AddFilter(std::string_view mask, std::string_view definition,
                            const platform::Locale& locale) {
    std::vector<std::string> lines;
    const auto insert = [&](std::string line) {
        const auto pos = std::lower_bound(
            lines.begin(), lines.end(), line,
            [&](const std::string& a, const std::string& b) { return locale.Compare(a, b) < 0; });
        if (pos != lines.end() && locale.Compare(*pos, line) == 0) {
            return;
        }
        lines.insert(pos, std::move(line));
    };
    for (const FilterRow& row : m_rows) {
        insert(row.mask + "|" + row.definition);
    }
    std::string added(mask);
    added += '|';
    added += definition;
    insert(std::move(added));

    m_rows.clear();
    for (const std::string& line : lines) {
        const std::size_t bar = line.find('|');
        m_rows.push_back({line.substr(0, bar), line.substr(bar + 1), false});
    }
}

void FilterTable::EditFilter(std::size_t index, std::string_view mask,
                             std::string_view definition) {
    FilterRow& row = m_rows.at(index);
    row.mask = mask;
    row.definition = definition;
}

void FilterTable::DeleteFilter(std::size_t index) {
    if (index >= m_rows.size()) {
        throw std::out_of_range("FilterTable::DeleteFilter");
    }
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace qm::scope
