#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::engine {

enum class SearchStep : std::uint8_t { FolderScan = 1, FileScan = 2, FileComparison = 3 };

// Shown as "Pending", "In Progress", "Done" (StepStateText).
enum class StepState : std::uint8_t { Pending, InProgress, Done };

enum class Counter : std::uint8_t { FoldersScanned, FoldersIgnored, FilesScanned, FilesIgnored };

const char* StepStateText(StepState state);

// Everything a search tells the user interface, and the one thing it asks (abort?). The window,
// the command-line scanner and the tests each provide one. Calls come from the thread that runs
// the search; an implementation may defer drawing until Yield().
class SearchHost {
public:
    virtual ~SearchHost() = default;

    // Lets pending user-interface events run. Cheap when called often: an implementation returns
    // at once when the last real yield was moments ago.
    virtual void Yield() = 0;
    virtual bool AbortRequested() const = 0;

    virtual void SetStepState(SearchStep step, StepState state) = 0;
    virtual void SetCounter(Counter counter, std::int64_t value) = 0;

    // Status panel text. May hold the markup tags "<B>", "</B>" and the like; every other
    // character is text.
    virtual void SetStatusText(const std::string& markup) = 0;

    // Status text made of a markup prefix and a path (any bytes) that the host shortens to fit
    // its status area, e.g. ("<B>Scanning Folder:</B> ", "/home/a/b/"). The path is never markup.
    virtual void SetStatusPath(std::string_view markupPrefix, std::string_view path) = 0;

    // The progress area (status panel 0): shown or hidden, and its whole percentage 0..100.
    virtual void ShowProgress(bool visible) = 0;
    // Bar decorations as the stages set them: border and percentage text on while a stage counts.
    virtual void SetProgressDecorations(bool showBorderAndPercent) = 0;
    virtual void SetProgress(int percent) = 0;
};

// Does nothing and never aborts.
class NullSearchHost : public SearchHost {
public:
    void Yield() override {}
    bool AbortRequested() const override { return false; }
    void SetStepState(SearchStep, StepState) override {}
    void SetCounter(Counter, std::int64_t) override {}
    void SetStatusText(const std::string&) override {}
    void SetStatusPath(std::string_view, std::string_view) override {}
    void ShowProgress(bool) override {}
    void SetProgressDecorations(bool) override {}
    void SetProgress(int) override {}
};

}  // namespace qm::engine
