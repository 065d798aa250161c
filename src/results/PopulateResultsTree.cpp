#include "results/PopulateResultsTree.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/Locale.h"
#include "results/Marking.h"

namespace qm::results {

namespace {

constexpr std::string_view kNoPreviousKey = "BLANK";
constexpr std::size_t kYieldEvery = 250;

// One line as the fill reads it. Views point into the source, which outlives the fill.
struct LineView {
    std::size_t index = 0;
    std::string_view key;
    std::string_view path;
    bool groupValid = false;
    std::int64_t group = 0;
    std::int64_t size = 0;
};

// A decimal integer with optional leading blanks and sign; false when text is none.
bool TryParseGroup(std::string_view text, std::int64_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') {
            return false;
        }
    }
    if (text.size() - i > 18) {
        return false;  // beyond any group count; keeps the parse exact
    }
    value = engine::ParseWholeNumber(text);
    return true;
}

std::pair<std::string_view, std::string_view> SplitPath(std::string_view path) {
    const std::size_t pos = path.rfind(foundation::kPathDelim);
    if (pos == std::string_view::npos) {
        return {std::string_view{}, path};
    }
    return {path.substr(0, pos + 1), path.substr(pos + 1)};
}

TEntry FileEntry(std::string_view path, std::string_view key, std::string groupText,
                 std::int64_t size, std::string modified) {
    TEntry entry;
    const auto [folder, name] = SplitPath(path);
    entry.FileName = std::string(name);
    entry.Key = std::string(key);
    entry.Folder = std::string(folder);
    entry.Size = size;
    entry.Modified = std::move(modified);
    entry.GroupText = std::move(groupText);
    entry.Status = EntryStatus::None;
    return entry;
}

class TextSource {
public:
    TextSource(const std::vector<std::string>& lines, const engine::FieldNumbers& fields)
        : m_lines(lines), m_fields(fields) {}

    std::size_t Size() const { return m_lines.size(); }

    LineView Read(std::size_t i) {
        Split(m_lines[i]);
        LineView view;
        view.index = i;
        view.key = Field(m_fields.rootKey);
        view.path = Field(m_fields.path);
        view.groupValid = TryParseGroup(Field(m_fields.group), view.group);
        view.size = engine::ParseWholeNumber(Field(m_fields.size));
        return view;
    }

    // Valid right after Read(view.index).
    TEntry Entry(const LineView& view) const {
        return FileEntry(view.path, view.key, std::string(Field(m_fields.group)), view.size,
                         std::string(Field(m_fields.date)));
    }

private:
    void Split(std::string_view line) {
        m_parts.clear();
        std::size_t start = 0;
        while (true) {
            const std::size_t bar = line.find('|', start);
            if (bar == std::string_view::npos) {
                m_parts.push_back(line.substr(start));
                break;
            }
            m_parts.push_back(line.substr(start, bar - start));
            start = bar + 1;
        }
    }
    std::string_view Field(int number) const {
        if (number < 1 || static_cast<std::size_t>(number) > m_parts.size()) {
            return {};
        }
        return m_parts[static_cast<std::size_t>(number) - 1];
    }

    const std::vector<std::string>& m_lines;
    engine::FieldNumbers m_fields;
    std::vector<std::string_view> m_parts;
};

class ListSource {
public:
    ListSource(const engine::DuplicateList& list, const platform::Locale* locale,
               bool foundByContent = false)
        : m_list(list), m_locale(locale), m_foundByContent(foundByContent) {}

    std::size_t Size() const { return m_list.size(); }

    LineView Read(std::size_t i) const {
        const engine::DuplicateEntry& e = m_list[i];
        LineView view;
        view.index = i;
        view.key = e.extensionKey;
        view.path = e.path;
        view.groupValid = true;
        view.group = e.group;
        view.size = e.size;
        return view;
    }

    TEntry Entry(const LineView& view) const {
        const engine::DuplicateEntry& e = m_list[view.index];
        TEntry entry = FileEntry(e.path, e.extensionKey, engine::GroupText(e.group), e.size,
                                 engine::DateText(e.lastWrite, *m_locale));
        // An entry without a file id (made by hand, not by a search) has no identity to check.
        if (e.id.device != 0 || e.id.inode != 0) {
            entry.Identity = platform::FileIdentity{e.id, e.size, e.lastWrite};
        }
        entry.FoundByContent = m_foundByContent;
        return entry;
    }

private:
    const engine::DuplicateList& m_list;
    const platform::Locale* m_locale;
    bool m_foundByContent;
};

class ResultLineSource {
public:
    explicit ResultLineSource(const std::vector<ResultLine>& lines) : m_lines(lines) {}

    std::size_t Size() const { return m_lines.size(); }

    LineView Read(std::size_t i) const {
        const ResultLine& line = m_lines[i];
        LineView view;
        view.index = i;
        view.key = line.key;
        view.path = line.path;
        view.groupValid = TryParseGroup(line.groupText, view.group);
        view.size = line.size;
        return view;
    }

    TEntry Entry(const LineView& view) const {
        const ResultLine& line = m_lines[view.index];
        return FileEntry(line.path, line.key, line.groupText, line.size, line.modified);
    }

private:
    const std::vector<ResultLine>& m_lines;
};

// Builds the tree.
template <class Source>
class TreeSink {
public:
    explicit TreeSink(Source& source) : m_source(source) {}
    void Root(std::string_view key) {
        TEntry root;
        root.Key = std::string(key);
        root.GroupText = kRootGroupText;
        root.Status = EntryStatus::None;
        m_builder.AddRoot(std::move(root));
    }
    void Head(const LineView& view, RgbColor band) {
        TEntry entry = m_source.Entry(view);
        entry.FirstOfSet = true;
        entry.BandColor = band;
        m_builder.AddSetHead(std::move(entry));
    }
    void Child(const LineView& view, RgbColor band) {
        TEntry entry = m_source.Entry(view);
        entry.BandColor = band;
        m_builder.AddChild(std::move(entry));
    }
    ResultTree::Builder& Builder() { return m_builder; }

private:
    Source& m_source;
    ResultTree::Builder m_builder;
};

// Counts what the tree would list, without building it: rows under a root with an empty key go
// when that root is removed; a set's children belong to the root of its head.
class CountSink {
public:
    void Root(std::string_view key) { m_rootKeyEmpty = key.empty(); }
    void Head(const LineView& view, RgbColor) {
        m_setCounted = !m_rootKeyEmpty;
        if (!m_setCounted) {
            return;
        }
        ++m_stats.listedFiles;
        m_stats.listedBytes += view.size;
    }
    void Child(const LineView& view, RgbColor) {
        if (!m_setCounted) {
            return;
        }
        ++m_stats.listedFiles;
        m_stats.listedBytes += view.size;
        ++m_stats.duplicatedFiles;
        m_stats.duplicatedBytes += view.size;
    }
    const ResultStatistics& Stats() const { return m_stats; }

private:
    ResultStatistics m_stats;
    bool m_rootKeyEmpty = true;
    bool m_setCounted = false;
};

// The fill's walk over the lines, shared by the tree and the counting. host may be null.
template <class Source, class Sink>
RgbColor WalkLines(Source& source, Sink& sink, RgbColor band, ResultsHost* host) {
    const std::size_t n = source.Size();
    std::string_view prevKey = kNoPreviousKey;
    std::int64_t prevGroup = -1;
    bool hasRoot = false;
    bool hasSet = false;
    std::unordered_set<std::string_view> setPaths;
    int lastPercent = -1;

    for (std::size_t i = 0; i < n; ++i) {
        const LineView view = source.Read(i);
        const std::string_view lineKey = view.key;
        const std::int64_t groupSeenByNext = view.groupValid ? view.group : 0;
        if (!view.groupValid || view.group == -1) {
            prevKey = lineKey;
            prevGroup = groupSeenByNext;
            continue;
        }
        // A first line keyed "BLANK" still needs a root to stand under.
        if (prevKey != lineKey || !hasRoot) {
            sink.Root(lineKey);
            hasRoot = true;
        }
        const bool continuesSet = prevGroup == view.group && hasSet;
        if (!continuesSet) {
            band = NextBandColor(band);
            setPaths.clear();
            setPaths.insert(view.path);
            sink.Head(view, band);
            hasSet = true;
        } else if (setPaths.insert(view.path).second) {
            sink.Child(view, band);
        }
        prevKey = lineKey;
        prevGroup = groupSeenByNext;

        if (host != nullptr) {
            const int percent = static_cast<int>(100 * static_cast<std::uint64_t>(i) / n);
            if (percent != lastPercent) {
                host->SetProgress(percent);
                lastPercent = percent;
            }
            if (i % kYieldEvery == 0) {
                host->Yield();
            }
        }
    }
    return band;
}

template <class Source>
bool Populate(ResultTree& tree, Source& source, ResultsHost& host, const BlockedFolderRule& blocked,
              const platform::Locale& locale) {
    if (source.Size() == 0 || host.AbortRequested()) {
        return false;
    }

    host.ShowProgress(true);
    host.SetStatusText(kPreparingResultsText);
    host.Yield();
    host.SetProgressDecorations(true);
    host.SetProgress(0);

    TreeSink<Source> sink(source);
    const RgbColor band = WalkLines(source, sink, tree.BandToggle(), &host);
    sink.Builder().Finish(tree, [&host] { host.Yield(); });
    tree.SetBandToggle(band);

    host.SetStatusText(kCalculatingStatisticsText);
    host.Yield();
    CheckBlockedFiles(tree, blocked, host);
    DupeTVChecked(tree, host, locale);

    host.SetProgress(0);
    host.SetProgressDecorations(false);
    host.ShowProgress(false);
    host.SetStatusText(kSearchCompleteText);
    host.Yield();
    return true;
}

}  // namespace

bool PopulateResultsTree(ResultTree& tree, const std::vector<std::string>& lines,
                         const engine::FieldNumbers& fields, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale) {
    TextSource source(lines, fields);
    return Populate(tree, source, host, blocked, locale);
}

bool PopulateResultsTree(ResultTree& tree, const engine::DuplicateList& list, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale) {
    ListSource source(list, &locale);
    return Populate(tree, source, host, blocked, locale);
}

bool PopulateResultsTree(ResultTree& tree, const engine::DuplicateList& list, engine::Method method,
                         ResultsHost& host, const BlockedFolderRule& blocked,
                         const platform::Locale& locale) {
    const bool byContent =
        method == engine::Method::ContentsOnly || method == engine::Method::ContentsAndName;
    ListSource source(list, &locale, byContent);
    return Populate(tree, source, host, blocked, locale);
}

bool PopulateResultsTree(ResultTree& tree, const std::vector<ResultLine>& lines, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale) {
    ResultLineSource source(lines);
    return Populate(tree, source, host, blocked, locale);
}

ResultStatistics CountResultStatistics(const std::vector<std::string>& lines,
                                       const engine::FieldNumbers& fields) {
    TextSource source(lines, fields);
    CountSink sink;
    WalkLines(source, sink, kBandNavy, nullptr);
    return sink.Stats();
}

ResultStatistics CountResultStatistics(const engine::DuplicateList& list) {
    ListSource source(list, nullptr);
    CountSink sink;
    WalkLines(source, sink, kBandNavy, nullptr);
    return sink.Stats();
}

}  // namespace qm::results
