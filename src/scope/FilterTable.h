#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::foundation {
class Prompter;
}
namespace qm::platform {
class Locale;
}

namespace qm::scope {

// One row of the file-type filter table.
struct FilterRow {
    std::string mask;        // handed to the search unchanged, never checked
    std::string definition;  // the description shown beside the mask
    bool selected = false;
    bool operator==(const FilterRow&) const = default;
};

// The label caption when no row is selected.
inline constexpr std::string_view kNoneSelected = "[None Selected]";

// Texts of the questions and notices of the filter commands.
inline constexpr std::string_view kGlobalFilterQuestion =
    "You are selecting a global filter (* or *.*) which covers all types of files.  Selecting this "
    "filter will remove any other filter selection.  \r\n\r\nAre you sure you want to do this?";
inline constexpr std::string_view kReplaceGlobalFilterQuestion =
    "You have a global filter selected (* or *.*) which covers all file types.  Would you like to "
    "deselect the global filter and select this filter instead?";
inline constexpr std::string_view kRestoreDefaultsQuestion =
    "Are you sure you want to override your existing filters and load default filters?";
inline constexpr std::string_view kNoFiltersDefined =
    "Currently there are no filters defined.  Please add one before trying to edit filters.";
inline constexpr std::string_view kSelectOneFilter =
    "Please select one filter from the filter list.";

// "Are you sure you want to delete the filter "<definition>"?"
std::string DeleteFilterQuestion(std::string_view definition);

// A global filter covers every file: its mask is exactly "*" or "*.*" (case-sensitive, whole mask).
bool IsGlobalFilter(std::string_view mask);

// The 15 rows a fresh table starts with, all unselected.
std::vector<FilterRow> DefaultFilters();

// The ordered filter table and the rules that keep its selection sound. Row indexes are 0-based
// here; the grid shows row i as body row i + 1 under its header row.
class FilterTable {
public:
    const std::vector<FilterRow>& Rows() const { return m_rows; }
    const FilterRow& Row(std::size_t index) const { return m_rows.at(index); }
    std::size_t Count() const { return m_rows.size(); }
    bool HasFilters() const { return !m_rows.empty(); }

    void SetRows(std::vector<FilterRow> rows) { m_rows = std::move(rows); }
    void Clear() { m_rows.clear(); }
    // Replaces every row by the default table.
    void LoadDefaultFilters() { m_rows = DefaultFilters(); }

    void SetSelected(std::size_t index, bool selected) { m_rows.at(index).selected = selected; }

    // Some selected row is not a global filter.
    bool OtherFilterSelected() const;
    // First selected global row, from the top.
    std::optional<std::size_t> FirstSelectedGlobalRow() const;
    // First row whose mask is a global filter.
    std::optional<std::size_t> FirstGlobalRow() const;
    // Where the grid cursor goes after the table was filled: the first global row, else the first
    // row; nothing for an empty table.
    std::optional<std::size_t> CursorRowAfterFill() const;

    // The selected masks joined by ", " in table order, or "[None Selected]".
    std::string LabelText() const;
    // The caption Select All writes: the selected masks split into items (at commas and blanks,
    // quoted items whole), sorted case-insensitively without duplicates, joined by ", "; empty
    // when nothing is selected.
    std::string SortedLabelText() const;

    // Runs the global-filter rule after the user flipped the box of row index (the flag already
    // holds its new state). May ask one question through prompter; beforeQuestion runs just before
    // it, when the table already shows what the question is about (a newly ticked ordinary row is
    // unticked again first), so that a view can redraw.
    void ApplyCheckBoxRule(std::size_t index, foundation::Prompter& prompter,
                           const std::function<void()>& beforeQuestion = {});

    // Unselects every row.
    void ClearSelection();

    // Selects every row except the global ones and returns SortedLabelText(). An empty table is
    // left alone and gives an empty text.
    std::string SelectAll();

    // New Filter: the rows (mask|definition) and the new one, sorted case-insensitively in the
    // locale's order with equal lines (ignoring case) merged, rebuilt with every row unselected.
    // The first "|" of a line splits mask and definition, so a "|" typed into the mask moves the
    // rest into the definition.
    void AddFilter(std::string_view mask, std::string_view definition,
                   const platform::Locale& locale);

    // Edit Filter: new texts for a row, which keeps its place and its selected flag.
    void EditFilter(std::size_t index, std::string_view mask, std::string_view definition);

    // Delete Filter: removes the row; the rows below move up.
    void DeleteFilter(std::size_t index);

private:
    std::vector<FilterRow> m_rows;
};

}  // namespace qm::scope
